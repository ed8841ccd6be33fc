#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/posix/RegistryStore.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

constexpr const char* kClass = "Tessaro default";

// Rewrites the settings of the test machine and reloads it.
void Configure(const test::TestMachine& m, const std::string& platform, const std::string& user,
               bool admin) {
  std::ofstream ini(m.Dir() + "/machine.ini", std::ios::binary | std::ios::trunc);
  ini << "[Machine]\r\nPlatform=" << platform << "\r\nUser=" << user
      << "\r\nAdmin=" << (admin ? 1 : 0) << "\r\n";
  ini.close();
  Machine::SetCurrent(m.Dir());
}

HKEY Create(HKEY root, const std::string& path, const std::string& cls = kClass) {
  HKEY h = 0;
  EXPECT_EQ(RegCreateKeyEx(root, path, cls, kKeyAllAccess, &h), kErrorSuccess) << path;
  return h;
}

std::string QueryString(HKEY key, const std::string& name) {
  char buf[1024];
  std::uint32_t size = sizeof buf, type = 0;
  if (RegQueryValueEx(key, name, &type, buf, &size) != kErrorSuccess) return "<missing>";
  return std::string(buf, size);
}

std::string ClassOf(HKEY root, const std::string& path) {
  HKEY h = 0;
  if (RegOpenKeyEx(root, path, kKeyRead, &h) != kErrorSuccess) return "<missing>";
  std::string cls;
  EXPECT_EQ(RegQueryKeyClass(h, &cls), kErrorSuccess);
  RegCloseKey(h);
  return cls;
}

class RegistryTest : public ::testing::Test {
 protected:
  test::TestMachine m;
};

TEST_F(RegistryTest, CreateMakesParentsAndStoresTheClassOfTheKeyAskedFor) {
  HKEY h = Create(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(RegCloseKey(h), kErrorSuccess);
  EXPECT_EQ(ClassOf(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo"), kClass);
  EXPECT_EQ(ClassOf(kHkeyCurrentUser, "software\\ACME"), "");
  // Opening an existing key does not change its class.
  RegCloseKey(Create(kHkeyCurrentUser, "SOFTWARE\\acme\\demo\\userinfo", "Other"));
  EXPECT_EQ(ClassOf(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo"), kClass);

  // Names keep the case they were created with; doubled and edge backslashes are ignored.
  HKEY soft = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "\\Software\\\\Acme\\", kKeyRead, &soft), kErrorSuccess);
  std::vector<std::string> names;
  ASSERT_EQ(RegEnumKeyNames(soft, &names), kErrorSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"Demo"});
  RegCloseKey(soft);

  HKEY missing = 12345;
  EXPECT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Nobody", kKeyRead, &missing),
            kErrorFileNotFound);
  EXPECT_EQ(missing, 0u);
  // Keys of one hive are not seen from another.
  EXPECT_EQ(ClassOf(kHkeyLocalMachine, "Software\\Acme"), "<missing>");
  EXPECT_EQ(RegCreateKeyEx(kHkeyCurrentUser, std::string(256, 'k'), kClass, kKeyAllAccess, &h),
            kErrorInvalidParameter);
}

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes) {
  HKEY h = Create(kHkeyLocalMachine, "Software\\Test");
  ASSERT_EQ(RegSetValueEx(h, "Text", kRegSz, "abc", 3), kErrorSuccess);
  const std::uint32_t dword = 0xDEADBEEF;
  ASSERT_EQ(RegSetValueEx(h, "Count", kRegDword, &dword, 4), kErrorSuccess);
  const char binary[] = {'\0', 'x', '\0', '\xff'};
  ASSERT_EQ(RegSetValueEx(h, "Raw", kRegBinary, binary, 4), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(h, "", kRegSz, "default", 7), kErrorSuccess);

  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(RegQueryValueEx(h, "TEXT", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 3u);
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueEx(h, "text", &type, buf, &size), kErrorSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_STREQ(buf, "abc");  // terminated, though stored without the zero
  size = 2;
  EXPECT_EQ(RegQueryValueEx(h, "Text", &type, buf, &size), kErrorMoreData);
  EXPECT_EQ(size, 3u);

  std::uint32_t out = 0;
  size = sizeof out;
  ASSERT_EQ(RegQueryValueEx(h, "count", &type, &out, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(out, dword);
  EXPECT_EQ(QueryString(h, "Raw"), std::string(binary, 4));
  EXPECT_EQ(QueryString(h, ""), "default");

  // Replacing keeps the first spelling and the listing order, and takes the new type.
  ASSERT_EQ(RegSetValueEx(h, "TEXT", kRegBinary, "xy", 2), kErrorSuccess);
  std::vector<RegValue> values;
  ASSERT_EQ(RegEnumValues(h, &values), kErrorSuccess);
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].name, "Text");
  EXPECT_EQ(values[0].type, kRegBinary);
  EXPECT_EQ(values[0].data, "xy");
  EXPECT_EQ(values[1].name, "Count");

  EXPECT_EQ(RegDeleteValue(h, "count"), kErrorSuccess);
  EXPECT_EQ(RegDeleteValue(h, "Count"), kErrorFileNotFound);
  EXPECT_EQ(RegQueryValueEx(h, "Count", &type, nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(RegSetValueEx(h, "Null", kRegBinary, nullptr, 4), kErrorInvalidParameter);
  RegCloseKey(h);
}

TEST_F(RegistryTest, NewMachineKnowsTheProgramFilesFolder) {
  HKEY h = 0;
  ASSERT_EQ(
      RegOpenKeyEx(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", kKeyRead, &h),
      kErrorSuccess);
  EXPECT_STREQ(QueryString(h, "ProgramFilesDir").c_str(), "C:\\Program Files");
  RegCloseKey(h);
}

TEST_F(RegistryTest, NtDeletesOnlyLeafKeys) {
  HKEY h = Create(kHkeyCurrentUser, "Software\\Acme\\Demo");
  RegSetValueEx(h, "v", kRegSz, "1", 1);
  RegCloseKey(h);
  EXPECT_EQ(RegDeleteKey(kHkeyCurrentUser, "Software\\Acme"), kErrorAccessDenied);
  EXPECT_EQ(ClassOf(kHkeyCurrentUser, "Software\\Acme\\Demo"), kClass);
  EXPECT_EQ(RegDeleteKey(kHkeyCurrentUser, "software\\acme\\demo"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHkeyCurrentUser, "Software\\Acme"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHkeyCurrentUser, "Software\\Acme"), kErrorFileNotFound);
  EXPECT_EQ(RegDeleteKey(kHkeyCurrentUser, ""), kErrorAccessDenied);  // a hive stays
  // The values went with the key: a key made again under the same name starts empty.
  h = Create(kHkeyCurrentUser, "Software\\Acme\\Demo");
  EXPECT_EQ(QueryString(h, "v"), "<missing>");
  RegCloseKey(h);
}

TEST_F(RegistryTest, Win9xDeletesTheWholeBranch) {
  Configure(m, "9x", "tester", true);
  HKEY h = Create(kHkeyLocalMachine, "Software\\Acme\\Demo\\Deep");
  RegSetValueEx(h, "v", kRegSz, "1", 1);
  RegCloseKey(h);
  h = Create(kHkeyLocalMachine, "Software\\Acme\\Other");
  RegCloseKey(h);
  h = Create(kHkeyLocalMachine, "Software\\Keep");
  RegCloseKey(h);
  EXPECT_EQ(RegDeleteKey(kHkeyLocalMachine, "SOFTWARE\\ACME"), kErrorSuccess);
  EXPECT_EQ(ClassOf(kHkeyLocalMachine, "Software\\Acme"), "<missing>");
  EXPECT_EQ(ClassOf(kHkeyLocalMachine, "Software\\Keep"), kClass);
  h = Create(kHkeyLocalMachine, "Software\\Acme\\Demo\\Deep");
  EXPECT_EQ(QueryString(h, "v"), "<missing>");
  RegCloseKey(h);
}

TEST_F(RegistryTest, NtUserWithoutAdministratorRightsWritesOnlyHisOwnHive) {
  HKEY h = Create(kHkeyLocalMachine, "Software\\Shared");
  RegSetValueEx(h, "v", kRegSz, "x", 1);
  RegCloseKey(h);
  Configure(m, "NT", "guest", false);

  for (HKEY root : {kHkeyLocalMachine, kHkeyClassesRoot, kHkeyUsers}) {
    h = 0;
    EXPECT_EQ(RegCreateKeyEx(root, "Software\\New", kClass, kKeyAllAccess, &h), kErrorAccessDenied);
    EXPECT_EQ(h, 0u);
    // Creating needs write access even when only read access is asked for.
    EXPECT_EQ(RegCreateKeyEx(root, "Software\\New", kClass, kKeyRead, &h), kErrorAccessDenied);
  }
  EXPECT_EQ(RegOpenKeyEx(kHkeyLocalMachine, "Software\\Shared", kKeyAllAccess, &h),
            kErrorAccessDenied);
  EXPECT_EQ(RegDeleteKey(kHkeyLocalMachine, "Software\\Shared"), kErrorAccessDenied);
  ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, "Software\\Shared", kKeyRead, &h), kErrorSuccess);
  EXPECT_EQ(QueryString(h, "v"), "x");
  EXPECT_EQ(RegSetValueEx(h, "v", kRegSz, "y", 1), kErrorAccessDenied);
  EXPECT_EQ(RegDeleteValue(h, "v"), kErrorAccessDenied);
  EXPECT_EQ(QueryString(h, "v"), "x");
  RegCloseKey(h);

  h = Create(kHkeyCurrentUser, "Software\\Mine");
  EXPECT_EQ(RegSetValueEx(h, "v", kRegSz, "ok", 2), kErrorSuccess);
  RegCloseKey(h);

  // The same user on the 9x platform has no such limits.
  Configure(m, "9x", "guest", false);
  h = Create(kHkeyLocalMachine, "Software\\New");
  EXPECT_NE(h, 0u);
  RegCloseKey(h);
}

TEST_F(RegistryTest, CurrentUserHiveBelongsToTheMachineUser) {
  Configure(m, "NT", "alice", true);
  HKEY h = Create(kHkeyCurrentUser, "Software\\Prefs");
  RegSetValueEx(h, "Owner", kRegSz, "alice", 5);
  RegCloseKey(h);
  Configure(m, "NT", "bob", true);
  EXPECT_EQ(ClassOf(kHkeyCurrentUser, "Software\\Prefs"), "<missing>");
  Configure(m, "NT", "alice", true);
  ASSERT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Prefs", kKeyRead, &h), kErrorSuccess);
  EXPECT_EQ(QueryString(h, "Owner"), "alice");
  RegCloseKey(h);
}

TEST_F(RegistryTest, HandlesAreCheckedAndOutliveTheirKeysSafely) {
  HKEY h = Create(kHkeyCurrentUser, "Software\\Gone");
  HKEY again = Create(kHkeyCurrentUser, "Software\\Gone");
  EXPECT_NE(h, again);
  ASSERT_EQ(RegDeleteKey(kHkeyCurrentUser, "Software\\Gone"), kErrorSuccess);
  EXPECT_EQ(RegSetValueEx(h, "v", kRegSz, "1", 1), kErrorKeyDeleted);
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(h, "v", nullptr, nullptr, &size), kErrorKeyDeleted);
  HKEY sub = 0;
  EXPECT_EQ(RegCreateKeyEx(h, "Sub", kClass, kKeyAllAccess, &sub), kErrorKeyDeleted);
  // A key made again under the old name is a new key, not the one the handle meant.
  RegCloseKey(Create(kHkeyCurrentUser, "Software\\Gone"));
  EXPECT_EQ(RegSetValueEx(h, "v", kRegSz, "1", 1), kErrorKeyDeleted);
  EXPECT_EQ(RegCloseKey(h), kErrorSuccess);
  EXPECT_EQ(RegCloseKey(h), kErrorInvalidHandle);
  EXPECT_EQ(RegCloseKey(again), kErrorSuccess);
  EXPECT_EQ(RegSetValueEx(0x4242, "v", kRegSz, "1", 1), kErrorInvalidHandle);
  EXPECT_EQ(RegOpenKeyEx(kHkeyPerformanceData, "x", kKeyRead, &sub), kErrorInvalidHandle);

  // A handle opened for reading cannot write.
  ASSERT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Gone", kKeyRead, &h), kErrorSuccess);
  EXPECT_EQ(RegSetValueEx(h, "v", kRegSz, "1", 1), kErrorAccessDenied);
  EXPECT_EQ(RegCreateKeyEx(h, "Sub", kClass, kKeyAllAccess, &sub), kErrorAccessDenied);
  RegCloseKey(h);
}

TEST(RegistryNames, RootNamesMatchExactly) {
  EXPECT_EQ(RootKeyByName("HKEY_CURRENT_USER"), kHkeyCurrentUser);
  EXPECT_EQ(RootKeyByName("HKEY_DYN_DATA"), kHkeyDynData);
  EXPECT_EQ(RootKeyByName("hkey_current_user"), 0u);
  EXPECT_EQ(RootKeyByName("HKEY_PERFORMANCE_DATA"), 0u);
  EXPECT_EQ(RootKeyByName("HKEY_LOCAL_MACHINE "), 0u);
  EXPECT_STREQ(RootKeyName(kHkeyClassesRoot), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootKeyName(kHkeyPerformanceData), nullptr);
}

TEST(RegistryMachines, EachMachineHasItsOwnStore) {
  test::TestMachine first;
  const std::string& firstDir = first.Dir();
  HKEY h = Create(kHkeyLocalMachine, "Software\\OnlyFirst");
  RegCloseKey(h);
  {
    test::TestMachine second;
    EXPECT_EQ(ClassOf(kHkeyLocalMachine, "Software\\OnlyFirst"), "<missing>");
    Machine::SetCurrent(firstDir);
    EXPECT_EQ(ClassOf(kHkeyLocalMachine, "Software\\OnlyFirst"), kClass);
  }
}

// ---- several writers ------------------------------------------------------------------------

// Writes `count` values named after `tag` into one shared key; returns the failures.
int WriteValues(const std::string& tag, int count) {
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    HKEY h = 0;
    if (RegCreateKeyEx(kHkeyLocalMachine, "Software\\Busy", kClass, kKeyAllAccess, &h) !=
        kErrorSuccess) {
      ++failures;
      continue;
    }
    const std::string name = tag + "-" + std::to_string(i);
    if (RegSetValueEx(h, name, kRegSz, name.data(), static_cast<std::uint32_t>(name.size())) !=
        kErrorSuccess) {
      ++failures;
    }
    RegCloseKey(h);
  }
  return failures;
}

TEST_F(RegistryTest, SeveralProcessesWritingOneKeyAllLand) {
  constexpr int kProcesses = 4, kValues = 200;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) _exit(100);
      _exit(WriteValues("proc" + std::to_string(p), kValues) == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY h = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, "Software\\Busy", kKeyRead, &h), kErrorSuccess);
  std::vector<RegValue> values;
  ASSERT_EQ(RegEnumValues(h, &values), kErrorSuccess);
  EXPECT_EQ(values.size(), static_cast<std::size_t>(kProcesses * kValues));
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "proc" + std::to_string(p) + "-" + std::to_string(i);
      ASSERT_EQ(QueryString(h, name), name);
    }
  }
  RegCloseKey(h);
}

TEST_F(RegistryTest, ProcessesCreatingANewStoreAtOnceAllSucceed) {
  const std::string file = m.Dir() + "/fresh.db";
  constexpr int kProcesses = 6;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) _exit(100);
      auto store = reg::Store::Open(file);
      if (!store) _exit(1);
      try {
        const std::int64_t hive = store->Hive("HKEY_LOCAL_MACHINE");
        store->Begin(true);
        store->AddChild(hive, "Key" + std::to_string(p), "");
        store->Commit();
      } catch (const reg::StoreError&) {
        _exit(2);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
  }
  auto store = reg::Store::Open(file);
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->ChildNames(store->Hive("HKEY_LOCAL_MACHINE")).size(),
            static_cast<std::size_t>(kProcesses));
}

TEST_F(RegistryTest, SeveralThreadsShareTheStore) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, -1);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back(
        [t, &failures] { failures[t] = WriteValues("thread" + std::to_string(t), 50); });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
  HKEY h = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, "Software\\Busy", kKeyRead, &h), kErrorSuccess);
  std::vector<RegValue> values;
  ASSERT_EQ(RegEnumValues(h, &values), kErrorSuccess);
  EXPECT_EQ(values.size(), 200u);
  RegCloseKey(h);
}

}  // namespace
}  // namespace vx
