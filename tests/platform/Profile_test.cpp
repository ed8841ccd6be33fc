#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/ProfileParse.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

std::string Get(std::string_view doc, std::string_view section, std::string_view key) {
  profile::Document d(doc.data(), doc.size());
  const profile::KeyLine* k = d.FindKey(section, key);
  return k ? std::string(k->value) : std::string("<missing>");
}

// ---- grammar -------------------------------------------------------------------------------

TEST(ProfileGrammar, BlanksQuotesCommentsAndStrayLines) {
  const std::string text =
      "orphan=before any section\r\n"
      "[Main]\r\n"
      "  Spaced Key  =   spaced value \t\r\n"
      "Quoted=\"  kept blanks  \"\r\n"
      "HalfQuoted=\"open only\r\n"
      "TwoPairs=\"a\" \"b\"\r\n"
      ";Comment=not a key\r\n"
      "   ;Indented=not a key either\r\n"
      "no equals sign here\r\n"
      "Empty=\r\n"
      "Equals=a=b=c\r\n";
  EXPECT_EQ(Get(text, "Main", "Spaced Key"), "spaced value");
  EXPECT_EQ(Get(text, "Main", "Quoted"), "  kept blanks  ");
  EXPECT_EQ(Get(text, "Main", "HalfQuoted"), "\"open only");
  EXPECT_EQ(Get(text, "Main", "TwoPairs"), "a\" \"b");  // only the outer pair goes
  // A comment reads only when asked for by its whole name, as on Windows.
  EXPECT_EQ(Get(text, "Main", ";Comment"), "not a key");
  EXPECT_EQ(Get(text, "Main", "Comment"), "<missing>");
  EXPECT_EQ(Get(text, "Main", ";Indented"), "not a key either");
  EXPECT_EQ(Get(text, "Main", "no equals sign here"), "<missing>");
  EXPECT_EQ(Get(text, "Main", "Empty"), "");
  EXPECT_EQ(Get(text, "Main", "Equals"), "a=b=c");
  EXPECT_EQ(Get(text, "", "orphan"), "before any section");
  profile::Document d(text.data(), text.size());
  EXPECT_EQ(d.SectionNames(), (std::vector<std::string>{"Main"}));
  EXPECT_EQ(d.KeyNames("Main").size(), 6u);  // neither comment is listed
}

TEST(ProfileGrammar, NamesIgnoreCaseAndFirstOneWins) {
  const std::string text =
      "[<GENERAL>]\r\nPRODUCTNAME=Upper\r\nproductname=Second\r\n"
      "[<general>]\r\nVendorName=Hidden in second section\r\nProductName=Hidden\r\n"
      "[ Spaced Section ]\r\nk=v\r\n";
  EXPECT_EQ(Get(text, "<General>", "ProductName"), "Upper");
  EXPECT_EQ(Get(text, "<general>", "productNAME"), "Upper");
  EXPECT_EQ(Get(text, "<General>", "VendorName"), "<missing>");
  EXPECT_EQ(Get(text, "Spaced Section", "K"), "v");

  profile::Document d(text.data(), text.size());
  EXPECT_EQ(d.SectionNames(), (std::vector<std::string>{"<GENERAL>", "Spaced Section"}));
  EXPECT_EQ(d.KeyNames("<General>"), (std::vector<std::string>{"PRODUCTNAME"}));
}

TEST(ProfileGrammar, LineEndsAndByteOrderMark) {
  const std::string text = "\xEF\xBB\xBF[A]\nlf=1\rcr=2\r\ncrlf=3\n\n[B]\r\nlast=no break";
  EXPECT_EQ(Get(text, "A", "lf"), "1");
  EXPECT_EQ(Get(text, "A", "cr"), "2");
  EXPECT_EQ(Get(text, "A", "crlf"), "3");
  EXPECT_EQ(Get(text, "B", "last"), "no break");
  // A header without its closing bracket names no section; one with "]" inside runs to the
  // last one.
  EXPECT_EQ(Get("[Open\r\nk=v\r\n", "Open", "k"), "<missing>");
  EXPECT_EQ(Get("[A]B]\r\nk=v\r\n", "A]B", "k"), "v");
  // Text after the closing bracket does not belong to the name.
  EXPECT_EQ(Get("[Name] trailing\r\nk=v\r\n", "Name", "k"), "v");
}

TEST(ProfileGrammar, IntegersTakeLeadingDigits) {
  EXPECT_EQ(profile::ParseInt("42"), 42);
  EXPECT_EQ(profile::ParseInt("-17 apples"), -17);
  EXPECT_EQ(profile::ParseInt("+8"), 8);
  EXPECT_EQ(profile::ParseInt("12abc"), 12);
  EXPECT_EQ(profile::ParseInt("abc"), 0);
  EXPECT_EQ(profile::ParseInt("-"), 0);
  // 32-bit arithmetic that wraps, and the prefixes of other bases.
  EXPECT_EQ(profile::ParseInt("4294967297"), 1);
  EXPECT_EQ(profile::ParseInt("2147483648"), -2147483647 - 1);
  EXPECT_EQ(profile::ParseInt("0x1f"), 31);
  EXPECT_EQ(profile::ParseInt("0o17"), 15);
  EXPECT_EQ(profile::ParseInt("0b101"), 5);
  EXPECT_EQ(profile::ParseInt("-0x10"), -16);
  EXPECT_EQ(profile::ParseInt("0x"), 0);
}

// ---- edits keep the rest of the text --------------------------------------------------------

TEST(ProfileEdit, ReplacingKeepsPlaceAndOtherBytes) {
  const std::string text = "; head\r\n[S]\r\n  A =  1 \r\nB=2\n\n[T]\r\nC=3";
  profile::Document d(text.data(), text.size());
  EXPECT_EQ(profile::SetValue(d, "s", "a", "new"), "; head\r\n[S]\r\nA=new\r\nB=2\n\n[T]\r\nC=3");
  EXPECT_EQ(profile::SetValue(d, "T", "c", "9"), "; head\r\n[S]\r\n  A =  1 \r\nB=2\n\n[T]\r\nC=9");
}

TEST(ProfileEdit, NewKeysGoToTheEndOfTheirSection) {
  const std::string text = "[S]\r\nA=1\r\n;note\r\n\r\n[T]\r\nC=3";
  profile::Document d(text.data(), text.size());
  // After the last non-blank line, before the blank line that separates the sections.
  EXPECT_EQ(profile::SetValue(d, "S", "B", "2"), "[S]\r\nA=1\r\n;note\r\nB=2\r\n\r\n[T]\r\nC=3");
  // The last line of the text has no line break: one is put before the new line.
  EXPECT_EQ(profile::SetValue(d, "T", "D", "4"), "[S]\r\nA=1\r\n;note\r\n\r\n[T]\r\nC=3\r\nD=4");
  EXPECT_EQ(profile::SetValue(d, "New", "K", "v"),
            "[S]\r\nA=1\r\n;note\r\n\r\n[T]\r\nC=3\r\n[New]\r\nK=v\r\n");

  const std::string empty;
  profile::Document e(empty.data(), empty.size());
  EXPECT_EQ(profile::SetValue(e, "S", "K", ""), "[S]\r\nK=\r\n");
}

TEST(ProfileEdit, ManyChangesInOnePassLeaveWhatSingleOnesLeave) {
  const std::string text = "[S]\r\nA=1\r\n\r\n[T]\r\nC=3";
  profile::Document d(text.data(), text.size());
  const std::vector<profile::Assignment> changes = {
      {"New", "K", "v"}, {"T", "D", "4"}, {"s", "a", "x"},   {"S", "B", "2"},
      {"t", "d", "5"},   {"S", "A", "y"}, {"new", "k", "w"}, {"T", "E", "6"}};
  std::string oneByOne = text;
  for (const auto& c : changes) {
    profile::Document step(oneByOne.data(), oneByOne.size());
    oneByOne = profile::SetValue(step, c.section, c.key, c.value);
  }
  EXPECT_EQ(oneByOne, "[S]\r\nA=y\r\nB=2\r\n\r\n[T]\r\nC=3\r\nD=5\r\nE=6\r\n[New]\r\nK=w\r\n");
  EXPECT_EQ(profile::SetValues(d, changes), oneByOne);
}

TEST(ProfileEdit, RemovalTakesTheLineThatReads) {
  const std::string text = "[S]\r\nA=1\r\nB=2\r\na=3\r\n[T]\r\nA=4\r\n[s]\r\nA=5\r\n";
  profile::Document d(text.data(), text.size());
  const std::string noKey = profile::RemoveKey(d, "S", "A");
  // As on Windows, a later line of the name then reads.
  EXPECT_EQ(noKey, "[S]\r\nB=2\r\na=3\r\n[T]\r\nA=4\r\n[s]\r\nA=5\r\n");
  EXPECT_EQ(Get(noKey, "S", "A"), "3");
  EXPECT_EQ(profile::RemoveSection(d, "S"), "[T]\r\nA=4\r\n");
  EXPECT_EQ(profile::RemoveKey(d, "S", "Missing"), text);
  EXPECT_EQ(profile::RemoveSection(d, "Missing"), text);
}

TEST(ProfileEdit, NamesThatCannotBeReadBackAreRefused) {
  EXPECT_TRUE(profile::IsValidSectionName("<General>"));
  EXPECT_FALSE(profile::IsValidSectionName("a]b"));
  EXPECT_FALSE(profile::IsValidSectionName("a\nb"));
  EXPECT_TRUE(profile::IsValidKeyName("Res40021"));
  EXPECT_FALSE(profile::IsValidKeyName("a=b"));
  EXPECT_FALSE(profile::IsValidKeyName(";x"));
  EXPECT_FALSE(profile::IsValidKeyName(" [x"));
  EXPECT_EQ(profile::FirstLine("one\r\ntwo"), "one");
}

// ---- the service on files -------------------------------------------------------------------

class ProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m.Host("C:\\Test")); }
  test::TestMachine m;
  const std::string ini = "C:\\Test\\settings.ini";
  std::string Host() const { return m.Host(ini); }
};

TEST_F(ProfileFiles, ReadsThroughTheBuffer) {
  const std::string big(1200, 'x');
  m.WriteFile(ini, "[<General>]\r\nLong=" + big +
                       "\r\nProductName=Demo\r\nNumber=-12x\r\n"
                       "Text=abc\r\nBlank=\r\n");
  EXPECT_EQ(GetPrivateProfileString("<General>", "Long", "", ini), std::string(1023, 'x'));
  EXPECT_EQ(GetPrivateProfileString("<General>", "Long", "", ini, 10), std::string(9, 'x'));
  EXPECT_EQ(GetPrivateProfileString("<GENERAL>", "PRODUCTNAME", "", ini), "Demo");
  EXPECT_EQ(GetPrivateProfileString("<general>", "productname", "", ini), "Demo");
  EXPECT_EQ(GetPrivateProfileString("<General>", "Missing", "dflt", ini), "dflt");
  EXPECT_EQ(GetPrivateProfileString("<General>", "Missing", " dflt  ", ini), " dflt");
  EXPECT_EQ(GetPrivateProfileString("Nope", "ProductName", "", ini), "");
  EXPECT_EQ(GetPrivateProfileString("<General>", "Missing", "long default", ini, 5), "long");
  EXPECT_EQ(GetPrivateProfileString("<General>", "ProductName", "d", "C:\\Test\\none.ini"), "d");

  EXPECT_EQ(GetPrivateProfileInt("<General>", "Number", 5, ini), -12);
  EXPECT_EQ(GetPrivateProfileInt("<General>", "Text", 5, ini), 0);
  EXPECT_EQ(GetPrivateProfileInt("<General>", "Missing", 5, ini), 5);
  EXPECT_EQ(GetPrivateProfileInt("<General>", "Blank", 5, ini), 5);
  EXPECT_EQ(GetPrivateProfileInt("<General>", "Number", 5, "C:\\Test\\none.ini"), 5);
}

TEST_F(ProfileFiles, WritesCreateReplaceAndRemove) {
  ASSERT_TRUE(WritePrivateProfileString("<General>", "ProductName", "Demo", ini));
  ASSERT_TRUE(WritePrivateProfileString("<General>", "Vendor", "Acme", ini));
  ASSERT_TRUE(WritePrivateProfileString("InstalledComponents", "nItems", "1", ini));
  ASSERT_TRUE(WritePrivateProfileString("<general>", "PRODUCTNAME", "Demo 2", ini));
  EXPECT_EQ(m.ReadFile(ini),
            "[<General>]\r\nProductName=Demo 2\r\nVendor=Acme\r\n[InstalledComponents]\r\n"
            "nItems=1\r\n");
  EXPECT_EQ(GetPrivateProfileString("<General>", "ProductName", "", ini), "Demo 2");

  ASSERT_TRUE(WritePrivateProfileString("<General>", "Vendor", nullptr, ini));
  EXPECT_EQ(GetPrivateProfileString("<General>", "Vendor", "gone", ini), "gone");
  ASSERT_TRUE(WritePrivateProfileString("InstalledComponents", nullptr, nullptr, ini));
  EXPECT_EQ(m.ReadFile(ini), "[<General>]\r\nProductName=Demo 2\r\n");
  EXPECT_EQ(GetProfileSectionNames(ini), std::vector<std::string>{"<General>"});

  // A value with a line break keeps its first line, so it cannot add lines to the file.
  ASSERT_TRUE(WritePrivateProfileString("<General>", "Multi", "one\r\n[Injected]\r\nx=1", ini));
  EXPECT_EQ(GetPrivateProfileString("<General>", "Multi", "", ini), "one");
  EXPECT_EQ(GetProfileSectionNames(ini), std::vector<std::string>{"<General>"});

  EXPECT_FALSE(WritePrivateProfileString("Bad]Name", "k", "v", ini));
  EXPECT_FALSE(WritePrivateProfileString("S", "k=v", "v", ini));
  EXPECT_TRUE(WritePrivateProfileString(nullptr, nullptr, nullptr, ini));  // flush
  EXPECT_EQ(GetProfileKeyNames("<general>", ini),
            (std::vector<std::string>{"ProductName", "Multi"}));

  // Several keys at once: all land, or none when one name is invalid.
  ASSERT_TRUE(WritePrivateProfileStrings("List", {{"0", "a"}, {"1", "b\r\nx=1"}, {"0", "c"}}, ini));
  EXPECT_EQ(GetProfileKeyNames("list", ini), (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(
      GetPrivateProfileString("List", "0", "", ini) + GetPrivateProfileString("List", "1", "", ini),
      "cb");
  EXPECT_FALSE(WritePrivateProfileStrings("List", {{"2", "d"}, {"k=v", "e"}}, ini));
  EXPECT_EQ(GetPrivateProfileString("List", "2", "none", ini), "none");
}

TEST_F(ProfileFiles, RemovingFromAMissingFileCreatesNothing) {
  EXPECT_TRUE(WritePrivateProfileString("S", "k", nullptr, ini));
  EXPECT_TRUE(WritePrivateProfileString("S", nullptr, nullptr, ini));
  EXPECT_FALSE(fs::exists(Host()));
  EXPECT_TRUE(WritePrivateProfileString("S", "k", nullptr, "C:\\Missing\\x.ini"));
  EXPECT_FALSE(fs::exists(m.Host("C:\\Missing")));
}

TEST_F(ProfileFiles, MissingFolderAndReadOnlyFileFail) {
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "C:\\No\\Such\\Folder\\x.ini"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs::exists(m.Host("C:\\No")));

  m.WriteFile(ini, "[S]\r\nk=old\r\n");
  ASSERT_EQ(chmod(Host().c_str(), 0444), 0);
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", ini));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(m.ReadFile(ini), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileFiles, ReplacementKeepsModeAndLinksAndLeavesNoTemporaryFile) {
  m.WriteFile(ini, "[S]\r\nk=1\r\n");
  ASSERT_EQ(chmod(Host().c_str(), 0640), 0);
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "2", ini));
  struct stat st;
  ASSERT_EQ(stat(Host().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(fs::path(Host()).parent_path())) {
    names.push_back(e.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"settings.ini"});

  // Writing through a symbolic link updates its target and keeps the link.
  const std::string target = m.Host("C:\\Test\\real.ini");
  const std::string link = m.Host("C:\\Test\\link.ini");
  m.WriteFile("C:\\Test\\real.ini", "[S]\r\nk=1\r\n");
  fs::create_symlink(target, link);
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "linked", "C:\\Test\\link.ini"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(m.ReadFile("C:\\Test\\real.ini"), "[S]\r\nk=linked\r\n");
}

TEST_F(ProfileFiles, EveryReadSeesTheFileAsItIsNow) {
  m.WriteFile(ini, "[S]\r\nk=1\r\n");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "1");
  // Rewritten in place at once: same size, same inode, likely the same time stamp.
  {
    std::fstream f(Host(), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(7);
    f.put('2');
  }
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "2");

  // A write by another process is seen by this one's next read.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = WritePrivateProfileString("S", "k", "from child", ini.c_str());
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "from child");

  // Deleted and recreated under another case of the name: still found.
  fs::remove(Host());
  EXPECT_EQ(GetPrivateProfileString("S", "k", "none", ini), "none");
  m.WriteFile("C:\\Test\\SETTINGS.INI", "[S]\r\nk=upper\r\n");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "upper");
}

TEST_F(ProfileFiles, PathsWithAFolderFollowTheCurrentDirectoryBareNamesTheWindowsFolder) {
  m.WriteFile("C:\\One\\rel.ini", "[S]\r\nk=one\r\n");
  m.WriteFile("C:\\Two\\rel.ini", "[S]\r\nk=two\r\n");
  m.WriteFile("C:\\Two\\sub\\rel.ini", "[S]\r\nk=sub\r\n");
  ASSERT_TRUE(SetCurrentDirectory("C:\\One"));
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ".\\rel.ini"), "one");
  ASSERT_TRUE(SetCurrentDirectory("C:\\Two"));
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ".\\rel.ini"), "two");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", "sub/rel.ini"), "sub");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "changed", ".\\rel.ini"));
  EXPECT_EQ(m.ReadFile("C:\\Two\\rel.ini"), "[S]\r\nk=changed\r\n");
  ASSERT_TRUE(SetCurrentDirectory("C:\\One"));
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ".\\rel.ini"), "one");
  // A bare name is the Windows folder's file wherever the current directory is.
  EXPECT_EQ(GetPrivateProfileString("S", "k", "none", "rel.ini"), "none");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "windows", "rel.ini"));
  EXPECT_EQ(m.ReadFile("C:\\Windows\\rel.ini"), "[S]\r\nk=windows\r\n");
  EXPECT_EQ(GetProfileKeyNames("S", "rel.ini"), std::vector<std::string>{"k"});
  EXPECT_EQ(m.ReadFile("C:\\One\\rel.ini"), "[S]\r\nk=one\r\n");
}

TEST_F(ProfileFiles, MachineReopenedWithOtherDrivesMapsAnew) {
  m.WriteFile(ini, "[S]\r\nk=first drive\r\n");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "first drive");
  {
    std::ofstream conf(m.Dir() + "/machine.ini", std::ios::binary | std::ios::trunc);
    conf << "[Machine]\r\nPlatform=NT\r\n[Drives]\r\nC=fixed,other_c\r\n";
  }
  Machine::SetCurrent(m.Dir());
  m.WriteFile(ini, "[S]\r\nk=second drive\r\n");
  EXPECT_NE(Host().find("other_c"), std::string::npos);
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", ini), "second drive");
}

TEST_F(ProfileFiles, PerUserProfileIsWinIniInTheWindowsFolder) {
  ASSERT_TRUE(WriteProfileString("Tessaro Installer", "admin", "NO"));
  EXPECT_EQ(GetPrivateProfileString("Tessaro Installer", "admin", "", "C:\\Windows\\win.ini"),
            "NO");
  EXPECT_EQ(GetProfileString("tessaro installer", "ADMIN", "YES"), "NO");
  ASSERT_TRUE(WriteProfileString("Tessaro Installer", "admin", nullptr));
  EXPECT_EQ(GetProfileString("Tessaro Installer", "admin", "YES"), "YES");
  EXPECT_EQ(GetProfileString("S", "k", std::string(300, 'd')), std::string(255, 'd'));
}

// ---- several writers ------------------------------------------------------------------------

void WriteSeries(const std::string& file, const std::string& prefix, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string key = prefix + std::to_string(i);
    if (!WritePrivateProfileString("Shared", key.c_str(), key.c_str(), file)) _exit(3);
  }
}

TEST_F(ProfileFiles, TwoProcessesWritingAtOnceBothLand) {
  m.WriteFile(ini, "[Shared]\r\n");
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (const char* prefix : {"first", "second"}) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) _exit(4);  // start together when the pipe closes
      WriteSeries(ini, prefix, 200);
      _exit(0);
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
  const std::vector<std::string> keys = GetProfileKeyNames("Shared", ini);
  EXPECT_EQ(keys.size(), 400u);
  for (const char* prefix : {"first", "second"}) {
    for (int i = 0; i < 200; ++i) {
      const std::string key = prefix + std::to_string(i);
      ASSERT_EQ(GetPrivateProfileString("Shared", key, "", ini), key);
    }
  }
}

TEST_F(ProfileFiles, TwoThreadsWritingAtOnceBothLand) {
  m.WriteFile(ini, "");
  std::vector<std::thread> threads;
  for (const char* prefix : {"left", "right"}) {
    threads.emplace_back([this, prefix] { WriteSeries(ini, prefix, 100); });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(GetProfileKeyNames("Shared", ini).size(), 200u);
}

// A record whose length and contents change with its number, with its checksum at the end.
std::string Record(int n) {
  std::string body = std::to_string(n) + ":";
  for (int i = 0; i < 400 + (n * 37) % 500; ++i)
    body.push_back(static_cast<char>('a' + (n + i) % 26));
  std::uint32_t sum = 0;
  for (unsigned char c : body) sum = sum * 31 + c;
  return body + ":" + std::to_string(sum);
}

TEST_F(ProfileFiles, KilledWriterLeavesTheOldOrANewCompleteFile) {
  std::string head = "[Padding]\r\n";
  for (int i = 0; i < 2000; ++i)
    head += "Key" + std::to_string(i) + "=value number " + std::to_string(i) + "\r\n";
  head += "[State]\r\nRecord=";
  const std::string tail = "\r\nAfter=end\r\n";
  m.WriteFile(ini, head + Record(0) + tail);

  for (int round = 0; round < 6; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(ready[0]);
      for (int n = 1;; ++n) {
        WritePrivateProfileString("State", "Record", Record(n).c_str(), ini);
        if (n == 3) close(ready[1]);
      }
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 0);
    close(ready[0]);
    usleep(1000 + round * 3000);
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);

    const std::string text = m.ReadFile(ini);
    ASSERT_GT(text.size(), head.size() + tail.size());
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << "round " << round;
    ASSERT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0) << "round " << round;
    const std::string record = text.substr(head.size(), text.size() - head.size() - tail.size());
    const int n = std::stoi(record);
    EXPECT_EQ(record, Record(n)) << "round " << round;
    EXPECT_EQ(GetPrivateProfileString("State", "Record", "", ini, 4096), Record(n));
    EXPECT_EQ(GetProfileKeyNames("Padding", ini).size(), 2000u);
  }
  // The file stays writable after the kills.
  ASSERT_TRUE(WritePrivateProfileString("State", "After", "still", ini));
  EXPECT_EQ(GetPrivateProfileString("State", "After", "", ini), "still");
}

}  // namespace
}  // namespace vx
