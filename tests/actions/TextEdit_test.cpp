#include "engine/actions/TextEdit.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "engine/actions/ActionLine.h"
#include "engine/actions/Catalogue.h"
#include "engine/actions/TextFile.h"
#include "engine/base/Flags.h"
#include "engine/base/RunJournal.h"
#include "platform/Files.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

constexpr const char* kFile = "C:\\Cfg\\autoexec.bat";

class TextEditTest : public ActionTest {
 protected:
  // What an earlier test's edits created is no file of this one's installation.
  TextEditTest() { Journal().Clear(); }
  void Put(const std::string& content) { machine.WriteFile(kFile, content); }
  std::string Get() { return machine.ReadFile(kFile); }
  // Code 5 on kFile: the fields behind the file name.
  void Edit(const std::string& fields) { EditTextFile(std::string(kFile) + " | " + fields); }
  void Undo(const std::string& fields) { UndoTextFileEdit(std::string(kFile) + " | " + fields); }
};

TEST_F(TextEditTest, InsertAtTheEndsOfTheFile) {
  Put("A\r\nB");
  Edit("| | X | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "A\r\nB\r\nX");
  Put("A\r\nB\r\n");
  Edit("| | X | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "A\r\nB\r\n\r\nX");
  Put("A\r\nB\r\n");
  Edit("| | X | | 0, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "X\r\nA\r\nB\r\n");
}

TEST_F(TextEditTest, InsertBeforeOrAfterAFoundLine) {
  const std::string base = "rem one\r\nset path=c:\\dos\r\nwin\r\n";
  struct Case {
    int position;
    const char* search;
    const char* expected;
  } cases[] = {
      {2, "SET PATH", "rem one\r\nX\r\nset path=c:\\dos\r\nwin\r\n"},
      {3, "set path", "rem one\r\nset path=c:\\dos\r\nX\r\nwin\r\n"},
      {4, "C:\\DOS", "rem one\r\nX\r\nset path=c:\\dos\r\nwin\r\n"},
      {5, "WIN", "rem one\r\nset path=c:\\dos\r\nwin\r\nX\r\n"},
      {7, "path=", "rem one\r\nX\r\nset path=c:\\dos\r\nwin\r\n"},
      {8, "one", "rem one\r\nX\r\nset path=c:\\dos\r\nwin\r\n"},
      {6, "one", "rem one\r\nset path=c:\\dos\r\nwin\r\n"},
      {9, "one", "rem one\r\nset path=c:\\dos\r\nwin\r\n"},
  };
  for (const Case& c : cases) {
    Put(base);
    Edit(std::string(c.search) + " | | X | | 0, " + std::to_string(c.position) + ", 0, 0, 0");
    EXPECT_EQ(Get(), c.expected) << "position " << c.position;
  }
}

TEST_F(TextEditTest, MissingLinePolicies) {
  Put("A\r\n");
  Edit("nothing | | X | Fallback | 0, 2, 0, 4, 0");
  EXPECT_EQ(Get(), "Fallback\r\nA\r\n");
  Edit("nothing | | X | Tail | 2, 0, 0, 5, 0");
  EXPECT_EQ(Get(), "Fallback\r\nA\r\n\r\nTail");
  Edit("nothing | | X | Ignored | 0, 2, 0, 0, 0");
  Edit("nothing | | X | Ignored | 0, 2, 0, 9, 0");
  Edit("nothing | | X | Ignored | 1, 0, 0, 5, 0");  // a delete that finds nothing does nothing
  EXPECT_EQ(Get(), "Fallback\r\nA\r\n\r\nTail");
  EXPECT_TRUE(ui->Shown().empty());

  Edit("nothing | | X | Just so you know | 0, 2, 0, 1, 0");
  EXPECT_FALSE(Stopped());
  ui->AddAnswer("no");
  Edit("nothing | | X | Stop now? | 0, 2, 0, 2, 0");
  EXPECT_FALSE(Stopped());
  ui->AddAnswer("yes");
  Edit("nothing | | X | Stop now? | 2, 0, 0, 2, 0");
  EXPECT_TRUE(Stopped());
  ResetRunFlags();
  Edit("nothing | | X | Cannot go on | 0, 7, 0, 3, 0");
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(ui->Shown(),
            (std::vector<std::string>{"Setup | Just so you know | ok", "Setup | Stop now? | no",
                                      "Setup | Stop now? | yes", "Setup | Cannot go on | ok"}));
  EXPECT_EQ(Get(), "Fallback\r\nA\r\n\r\nTail");
}

TEST_F(TextEditTest, AMissingFileInAFolderThatIsMissingIsNotCreated) {
  Edit("nothing | | X | REM added | 0, 2, 0, 5, 0");
  EXPECT_FALSE(FileOrFolderExists(kFile));
}

TEST_F(TextEditTest, AMissingFileIsCreatedForTheEdit) {
  machine.WriteFile("C:\\Cfg\\other.txt", "");
  Edit("nothing | | X | REM added | 0, 2, 0, 5, 0");
  // Lines appended to a file of the installation's own are complete, so the undo finds them.
  EXPECT_EQ(Get(), "REM added\r\n");
  Edit("| | REM last | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "REM added\r\nREM last\r\n");
  Undo("| | REM last | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "REM added\r\n");
}

TEST_F(TextEditTest, DeleteRemovesExactlyTheFirstMatchingLine) {
  Put("echo off\r\nSET PATH=C:\\DOS\r\nset path=again\r\n");
  Edit("set path | | | | 1, 2, 0, 0, 0");
  EXPECT_EQ(Get(), "echo off\r\nset path=again\r\n");
  Edit("OFF | | | | 1, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "set path=again\r\n");
  Edit("SET | | | | 1, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "");
}

TEST_F(TextEditTest, ALastLineWithoutLineEndIsNeverFound) {
  Put("first\r\nsecret");
  Edit("secret | | | | 1, 2, 0, 0, 0");
  Edit("secret | | x | | 2, 0, 0, 0, 0");
  Edit("secret | | X | F | 0, 3, 0, 4, 0");
  EXPECT_EQ(Get(), "F\r\nfirst\r\nsecret");
}

TEST_F(TextEditTest, ChangeModes) {
  struct Case {
    int mode;
    const char* second;
    const char* newText;
    const char* expected;
  } cases[] = {
      {0, "", "path x", "path x\r\nend\r\n"},
      {1, "c:\\old", "D:\\NEW", "path D:\\NEW;D:\\NEW\\bin\r\nend\r\n"},
      {2, "c:\\old", "X;", "path X;c:\\OLD;X;c:\\old\\bin\r\nend\r\n"},
      {3, "c:\\old", ";X", "path c:\\OLD;X;c:\\old;X\\bin\r\nend\r\n"},
      {4, "", ";c:\\new", "path c:\\OLD;c:\\old\\bin;c:\\new\r\nend\r\n"},
      {5, "C:\\OLD", "", "path ;\\bin\r\nend\r\n"},
      {6, "c:\\old", "X", "path c:\\OLD;c:\\old\\bin\r\nend\r\n"},
  };
  for (const Case& c : cases) {
    Put("path c:\\OLD;c:\\old\\bin\r\nend\r\n");
    Edit(std::string("PATH | ") + c.second + " | " + c.newText + " | | 2, 0, " +
         std::to_string(c.mode) + ", 0, 0");
    EXPECT_EQ(Get(), c.expected) << "mode " << c.mode;
  }
}

TEST_F(TextEditTest, ChangeToAnEmptyLineRemovesIt) {
  Put("a\r\nkill me\r\nb\r\n");
  Edit("kill | | | | 2, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "a\r\nb\r\n");
}

TEST_F(TextEditTest, UndoReversesInsertsAndChanges) {
  Put("path c:\\dos\r\nend\r\n");
  const std::string append = "path | | ;c:\\app | | 2, 0, 4, 0, 0";
  Edit(append);
  EXPECT_EQ(Get(), "path c:\\dos;c:\\app\r\nend\r\n");
  Undo(append);
  EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\n");

  const std::string replace = "path | c:\\dos | d:\\tools | | 2, 0, 1, 0, 0";
  Edit(replace);
  EXPECT_EQ(Get(), "path d:\\tools\r\nend\r\n");
  Undo(replace);
  EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\n");

  for (const char* mode : {"2", "3"}) {
    const std::string insert = std::string("path | c:\\dos | @ | | 2, 0, ") + mode + ", 0, 0";
    Edit(insert);
    EXPECT_NE(Get(), "path c:\\dos\r\nend\r\n");
    Undo(insert);
    EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\n") << "mode " << mode;
  }

  const std::string removal = "end | nd | | | 2, 0, 5, 0, 0";
  Edit(removal);
  EXPECT_EQ(Get(), "path c:\\dos\r\ne\r\n");
  Undo("e | nd | | | 2, 0, 5, 0, 0");
  EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\n");

  const std::string inserted = "end | | LOADHIGH mouse | | 0, 3, 0, 0, 0";
  Edit(inserted);
  EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\nLOADHIGH mouse\r\n");
  Undo(inserted);
  EXPECT_EQ(Get(), "path c:\\dos\r\nend\r\n");
}

TEST_F(TextEditTest, UndoLeavesHandEditedLinesAndNeverExpandsOrCreates) {
  Put("a\r\n");
  Edit("| | added {ProductName} | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "a\r\n\r\nadded Test App");
  Put("a\r\nnow ADDED by hand\r\n");
  Undo("| | added | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "a\r\nnow ADDED by hand\r\n");
  Put("added {ProductName}\r\nadded Test App\r\n");
  Undo("| | added {ProductName} | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "added Test App\r\n");
  Undo("| | x | | 1, 0, 0, 0, 0");  // deletes are not undone
  EXPECT_EQ(Get(), "added Test App\r\n");

  UndoTextFileEdit("C:\\Cfg\\never.txt | a | b | c | | 0, 0, 0, 0, 0");
  EXPECT_FALSE(FileOrFolderExists("C:\\Cfg\\never.txt"));
}

TEST_F(TextEditTest, UndoOfAnEmptyInsertedLineRemovesAnEmptyLineOnly) {
  Put("keep\r\n");
  Edit("| | | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "keep\r\n\r\n");
  Undo("| | | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "keep\r\n");
  Undo("| | | | 0, 1, 0, 0, 0");
  EXPECT_EQ(Get(), "keep\r\n");
}

TEST_F(TextEditTest, FewerNumbersCountAsZero) {
  Put("A\r\n");
  Edit("| | X | | 0");
  EXPECT_EQ(Get(), "X\r\nA\r\n");
  Edit("| | Y |");
  EXPECT_EQ(Get(), "Y\r\nX\r\nA\r\n");
}

TEST_F(TextEditTest, LoneCarriageReturnsAreDroppedFromTheTextButNotFromTheFile) {
  Put("A\rB\r\nC\r\n");
  TextFile file(kFile);
  std::string line;
  ASSERT_TRUE(file.ReadLine(line));
  EXPECT_EQ(line, "AB");
  Edit("ab | | | | 1, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "C\r\n");
}

TEST_F(TextEditTest, LongTailsMoveInChunksByteForByte) {
  std::string body;
  for (int i = 0; i < 3000; ++i) body += "line " + std::to_string(i) + " of the tail\r\n";
  ASSERT_GT(body.size(), 4 * TextFile::kShiftBuffer);
  Put("head\r\n" + body);
  Edit("head | | inserted | | 0, 3, 0, 0, 0");
  EXPECT_EQ(Get(), "head\r\ninserted\r\n" + body);
  Edit("inserted | | | | 1, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "head\r\n" + body);
  Edit("head | | a much longer first line than before | | 2, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "a much longer first line than before\r\n" + body);
  Edit("a much | | h | | 2, 0, 0, 0, 0");
  EXPECT_EQ(Get(), "h\r\n" + body);
}

TEST_F(TextEditTest, TextFileInsertsAtLineIndexes) {
  Put("A\r\nB\r\nC");
  {
    TextFile f(kFile);
    EXPECT_TRUE(f.InsertLine(2, "X"));
    EXPECT_TRUE(f.InsertLine(9, "Y"));  // past the complete lines: before the unterminated rest
    EXPECT_FALSE(f.InsertLine(-2, "Z"));
    std::string line;
    EXPECT_FALSE(f.ReplaceCurrentLine("no search yet"));
    EXPECT_EQ(f.FindEndingWith("x", line), 2);
    EXPECT_EQ(line, "X");
    EXPECT_TRUE(f.ReplaceCurrentLine("XX"));
  }
  EXPECT_EQ(Get(), "A\r\nB\r\nXX\r\nY\r\nC");
}

TEST_F(TextEditTest, AFailedWriteLeavesTheFileAsItWas) {
  std::string body(30000, 'x');
  body += "\r\nlast\r\n";
  Put(body);
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit tight = old;
  tight.rlim_cur = body.size() + 3;  // room for a few bytes, not for the new line
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  Edit("| | a line that does not fit | | 0, 0, 0, 0, 0");
  Edit("last | | a line that does not fit | | 0, 1, 0, 0, 0");
  Edit("last | | a longer last line | | 2, 0, 0, 0, 0");
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(Get(), body);
}

TEST_F(TextEditTest, AReadOnlyFileIsLeftAlone) {
  Put("A\r\n");
  SetFileAttributes(kFile, kAttrReadOnly);
  Edit("| | X | | 0, 0, 0, 0, 0");
  SetFileAttributes(kFile, kAttrNormal);
  EXPECT_EQ(Get(), "A\r\n");
}

TEST_F(TextEditTest, RunsThroughTheActionLineWithExpansion) {
  // The file name is expanded too: the missing file is created, the search finds nothing.
  machine.WriteFile("C:\\Cfg\\other.txt", "");
  RunActionLine("? | () | 5 | Edit | C:\\Cfg\\{ProductName}.ini | [boot] | | x | | 0, 3, 0, 0, 0");
  EXPECT_TRUE(FileOrFolderExists("C:\\Cfg\\Test App.ini"));
  EXPECT_EQ(machine.ReadFile("C:\\Cfg\\Test App.ini"), "");
  Put("[boot]\r\n");
  RunActionLine(
      "? | () | 5 | Edit | C:\\Cfg\\autoexec.bat | [BOOT] | | app={ProductName} | | 0, 3, 0, 0, 0");
  EXPECT_EQ(Get(), "[boot]\r\napp=Test App\r\n");
  RunUninstallActionLine(
      "? | () | 5 | Edit | C:\\Cfg\\autoexec.bat | [BOOT] | | app=Test App | | 0, 3, 0, 0, 0");
  EXPECT_EQ(Get(), "[boot]\r\n");
}

TEST(ReplaceEvery, RescansAndAlwaysEnds) {
  EXPECT_EQ(ReplaceEvery("path c:\\OLD;c:\\old\\bin", "c:\\old", "D:\\NEW"),
            "path D:\\NEW;D:\\NEW\\bin");
  // A replacement that makes a new occurrence with the text in front of it.
  EXPECT_EQ(ReplaceEvery("aab", "ab", "b"), "b");
  EXPECT_EQ(ReplaceEvery("xyz", "", "q"), "xyz");
  // A replacement holding the text is passed over.
  EXPECT_EQ(ReplaceEvery("c:\\old;C:\\OLD", "c:\\old", "c:\\old\\new"),
            "c:\\old\\new;c:\\old\\new");
  EXPECT_EQ(ReplaceEvery("aaa", "a", "A"), "AAA");
  // "ab" by "bba" keeps making occurrences and doubling the line: the bound ends it.
  std::string grown = ReplaceEvery(std::string(40, 'a') + "b", "ab", "bba");
  EXPECT_LE(grown.size(), 65536u + 3);
  EXPECT_GT(grown.size(), 1000u);
}

TEST(InsertAtEach, GoesOnBehindEachInsertion) {
  EXPECT_EQ(InsertAtEach("a-b-c", "-", "+", false), "a+-b+-c");
  EXPECT_EQ(InsertAtEach("a-b-c", "-", "-", true), "a--b--c");
  EXPECT_EQ(InsertAtEach("aaa", "A", "a", true), "aaaaaa");
  EXPECT_EQ(InsertAtEach("abc", "", "x", true), "abc");
}

TEST(ScanFiveNumbers, ReadsLikeScanf) {
  EXPECT_EQ(ScanFiveNumbers("1, 2, 3, 4, 5"), (std::array<int, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ScanFiveNumbers("1,2,3"), (std::array<int, 5>{1, 2, 3, 0, 0}));
  EXPECT_EQ(ScanFiveNumbers(" -1,\t2"), (std::array<int, 5>{-1, 2, 0, 0, 0}));
  EXPECT_EQ(ScanFiveNumbers("1 ,2"), (std::array<int, 5>{1, 0, 0, 0, 0}));
  EXPECT_EQ(ScanFiveNumbers("x"), (std::array<int, 5>{0, 0, 0, 0, 0}));
  EXPECT_EQ(ScanFiveNumbers("2, 0, 1, 0"), (std::array<int, 5>{2, 0, 1, 0, 0}));
}

}  // namespace
}  // namespace vx::test
