// Which dialog the extractor shows: $VX_UI naming the build's windows, or "auto" when they can
// show; an explicit request that cannot be met is refused, never turned into the terminal.
#include <gtest/gtest.h>

#include <cstdlib>

#include "extract/ExtractUi.h"
#include "extract/TerminalUi.h"

namespace vx::extract {
namespace {

class FakeWindows : public TerminalUi {
 public:
  FakeWindows() : TerminalUi(stderr, false, AnswerQueue()) {}
};

TEST(ExtractUiChoiceTest, TheBuildsWindowsAreChosenByNameOrWhenTheyCanShow) {
  bool canShow = false;
  RegisterGraphicalExtractUi(
      {"win32", [&](bool) { return canShow ? std::string() : std::string("no display"); },
       []() -> std::unique_ptr<ExtractUi> { return std::make_unique<FakeWindows>(); }});
  auto chosen = [] { return dynamic_cast<FakeWindows*>(CreateExtractUi().get()) != nullptr; };

  unsetenv("VX_UI");
  EXPECT_EQ(ExtractUiSelectionError(), "");
  EXPECT_FALSE(chosen());  // auto without a display: the terminal
  canShow = true;
  EXPECT_TRUE(chosen());

  setenv("VX_UI", "headless", 1);
  EXPECT_FALSE(chosen());
  setenv("VX_UI", "qt", 1);
  EXPECT_EQ(ExtractUiSelectionError(), "VX_UI=qt: this build's windows are win32");
  setenv("VX_UI", "win32", 1);
  EXPECT_EQ(ExtractUiSelectionError(), "");
  canShow = false;
  EXPECT_EQ(ExtractUiSelectionError(), "VX_UI=win32: no display");
  unsetenv("VX_UI");
  RegisterGraphicalExtractUi({});
}

}  // namespace
}  // namespace vx::extract
