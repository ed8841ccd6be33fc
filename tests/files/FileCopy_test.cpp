#include "engine/files/FileCopy.h"

#include <gtest/gtest.h>

#include "platform/RestartQueue.h"
#include "platform/WinPath.h"
#include "tests/files/ReaderFixture.h"

extern "C" std::uint32_t GetFileSize(const char* path);

namespace vx::test {
namespace {

constexpr std::uint64_t kSecond = 10'000'000;
constexpr std::uint64_t kDay = 86'400 * kSecond;

class CopyChecks : public ReaderFixture {
 protected:
  // An existing file at `path` with the given write time.
  void Place(const std::string& path, const std::string& content, std::uint64_t ticks,
             bool readOnly = false) {
    m_.WriteFile(path, content);
    FileHandle h = CreateFile(path, kGenericWrite, kShareNone, Disposition::OpenExisting);
    ASSERT_NE(h, kInvalidHandle);
    FileTime t{ticks};
    ASSERT_TRUE(SetFileTime(h, &t, &t, &t));
    CloseHandle(h);
    if (readOnly) {
      ASSERT_TRUE(SetFileAttributes(path, kAttrReadOnly));
    }
  }

  // A compressed package with one record per (component, item, content), all at kSampleTime.
  void OpenPackage(const std::vector<std::tuple<int, int, std::string>>& records) {
    PackageImage image(true);
    for (auto& [c, i, content] : records) image.Add(c, i, content);
    ASSERT_EQ(Open(image, image.SelfExtractor({})), StartupOpen::Opened);
  }

  bool ReadOnly(const std::string& path) const {
    std::uint32_t a = GetFileAttributes(path);
    return a != kInvalidAttributes && (a & kAttrReadOnly) != 0;
  }

  // The queued replacements (source, target) of the machine.
  std::vector<std::pair<std::string, std::string>> Queued() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const PendingOperation& op : ListPendingOperations())
      out.emplace_back(op.source, op.target);
    return out;
  }
};

TEST_F(CopyChecks, ReadOnlyYesToAllOverwritesEveryLaterFileWithoutAsking) {
  OpenPackage({{0, 0, "new a"}, {0, 1, "new b"}, {1, 0, "new c"}});
  for (const char* name : {"a", "b", "c"}) {
    Place(std::string("C:\\App\\") + name, "old", kSampleTime - kDay, true);
  }
  ui_->AddAnswer("yes-all");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\a", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\b", false));
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\c", false));
  for (const char* name : {"a", "b", "c"}) {
    std::string path = std::string("C:\\App\\") + name;
    EXPECT_EQ(Read(path), std::string("new ") + name);
    EXPECT_FALSE(ReadOnly(path));
  }
  ASSERT_EQ(ui_->Shown().size(), 1u);
  EXPECT_NE(ui_->Shown()[0].find("The file \"C:\\App\\a\" with read-only attribute already "
                                 "exists on your computer. Do you want to overwrite it anyway?"),
            std::string::npos);
  EXPECT_EQ(Answers().readOnly, 1);
}

TEST_F(CopyChecks, NewerFileNoToAllSkipsSilentlyForLaterComponents) {
  OpenPackage({{0, 0, "new a"}, {0, 1, "new b"}, {0, 2, "new fresh"}, {1, 0, "new c"}});
  Place("C:\\App\\a", "newer a", kSampleTime + kDay);
  Place("C:\\App\\b", "newer b", kSampleTime + 2 * kSecond);
  Place("C:\\App\\c", "newer c", kSampleTime + kDay);
  ui_->AddAnswer("no-all");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\a", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\b", false));
  // A skipped record leaves the package at the next one.
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\fresh", false));
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\c", false));
  EXPECT_EQ(Read("C:\\App\\a"), "newer a");
  EXPECT_EQ(Read("C:\\App\\b"), "newer b");
  EXPECT_EQ(Read("C:\\App\\c"), "newer c");
  EXPECT_EQ(Read("C:\\App\\fresh"), "new fresh");
  ASSERT_EQ(ui_->Shown().size(), 1u);
  EXPECT_NE(ui_->Shown()[0].find("A newer version of \"C:\\App\\a\" already exists on your "
                                 "computer. Do you want to replace it with an older version?"),
            std::string::npos);
  EXPECT_EQ(Answers().newerFile, 3);
}

TEST_F(CopyChecks, SameSecondIsNotNewer) {
  OpenPackage({{0, 0, "new a"}, {0, 1, "new b"}});
  Place("C:\\App\\a", "old", kSampleTime);
  Place("C:\\App\\b", "old", kSampleTime + kSecond - 1);  // later, but in the same second
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\a", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\b", false));
  EXPECT_EQ(Read("C:\\App\\a"), "new a");
  EXPECT_EQ(Read("C:\\App\\b"), "new b");
  EXPECT_TRUE(ui_->Shown().empty());
}

TEST_F(CopyChecks, DecliningReadOnlyStillAsksTheNewerQuestion) {
  OpenPackage({{0, 0, "new"}, {0, 1, "new 2"}});
  Place("C:\\App\\a", "kept", kSampleTime + kDay, true);
  Place("C:\\App\\b", "replaced", kSampleTime + kDay, true);
  ui_->AddAnswer("no");   // read-only a
  ui_->AddAnswer("yes");  // newer a: still skipped by the read-only refusal
  ui_->AddAnswer("yes");  // read-only b
  ui_->AddAnswer("yes");  // newer b
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\a", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\b", false));
  EXPECT_EQ(Read("C:\\App\\a"), "kept");
  EXPECT_TRUE(ReadOnly("C:\\App\\a"));
  EXPECT_EQ(Read("C:\\App\\b"), "new 2");
  EXPECT_EQ(ui_->Shown().size(), 4u);
}

TEST_F(CopyChecks, InUseFilesAreStagedUnderTheirOwnNamesAndQueued) {
  OpenPackage({{0, 0, "new one"}, {0, 1, "new two"}});
  Place("C:\\App\\lib.dll", "running one", kSampleTime - kDay);
  Place("C:\\App\\Sub\\LIB.DLL", "running two", kSampleTime - kDay);
  // Another program holds both open for reading without write sharing.
  FileHandle h1 =
      CreateFile("C:\\App\\lib.dll", kGenericRead, kShareRead, Disposition::OpenExisting);
  FileHandle h2 =
      CreateFile("C:\\App\\Sub\\LIB.DLL", kGenericRead, kShareRead, Disposition::OpenExisting);
  ASSERT_NE(h1, kInvalidHandle);
  ASSERT_NE(h2, kInvalidHandle);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\lib.dll", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\Sub\\LIB.DLL", false));
  CloseHandle(h1);
  CloseHandle(h2);

  EXPECT_EQ(Read("C:\\App\\lib.dll"), "running one");
  EXPECT_EQ(Read("C:\\App\\Sub\\LIB.DLL"), "running two");
  EXPECT_TRUE(Flags().restartPending);
  auto queued = Queued();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_TRUE(winpath::EqualsNoCase(queued[0].first, "C:\\Temp\\lib.dll")) << queued[0].first;
  EXPECT_TRUE(winpath::EqualsNoCase(queued[0].second, "C:\\App\\lib.dll"));
  EXPECT_TRUE(winpath::EqualsNoCase(queued[1].second, "C:\\App\\Sub\\LIB.DLL"));
  // The second file of the same name has a staged file of its own.
  EXPECT_FALSE(winpath::EqualsNoCase(queued[0].first, queued[1].first));
  EXPECT_EQ(Read(queued[0].first), "new one");
  EXPECT_EQ(Read(queued[1].first), "new two");
  EXPECT_TRUE(ui_->Shown().empty());
}

TEST_F(CopyChecks, StagedFileIsQueuedOnlyWhenWrittenWhole) {
  // The newer-file rule looks at the staged path: a newer file of that name in the temp
  // folder is asked about, and a refusal queues nothing.
  OpenPackage({{0, 0, "new"}});
  Place("C:\\App\\busy.exe", "running", kSampleTime - kDay);
  Place("C:\\Temp\\busy.exe", "left over", kSampleTime + kDay);
  FileHandle h =
      CreateFile("C:\\App\\busy.exe", kGenericRead, kShareRead, Disposition::OpenExisting);
  ui_->AddAnswer("no");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\App\\busy.exe", false));
  ASSERT_EQ(ui_->Shown().size(), 1u);
  EXPECT_NE(ui_->Shown()[0].find("\"C:\\Temp\\busy.exe\""), std::string::npos);
  EXPECT_TRUE(Queued().empty());
  EXPECT_FALSE(Flags().restartPending);

  // A damaged record fails its staged copy: nothing may replace the file at the restart.
  PackageImage broken(true);
  broken.AddStored(0, 0, Le32(6) + "garbag");
  ASSERT_EQ(Open(broken, broken.SelfExtractor({}), true, "C:\\pkg2\\setup.exe"),
            StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  EXPECT_FALSE(ExtractRecord(package_, "C:\\App\\busy.exe", false));
  CloseHandle(h);
  EXPECT_TRUE(Queued().empty());
  EXPECT_FALSE(Flags().restartPending);
  EXPECT_EQ(Read("C:\\App\\busy.exe"), "running");
}

TEST_F(CopyChecks, ReadOnlyAndInUseRunsOnlyTheReadOnlyRule) {
  OpenPackage({{0, 0, "new"}});
  Place("C:\\App\\locked.dat", "old", kSampleTime - kDay, true);
  FileHandle h =
      CreateFile("C:\\App\\locked.dat", kGenericRead, kShareRead, Disposition::OpenExisting);
  ASSERT_NE(h, kInvalidHandle);
  ui_->AddAnswer("yes");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  EXPECT_FALSE(ExtractRecord(package_, "C:\\App\\locked.dat", false));
  CloseHandle(h);
  EXPECT_FALSE(ReadOnly("C:\\App\\locked.dat"));
  EXPECT_EQ(Read("C:\\App\\locked.dat"), "old");
  EXPECT_TRUE(Queued().empty());
}

TEST_F(CopyChecks, PlainCopyFollowsTheSameRules) {
  Place("C:\\cd\\Files\\a.txt", "source a", kSampleTime);
  Place("C:\\cd\\Files\\b.txt", "source b", kSampleTime);
  // Missing destination folders are made; the source's write time is kept.
  EXPECT_EQ(PlainCopy("C:\\cd\\Files\\", "C:\\App\\Deep\\Er\\", "a.txt"), CopyResult::Copied);
  EXPECT_EQ(Read("C:\\App\\Deep\\Er\\a.txt"), "source a");
  EXPECT_EQ(WriteTime("C:\\App\\Deep\\Er\\a.txt").ticks, kSampleTime);

  // A refused read-only question ends the file at once: no newer-file question.
  Place("C:\\App\\b.txt", "read-only and newer", kSampleTime + kDay, true);
  ui_->AddAnswer("no");
  EXPECT_EQ(PlainCopy("C:\\cd\\Files\\", "C:\\App\\", "b.txt"), CopyResult::Skipped);
  EXPECT_EQ(ui_->Shown().size(), 1u);
  EXPECT_EQ(Read("C:\\App\\b.txt"), "read-only and newer");

  // The newer-file rule compares with the source's time.
  Place("C:\\App\\a.txt", "newer", kSampleTime + kDay);
  ui_->AddAnswer("yes");
  EXPECT_EQ(PlainCopy("C:\\cd\\Files\\", "C:\\App\\", "a.txt"), CopyResult::Copied);
  EXPECT_EQ(Read("C:\\App\\a.txt"), "source a");
  EXPECT_EQ(ui_->Shown().size(), 2u);

  // A missing source shows the system's text under the caption "Error".
  EXPECT_EQ(PlainCopy("C:\\cd\\Files\\", "C:\\App\\", "gone.txt"), CopyResult::Failed);
  EXPECT_EQ(ui_->Shown().back(), "Error | The system cannot find the file specified. | ok");

  // In use: the copy goes to the temp folder and is queued.
  FileHandle h = CreateFile("C:\\App\\a.txt", kGenericRead, kShareRead, Disposition::OpenExisting);
  Place("C:\\cd\\Files\\a.txt", "source a2", kSampleTime + 2 * kDay);
  EXPECT_EQ(PlainCopy("C:\\cd\\Files\\", "C:\\App\\", "a.txt"), CopyResult::Copied);
  CloseHandle(h);
  EXPECT_EQ(Read("C:\\App\\a.txt"), "source a");
  EXPECT_EQ(Read("C:\\Temp\\a.txt"), "source a2");
  ASSERT_EQ(Queued().size(), 1u);
  EXPECT_TRUE(Flags().restartPending);
}

TEST_F(CopyChecks, GetFileSizeExport) {
  m_.WriteFile("C:\\x\\size.bin", std::string(12345, 's'));
  EXPECT_EQ(::GetFileSize("C:\\x\\size.bin"), 12345u);
  EXPECT_EQ(::GetFileSize("c:\\X\\SIZE.BIN"), 12345u);
  EXPECT_EQ(::GetFileSize("C:\\x\\missing.bin"), 0u);
  EXPECT_EQ(::GetFileSize("C:\\x"), 0u);
  EXPECT_EQ(::GetFileSize(nullptr), 0u);
}

}  // namespace
}  // namespace vx::test
