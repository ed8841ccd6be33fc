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
  ResetAnswerRefusal();
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalUi ui(out, false, {"YES", "no", "", "ok"});
  EXPECT_TRUE(ui.AskYesNo("Q1"));
  EXPECT_FALSE(ui.AskYesNo("Q2"));
  EXPECT_FALSE(ui.AskYesNo("Q3"));  // an empty line: the default, No
  ui.ShowMessage("Failed to open file C:\\x.exe");
  EXPECT_FALSE(ui.AskYesNo("Q4"));  // answers used up
  EXPECT_FALSE(AnswersRefused());
  EXPECT_EQ(Drain(out),
            " | Q1 | yes\n | Q2 | no\n | Q3 | no\n"
            " | Failed to open file C:\\x.exe | ok\n | Q4 | no\n");
  std::fclose(out);
}

TEST(TerminalUiTest, AnAnswerThatFitsNoButtonCancelsTheExtraction) {
  ResetAnswerRefusal();
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalUi ui(out, false, {"maybe", "no"});
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ui.AskYesNo("Cancel?"));
  EXPECT_TRUE(ui.AskYesNo("Cancel?"));  // the rest of the answers mean nothing now
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "VX_ANSWERS line 1: \"maybe\" does not fit the dialog \"Cancel?\", which accepts yes "
            "or no; the run is cancelled\n");
  EXPECT_EQ(Drain(out), " | Cancel? | yes\n | Cancel? | yes\n");
  ResetAnswerRefusal();
  std::fclose(out);
}

TEST(TerminalUiTest, WithoutATerminalEveryLabelIsALineAndCancelIsTakenOnce) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalUi ui(out, false, AnswerQueue());
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
