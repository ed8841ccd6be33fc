#include "extract/TerminalUi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vx::extract {
namespace {

std::string Drain(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  char buffer[256];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, f)) text.append(buffer, n);
  return text;
}

TEST(TerminalUiTest, CancelQuestionTakesScriptedAnswersThenNo) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalUi ui(out, false, {"YES", "no", "maybe"});
  EXPECT_TRUE(ui.AskYesNo("Q1"));
  EXPECT_FALSE(ui.AskYesNo("Q2"));
  EXPECT_FALSE(ui.AskYesNo("Q3"));  // an answer that fits no button: the default, No
  EXPECT_FALSE(ui.AskYesNo("Q4"));  // answers used up
  ui.ShowMessage("Failed to open file C:\\x.exe");
  EXPECT_EQ(Drain(out), " | Q1 | yes\n | Q2 | no\n | Q3 | no\n | Q4 | no\n"
                        " | Failed to open file C:\\x.exe | ok\n");
  std::fclose(out);
}

TEST(TerminalUiTest, WithoutATerminalEveryLabelIsALineAndCancelIsTakenOnce) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalUi ui(out, false, {});
  ui.Open();
  ui.SetLabel("first");
  ui.SetProgress(40);
  ui.SetLabel("second");
  EXPECT_FALSE(ui.TakeCancelClick());
  TerminalUi::PressCancel();
  EXPECT_TRUE(ui.TakeCancelClick());
  EXPECT_FALSE(ui.TakeCancelClick());
  ui.Close();
  EXPECT_EQ(Drain(out), "[  0%] first\n[ 40%] second\n");
  std::fclose(out);
}

}  // namespace
}  // namespace vx::extract
