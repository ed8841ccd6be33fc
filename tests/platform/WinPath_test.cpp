#include "platform/WinPath.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::winpath {
namespace {

std::string Norm(std::string_view in) {
  std::string out = "untouched";
  return Normalize(in, out) ? out : "<refused:" + out + ">";
}

TEST(WinPathNormalize, FoldsSeparatorsDotsAndDriveCase) {
  EXPECT_EQ(Norm("c:\\Program Files\\.\\App\\\\bin\\..\\x.txt"), "C:\\Program Files\\App\\x.txt");
  EXPECT_EQ(Norm("C:/Windows/System32/"), "C:\\Windows\\System32");
  EXPECT_EQ(Norm("C:\\"), "C:\\");
  EXPECT_EQ(Norm("C:\\A\\.."), "C:\\");
  EXPECT_EQ(Norm("d:\\A\\B\\..\\..\\C"), "D:\\C");
  // Names that only look like dots stay names.
  EXPECT_EQ(Norm("C:\\...\\.x"), "C:\\...\\.x");
}

TEST(WinPathNormalize, RefusesClimbingAboveTheRootAndRelativePaths) {
  EXPECT_EQ(Norm("C:\\.."), "<refused:untouched>");
  EXPECT_EQ(Norm("C:\\A\\..\\..\\Windows"), "<refused:untouched>");
  EXPECT_EQ(Norm("C:\\A\\B\\..\\..\\..\\etc\\passwd"), "<refused:untouched>");
  EXPECT_EQ(Norm("A\\B"), "<refused:untouched>");
  EXPECT_EQ(Norm("C:relative"), "<refused:untouched>");
  EXPECT_EQ(Norm("\\rooted"), "<refused:untouched>");
  EXPECT_EQ(Norm(""), "<refused:untouched>");
}

TEST(WinPathParts, DriveAndAbsoluteness) {
  EXPECT_EQ(DriveLetter("c:\\x"), 'C');
  EXPECT_EQ(DriveLetter("Z:"), 'Z');
  EXPECT_EQ(DriveLetter("1:\\x"), 0);
  EXPECT_EQ(DriveLetter("C"), 0);
  EXPECT_TRUE(IsAbsolute("C:\\"));
  EXPECT_TRUE(IsAbsolute("c:/x"));
  EXPECT_FALSE(IsAbsolute("C:x"));
  EXPECT_FALSE(IsAbsolute("\\x"));
}

TEST(WinPathParts, JoinAndSplit) {
  EXPECT_EQ(Join("C:\\A", "b.txt"), "C:\\A\\b.txt");
  EXPECT_EQ(Join("C:\\A\\", "\\b.txt"), "C:\\A\\b.txt");
  EXPECT_EQ(Join("", "b.txt"), "b.txt");
  EXPECT_EQ(FileName("C:\\A\\b.txt"), "b.txt");
  EXPECT_EQ(FileName("b.txt"), "b.txt");
  EXPECT_EQ(FileName("C:\\A\\"), "");
  EXPECT_EQ(Folder("C:\\A\\b.txt"), "C:\\A\\");
  EXPECT_EQ(Folder("b.txt"), "");
  EXPECT_EQ(Extension("C:\\A.dir\\b.tar.gz"), ".gz");
  EXPECT_EQ(Extension("C:\\A.dir\\README"), "");
}

TEST(WinPathParts, CaseFoldingIsAsciiOnly) {
  EXPECT_TRUE(EqualsNoCase("Program Files", "PROGRAM FILES"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
  // Bytes above 127 are code-page text, never folded.
  EXPECT_FALSE(EqualsNoCase("\xe9", "\xc9"));
  EXPECT_EQ(ToLower("MiXeD\\Path"), "mixed\\path");
}

TEST(WinPathParts, InvalidCharacters) {
  EXPECT_FALSE(HasInvalidCharacters("C:\\Program Files\\App (x86)\\a+b.txt"));
  EXPECT_TRUE(HasInvalidCharacters("C:\\a*.txt"));
  EXPECT_TRUE(HasInvalidCharacters("C:\\a?.txt"));
  EXPECT_TRUE(HasInvalidCharacters("C:\\a|b"));
  EXPECT_TRUE(HasInvalidCharacters("C:\\a:b"));
  EXPECT_TRUE(HasInvalidCharacters(std::string("C:\\a\nb")));
  EXPECT_TRUE(HasInvalidCharacters("ab:c"));
}

TEST(WinPathWildcard, StarDotStarAndPlainStarMatchEverything) {
  for (const char* name : {"a.txt", "README", ".", "..", ".hidden", "x.y.z"}) {
    EXPECT_TRUE(MatchWildcard("*.*", name)) << name;
    EXPECT_TRUE(MatchWildcard("*", name)) << name;
  }
}

TEST(WinPathWildcard, CaseInsensitiveStarsAndQuestionMarks) {
  EXPECT_TRUE(MatchWildcard("*.TXT", "notes.txt"));
  EXPECT_TRUE(MatchWildcard("setup.inf", "SETUP.INF"));
  EXPECT_FALSE(MatchWildcard("setup.inf", "setup.ini"));
  EXPECT_TRUE(MatchWildcard("a?c.*", "abc.dll"));
  EXPECT_FALSE(MatchWildcard("a?c.*", "ac.dll"));
  EXPECT_TRUE(MatchWildcard("*a*b*c", "xxaxxbxxc"));
  EXPECT_FALSE(MatchWildcard("*a*b*c", "xxaxxcxxb"));
  EXPECT_FALSE(MatchWildcard("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(MatchWildcard("", ""));
  EXPECT_FALSE(MatchWildcard("", "a"));
}

TEST(WinPathWildcard, DosExtensionRules) {
  // A final ".*" also finds names without an extension.
  EXPECT_TRUE(MatchWildcard("read*.*", "README"));
  EXPECT_TRUE(MatchWildcard("read*.*", "readme.txt"));
  // A final "." asks for names without one.
  EXPECT_TRUE(MatchWildcard("*.", "README"));
  EXPECT_FALSE(MatchWildcard("*.", "readme.txt"));
}

TEST(WinPathWildcard, ManyStarsAgainstALongNameStillAnswer) {
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "*a";
  pattern += "b";
  std::string name(5000, 'a');
  EXPECT_FALSE(MatchWildcard(pattern, name));
  EXPECT_TRUE(MatchWildcard(pattern, name + "b"));
}

}  // namespace
}  // namespace vx::winpath
