// Folder creation, file opening and tree removal through the library's exports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "library/Karvo.h"
#include "platform/Files.h"
#include "tests/support/TestMachine.h"

namespace {

namespace fs = std::filesystem;
using vx::test::TestMachine;

bool IsDir(const TestMachine& m, const std::string& win) { return fs::is_directory(m.Host(win)); }
bool Exists(const TestMachine& m, const std::string& win) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(m.Host(win), ec));
}

TEST(CreateDirectoryAtOnce, MakesEveryMissingParentAndIsRepeatable) {
  TestMachine m;
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\A\\B\\"), 1);
  EXPECT_TRUE(IsDir(m, "C:\\A"));
  EXPECT_TRUE(IsDir(m, "C:\\A\\B"));
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\A\\B\\"), 1);
  // Without a trailing backslash the last component is a folder too.
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\A\\B\\C"), 1);
  EXPECT_TRUE(IsDir(m, "C:\\A\\B\\C"));
}

TEST(CreateDirectoryAtOnce, StopsAtTheFirstEmptyComponent) {
  TestMachine m;
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\X\\\\Y\\Z"), 1);
  EXPECT_TRUE(IsDir(m, "C:\\X"));
  EXPECT_FALSE(Exists(m, "C:\\X\\Y"));
  EXPECT_FALSE(Exists(m, "C:\\Y"));
}

TEST(CreateDirectoryAtOnce, TrimsBlanksAroundComponents) {
  TestMachine m;
  EXPECT_EQ(CreateDirectoryAtOnce(" C: \\ Program Files \\ App \\"), 1);
  EXPECT_TRUE(IsDir(m, "C:\\Program Files\\App"));
  EXPECT_FALSE(Exists(m, "C:\\ Program Files "));
}

TEST(CreateDirectoryAtOnce, RelativePathTakesItsFirstComponentAsRoot) {
  TestMachine m;
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\"));
  EXPECT_EQ(CreateDirectoryAtOnce("A\\B"), 0);
  EXPECT_FALSE(Exists(m, "C:\\A"));
  ASSERT_TRUE(vx::CreateDirectory("C:\\A"));
  EXPECT_EQ(CreateDirectoryAtOnce("A\\B"), 1);
  EXPECT_TRUE(IsDir(m, "C:\\A\\B"));
}

TEST(CreateDirectoryAtOnce, FailsWhenAFileStandsInTheWay) {
  TestMachine m;
  m.WriteFile("C:\\F", "x");
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\F\\G\\"), 0);
  EXPECT_EQ(CreateDirectoryAtOnce("C:\\Q:\\G\\"), 0);  // an invalid name
  EXPECT_EQ(CreateDirectoryAtOnce(""), 1);             // nothing to create
  EXPECT_EQ(CreateDirectoryAtOnce("C:"), 1);
}

TEST(PrepareFile, WriteMakesFoldersAndHonoursOverwrite) {
  TestMachine m;
  vx::FileHandle h = PrepareFileForWrite("C:\\New\\Deep\\f.txt", 1);
  ASSERT_NE(h, vx::kInvalidHandle);
  std::uint32_t n = 0;
  ASSERT_TRUE(vx::WriteFile(h, "abcdef", 6, &n));
  vx::CloseHandle(h);
  EXPECT_EQ(m.ReadFile("C:\\New\\Deep\\f.txt"), "abcdef");

  // Without overwrite the file is opened as it is, at position 0.
  h = PrepareFileForWrite("C:\\New\\Deep\\f.txt", 0);
  ASSERT_NE(h, vx::kInvalidHandle);
  ASSERT_TRUE(vx::WriteFile(h, "XY", 2, &n));
  vx::CloseHandle(h);
  EXPECT_EQ(m.ReadFile("C:\\New\\Deep\\f.txt"), "XYcdef");

  // With overwrite it is truncated.
  h = PrepareFileForWrite("C:\\New\\Deep\\f.txt", 1);
  ASSERT_NE(h, vx::kInvalidHandle);
  vx::CloseHandle(h);
  EXPECT_EQ(m.ReadFile("C:\\New\\Deep\\f.txt"), "");
}

TEST(PrepareFile, WriteOfABareNameOpensInTheCurrentDirectory) {
  TestMachine m;
  ASSERT_TRUE(vx::CreateDirectory("C:\\Work"));
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\Work"));
  vx::FileHandle h = PrepareFileForWrite("bare.txt", 1);
  ASSERT_NE(h, vx::kInvalidHandle);
  vx::CloseHandle(h);
  EXPECT_TRUE(fs::is_regular_file(m.Host("C:\\Work\\bare.txt")));
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\"));
}

TEST(PrepareFile, WriteRefusedWhenTheFolderCannotBeMade) {
  TestMachine m;
  m.WriteFile("C:\\Blocker", "x");
  EXPECT_EQ(PrepareFileForWrite("C:\\Blocker\\f.txt", 1), vx::kInvalidHandle);
  EXPECT_EQ(m.ReadFile("C:\\Blocker"), "x");
}

TEST(PrepareFile, WriteHandleSharesNothingAndReadSharesReading) {
  TestMachine m;
  m.WriteFile("C:\\s.txt", "data");
  vx::FileHandle r1 = PrepareFileForRead("C:\\s.txt");
  ASSERT_NE(r1, vx::kInvalidHandle);
  vx::FileHandle r2 = PrepareFileForRead("C:\\s.txt");
  EXPECT_NE(r2, vx::kInvalidHandle);
  // Readers share reading only: a writer is kept out while they hold the file.
  EXPECT_EQ(PrepareFileForWrite("C:\\s.txt", 0), vx::kInvalidHandle);
  vx::CloseHandle(r1);
  vx::CloseHandle(r2);

  vx::FileHandle w = PrepareFileForWrite("C:\\s.txt", 0);
  ASSERT_NE(w, vx::kInvalidHandle);
  EXPECT_EQ(PrepareFileForRead("C:\\s.txt"), vx::kInvalidHandle);
  vx::CloseHandle(w);
  EXPECT_EQ(PrepareFileForRead("C:\\missing.txt"), vx::kInvalidHandle);
}

class DelTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.WriteFile("C:\\T\\a.txt", "a");
    m.WriteFile("C:\\T\\.hidden-file", "h");
    m.WriteFile("C:\\T\\Sub\\b.txt", "b");
    m.WriteFile("C:\\T\\Sub\\Deeper\\c.txt", "c");
    m.WriteFile("C:\\T\\.keep\\d.txt", "d");
    ASSERT_TRUE(vx::SetCurrentDirectory("C:\\"));
  }
  TestMachine m;
};

TEST_F(DelTreeTest, EmptiesTheTreeButLeavesDotFolders) {
  DelTree("C:\\T", 0);
  EXPECT_TRUE(IsDir(m, "C:\\T"));
  EXPECT_FALSE(Exists(m, "C:\\T\\a.txt"));
  EXPECT_FALSE(Exists(m, "C:\\T\\.hidden-file"));  // only folders are spared for a dot
  EXPECT_FALSE(Exists(m, "C:\\T\\Sub"));
  EXPECT_EQ(m.ReadFile("C:\\T\\.keep\\d.txt"), "d");
  EXPECT_EQ(vx::GetCurrentDirectory(), "C:\\");
}

TEST_F(DelTreeTest, RemovesTheFolderWhenAskedAndNothingIsLeft) {
  fs::remove_all(m.Host("C:\\T\\.keep"));
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\T\\Sub"));
  DelTree("C:\\T", 1);
  EXPECT_FALSE(Exists(m, "C:\\T"));
  // The remembered directory is gone: the walk ends where it could go.
  EXPECT_NE(vx::GetCurrentDirectory(), "C:\\T\\Sub");
}

TEST_F(DelTreeTest, ReadOnlyFileStaysWithItsFolders) {
  ASSERT_TRUE(vx::SetFileAttributes("C:\\T\\Sub\\Deeper\\c.txt", vx::kAttrReadOnly));
  DelTree("C:\\T", 1);
  EXPECT_EQ(m.ReadFile("C:\\T\\Sub\\Deeper\\c.txt"), "c");
  EXPECT_FALSE(Exists(m, "C:\\T\\Sub\\b.txt"));
  EXPECT_FALSE(Exists(m, "C:\\T\\a.txt"));
  EXPECT_TRUE(IsDir(m, "C:\\T"));
  EXPECT_EQ(vx::GetCurrentDirectory(), "C:\\");
}

TEST_F(DelTreeTest, RelativeFolderIsRemovedByItsOwnName) {
  // An empty decoy where the relative name would point once the walk stands in C:\T.
  ASSERT_EQ(CreateDirectoryAtOnce("C:\\T\\T\\Sub\\"), 1);
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\"));
  DelTree("T\\Sub", 1);
  EXPECT_FALSE(Exists(m, "C:\\T\\Sub"));
  EXPECT_TRUE(IsDir(m, "C:\\T\\T\\Sub"));
  EXPECT_EQ(m.ReadFile("C:\\T\\a.txt"), "a");
  EXPECT_EQ(vx::GetCurrentDirectory(), "C:\\");
}

TEST_F(DelTreeTest, NeverFollowsALinkOutOfTheTree) {
  m.WriteFile("C:\\Outside\\precious.txt", "p");
  m.WriteFile("C:\\Outside\\Inner\\more.txt", "m");
  fs::create_directory_symlink(m.Host("C:\\Outside"), m.Host("C:\\T") + "/LinkDir");
  fs::create_symlink(m.Host("C:\\Outside\\precious.txt"), m.Host("C:\\T") + "/link.txt");
  DelTree("C:\\T", 0);
  EXPECT_EQ(m.ReadFile("C:\\Outside\\precious.txt"), "p");
  EXPECT_EQ(m.ReadFile("C:\\Outside\\Inner\\more.txt"), "m");
  EXPECT_FALSE(fs::exists(fs::symlink_status(m.Host("C:\\T") + "/link.txt")));
  EXPECT_FALSE(Exists(m, "C:\\T\\Sub"));

  // A folder that is itself a link is not walked at all.
  fs::create_directory_symlink(m.Host("C:\\Outside"), m.Host("C:\\") + "/Alias");
  DelTree("C:\\Alias", 1);
  EXPECT_EQ(m.ReadFile("C:\\Outside\\precious.txt"), "p");
}

TEST_F(DelTreeTest, MissingOrEmptyFolderDoesNothing) {
  ASSERT_TRUE(vx::SetCurrentDirectory("C:\\T"));
  DelTree("", 1);
  DelTree(nullptr, 1);
  DelTree("C:\\Nowhere", 1);
  EXPECT_EQ(vx::GetCurrentDirectory(), "C:\\T");
  EXPECT_EQ(m.ReadFile("C:\\T\\a.txt"), "a");
}

}  // namespace
