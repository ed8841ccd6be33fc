// The profile service as Windows reads and writes INI files.
#include <string>

#include "platform/Profile.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

using Profiles = Sandbox;

std::string Read(const std::string& s, const std::string& k, const std::string& file) {
  return GetPrivateProfileString(s, k, "<default>", file);
}

TEST_F(Profiles, QuotesBlanksSectionsAndComments) {
  const std::string f = Folder() + "a.ini";
  Put(f,
      "top=1\r\n"
      "[S]\r\n"
      "single='v'\r\n"
      "double=\"w\"\r\n"
      "mixed='x\"\r\n"
      "  spaced  =  y  \r\n"
      ";hidden=2\r\n"
      "[A]B]\r\n"
      "k=1\r\n"
      "[NoClose\r\n"
      "k=2\r\n");
  EXPECT_EQ(Read("S", "single", f), "v");
  EXPECT_EQ(Read("S", "double", f), "w");
  EXPECT_EQ(Read("S", "mixed", f), "'x\"");
  EXPECT_EQ(Read("S", "spaced", f), "y");
  EXPECT_EQ(Read("s", "SINGLE", f), "v");
  // A section name runs to the last "]" of its line; a line without one starts no section.
  EXPECT_EQ(Read("A]B", "k", f), "1");
  EXPECT_EQ(Read("NoClose", "k", f), "<default>");
  // Keys before the first section form a section with the empty name.
  EXPECT_EQ(Read("", "top", f), "1");
  EXPECT_EQ(Read("S", "top", f), "<default>");
  // A comment line is read when asked for by its own name, but no list names it.
  EXPECT_EQ(Read("S", ";hidden", f), "2");
  EXPECT_EQ((GetProfileKeyNames("S", f)),
            (std::vector<std::string>{"single", "double", "mixed", "spaced"}));
  EXPECT_EQ((GetProfileSectionNames(f)), (std::vector<std::string>{"S", "A]B"}));
}

TEST_F(Profiles, IntegersWrapAndTakeHex) {
  const std::string f = Folder() + "i.ini";
  Put(f, "[N]\r\nbig=4294967297\r\nhex=0x10\r\nneg=-5\r\nlead=12abc\r\nnone=abc\r\n");
  EXPECT_EQ(GetPrivateProfileInt("N", "big", 7, f), 1);
  EXPECT_EQ(GetPrivateProfileInt("N", "hex", 7, f), 16);
  EXPECT_EQ(GetPrivateProfileInt("N", "neg", 7, f), -5);
  EXPECT_EQ(GetPrivateProfileInt("N", "lead", 7, f), 12);
  EXPECT_EQ(GetPrivateProfileInt("N", "none", 7, f), 0);
  EXPECT_EQ(GetPrivateProfileInt("N", "missing", 7, f), 7);
}

TEST_F(Profiles, WritesLeaveTheseBytes) {
  const std::string f = Folder() + "w.ini";
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", f));
  EXPECT_EQ(Get(f), "[S]\r\nk=v\r\n");
  ASSERT_TRUE(WritePrivateProfileString("T", "a", "b", f));
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "new", f));
  EXPECT_EQ(Get(f), "[S]\r\nk=new\r\n[T]\r\na=b\r\n");
  ASSERT_TRUE(WritePrivateProfileString("T", nullptr, nullptr, f));
  EXPECT_EQ(Get(f), "[S]\r\nk=new\r\n");
}

TEST_F(Profiles, DeletingAKeyRemovesItsFirstLineOnly) {
  const std::string f = Folder() + "d.ini";
  Put(f, "[S]\r\nk=1\r\nK=2\r\nother=3\r\n");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", nullptr, f));
  EXPECT_EQ(Read("S", "k", f), "2");
  EXPECT_EQ(Get(f), "[S]\r\nK=2\r\nother=3\r\n");
}

TEST_F(Profiles, ReadsAreCutToTheBuffer) {
  const std::string f = Folder() + "b.ini";
  Put(f, "[S]\r\nk=abcdef\r\n");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", f, 4), "abc");
  EXPECT_EQ((GetProfileKeyNames("S", f)), (std::vector<std::string>{"k"}));
}

}  // namespace
}  // namespace vx::test
