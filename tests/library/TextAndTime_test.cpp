// AddTextToWindow through the registered text windows, IsEvent, SetFileTimeStamp.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "library/Karvo.h"
#include "library/TextWindows.h"
#include "platform/Files.h"
#include "tests/support/TestMachine.h"

namespace {

using vx::test::TestMachine;

class TextWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    karvo::TextWindowHooks hooks;
    hooks.getText = [this](std::uintptr_t w, std::string* text) {
      auto it = windows.find(w);
      if (it == windows.end()) return false;
      *text = it->second;
      return true;
    };
    hooks.setText = [this](std::uintptr_t w, const std::string& text) {
      windows[w] = text;
      ++sets;
    };
    karvo::SetTextWindowHooks(hooks);
  }
  void TearDown() override { karvo::SetTextWindowHooks({}); }
  std::map<std::uintptr_t, std::string> windows;
  int sets = 0;
};

TEST_F(TextWindowTest, AppendsWithoutASeparator) {
  windows[7] = "Line one\r\n";
  AddTextToWindow(7, "Line two\r\n");
  AddTextToWindow(7, "tail");
  EXPECT_EQ(windows[7], "Line one\r\nLine two\r\ntail");
}

TEST_F(TextWindowTest, EmptyTextOrUnknownWindowChangesNothing) {
  windows[7] = "keep";
  AddTextToWindow(7, "");
  AddTextToWindow(7, nullptr);
  AddTextToWindow(8, "lost");
  EXPECT_EQ(windows[7], "keep");
  EXPECT_EQ(windows.count(8), 0u);
  EXPECT_EQ(sets, 0);
}

TEST_F(TextWindowTest, WithoutHooksNothingHappens) {
  karvo::SetTextWindowHooks({});
  windows[7] = "keep";
  AddTextToWindow(7, "more");
  EXPECT_EQ(windows[7], "keep");
}

TEST(IsEvent, ActionLinesHaveAQuestionMarkAsFirstField) {
  EXPECT_EQ(IsEvent("? | If (1 == 1) | 7 | x"), 1);
  EXPECT_EQ(IsEvent("   ?|"), 1);
  EXPECT_EQ(IsEvent("\t? \t"), 1);
  EXPECT_EQ(IsEvent("?"), 1);
  EXPECT_EQ(IsEvent("setup.exe | 0 | Bin"), 0);
  EXPECT_EQ(IsEvent("?? | x"), 0);
  EXPECT_EQ(IsEvent("?x | y"), 0);
  EXPECT_EQ(IsEvent("? ? | y"), 0);
  EXPECT_EQ(IsEvent("x | ?"), 0);
  EXPECT_EQ(IsEvent(""), 0);
  EXPECT_EQ(IsEvent("|?"), 0);
  EXPECT_EQ(IsEvent(nullptr), 0);
}

TEST(SetFileTimeStamp, SetsCreationAndWriteKeepingAccessAndAttributes) {
  TestMachine m;
  m.WriteFile("C:\\t.txt", "x");
  vx::FileHandle h =
      vx::CreateFile("C:\\t.txt", vx::kGenericWrite, vx::kShareRead, vx::Disposition::OpenExisting);
  ASSERT_NE(h, vx::kInvalidHandle);
  const vx::FileTime access = vx::FileTimeFromUnix(1000000000);
  ASSERT_TRUE(vx::SetFileTime(h, nullptr, &access, nullptr));
  vx::CloseHandle(h);
  ASSERT_TRUE(vx::SetFileAttributes("C:\\t.txt", vx::kAttrReadOnly | vx::kAttrHidden));

  const KarvoTime when{1234567890};
  SetFileTimeStamp("C:\\t.txt", &when);

  EXPECT_EQ(vx::GetFileAttributes("C:\\t.txt"), vx::kAttrReadOnly | vx::kAttrHidden);
  h = vx::CreateFile("C:\\t.txt", vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
  ASSERT_NE(h, vx::kInvalidHandle);
  vx::FileTime c, a, w;
  ASSERT_TRUE(vx::GetFileTime(h, &c, &a, &w));
  vx::CloseHandle(h);
  EXPECT_EQ(vx::UnixFromFileTime(c), 1234567890);
  EXPECT_EQ(vx::UnixFromFileTime(w), 1234567890);
  EXPECT_EQ(vx::UnixFromFileTime(a), 1000000000);
  EXPECT_EQ(m.ReadFile("C:\\t.txt"), "x");
}

TEST(SetFileTimeStamp, MissingFileOrNullArgumentsAreIgnored) {
  TestMachine m;
  const KarvoTime when{1};
  SetFileTimeStamp("C:\\nothing.txt", &when);
  SetFileTimeStamp(nullptr, &when);
  m.WriteFile("C:\\t.txt", "x");
  SetFileTimeStamp("C:\\t.txt", nullptr);
  EXPECT_EQ(m.ReadFile("C:\\t.txt"), "x");
  EXPECT_EQ(vx::GetFileAttributes("C:\\nothing.txt"), vx::kInvalidAttributes);
}

}  // namespace
