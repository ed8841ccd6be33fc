#include "platform/Machine.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// A temporary folder that does not hold a machine yet.
class FreshDir {
 public:
  FreshDir() {
    std::string tmpl = (fs::temp_directory_path() / "vxfresh-XXXXXX").string();
    base_ = mkdtemp(tmpl.data());
    dir_ = base_ + "/machine";
  }
  ~FreshDir() {
    std::error_code ec;
    fs::remove_all(base_, ec);
  }
  const std::string& Dir() const { return dir_; }
  void WriteIni(const std::string& text) const {
    fs::create_directories(dir_);
    std::ofstream(dir_ + "/machine.ini", std::ios::binary) << text;
  }

 private:
  std::string base_, dir_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(MachineOpen, CreatesADefaultMachineOnFirstUse) {
  FreshDir fresh;
  auto m = Machine::Open(fresh.Dir());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Platform(), PlatformKind::NT);
  EXPECT_EQ(m->IsAdmin(), geteuid() == 0);
  EXPECT_FALSE(m->UserName().empty());

  // The settings are written whole, so that a user sees every key to change.
  std::string ini = ReadAll(fresh.Dir() + "/machine.ini");
  for (const char* key : {"Platform=NT", "User=", "Admin=", "C=fixed,drive_c", "Z=unknown,/"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key;
  }

  ASSERT_EQ(m->Drives().size(), 2u);
  const DriveInfo* c = m->Drive('c');
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->type, DriveType::Fixed);
  EXPECT_EQ(c->hostRoot, fresh.Dir() + "/drive_c");
  const DriveInfo* z = m->Drive('Z');
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->type, DriveType::Unknown);
  EXPECT_EQ(z->hostRoot, "/");

  for (const char* folder : {"Windows", "Windows/System32", "Windows/Temp", "Program Files"}) {
    EXPECT_TRUE(fs::is_directory(c->hostRoot + "/" + folder)) << folder;
  }
  EXPECT_FALSE(fs::exists(c->hostRoot + "/Windows/System"));
}

TEST(MachineOpen, ExistingSettingsOverrideAndMissingKeysTakeDefaults) {
  FreshDir fresh;
  fresh.WriteIni(
      "[machine]\r\nplatform = 9x\r\nUser=alice\r\nAdmin=0\r\n"
      "[Drives]\r\nD=cdrom,/media/cd\r\ne=network, shares/e\r\nZ=\r\nR=ramdisk,/r\r\n"
      "Q=removable,/q\r\nQ=fixed,/ignored\r\nlong=fixed,/x\r\n");
  auto m = Machine::Open(fresh.Dir());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Platform(), PlatformKind::Win9x);
  EXPECT_EQ(m->UserName(), "alice");
  EXPECT_FALSE(m->IsAdmin());
  {
    Machine::SystemScope system;
    EXPECT_TRUE(m->IsAdmin());
  }
  EXPECT_FALSE(m->IsAdmin());

  // C: keeps its default, "Z=" removes Z:, the first key of a letter wins.
  std::string letters;
  for (auto& d : m->Drives()) letters += d.letter;
  EXPECT_EQ(letters, "CDEQR");
  EXPECT_EQ(m->Drive('D')->type, DriveType::CdRom);
  EXPECT_EQ(m->Drive('D')->hostRoot, "/media/cd");
  EXPECT_EQ(m->Drive('E')->type, DriveType::Remote);
  EXPECT_EQ(m->Drive('E')->hostRoot, fresh.Dir() + "/shares/e");
  EXPECT_TRUE(fs::is_directory(fresh.Dir() + "/shares/e"));
  EXPECT_EQ(m->Drive('Q')->type, DriveType::Removable);
  EXPECT_EQ(m->Drive('R')->type, DriveType::RamDisk);
  EXPECT_EQ(m->Drive('Z'), nullptr);
  EXPECT_TRUE(fs::is_directory(fresh.Dir() + "/drive_c/Windows/System"));
  // An existing file is never rewritten.
  EXPECT_NE(ReadAll(fresh.Dir() + "/machine.ini").find("platform = 9x"), std::string::npos);
}

TEST(MachineOpen, RefusesADirectoryThatCannotBeMade) {
  FreshDir fresh;
  fs::create_directories(fresh.Dir());
  std::ofstream(fresh.Dir() + "/file") << "x";
  EXPECT_FALSE(Machine::Open(fresh.Dir() + "/file/machine"));
  EXPECT_FALSE(Machine::Open(""));
}

TEST(MachineCurrent, ANewMachineHoldsTheProgramFilesFolderInItsRegistry) {
  for (const char* admin : {"1", "0"}) {
    FreshDir fresh;
    fresh.WriteIni(std::string("[Machine]\r\nAdmin=") + admin + "\r\n");
    Machine::SetCurrent(fresh.Dir());
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                           kKeyRead, &key),
              static_cast<std::int32_t>(kErrorSuccess))
        << "Admin=" << admin;
    char data[64] = {};
    std::uint32_t size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueEx(key, "ProgramFilesDir", &type, data, &size),
              static_cast<std::int32_t>(kErrorSuccess));
    EXPECT_EQ(type, kRegSz);
    EXPECT_STREQ(data, "C:\\Program Files");
    RegCloseKey(key);
  }
}

TEST(MachineCurrent, ANewMachineNamesItsUserAsTheRegisteredOwner) {
  for (const char* platform : {"NT", "9x"}) {
    FreshDir fresh;
    fresh.WriteIni(std::string("[Machine]\r\nPlatform=") + platform + "\r\nUser=ada\r\n");
    Machine::SetCurrent(fresh.Dir());
    const char* key = std::string(platform) == "NT"
                          ? "Software\\Microsoft\\Windows NT\\CurrentVersion"
                          : "Software\\Microsoft\\Windows\\CurrentVersion";
    HKEY h = 0;
    ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, key, kKeyRead, &h),
              static_cast<std::int32_t>(kErrorSuccess))
        << platform;
    char data[64] = {};
    std::uint32_t size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueEx(h, "RegisteredOwner", &type, data, &size),
              static_cast<std::int32_t>(kErrorSuccess))
        << platform;
    EXPECT_STREQ(data, "ada");
    RegCloseKey(h);
  }
}

TEST(MachineCurrent, SwitchingMachinesResetsTheCurrentDirectory) {
  test::TestMachine first;
  ASSERT_TRUE(SetCurrentDirectory("C:\\Windows"));
  test::TestMachine second;
  EXPECT_EQ(GetCurrentDirectory(), "C:\\");
  EXPECT_EQ(Machine::Current().Dir(), second.Dir());
}

class PathMapping : public ::testing::Test {
 protected:
  test::TestMachine machine_;
  std::string c_ = Machine::Current().Drive('C')->hostRoot;
};

TEST_F(PathMapping, ExistingComponentsAreFoundWithoutRegardToCase) {
  fs::create_directories(c_ + "/Program Files/MyApp");
  std::ofstream(c_ + "/Program Files/MyApp/Data.TXT") << "x";
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToHost("c:\\PROGRAM FILES\\myapp\\data.txt"), c_ + "/Program Files/MyApp/Data.TXT");
  EXPECT_EQ(m.ToHost("C:/program files/MYAPP/DATA.txt"), c_ + "/Program Files/MyApp/Data.TXT");
  // Asked twice: the remembered answer must follow a rename on the host.
  fs::rename(c_ + "/Program Files/MyApp/Data.TXT", c_ + "/Program Files/MyApp/DATA.txt");
  EXPECT_EQ(m.ToHost("c:\\PROGRAM FILES\\myapp\\data.txt"), c_ + "/Program Files/MyApp/DATA.txt");
}

TEST_F(PathMapping, MissingComponentsKeepTheCaseGiven) {
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToHost("C:\\program files\\NewApp\\Sub\\ReadMe.Txt"),
            c_ + "/Program Files/NewApp/Sub/ReadMe.Txt");
  ASSERT_TRUE(CreateDirectory("C:\\program files\\NewApp"));
  EXPECT_TRUE(fs::is_directory(c_ + "/Program Files/NewApp"));

  // A new path is resolved from the deepest folder an earlier lookup found; when that one
  // has gone, from the drive's root.
  fs::create_directories(c_ + "/Deep/Er");
  EXPECT_EQ(m.ToHost("C:\\DEEP\\ER\\a.txt"), c_ + "/Deep/Er/a.txt");
  EXPECT_EQ(m.ToHost("C:\\DEEP\\ER\\New\\b.txt"), c_ + "/Deep/Er/New/b.txt");
  fs::remove_all(c_ + "/Deep");
  fs::create_directories(c_ + "/deep/er/NEW");
  EXPECT_EQ(m.ToHost("C:\\DEEP\\ER\\New\\Sub\\c.txt"), c_ + "/deep/er/NEW/Sub/c.txt");
}

// Folders read for other-case names are indexed; every change must show at the next lookup.
TEST_F(PathMapping, ChangesOnTheHostShowAtOnce) {
  auto& m = Machine::Current();
  fs::create_directories(c_ + "/Big");
  for (int i = 0; i < 50; ++i) std::ofstream(c_ + "/Big/f" + std::to_string(i) + ".dll");
  EXPECT_EQ(m.ToHost("C:\\BIG\\NEW.TXT"), c_ + "/Big/NEW.TXT");

  // Made by this process, then by another one.
  std::ofstream(c_ + "/Big/new.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\BIG\\NEW.TXT"), c_ + "/Big/new.txt");
  pid_t pid = fork();
  if (pid == 0) {
    std::ofstream(c_ + "/Big/Child.Ini") << "x";
    fs::rename(c_ + "/Big/f7.dll", c_ + "/Big/F7renamed.DLL");
    fs::remove(c_ + "/Big/f8.dll");
    // The child's own lookups see its own changes too.
    _exit(Machine::Current().ToHost("C:\\big\\child.ini") == c_ + "/Big/Child.Ini" ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(m.ToHost("C:\\BIG\\CHILD.INI"), c_ + "/Big/Child.Ini");
  EXPECT_EQ(m.ToHost("C:\\BIG\\F7.DLL"), c_ + "/Big/F7.DLL");
  EXPECT_EQ(m.ToHost("C:\\BIG\\f7RENAMED.dll"), c_ + "/Big/F7renamed.DLL");
  EXPECT_EQ(m.ToHost("C:\\BIG\\F8.DLL"), c_ + "/Big/F8.DLL");

  // The folder replaced by another of the same name, and its parent moved away.
  fs::remove_all(c_ + "/Big");
  fs::create_directories(c_ + "/Big");
  std::ofstream(c_ + "/Big/Other.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\BIG\\NEW.TXT"), c_ + "/Big/NEW.TXT");
  EXPECT_EQ(m.ToHost("C:\\BIG\\OTHER.TXT"), c_ + "/Big/Other.txt");
  fs::create_directories(c_ + "/Outer/Inner");
  std::ofstream(c_ + "/Outer/Inner/First.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\OUTER\\INNER\\FIRST.TXT"), c_ + "/Outer/Inner/First.txt");
  fs::rename(c_ + "/Outer", c_ + "/Moved");
  fs::create_directories(c_ + "/Outer/Inner");
  std::ofstream(c_ + "/Outer/Inner/Second.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\OUTER\\INNER\\FIRST.TXT"), c_ + "/Outer/Inner/FIRST.TXT");
  EXPECT_EQ(m.ToHost("C:\\OUTER\\INNER\\SECOND.TXT"), c_ + "/Outer/Inner/Second.txt");

  // A folder whose new files were looked up, replaced by one spelled in other case.
  fs::create_directories(c_ + "/Apps");
  EXPECT_EQ(m.ToHost("C:\\apps\\one.txt"), c_ + "/Apps/one.txt");
  fs::remove_all(c_ + "/Apps");
  fs::create_directories(c_ + "/APPS");
  EXPECT_EQ(m.ToHost("C:\\apps\\two.txt"), c_ + "/APPS/two.txt");
  std::ofstream(c_ + "/APPS/Three.TXT") << "x";
  EXPECT_EQ(m.ToHost("C:\\apps\\three.txt"), c_ + "/APPS/Three.TXT");
}

// A folder spelled as stored answers from its index before any look at the path; the answer
// must be the one that look would give.
TEST_F(PathMapping, AnIndexedFolderAnswersAsALookWould) {
  auto& m = Machine::Current();
  fs::create_directories(c_ + "/Outer/Big");
  bool absent = false;
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt"), c_ + "/Outer/Big/new.txt");  // indexes Big
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt", &absent), c_ + "/Outer/Big/new.txt");
  EXPECT_TRUE(absent);
  std::ofstream(c_ + "/Outer/Big/NEW.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt", &absent), c_ + "/Outer/Big/NEW.txt");
  EXPECT_FALSE(absent);
  std::ofstream(c_ + "/Outer/Big/new.txt") << "x";  // the exact spelling beside it wins
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt"), c_ + "/Outer/Big/new.txt");
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\NEW.txt"), c_ + "/Outer/Big/NEW.txt");
  // The parent moved away (no event reaches the folder's own watch) and another put there.
  fs::rename(c_ + "/Outer", c_ + "/Moved");
  fs::create_directories(c_ + "/Outer/Big");
  std::ofstream(c_ + "/Outer/Big/Other.txt") << "x";
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\other.TXT"), c_ + "/Outer/Big/Other.txt");
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt", &absent), c_ + "/Outer/Big/new.txt");
  EXPECT_TRUE(absent);
  fs::remove_all(c_ + "/Outer");
  EXPECT_EQ(m.ToHost("C:\\Outer\\Big\\new.txt", &absent), c_ + "/Outer/Big/new.txt");
  EXPECT_FALSE(absent);
}

TEST_F(PathMapping, AnExactNameIsPreferredOverOtherCase) {
  std::ofstream(c_ + "/a.txt") << "lower";
  std::ofstream(c_ + "/A.TXT") << "upper";
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToHost("C:\\a.txt"), c_ + "/a.txt");
  EXPECT_EQ(m.ToHost("C:\\A.TXT"), c_ + "/A.TXT");
  // Neither spelled so: the choice is the same every time.
  auto first = m.ToHost("C:\\a.TXT");
  ASSERT_TRUE(first);
  EXPECT_EQ(m.ToHost("C:\\a.TXT"), first);
}

TEST_F(PathMapping, DriveRootsHostPathsAndRefusals) {
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToHost("C:\\"), c_);
  EXPECT_EQ(m.ToHost("c:"), std::optional<std::string>(c_));
  EXPECT_EQ(m.ToHost("Z:\\"), "/");
  EXPECT_EQ(m.ToHost("z:\\ETC\\..\\etc\\.\\passwd"), "/etc/passwd");
  EXPECT_EQ(m.ToHost("C:\\..\\machine.ini"), std::nullopt);
  EXPECT_EQ(m.ToHost("C:\\Windows\\..\\..\\x"), std::nullopt);
  EXPECT_EQ(m.ToHost("Z:\\.."), std::nullopt);
  EXPECT_EQ(m.ToHost("Q:\\x"), std::nullopt);
  EXPECT_EQ(m.ToHost("\\\\server\\share\\x"), std::nullopt);
  EXPECT_EQ(m.ToHost("C:\\a*.txt"), std::nullopt);
  EXPECT_EQ(m.ToHost(std::string("C:\\a\0b", 6)), std::nullopt);
  EXPECT_EQ(m.ToHost(""), std::nullopt);
}

TEST_F(PathMapping, RelativePathsFollowTheCurrentDirectory) {
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToHost("Windows"), c_ + "/Windows");
  ASSERT_TRUE(SetCurrentDirectory("c:\\WINDOWS\\system32"));
  EXPECT_EQ(GetCurrentDirectory(), "C:\\WINDOWS\\system32");
  EXPECT_EQ(m.ToHost("new.dll"), c_ + "/Windows/System32/new.dll");
  EXPECT_EQ(m.ToHost("..\\temp"), c_ + "/Windows/Temp");
  EXPECT_EQ(m.ToHost("\\Program Files"), c_ + "/Program Files");
  EXPECT_EQ(m.ToHost("C:x.ini"), c_ + "/Windows/System32/x.ini");
  EXPECT_EQ(m.ToHost("..\\..\\..\\x"), std::nullopt);
  ASSERT_TRUE(SetCurrentDirectory(".."));
  EXPECT_EQ(GetCurrentDirectory(), "C:\\WINDOWS");

  EXPECT_FALSE(SetCurrentDirectory("C:\\Missing"));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_FALSE(SetCurrentDirectory("C:\\Missing\\Deeper"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  std::ofstream(c_ + "/file.txt") << "x";
  EXPECT_FALSE(SetCurrentDirectory("C:\\file.txt"));
  EXPECT_EQ(GetLastError(), kErrorDirectory);
  EXPECT_EQ(GetCurrentDirectory(), "C:\\WINDOWS");
}

TEST_F(PathMapping, HostPathsGetTheWindowsNameOfTheLongestRoot) {
  auto& m = Machine::Current();
  EXPECT_EQ(m.ToWindows(c_ + "/Windows/win.ini"), "C:\\Windows\\win.ini");
  EXPECT_EQ(m.ToWindows(c_), "C:\\");
  EXPECT_EQ(m.ToWindows("/etc/hosts"), "Z:\\etc\\hosts");
  EXPECT_EQ(m.ToWindows("/"), "Z:\\");
  EXPECT_EQ(m.ToWindows("/usr//lib/../bin/./sh"), "Z:\\usr\\bin\\sh");
  // A sibling whose name only begins like C:'s folder is not on C:.
  std::string sibling = "Z:" + c_ + "x/file";
  for (char& ch : sibling) ch = ch == '/' ? '\\' : ch;
  EXPECT_EQ(m.ToWindows(c_ + "x/file"), sibling);
  EXPECT_EQ(m.ToWindows("relative/path"), std::nullopt);
  EXPECT_EQ(m.ToWindows("/odd\\name"), std::nullopt);

  EXPECT_EQ(m.FromOutside("/etc/hosts"), "Z:\\etc\\hosts");
  EXPECT_EQ(m.FromOutside("c:/Windows/../Program Files"), "C:\\Program Files");
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(m.FromOutside("sub/x.ini"), m.ToWindows(std::string(cwd) + "/sub/x.ini"));
}

TEST_F(PathMapping, ConcurrentLookupsAgree) {
  fs::create_directories(c_ + "/Shared/Deep");
  std::ofstream(c_ + "/Shared/Deep/File.bin") << "x";
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong, this] {
      for (int i = 0; i < 500; ++i) {
        auto h =
            Machine::Current().ToHost(i % 2 ? "C:\\shared\\DEEP\\file.BIN" : "C:\\SHARED\\deep");
        std::string want = c_ + (i % 2 ? "/Shared/Deep/File.bin" : "/Shared/Deep");
        if (h != want) ++wrong[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(MachineServices, ModuleNameMapsBackToTheRunningProgram) {
  test::TestMachine machine;
  std::string name = GetModuleFileName();
  ASSERT_EQ(name.rfind("Z:\\", 0), 0u) << name;
  char real[PATH_MAX];
  ASSERT_NE(realpath("/proc/self/exe", real), nullptr);
  EXPECT_EQ(Machine::Current().ToHost(name), std::string(real));
}

TEST(MachineServices, FoldersAndVersionFollowThePlatform) {
  {
    test::TestMachine nt("NT");
    EXPECT_EQ(GetWindowsDirectory(), "C:\\Windows");
    EXPECT_EQ(GetSystemDirectory(), "C:\\Windows\\System32");
    OsVersion v = GetVersionEx();
    EXPECT_EQ(v.platformId, kVerPlatformNT);
    EXPECT_EQ(v.major, 4u);
    EXPECT_EQ(v.minor, 0u);
    std::string programs = GetSpecialFolder(kCsidlPrograms);
    EXPECT_EQ(programs.rfind("C:\\Windows\\Profiles\\", 0), 0u) << programs;
    EXPECT_NE(programs.find(GetUserName()), std::string::npos);
  }
  {
    test::TestMachine w9x("9x");
    EXPECT_EQ(GetSystemDirectory(), "C:\\Windows\\System");
    OsVersion v = GetVersionEx();
    EXPECT_EQ(v.platformId, kVerPlatformWindows);
    EXPECT_EQ(v.minor, 10u);
    EXPECT_EQ(GetSpecialFolder(kCsidlPrograms), "C:\\Windows\\Start Menu\\Programs");
  }
}

TEST(MachineServices, ShellFoldersAndTempExistOnceAsked) {
  test::TestMachine machine;
  std::string temp = GetTempPath();
  EXPECT_EQ(temp, "C:\\Windows\\Temp\\");
  fs::remove_all(machine.Host("C:\\Windows\\Temp"));
  EXPECT_EQ(GetTempPath(), temp);
  EXPECT_TRUE(fs::is_directory(machine.Host("C:\\Windows\\Temp")));

  std::string startMenu = GetSpecialFolder(kCsidlStartMenu);
  for (int csidl : {kCsidlPrograms, kCsidlStartup, kCsidlStartMenu, kCsidlDesktopDirectory}) {
    std::string folder = GetSpecialFolder(csidl);
    ASSERT_FALSE(folder.empty()) << csidl;
    EXPECT_TRUE(fs::is_directory(machine.Host(folder))) << folder;
    if (csidl == kCsidlPrograms || csidl == kCsidlStartup) {
      EXPECT_EQ(folder.rfind(startMenu + "\\", 0), 0u) << folder;
    }
  }
  EXPECT_EQ(GetSpecialFolder(12345), "");
}

TEST(MachineServices, PaceAndTicks) {
  double saved = PaceFactor();
  SetPaceFactor(2.5);
  EXPECT_DOUBLE_EQ(PaceFactor(), 2.5);
  SetPaceFactor(-3);
  EXPECT_DOUBLE_EQ(PaceFactor(), 0.0);
  PacedWait(60000);  // scaled to nothing
  SetPaceFactor(saved);

  std::uint32_t before = GetTickCount();
  Sleep(20);
  EXPECT_GE(static_cast<std::uint32_t>(GetTickCount() - before), 20u);
}

struct ToolRun {
  int status = -1;
  std::string out;
};

// Runs the built vxmachine with a shell command line; standard error is left alone.
ToolRun Vxmachine(const std::string& args) {
  ToolRun r;
  std::string cmd = test::BinDir() + "/vxmachine " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class VxmachineTool : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(test::BinDir() + "/vxmachine")) GTEST_SKIP() << "vxmachine not built";
  }
  test::TestMachine machine_;
};

TEST_F(VxmachineTool, QueriesAndExportsTheRegistry) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyEx(kHkeyLocalMachine, "Software\\Vendor\\Product", "", kKeyAllAccess, &key),
            static_cast<std::int32_t>(kErrorSuccess));
  const char odd[] = "a|b\nline\n100%";
  RegSetValueEx(key, "Odd|Name", kRegSz, odd, sizeof odd);
  std::uint32_t count = 42;
  RegSetValueEx(key, "Count", kRegDword, &count, sizeof count);
  RegCloseKey(key);

  ToolRun r =
      Vxmachine("reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion' ProgramFilesDir");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "C:\\Program Files\n");
  r = Vxmachine("reg query 'HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product' count");
  EXPECT_EQ(r.out, "42\n");

  r = Vxmachine("reg query 'HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Odd%7CName|REG_SZ|a%7Cb%0Aline%0A100%25\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Count|REG_DWORD|42\n"), std::string::npos) << r.out;

  r = Vxmachine("reg export 'HKLM\\Software'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product|Count|REG_DWORD|42\n"),
            std::string::npos)
      << r.out;
  // The line ends where the value ends: a newline inside the data is escaped.
  EXPECT_EQ(r.out.find("line\n100"), std::string::npos);

  EXPECT_EQ(Vxmachine("reg query 'HKLM\\Software\\Missing'").status, 1);
  EXPECT_EQ(Vxmachine("reg query 'HKLM\\Software\\Vendor\\Product' Missing").status, 1);
  EXPECT_EQ(Vxmachine("reg export 'HKLM\\Software\\Missing'").status, 1);
  EXPECT_EQ(Vxmachine("reg query 'NOROOT\\Software'").status, 2);
  EXPECT_EQ(Vxmachine("reg frobnicate").status, 2);
  EXPECT_EQ(Vxmachine("").status, 2);
}

TEST_F(VxmachineTool, PathsInfoAndTheMachineOption) {
  ToolRun r = Vxmachine("path 'c:\\windows\\new.ini'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, machine_.Dir() + "/drive_c/Windows/new.ini\n");
  EXPECT_EQ(Vxmachine("path 'Q:\\x'").status, 1);
  EXPECT_EQ(Vxmachine("path").status, 2);

  r = Vxmachine("info");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Machine: " + machine_.Dir() + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Program Files: C:\\Program Files\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  C: fixed " + machine_.Dir() + "/drive_c\n"), std::string::npos);

  // --machine wins over $VX_MACHINE (which the test machine has set).
  FreshDir other;
  r = Vxmachine("--machine '" + other.Dir() + "' init");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(fs::exists(other.Dir() + "/machine.ini"));
  r = Vxmachine("--machine '" + other.Dir() + "' info");
  EXPECT_NE(r.out.find("Machine: " + other.Dir() + "\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace vx
