#include <gtest/gtest.h>

#include "engine/base/InstallRecord.h"
#include "engine/base/PathSet.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/RunJournal.h"
#include "engine/uninstall/Rollback.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

RecordParse Parse(const std::string& text) {
  return ParseRecord(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

using InstallRecordTest = CoreTest;

TEST_F(InstallRecordTest, LinesReadBackWithTheirEscapesAndACutLastLineIsLeftOut) {
  const RecordEntry value{
      RecordKind::Registry,
      {"HKEY_CURRENT_USER", "Software\\A", "v", "1", "1", std::string("t\tn\nr\rz\0b\\", 10)}};
  const RecordEntry file{RecordKind::File, {"C:\\A\\b.txt"}};
  std::string text = std::string(kRecordHeader) + FormatRecordLine(value) + FormatRecordLine(file);
  RecordParse whole = Parse(text);
  ASSERT_EQ(whole.status, RecordStatus::Ok);
  ASSERT_EQ(whole.entries.size(), 2u);
  EXPECT_EQ(whole.entries[0].fields, value.fields);
  EXPECT_EQ(whole.entries[1].fields, file.fields);

  RecordParse cut = Parse(text.substr(0, text.size() - 3));
  EXPECT_EQ(cut.status, RecordStatus::Ok);
  EXPECT_TRUE(cut.cutShort);
  EXPECT_EQ(cut.entries.size(), 1u);

  // Damaged lines are counted and skipped; the others stay.
  RecordParse damaged =
      Parse(std::string(kRecordHeader) + "X\tq\nF\ta\tb\nF\tbad\\q\n" + FormatRecordLine(file));
  EXPECT_EQ(damaged.status, RecordStatus::DamagedLines);
  EXPECT_EQ(damaged.damagedLines, 3u);
  EXPECT_EQ(damaged.entries.size(), 1u);
  EXPECT_EQ(Parse("F\tC:\\x\n").status, RecordStatus::NoHeader);
  EXPECT_EQ(FormatRecordLine({RecordKind::Saved, {"only one"}}), "");
}

TEST_F(InstallRecordTest, AnAppendAfterACutLineStartsOnALineOfItsOwn) {
  machine.WriteFile("C:\\r.record", std::string(kRecordHeader) + "F\tC:\\\\half");
  ASSERT_TRUE(AppendRecordFile("C:\\r.record", {{RecordKind::Folder, {"C:\\D"}}}));
  RecordParse parse = ReadRecordFile("C:\\r.record");
  ASSERT_EQ(parse.entries.size(), 2u);
  EXPECT_EQ(parse.entries[0][0], "C:\\half");
  EXPECT_EQ(parse.entries[1].kind, RecordKind::Folder);
}

TEST_F(InstallRecordTest, PathSetsFindPathsWithoutRegardToCaseAndListsKeepTheirOrder) {
  PathList list;
  for (int i = 0; i < 5000; ++i) list.Add("C:\\App\\f" + std::to_string(i) + ".txt");
  list.Add("c:\\APP\\F7.TXT");  // already there in other case
  EXPECT_TRUE(list.Has("C:\\app\\F4999.txt"));
  EXPECT_FALSE(list.Has("C:\\App\\f5000.txt"));
  EXPECT_FALSE(list.Has("C:\\App\\f49.tx"));
  const std::vector<std::string> paths = list.Paths();
  ASSERT_EQ(paths.size(), 5000u);
  EXPECT_EQ(paths[7], "C:\\App\\f7.txt");
  EXPECT_EQ(paths.back(), "C:\\App\\f4999.txt");
  EXPECT_NE(DigestOfPath("C:\\a"), DigestOfPath("C:\\b"));
  EXPECT_EQ(DigestOfPath("C:\\a"), DigestOfPath("c:\\A"));
}

// The journal gives its entries back from its file, whole and in order, however many there
// are; entries noted after that still go at the end.
TEST_F(InstallRecordTest, AJournalReadsItsEntriesBackFromItsFile) {
  machine.WriteFile("C:\\Temp\\P.inf", "");
  RunJournal journal;
  ASSERT_TRUE(journal.Open(JournalFile("C:\\Temp\\P.inf"), SavedCopiesFolder("C:\\Temp\\P.inf")));
  EXPECT_TRUE(journal.Empty());
  constexpr int kFiles = 4000;  // more than one piece of the file
  for (int i = 0; i < kFiles; ++i)
    ASSERT_TRUE(journal.BeforeWrite("C:\\App\\Sub\\file" + std::to_string(i) + ".txt"));
  EXPECT_EQ(journal.Entries().size(), kFiles + 2u);  // with the two folders
  ASSERT_TRUE(journal.BeforeWrite("C:\\App\\last.txt"));
  const std::vector<RecordEntry> entries = journal.Entries();
  ASSERT_EQ(entries.size(), kFiles + 3u);
  EXPECT_EQ(entries[0][0], "C:\\App");
  EXPECT_EQ(entries[2][0], "C:\\App\\Sub\\file0.txt");
  EXPECT_EQ(entries.back()[0], "C:\\App\\last.txt");
  EXPECT_TRUE(journal.Created("c:\\app\\SUB\\FILE3999.TXT"));
  EXPECT_EQ(journal.CreatedFolders(), (std::vector<std::string>{"C:\\App\\Sub", "C:\\App"}));
  journal.Discard();
  EXPECT_TRUE(journal.Empty());
  EXPECT_FALSE(FileOrFolderExists(JournalFile("C:\\Temp\\P.inf")));
}

// A run noted in its journal and killed: the next run's rollback, read from the file alone,
// puts back the user's file and values and takes away what the run made.
TEST_F(InstallRecordTest, AKilledRunsJournalIsRolledBackFromTheFile) {
  machine.WriteFile("C:\\App\\user.txt", "the user's");
  machine.WriteFile("C:\\Temp\\P.inf", "");
  WritePrivateProfileString("Paths", "DataDir", "D:\\Mine", "C:\\Windows\\app.ini");
  WriteRegistryString(kHkeyCurrentUser, "Software\\Mine", "Kept", "mine");
  {
    RunJournal journal;
    ASSERT_TRUE(journal.Open(JournalFile("C:\\Temp\\P.inf"), SavedCopiesFolder("C:\\Temp\\P.inf")));
    ASSERT_TRUE(journal.BeforeWrite("C:\\App\\user.txt"));
    ASSERT_TRUE(journal.BeforeWrite("C:\\App\\New\\made.txt"));
    ASSERT_TRUE(journal.BeforeIniWrite("C:\\Windows\\app.ini", "Paths", "DataDir"));
    ASSERT_TRUE(journal.BeforeRegistryWrite(kHkeyCurrentUser, "Software\\Mine", "Kept"));
    ASSERT_TRUE(journal.BeforeRegistryWrite(kHkeyCurrentUser, "Software\\New\\Deep", "V"));
    // The journal object dies with the run; its file stays.
  }
  machine.WriteFile("C:\\App\\user.txt", "the product's");
  machine.WriteFile("C:\\App\\New\\made.txt", "made");
  WritePrivateProfileString("Paths", "DataDir", "C:\\Product", "C:\\Windows\\app.ini");
  WriteRegistryString(kHkeyCurrentUser, "Software\\Mine", "Kept", "overwritten");
  WriteRegistryString(kHkeyCurrentUser, "Software\\New\\Deep", "V", "new");

  ASSERT_TRUE(FinishKilledRun("C:\\Temp\\P.inf"));
  EXPECT_EQ(machine.ReadFile("C:\\App\\user.txt"), "the user's");
  EXPECT_FALSE(FileOrFolderExists("C:\\App\\New"));
  EXPECT_EQ(GetPrivateProfileString("Paths", "DataDir", "", "C:\\Windows\\app.ini"), "D:\\Mine");
  std::string kept;
  ReadRegistryString(kHkeyCurrentUser, "Software\\Mine", "Kept", kept);
  EXPECT_EQ(kept, "mine");
  HKEY h = 0;
  EXPECT_NE(RegOpenKeyEx(kHkeyCurrentUser, "Software\\New", kKeyRead, &h), 0);
  // Journal and copies are gone; a second look finds nothing to finish.
  EXPECT_FALSE(FileOrFolderExists(JournalFile("C:\\Temp\\P.inf")));
  EXPECT_FALSE(FileOrFolderExists("C:\\Temp\\P.inf.saved"));
  EXPECT_FALSE(FinishKilledRun("C:\\Temp\\P.inf"));
}

}  // namespace
}  // namespace vx::test
