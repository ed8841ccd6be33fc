#include "extract/EntryName.h"

#include <gtest/gtest.h>

namespace vx::extract {
namespace {

TEST(EntryNameTest, PlainAndSubfolderNamesPass) {
  for (const char* name : {"Install.exe", "Sample.inf", "sub\\file.txt", "a.b.c", "x/y", ".hidden"})
    EXPECT_TRUE(IsSafeEntryName(name)) << name;
}

TEST(EntryNameTest, NamesThatLeaveTheFolderAreRefused) {
  for (const char* name : {"", "..", ".", "..\\x", "a\\..\\..\\x", "a\\..", "\\x", "/x", "C:\\x",
                           "C:x", "x:stream", "a\\\\b", "a\\", ". \\x", "...", "a\x01"})
    EXPECT_FALSE(IsSafeEntryName(name)) << name;
}

}  // namespace
}  // namespace vx::extract
