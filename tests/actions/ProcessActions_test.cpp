#include "engine/actions/ProcessActions.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/actions/ActionLine.h"
#include "engine/actions/Catalogue.h"
#include "engine/actions/CommandInterpreter.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

bool HostExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string HostRead(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ProcessActionsTest : public ActionTest {
 protected:
  std::string Child() const { return Built("vx_action_child"); }
  std::string HostFile(const std::string& name) const { return machine.Dir() + "/" + name; }
};

TEST(WaitPeriod, FieldsAsTheActionsReadThem) {
  std::uint32_t ms = 7;
  EXPECT_FALSE(WaitPeriod("0", &ms));
  ASSERT_TRUE(WaitPeriod("-1", &ms));
  EXPECT_EQ(ms, kInfinite);
  ASSERT_TRUE(WaitPeriod("2", &ms));
  EXPECT_EQ(ms, 2000u);
  ASSERT_TRUE(WaitPeriod(" 3s", &ms));
  EXPECT_EQ(ms, 3000u);
  // Not a number: the count stays -1, which makes -1000 ms taken unsigned.
  ASSERT_TRUE(WaitPeriod("abc", &ms));
  EXPECT_EQ(ms, 4294966296u);
  ASSERT_TRUE(WaitPeriod("", &ms));
  EXPECT_EQ(ms, 4294966296u);
}

TEST(ShowState, FieldsMapToWindowStates) {
  EXPECT_EQ(ShowStateFromField("0"), kSwHide);
  EXPECT_EQ(ShowStateFromField("1"), kSwShowNormal);
  EXPECT_EQ(ShowStateFromField("2"), kSwMinimize);
  EXPECT_EQ(ShowStateFromField("3"), kSwMaximize);
  EXPECT_EQ(ShowStateFromField("7"), kSwHide);
  EXPECT_EQ(ShowStateFromField(""), kSwHide);
}

TEST(ComposeCommandLine, RefusesWhatWouldNotFit) {
  std::string out = "unchanged";
  EXPECT_TRUE(ComposeCommandLine("%s %s", "prog", "", &out));
  EXPECT_EQ(out, "prog ");
  EXPECT_TRUE(ComposeCommandLine("Command.com /c %s", std::string(1008, 'x'), {}, &out));
  EXPECT_EQ(out.size(), 1023u);
  out = "unchanged";
  EXPECT_FALSE(ComposeCommandLine("Command.com /c %s", std::string(1009, 'x'), {}, &out));
  EXPECT_EQ(out, "unchanged");
}

TEST_F(ProcessActionsTest, StopHandOverIsReadAfterTheWaitAndDeleted) {
  RunActionLine("? | () | 7 | t | " + Child() +
                " | write-profile \"Tessaro Installer\" App stop | 0 | -1");
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(GetProfileString("Tessaro Installer", "App", "<gone>"), "<gone>");

  ResetRunFlags();
  RunActionLine("? | () | 7 | t | " + Child() +
                " | write-profile \"Tessaro Installer\" App later | 0 | -1");
  EXPECT_FALSE(Stopped());
  EXPECT_EQ(GetProfileString("Tessaro Installer", "App", "<gone>"), "<gone>");
}

TEST_F(ProcessActionsTest, NoWaitMeansNoHandOverCheck) {
  WriteProfileString("Tessaro Installer", "App", "STOP");
  RunActionLine("? | () | 7 | t | " + Child() + " | exit 0 | 0 | 0");
  EXPECT_FALSE(Stopped());
  EXPECT_EQ(GetProfileString("Tessaro Installer", "App", ""), "STOP");
}

TEST_F(ProcessActionsTest, AProgramThatDoesNotStartStillHasItsHandOverRead) {
  WriteProfileString("Tessaro Installer", "App", "Stop");
  RunActionLine("? | () | 7 | t | C:\\Missing\\nothing.exe | x | 0 | -1");
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(GetProfileString("Tessaro Installer", "App", "<gone>"), "<gone>");
}

TEST_F(ProcessActionsTest, ProgramCommandLineKeepsTheBlankAndTheShowState) {
  RunActionLine("? | () | 7 | t | " + Child() + " |  | 2 | -1");
  auto starts = RecentStarts();
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts.back().commandLine, Child() + " ");
  EXPECT_EQ(starts.back().showWindow, kSwMinimize);

  const std::string rec = HostFile("rec.txt");
  RunActionLine("? | () | 7 | t | " + Child() + " | record " + rec + " \"a b\" c | 3 | -1");
  EXPECT_EQ(HostRead(rec), "a b\nc\nshow=3\n");
}

TEST_F(ProcessActionsTest, WaitsEndWithTheChildOrTheTimeout) {
  const std::string early = HostFile("early");
  RunActionLine("? | () | 7 | t | " + Child() + " | sleep-then-touch 100 " + early + " | 0 | -1");
  EXPECT_TRUE(HostExists(early));

  // A one-second wait on a child that sleeps far longer returns before the child is done.
  const std::string late = HostFile("late");
  RunActionLine("? | () | 7 | t | " + Child() + " | sleep-then-touch 10000 " + late + " | 0 | 1");
  EXPECT_FALSE(HostExists(late));
}

TEST_F(ProcessActionsTest, PlatformWaitAndExitCode) {
  ProcessHandle h = kNoProcess;
  StartupInfo info;
  ASSERT_TRUE(CreateProcess(Child() + " sleep 3000", info, &h));
  EXPECT_EQ(WaitForSingleObject(h, 20), kWaitTimeout);
  std::uint32_t code = 0;
  ASSERT_TRUE(GetExitCodeProcess(h, &code));
  EXPECT_EQ(code, kStillActive);
  EXPECT_TRUE(CloseProcessHandle(h));  // left running, reaped later

  ASSERT_TRUE(CreateProcess(Child() + " exit 7", info, &h));
  EXPECT_EQ(WaitForSingleObject(h, kInfinite), kWaitObject0);
  ASSERT_TRUE(GetExitCodeProcess(h, &code));
  EXPECT_EQ(code, 7u);
  CloseProcessHandle(h);
  EXPECT_EQ(WaitForSingleObject(h, 0), kWaitFailed);

  EXPECT_FALSE(CreateProcess("C:\\none\\nothing.exe", info, &h));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(h, kNoProcess);
}

TEST_F(ProcessActionsTest, ChildrenDoNotInheritOpenFilesOrTheirShareLocks) {
  machine.WriteFile("C:\\Data\\locked.txt", "x");
  FileHandle file = CreateFile("C:\\Data\\locked.txt", kGenericRead | kGenericWrite, kShareNone,
                               Disposition::OpenExisting);
  ASSERT_NE(file, kInvalidHandle);
  ProcessHandle h = kNoProcess;
  ASSERT_TRUE(CreateProcess(Child() + " sleep 2000", StartupInfo{}, &h));
  CloseHandle(file);
  // The sleeping child must not keep the file busy.
  FileHandle again =
      CreateFile("C:\\Data\\locked.txt", kGenericWrite, kShareNone, Disposition::OpenExisting);
  EXPECT_NE(again, kInvalidHandle);
  if (again != kInvalidHandle) CloseHandle(again);
  CloseProcessHandle(h);
}

TEST_F(ProcessActionsTest, LongCommandLinesAreRefusedNotCut) {
  const std::string rec = HostFile("long.txt");
  std::string filler(1100, 'x');
  RunActionLine("? | () | 7 | t | " + Child() + " | record " + rec + " " + filler + " | 0 | -1");
  EXPECT_FALSE(HostExists(rec));

  ProcessHandle h = kNoProcess;
  EXPECT_FALSE(StartProgram(Child() + " " + std::string(1100, 'y'), StartupInfo{}, &h));
  EXPECT_EQ(GetLastError(), kErrorFilenameExcedRange);
}

TEST_F(ProcessActionsTest, ProgramsAreFoundInFoldersWithBlanksAndByBareName) {
  // A program in a folder with a blank, named without quotes and without ".exe".
  machine.WriteFile("C:\\Program Files\\Tool\\x.txt", "");
  std::string host = machine.Host("C:\\Program Files\\Tool") + "/run.exe";
  std::filesystem::copy_file(BinDir() + "/vx_action_child", host);
  const std::string rec = HostFile("blank.txt");
  RunActionLine("? | () | 7 | t | C:\\Program Files\\Tool\\run | record " + rec + " ok | 1 | -1");
  EXPECT_EQ(HostRead(rec), "ok\nshow=1\n");

  // A program written through the machine has no execute bit, as files on Windows have none.
  machine.WriteFile("C:\\Temp\\Fresh.exe", HostRead(BinDir() + "/vx_action_child"));
  const std::string fresh = HostFile("fresh.txt");
  RunActionLine("? | () | 7 | t | C:\\Temp\\Fresh.exe | record " + fresh + " yes | 0 | -1");
  EXPECT_EQ(HostRead(fresh), "yes\nshow=0\n");

  // A bare name is looked for in the running program's folder.
  EXPECT_EQ(SearchProgram("vx_action_child", ".exe"), Child());
  EXPECT_EQ(SearchProgram("no_such_program_here", ".exe"), "");
}

TEST_F(ProcessActionsTest, RunCommandGoesThroughTheMachinesInterpreter) {
  machine.WriteFile("C:\\Temp\\Work\\a.gif", "1");
  machine.WriteFile("C:\\Temp\\Work\\B.GIF", "2");
  machine.WriteFile("C:\\Temp\\Work\\keep.txt", "3");
  RunActionLine("? | If (1 == 1) | 6 | Remove image files | Del C:\\Temp\\Work\\*.gif | 7 | -1");
  EXPECT_FALSE(FileOrFolderExists("C:\\Temp\\Work\\a.gif"));
  EXPECT_FALSE(FileOrFolderExists("C:\\Temp\\Work\\B.GIF"));
  EXPECT_TRUE(FileOrFolderExists("C:\\Temp\\Work\\keep.txt"));
  auto starts = RecentStarts();
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts.back().commandLine, "Command.com /c Del C:\\Temp\\Work\\*.gif");
  EXPECT_EQ(starts.back().showWindow, kSwHide);
  EXPECT_EQ(starts.back().title, "Vx Installer");
}

TEST_F(ProcessActionsTest, OpenDocumentUsesTheHostOpener) {
  const std::string rec = HostFile("opened.txt");
  setenv("VX_OPEN_COMMAND", (BinDir() + "/vx_action_child").c_str(), 1);
  setenv("VX_TEST_RECORD", rec.c_str(), 1);
  machine.WriteFile("C:\\App\\Notes.htm", "<p>");
  RunActionLine("? | () | 8 | Read notes | C:\\app\\NOTES.htm | 1 | -1");
  EXPECT_EQ(HostRead(rec), machine.Host("C:\\App\\Notes.htm") + "\nshow=1\n");

  std::remove(rec.c_str());
  RunActionLine("? | () | 8 | t | C:\\App\\Missing.htm | 1 | -1");
  EXPECT_FALSE(HostExists(rec));

  setenv("VX_OPEN_COMMAND", "/nonexistent/opener", 1);
  RunActionLine("? | () | 8 | t | C:\\App\\Notes.htm | 1 | -1");
  EXPECT_FALSE(HostExists(rec));
  unsetenv("VX_OPEN_COMMAND");
  unsetenv("VX_TEST_RECORD");
}

TEST_F(ProcessActionsTest, LibraryCallsSetTheResultVariable) {
  const std::string lib = Built("VxTestLibrary.dll");
  RunActionLine("? | () | 9 | t | " + lib + " | ReturnsZero");
  EXPECT_EQ(DllCallSuccess(), "NO");
  RunActionLine("? | () | 9 | t | " + lib + " | ReturnsSeven");
  EXPECT_EQ(DllCallSuccess(), "YES");
  RunActionLine("? | () | 9 | t | VxTestLibrary | IsYes | no");  // bare name, ".dll" added
  EXPECT_EQ(DllCallSuccess(), "NO");
  RunActionLine("? | () | 9 | t | " + lib + " | IsYes | yes");
  EXPECT_EQ(DllCallSuccess(), "YES");
  RunActionLine("? | () | 9 | t | " + lib + " | NoSuchFunction");
  EXPECT_EQ(DllCallSuccess(), "YES");
  RunActionLine("? | () | 9 | t | " + lib + " |");
  RunActionLine("? | () | 9 | t |  | ReturnsZero");
  EXPECT_EQ(DllCallSuccess(), "YES");
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(ProcessActionsTest, ALibraryThatCannotLoadIsReportedUnderError) {
  machine.WriteFile("C:\\Bad\\broken.dll", "not a library");
  SetDllCallSuccess("NO");
  RunActionLine("? | () | 9 | t | C:\\Bad\\broken.dll | Anything");
  RunActionLine("? | () | 9 | t | C:\\Bad\\absent.dll | Anything");
  EXPECT_EQ(DllCallSuccess(), "NO");
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].starts_with("Error | ")) << shown[0];
  EXPECT_NE(shown[0].find("broken.dll"), std::string::npos) << shown[0];  // the loader's text
  EXPECT_EQ(shown[1], "Error | The specified module could not be found. | ok");
}

class PrivilegeCheckTest : public ProcessActionsTest {
 protected:
  void SetAdmin(bool admin) {
    std::ofstream ini(machine.Dir() + "/machine.ini", std::ios::binary | std::ios::trunc);
    ini << "[Machine]\r\nPlatform=NT\r\nUser=alice\r\nAdmin=" << (admin ? 1 : 0) << "\r\n";
    ini.close();
    Machine::SetCurrent(machine.Dir());
    FillFolderValues();
  }
};

TEST_F(PrivilegeCheckTest, ANonAdministratorIsAskedAndYesStops) {
  SetAdmin(false);
  ui->AddAnswer("yes");
  RunActionLine("? | If (1 == 1) | 1 | Check user privilege |");
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("the user \"alice\" does not have sufficient privilege"),
            std::string::npos)
      << shown[0];
  EXPECT_TRUE(shown[0].ends_with("| yes"));
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(GetProfileString("Tessaro Installer", "admin", "<gone>"), "<gone>");
  auto starts = RecentStarts();
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts.back().commandLine, "Halvik.exe App.inf");
  EXPECT_EQ(starts.back().showWindow, kSwHide);
}

TEST_F(PrivilegeCheckTest, NoKeepsGoingAndAnAdministratorIsNotAsked) {
  SetAdmin(false);
  ui->AddAnswer("no");
  CheckUserPrivilege("");
  EXPECT_FALSE(Stopped());
  EXPECT_EQ(ui->Shown().size(), 1u);

  SetAdmin(true);
  CheckUserPrivilege("");
  EXPECT_EQ(ui->Shown().size(), 1u);
  EXPECT_FALSE(Stopped());
}

TEST_F(PrivilegeCheckTest, OnlyNtRunsTheProbe) {
  SetAdmin(false);
  Folders().platformCode = 4;
  std::size_t before = RecentStarts().size();
  auto last = before ? RecentStarts().back().commandLine : "";
  CheckUserPrivilege("");
  EXPECT_TRUE(ui->Shown().empty());
  auto after = RecentStarts();
  EXPECT_EQ(after.empty() ? "" : after.back().commandLine, last);
}

TEST_F(ProcessActionsTest, ProbeProgramExitCodes) {
  StartupInfo info;
  ProcessHandle h = kNoProcess;
  std::uint32_t code = 99;
  ASSERT_TRUE(CreateProcess(Built("Halvik.exe"), info, &h));
  WaitForSingleObject(h, kInfinite);
  GetExitCodeProcess(h, &code);
  CloseProcessHandle(h);
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(GetProfileString("Tessaro Installer", "admin", "<none>"), "<none>");
}

}  // namespace
}  // namespace vx::test
