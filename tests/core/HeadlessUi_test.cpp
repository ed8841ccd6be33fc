#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "engine/ui/MessageBox.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

// A refused answer is the process's: each test starts without one.
class HeadlessUiTest : public ::testing::Test {
 protected:
  HeadlessUiTest() {
    ResetAnswerRefusal();
    SetAnswerRefusalHandler(nullptr);
  }
  ~HeadlessUiTest() override { ResetAnswerRefusal(); }
};

TEST_F(HeadlessUiTest, MessageBoxesTakeFittingAnswersAndRefuseTheOthers) {
  HeadlessUi ui({"no", "cancel", "", "retry", "ignore", "OK "}, false);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbYesNo), kIdNo);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbOkCancel), kIdCancel);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbYesNoCancel), kIdYes);  // empty line: default
  EXPECT_EQ(ui.MessageBox("C", "q", kMbRetryCancel), kIdRetry);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbAbortRetryIgnore), kIdIgnore);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbOk | kMbIconStop), kIdOk);  // "OK " trimmed, any case
  // Answers used up: defaults.
  EXPECT_EQ(ui.MessageBox("C", "q", kMbYesNo), kIdYes);
  EXPECT_EQ(ui.MessageBox("C", "q", kMbAbortRetryIgnore), kIdAbort);
  EXPECT_EQ(ui.Shown().size(), 8u);

  // "maybe" for a license: refused with its line; it and every dialog after it close
  // without agreeing, whatever answers are left.
  HeadlessUi license({"ok", "maybe", "yes", "text:x"}, false);
  ASSERT_EQ(license.MessageBox("Welcome", "Hello", kMbOkCancel), kIdOk);
  EXPECT_EQ(license.MessageBox("License Agreement", "Please read\r\nthe terms", kMbYesNo), kIdNo);
  EXPECT_TRUE(AnswersRefused());
  EXPECT_EQ(license.MessageBox("Sure?", "q", kMbYesNo), kIdNo);
  std::string value = "kept";
  EXPECT_FALSE(license.AskText("c", "q", value));
  EXPECT_EQ(value, "kept");
  EXPECT_TRUE(license.UnusedAnswers().empty());
  EXPECT_EQ(RefusalMessage({{"maybe", 2}, "License Agreement: Please read", "yes or no"}),
            "VX_ANSWERS line 2: \"maybe\" does not fit the dialog \"License Agreement: Please "
            "read\", which accepts yes or no; the run is cancelled");
}

TEST_F(HeadlessUiTest, EveryDialogIsOneLine) {
  HeadlessUi ui({"cancel"}, false);
  ui.MessageBox("Demo Setup", "Line one\r\nLine two\n", kMbOkCancel);
  ui.FourChoice("Demo Setup", "Replace \"a.dll\"?", {"Yes", "Yes to all", "No", "No to all"});
  std::vector<std::string> shown = ui.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Demo Setup | Line one\\r\\nLine two\\n | cancel");
  EXPECT_EQ(shown[1], "Demo Setup | Replace \"a.dll\"? | no");
}

TEST_F(HeadlessUiTest, FourChoiceAnswers) {
  HeadlessUi ui({"yes", "yes-all", "no", "no-all", "ok"}, false);
  std::vector<std::string> b = {"Yes", "Yes to all", "No", "No to all"};
  EXPECT_EQ(ui.FourChoice("c", "q", b), 0);
  EXPECT_EQ(ui.FourChoice("c", "q", b), 1);
  EXPECT_EQ(ui.FourChoice("c", "q", b), 2);
  EXPECT_EQ(ui.FourChoice("c", "q", b), 3);
  EXPECT_EQ(ui.FourChoice("c", "q", b), 2);  // "ok" does not fit: refused, closed
  EXPECT_TRUE(AnswersRefused());
  EXPECT_EQ(ui.FourChoice("c", "q", b), 2);
}

TEST_F(HeadlessUiTest, TextQuestions) {
  HeadlessUi ui({"text: D:\\Disk2", "ok", "yes"}, false);
  std::string value = "A:\\";
  EXPECT_TRUE(ui.AskText("Insert Diskette", "Please insert disk 2", value));
  EXPECT_EQ(value, " D:\\Disk2");
  EXPECT_TRUE(ui.AskText("Insert Diskette", "again", value));
  EXPECT_EQ(value, " D:\\Disk2");
  EXPECT_FALSE(ui.AskText("Insert Diskette", "again", value));  // "yes" does not fit
  EXPECT_TRUE(AnswersRefused());
  EXPECT_FALSE(ui.AskText("Insert Diskette", "again", value));
  EXPECT_EQ(value, " D:\\Disk2");
  EXPECT_EQ(ui.Shown()[0], "Insert Diskette | Please insert disk 2 | text: D:\\Disk2");
  EXPECT_EQ(ui.Shown()[3], "Insert Diskette | again | cancel");
}

TEST_F(HeadlessUiTest, ListChoices) {
  HeadlessUi ui({"2", "cancel", "", "-1"}, false);
  std::vector<std::string> items = {"A", "B", "C"};
  EXPECT_EQ(ui.ChooseFromList("c", "Pick", items, 0), 2);
  EXPECT_EQ(ui.ChooseFromList("c", "Pick", items, 0), -1);
  EXPECT_EQ(ui.ChooseFromList("c", "Pick", items, 1), 1);  // empty line: preselected
  EXPECT_EQ(ui.ChooseFromList("c", "Pick", {}, 0), -1);    // "-1" is no index: refused
  EXPECT_TRUE(AnswersRefused());
  ResetAnswerRefusal();
  ui.AddAnswer("7");
  EXPECT_EQ(ui.ChooseFromList("c", "Pick", items, 1), -1);  // out of range: refused
  EXPECT_TRUE(AnswersRefused());
  EXPECT_EQ(ui.Shown()[0], "c | Pick | 2");
  EXPECT_EQ(ui.Shown()[1], "c | Pick | cancel");
}

TEST_F(HeadlessUiTest, ArrowAnswersFeedPauses) {
  HeadlessUi ui({"left", "Down", "yes", "up"}, false);
  EXPECT_EQ(ui.PollArrowKey(), -1);
  EXPECT_EQ(ui.PollArrowKey(), +1);
  // The next answer is meant for a dialog: the pause goes on without taking it.
  EXPECT_EQ(ui.PollArrowKey(), +1);
  EXPECT_EQ(ui.MessageBox("c", "q", kMbYesNo), kIdYes);
  EXPECT_EQ(ui.PollArrowKey(), -1);
  EXPECT_EQ(ui.PollArrowKey(), +1);
  EXPECT_EQ(ui.Shown().size(), 1u);
}

TEST_F(HeadlessUiTest, ProgressAndBeeps) {
  HeadlessUi ui({}, false);
  auto progress = ui.CreateProgress("Install");
  progress->SetHeading("Start to transfer files...");
  progress->SetDetail("C:\\App\\a.txt");
  progress->SetPosition(50);
  ui.Beep();
  ui.Beep();
  EXPECT_EQ(ui.ProgressLog(),
            (std::vector<std::string>{"Start to transfer files...", "C:\\App\\a.txt"}));
  EXPECT_EQ(ui.Beeps(), 2);
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(HeadlessUiTest, AnswersComeFromTheEnvironment) {
  TestMachine machine;
  std::string file = machine.Dir() + "/answers.txt";
  std::ofstream(file, std::ios::binary) << "no\r\n\r\ntext:abc\n";
  setenv("VX_ANSWERS", file.c_str(), 1);
  std::unique_ptr<HeadlessUi> ui = HeadlessUi::FromEnvironment();
  unsetenv("VX_ANSWERS");
  EXPECT_EQ(ui->MessageBox("c", "q", kMbYesNo), kIdNo);
  EXPECT_EQ(ui->MessageBox("c", "q", kMbYesNo), kIdYes);  // empty line: default
  std::string value;
  EXPECT_TRUE(ui->AskText("c", "q", value));
  EXPECT_EQ(value, "abc");
  setenv("VX_ANSWERS", (machine.Dir() + "/missing.txt").c_str(), 1);
  ui = HeadlessUi::FromEnvironment();
  unsetenv("VX_ANSWERS");
  EXPECT_EQ(ui->MessageBox("c", "q", kMbOkCancel), kIdOk);
}

using MessageBoxTest = CoreTest;

TEST_F(MessageBoxTest, CaptionAndExclamationRule) {
  ShowMessage("before a script", kMbOk);
  UseScript({"[<ScreenLayout>]", "MsgBoxCaption=Demo Setup"});
  ui->AddAnswer("no");
  EXPECT_EQ(ShowMessage("Quit?", kMbYesNo | kMbIconQuestion), kIdNo);
  std::vector<std::string> shown = ui->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], " | before a script | ok");
  EXPECT_EQ(shown[1], "Demo Setup | Quit? | no");
}

// Records the full type each box was shown with.
class TypeRecorder : public HeadlessUi {
 public:
  TypeRecorder() : HeadlessUi({}, false) {}
  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override {
    types.push_back(type);
    return HeadlessUi::MessageBox(caption, text, type);
  }
  std::vector<std::uint32_t> types;
};

TEST_F(MessageBoxTest, IconsAddedOnlyToPlainBoxesWithoutOne) {
  auto recorder = std::make_unique<TypeRecorder>();
  TypeRecorder* r = recorder.get();
  SetUi(std::move(recorder));
  ShowMessage("a", kMbOk);
  ShowMessage("b", kMbOkCancel);
  ShowMessage("c", kMbYesNoCancel);
  ShowMessage("d", kMbYesNo);
  ShowMessage("e", kMbAbortRetryIgnore);
  ShowMessage("f", kMbRetryCancel);
  ShowMessage("g", kMbOk | kMbIconStop);
  ShowMessage("h", kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(r->types, (std::vector<std::uint32_t>{
                          kMbOk | kMbIconExclamation, kMbOkCancel | kMbIconExclamation,
                          kMbYesNoCancel | kMbIconExclamation, kMbYesNo | kMbIconExclamation,
                          kMbAbortRetryIgnore, kMbRetryCancel, kMbOk | kMbIconStop,
                          kMbYesNo | kMbIconQuestion}));
}

TEST_F(MessageBoxTest, FourChoiceUsesTheButtonTexts) {
  UseScript({"[<ScreenLayout>]", "MsgBoxCaption=Demo Setup"});
  WriteIni("C:\\Setup\\Fr.ini", {"[TEXT]", "Res40004=Oui pour tous"});
  SetLocaleFile("C:\\Setup\\Fr.ini");
  class ButtonRecorder : public HeadlessUi {
   public:
    ButtonRecorder() : HeadlessUi({"yes-all"}, false) {}
    int FourChoice(const std::string& c, const std::string& q,
                   const std::vector<std::string>& b) override {
      buttons = b;
      return HeadlessUi::FourChoice(c, q, b);
    }
    std::vector<std::string> buttons;
  };
  auto recorder = std::make_unique<ButtonRecorder>();
  ButtonRecorder* r = recorder.get();
  SetUi(std::move(recorder));
  EXPECT_EQ(AskFourChoice("Overwrite?"), 1);
  EXPECT_EQ(r->buttons, (std::vector<std::string>{"Yes", "Oui pour tous", "No", "No to all"}));
  EXPECT_EQ(r->Shown()[0], "Demo Setup | Overwrite? | yes-all");
  EXPECT_EQ(AskFourChoice("Again?"), 2);
}

}  // namespace
}  // namespace vx::test
