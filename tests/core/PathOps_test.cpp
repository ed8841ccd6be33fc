#include <gtest/gtest.h>

#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "platform/Files.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

TEST(PathOps, TrailingBackslash) {
  EXPECT_EQ(EnsureTrailingBackslash(""), "");
  EXPECT_EQ(EnsureTrailingBackslash("C:\\App"), "C:\\App\\");
  EXPECT_EQ(EnsureTrailingBackslash("C:\\App\\"), "C:\\App\\");
  EXPECT_EQ(EnsureTrailingBackslash("  C:\\My App \t"), "C:\\My App\\");
  EXPECT_EQ(EnsureTrailingBackslash("   "), "");
}

TEST(PathOps, FolderAndFileName) {
  EXPECT_EQ(FolderOfPath("C:\\Src\\Extract.exe"), "C:\\Src\\");
  EXPECT_EQ(FolderOfPath("C:\\Src\\"), "C:\\Src\\");
  EXPECT_EQ(FolderOfPath("Extract.exe"), "");
  EXPECT_EQ(FileNameOfPath("C:\\Src\\Extract.exe"), "Extract.exe");
  EXPECT_EQ(FileNameOfPath("C:\\Src\\"), "");
  EXPECT_EQ(FileNameOfPath("Demo.inf"), "Demo.inf");
}

TEST(PathOps, ReplaceExtension) {
  EXPECT_EQ(ReplaceExtension("D:\\Cd\\Demo.inf", "exe"), "D:\\Cd\\Demo.exe");
  EXPECT_EQ(ReplaceExtension("D:\\Cd\\Demo.inf", ".exe"), "D:\\Cd\\Demo.exe");
  EXPECT_EQ(ReplaceExtension("D:\\Cd\\Demo", "exe"), "D:\\Cd\\Demo.exe");
  // The last dot counts, even in a folder name.
  EXPECT_EQ(ReplaceExtension("D:\\v1.2\\Demo", "exe"), "D:\\v1.exe");
}

TEST(NextFieldTest, SplitsAndTrims) {
  std::string rest = "  Base Component | 0 |1  ";
  EXPECT_EQ(NextField(rest), "Base Component");
  EXPECT_EQ(rest, "0 |1");
  EXPECT_EQ(NextField(rest), "0");
  EXPECT_EQ(NextField(rest), "1");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(NextField(rest), "");
}

TEST(NextFieldTest, KeepsEmptyMiddleFieldsAndTakesOtherDelimiters) {
  std::string rest = "a | | b";
  EXPECT_EQ(NextField(rest), "a");
  EXPECT_EQ(NextField(rest), "");
  EXPECT_EQ(NextField(rest), "b");
  rest = "?2:C:\\app.ini|Main|Path";
  EXPECT_EQ(NextField(rest, ':'), "?2");
  EXPECT_EQ(rest, "C:\\app.ini|Main|Path");
  rest = "\t\r\n only \v\f";
  EXPECT_EQ(NextField(rest), "only");
  rest = "|x";
  EXPECT_EQ(NextField(rest), "");
  EXPECT_EQ(rest, "x");
}

using FileExistsTest = CoreTest;

TEST_F(FileExistsTest, NeedsAFileThatOpensForSharedReading) {
  machine.WriteFile("C:\\Data\\a.txt", "abc");
  EXPECT_TRUE(FileExists("C:\\Data\\a.txt"));
  EXPECT_TRUE(FileExists("c:\\DATA\\A.TXT"));
  EXPECT_FALSE(FileExists("C:\\Data\\missing.txt"));
  EXPECT_FALSE(FileExists("C:\\Data"));
  EXPECT_FALSE(FileExists(""));
  FileHandle h = CreateFile("C:\\Data\\a.txt", kGenericRead, kShareNone, Disposition::OpenExisting);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_FALSE(FileExists("C:\\Data\\a.txt"));
  CloseHandle(h);
  EXPECT_TRUE(FileExists("C:\\Data\\a.txt"));
}

}  // namespace
}  // namespace vx::test
