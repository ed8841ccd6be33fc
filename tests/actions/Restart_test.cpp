#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>

#include "engine/actions/ActionLine.h"
#include "engine/actions/RestartSchedule.h"
#include "engine/base/Flags.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

std::string NtQueueBytes() {
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyRead, &key) != kErrorSuccess) {
    return "<none>";
  }
  std::string data(4096, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(data.size()), type = 0;
  std::int32_t r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
  RegCloseKey(key);
  if (r != kErrorSuccess) return "<none>";
  EXPECT_EQ(type, kRegMultiSz);
  data.resize(size);
  return data;
}

class Restart9xTest : public ActionTest {
 protected:
  Restart9xTest() : ActionTest("9x") {}
  std::string Wininit() { return machine.ReadFile("C:\\Windows\\Wininit.ini"); }
};

class RestartNtTest : public ActionTest {};

TEST_F(Restart9xTest, ANewWininitStartsWithItsSection) {
  ScheduleAtRestart({"C:\\Tmp\\a", "C:\\Tmp\\b"}, "");
  EXPECT_EQ(Wininit(), "[Rename]\r\nNUL=C:\\Tmp\\a\r\nNUL=C:\\Tmp\\b");
  ScheduleAtRestart({"C:\\Tmp\\Main.dll"}, "C:\\App\\Main.dll");
  EXPECT_EQ(Wininit(),
            "[Rename]\r\nNUL=C:\\Tmp\\a\r\nNUL=C:\\Tmp\\b\r\nC:\\App\\Main.dll=C:\\Tmp\\Main.dll");
  EXPECT_EQ(NtQueueBytes(), "<none>");
}

TEST_F(Restart9xTest, LinesBehindAnotherSectionStillLandUnderRename) {
  machine.WriteFile("C:\\Windows\\Wininit.ini", "[Rename]\r\nNUL=C:\\old\r\n[Other]\r\nx=y\r\n");
  ScheduleAtRestart({"C:\\Tmp\\c"}, "");
  EXPECT_EQ(Wininit(),
            "[Rename]\r\nNUL=C:\\old\r\n[Other]\r\nx=y\r\n\r\n[Rename]\r\nNUL=C:\\Tmp\\c");
  auto ops = ListPendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].source, "C:\\old");
  EXPECT_EQ(ops[1].source, "C:\\Tmp\\c");
  EXPECT_TRUE(ops[1].target.empty());
  EXPECT_TRUE(ops[1].fromWininit);
}

TEST_F(Restart9xTest, AnExistingRenameSectionAtTheEndIsAppendedTo) {
  machine.WriteFile("C:\\Windows\\Wininit.ini", "[rename]\r\nNUL=C:\\old");
  ScheduleAtRestart({"C:\\Tmp\\d"}, "");
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\old\r\nNUL=C:\\Tmp\\d");
  ScheduleAtRestart({}, "");
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\old\r\nNUL=C:\\Tmp\\d");
}

TEST_F(Restart9xTest, BootAppliesTheLinesInOrderAndKeepsTheFileAsBak) {
  machine.WriteFile("C:\\Tmp\\new.dll", "new");
  machine.WriteFile("C:\\App\\Main.dll", "old");
  machine.WriteFile("C:\\Tmp\\junk", "");
  ScheduleAtRestart({"C:\\Tmp\\new.dll"}, "C:\\App\\Main.dll");
  ScheduleAtRestart({"C:\\Tmp\\junk", "C:\\Tmp\\absent"}, "");
  BootReport report = ApplyPendingOperations();
  // A deletion whose file is already gone has nothing left to do and is no failure.
  EXPECT_EQ(report.applied, 3);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(machine.ReadFile("C:\\App\\Main.dll"), "new");
  EXPECT_FALSE(FileOrFolderExists("C:\\Tmp\\new.dll"));
  EXPECT_FALSE(FileOrFolderExists("C:\\Tmp\\junk"));
  EXPECT_FALSE(FileOrFolderExists("C:\\Windows\\Wininit.ini"));
  EXPECT_TRUE(FileOrFolderExists("C:\\Windows\\Wininit.bak"));
  EXPECT_TRUE(ListPendingOperations().empty());
}

TEST_F(RestartNtTest, TheQueueIsTheSessionManagersMultiString) {
  ScheduleAtRestart({"C:\\Tmp\\Main.dll"}, "C:\\App\\Main.dll");
  ScheduleAtRestart({"C:\\Tmp\\a", "C:\\Tmp\\b"}, "");
  using namespace std::string_literals;
  EXPECT_EQ(NtQueueBytes(),
            "\\??\\C:\\Tmp\\Main.dll\0!\\??\\C:\\App\\Main.dll\0"
            "\\??\\C:\\Tmp\\a\0\0\\??\\C:\\Tmp\\b\0\0\0"s);
  auto ops = ListPendingOperations();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].source, "C:\\Tmp\\Main.dll");
  EXPECT_EQ(ops[0].target, "C:\\App\\Main.dll");
  EXPECT_TRUE(ops[0].replace);
  EXPECT_EQ(ops[1].source, "C:\\Tmp\\a");
  EXPECT_EQ(ops[1].target, "");
  EXPECT_EQ(ops[2].source, "C:\\Tmp\\b");
  EXPECT_FALSE(FileOrFolderExists("C:\\Windows\\Wininit.ini"));
}

TEST_F(RestartNtTest, BootAppliesInOrderAndClearsTheQueueAndTheRestartRequest) {
  machine.WriteFile("C:\\Tmp\\stage", "v2");
  machine.WriteFile("C:\\App\\lib.dll", "v1");
  machine.WriteFile("C:\\Tmp\\second", "s");
  machine.WriteFile("C:\\Tmp\\EmptyDir\\x", "");
  // Order matters: the staged file moves, then the folder's content and the folder go.
  ScheduleAtRestart({"C:\\Tmp\\stage"}, "C:\\App\\lib.dll");
  ScheduleAtRestart({"C:\\Tmp\\EmptyDir\\x", "C:\\Tmp\\EmptyDir"}, "");
  // Without leave to replace, an existing target stays.
  ASSERT_TRUE(MoveFileEx("C:\\Tmp\\second", "C:\\App\\lib.dll", kMoveFileDelayUntilReboot));
  RunActionLine("? | () | 16 | Reboot computer |");
  EXPECT_TRUE(RestartRequested());

  BootReport report = ApplyPendingOperations();
  EXPECT_EQ(report.applied, 3);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_NE(report.failures[0].find("target exists"), std::string::npos);
  EXPECT_EQ(machine.ReadFile("C:\\App\\lib.dll"), "v2");
  EXPECT_FALSE(FileOrFolderExists("C:\\Tmp\\EmptyDir"));
  EXPECT_TRUE(FileOrFolderExists("C:\\Tmp\\second"));
  EXPECT_EQ(NtQueueBytes(), "<none>");
  EXPECT_FALSE(RestartRequested());
}

TEST_F(RestartNtTest, MoveWithoutDelayHappensNow) {
  machine.WriteFile("C:\\A\\f", "1");
  machine.WriteFile("C:\\B\\f", "2");
  EXPECT_FALSE(MoveFileEx("C:\\A\\f", "C:\\B\\f", 0));
  EXPECT_TRUE(MoveFileEx("C:\\A\\f", "C:\\B\\f", kMoveFileReplaceExisting));
  EXPECT_EQ(machine.ReadFile("C:\\B\\f"), "1");
  EXPECT_TRUE(MoveFileEx("C:\\B\\f", "", 0));
  EXPECT_FALSE(FileOrFolderExists("C:\\B\\f"));
  EXPECT_EQ(NtQueueBytes(), "<none>");
}

TEST_F(RestartNtTest, RestartActionRecordsTheEventAndLowersThePendingFlag) {
  Flags().restartPending = true;
  RunActionLine("? | If (1 == 1) | 16 | Reboot... | Reboot computer");
  EXPECT_FALSE(Flags().restartPending.load());
  EXPECT_TRUE(RestartRequested());
  EXPECT_TRUE(ui->Shown().empty());
  ClearRestartRequest();
  EXPECT_FALSE(RestartRequested());
}

// The command line of the machine tool, when it is built.
std::string RunTool(const std::string& args, int* status) {
  std::string cmd = BinDir() + "/vxmachine " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  int st = p ? pclose(p) : -1;
  *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

TEST_F(RestartNtTest, MachineToolListsAndAppliesTheQueue) {
  struct stat st;
  if (stat((BinDir() + "/vxmachine").c_str(), &st) != 0) GTEST_SKIP() << "vxmachine not built";
  machine.WriteFile("C:\\Tmp\\stage", "v2");
  machine.WriteFile("C:\\App\\lib.dll", "v1");
  machine.WriteFile("C:\\Tmp\\junk", "");
  ScheduleAtRestart({"C:\\Tmp\\stage"}, "C:\\App\\lib.dll");
  ScheduleAtRestart({"C:\\Tmp\\junk"}, "");
  int status = -1;
  std::string listed = RunTool("--machine " + machine.Dir() + " pending", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(listed.find("C:\\Tmp\\stage -> C:\\App\\lib.dll"), std::string::npos) << listed;
  EXPECT_NE(listed.find("C:\\Tmp\\junk"), std::string::npos) << listed;
  EXPECT_LT(listed.find("stage"), listed.find("junk"));

  std::string booted = RunTool("--machine " + machine.Dir() + " boot", &status);
  EXPECT_EQ(status, 0) << booted;
  EXPECT_EQ(machine.ReadFile("C:\\App\\lib.dll"), "v2");
  EXPECT_FALSE(FileOrFolderExists("C:\\Tmp\\junk"));
  EXPECT_TRUE(ListPendingOperations().empty());
  std::string empty = RunTool("--machine " + machine.Dir() + " pending", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(empty.find("C:\\Tmp"), std::string::npos) << empty;
}

}  // namespace
}  // namespace vx::test
