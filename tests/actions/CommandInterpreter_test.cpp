#include "engine/actions/CommandInterpreter.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Process.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

class InterpreterTest : public ActionTest {
 protected:
  std::uint32_t Run(const std::string& command, const std::string& cwd = "C:\\Work") {
    return RunCommandInterpreter("/c " + command, cwd, false);
  }
  bool Exists(const std::string& path) { return FileOrFolderExists(path); }
};

TEST_F(InterpreterTest, DelTakesWildcardsFoldersAndSparesReadOnlyFilesWithoutF) {
  machine.WriteFile("C:\\Work\\a.tmp", "");
  machine.WriteFile("C:\\Work\\b.TMP", "");
  machine.WriteFile("C:\\Work\\c.txt", "");
  machine.WriteFile("C:\\Work\\Sub\\d.tmp", "");
  EXPECT_EQ(Run("del *.tmp"), 0u);
  EXPECT_FALSE(Exists("C:\\Work\\a.tmp"));
  EXPECT_FALSE(Exists("C:\\Work\\b.TMP"));
  EXPECT_TRUE(Exists("C:\\Work\\c.txt"));
  EXPECT_TRUE(Exists("C:\\Work\\Sub\\d.tmp"));  // no recursion

  EXPECT_NE(Run("del *.none"), 0u);

  machine.WriteFile("C:\\Work\\ro.txt", "");
  SetFileAttributes("C:\\Work\\ro.txt", kAttrReadOnly);
  EXPECT_NE(Run("erase ro.txt"), 0u);
  EXPECT_TRUE(Exists("C:\\Work\\ro.txt"));
  EXPECT_EQ(Run("del /f /q ro.txt"), 0u);
  EXPECT_FALSE(Exists("C:\\Work\\ro.txt"));

  EXPECT_EQ(Run("del Sub"), 0u);  // a folder: its files
  EXPECT_FALSE(Exists("C:\\Work\\Sub\\d.tmp"));
  EXPECT_TRUE(Exists("C:\\Work\\Sub"));
}

TEST_F(InterpreterTest, CopyMoveAndRename) {
  machine.WriteFile("C:\\Work\\one.txt", "1");
  machine.WriteFile("C:\\Work\\two.txt", "22");
  machine.WriteFile("C:\\Dest\\keep", "");
  EXPECT_EQ(Run("copy *.txt C:\\Dest"), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Dest\\one.txt"), "1");
  EXPECT_EQ(machine.ReadFile("C:\\Dest\\two.txt"), "22");
  EXPECT_TRUE(Exists("C:\\Work\\one.txt"));

  EXPECT_EQ(Run("copy one.txt \"C:\\Dest\\with blank.txt\""), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Dest\\with blank.txt"), "1");
  EXPECT_NE(Run("copy *.txt C:\\Dest\\single.txt"), 0u);  // several onto one file
  EXPECT_NE(Run("copy one.txt one.txt"), 0u);

  EXPECT_EQ(Run("move two.txt C:\\Dest\\one.txt"), 0u);  // replaces
  EXPECT_FALSE(Exists("C:\\Work\\two.txt"));
  EXPECT_EQ(machine.ReadFile("C:\\Dest\\one.txt"), "22");

  EXPECT_EQ(Run("ren C:\\Dest\\one.txt uno.txt"), 0u);
  EXPECT_TRUE(Exists("C:\\Dest\\uno.txt"));
  EXPECT_NE(Run("ren C:\\Dest\\uno.txt C:\\Other\\x.txt"), 0u);  // a name only
  EXPECT_EQ(Run("ren C:\\Dest\\*.txt *.bak"), 0u);
  EXPECT_TRUE(Exists("C:\\Dest\\uno.bak"));
  EXPECT_TRUE(Exists("C:\\Dest\\with blank.bak"));
  EXPECT_FALSE(Exists("C:\\Dest\\two.txt"));
  EXPECT_TRUE(Exists("C:\\Dest\\two.bak"));
  EXPECT_NE(Run("ren C:\\Dest\\uno.bak two.bak"), 0u);  // would overwrite
  EXPECT_TRUE(Exists("C:\\Dest\\uno.bak"));
}

TEST_F(InterpreterTest, FoldersAreMadeWholeAndRemovedOnlyWhenAsked) {
  machine.WriteFile("C:\\Work\\x", "");
  EXPECT_EQ(Run("md New\\Deep\\Er"), 0u);
  EXPECT_TRUE(Exists("C:\\Work\\New\\Deep\\Er"));
  EXPECT_NE(Run("mkdir New"), 0u);
  machine.WriteFile("C:\\Work\\New\\Deep\\f.txt", "");
  EXPECT_NE(Run("rd New"), 0u);
  EXPECT_TRUE(Exists("C:\\Work\\New"));
  EXPECT_EQ(Run("rd /s /q New"), 0u);
  EXPECT_FALSE(Exists("C:\\Work\\New"));
  EXPECT_NE(Run("rd /s C:\\"), 0u);
  EXPECT_TRUE(Exists("C:\\Work\\x"));
}

TEST_F(InterpreterTest, EchoAndTypeWithRedirection) {
  machine.WriteFile("C:\\Work\\x", "");
  EXPECT_EQ(Run("echo first> out.txt"), 0u);
  EXPECT_EQ(Run("echo second >> out.txt"), 0u);
  EXPECT_EQ(Run("echo.>>out.txt"), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Work\\out.txt"), "first\r\nsecond \r\n\r\n");
  EXPECT_EQ(Run("type out.txt > copy.txt"), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Work\\copy.txt"), "first\r\nsecond \r\n\r\n");
  EXPECT_EQ(Run("echo > again.txt"), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Work\\again.txt"), "ECHO is on.\r\n");
  EXPECT_NE(Run("type missing.txt > t.txt"), 0u);
  EXPECT_NE(Run("echo x > Q:\\nowhere\\f.txt"), 0u);
}

TEST_F(InterpreterTest, CdChangesOnlyTheInterpretersFolder) {
  machine.WriteFile("C:\\Work\\Sub\\a.tmp", "");
  machine.WriteFile("C:\\Work\\b.tmp", "");
  std::string before = GetCurrentDirectory();
  EXPECT_EQ(Run("cd Sub & del *.tmp"), 0u);
  EXPECT_FALSE(Exists("C:\\Work\\Sub\\a.tmp"));
  EXPECT_TRUE(Exists("C:\\Work\\b.tmp"));
  EXPECT_EQ(GetCurrentDirectory(), before);
  // "&&" runs the second command only after the first succeeded.
  EXPECT_NE(Run("cd NoSuch && del *.tmp"), 0u);
  EXPECT_TRUE(Exists("C:\\Work\\b.tmp"));
  EXPECT_EQ(Run("cd Sub & cd.. & del b.tmp"), 0u);
  EXPECT_FALSE(Exists("C:\\Work\\b.tmp"));
}

TEST_F(InterpreterTest, AnythingElseRunsAsAProgram) {
  machine.WriteFile("C:\\Work\\x", "");
  const std::string child = Built("vx_action_child");
  EXPECT_EQ(Run(child + " exit 5"), 5u);
  EXPECT_EQ(Run("no_such_program_xyz"), 1u);
  const std::string rec = machine.Dir() + "/rec.txt";
  EXPECT_EQ(Run(child + " record " + rec + " a & echo done> d.txt"), 0u);
  EXPECT_EQ(machine.ReadFile("C:\\Work\\d.txt"), "done\r\n");
}

TEST_F(InterpreterTest, StartedAsAProcessItCanBeWaitedFor) {
  machine.WriteFile("C:\\Work\\gone.txt", "");
  StartupInfo info;
  info.currentDirectory = "C:\\Work";
  ProcessHandle h = kNoProcess;
  ASSERT_TRUE(StartProgram("COMMAND.COM /C del gone.txt", info, &h));
  EXPECT_EQ(WaitForSingleObject(h, kInfinite), kWaitObject0);
  std::uint32_t code = 9;
  GetExitCodeProcess(h, &code);
  CloseProcessHandle(h);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(Exists("C:\\Work\\gone.txt"));
  EXPECT_TRUE(IsCommandInterpreter("C:\\WINDOWS\\command.com"));
  EXPECT_TRUE(IsCommandInterpreter("cmd"));
  EXPECT_FALSE(IsCommandInterpreter("commando.exe"));
}

}  // namespace
}  // namespace vx::test
