// The Win32 windows answering scripted answers through their controls, with the same words
// and refusals as every interface, and their pictures. Needs a display: run by win32-e2e.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "engine/base/Flags.h"
#include "engine/base/Texts.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/win32/UiThread.h"
#include "engine/ui/win32/Win32Ui.h"
#include "platform/Dispatcher.h"

namespace vx::win32 {
namespace {

namespace fs = std::filesystem;

class Win32Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAnswerRefusal();
    // Each test's pictures in a folder of its own, kept where the caller asks to look at them.
    const char* keep = std::getenv("VX_TEST_PICTURES");
    fs::path base = keep && *keep ? fs::path(keep) : fs::temp_directory_path() / "vx-win32ui";
    dir_ = base / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { ResetAnswerRefusal(); }
  std::unique_ptr<Win32Ui> Scripted(std::vector<std::string> answers) {
    return std::make_unique<Win32Ui>(Automation(true, std::move(answers), dir_.string()));
  }
  std::vector<std::string> Pictures() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(Win32Windows, QuestionsTakeTheirAnswersThroughTheirControls) {
  auto ui = Scripted({"no", "", "yes-all", "text:C:\\Apps\\Other", "cancel", "1", "", "cancel"});
  EXPECT_EQ(kIdNo, ui->MessageBox("Demo Setup", "Replace it?", kMbYesNo | kMbIconQuestion));
  EXPECT_EQ(kIdOk, ui->MessageBox("Demo Setup", "Done.", kMbOkCancel));  // the default
  EXPECT_EQ(1, ui->FourChoice("Demo Setup", "Overwrite \"a.dll\"?",
                              {"Yes", "Yes to all", "No", "No to all"}));
  std::string folder = "C:\\Apps\\Demo";
  EXPECT_TRUE(ui->AskText("Insert Diskette", "Please specify the full path.", folder));
  EXPECT_EQ("C:\\Apps\\Other", folder);
  EXPECT_FALSE(ui->AskText("Folder", "Where?", folder));
  EXPECT_EQ("C:\\Apps\\Other", folder);
  EXPECT_EQ(1, ui->ChooseFromList("Demo Setup", "Pick one", {"red", "green", "blue"}, 0));
  EXPECT_EQ(2, ui->ChooseFromList("Demo Setup", "Pick one", {"red", "green", "blue"}, 2));
  EXPECT_FALSE(ui->ConfirmUninstall("Uninstall Demo", {"First.", "Second.", "Third?"}));
  EXPECT_FALSE(AnswersRefused());
  EXPECT_TRUE(ui->UnusedAnswers().empty());
  // One picture per dialog, named by order, kind and caption.
  EXPECT_EQ(
      (std::vector<std::string>{"0001-message-Demo_Setup.png", "0002-message-Demo_Setup.png",
                                "0003-question-Demo_Setup.png", "0004-text-Insert_Diskette.png",
                                "0005-text-Folder.png", "0006-choice-Demo_Setup.png",
                                "0007-choice-Demo_Setup.png", "0008-confirm-Uninstall_Demo.png"}),
      Pictures());
  // A PNG file, not an empty one.
  EXPECT_GT(fs::file_size(dir_ / "0001-message-Demo_Setup.png"), 1000u);
}

TEST_F(Win32Windows, AnAnswerThatDoesNotFitIsRefusedAndTheDialogClosesWithoutAgreeing) {
  auto ui = Scripted({"maybe", "yes"});
  EXPECT_EQ(kIdNo, ui->MessageBox("Demo Setup", "Replace it?", kMbYesNo));
  EXPECT_TRUE(AnswersRefused());
  // Once refused, every later dialog closes without agreeing, whatever the answers say.
  EXPECT_EQ(kIdCancel, ui->MessageBox("Demo Setup", "Go on?", kMbOkCancel));
  EXPECT_EQ(-1, ui->ChooseFromList("Demo Setup", "Pick one", {"red"}, 0));
}

TEST_F(Win32Windows, ListsRefuseRowsTheyDoNotHave) {
  auto ui = Scripted({"7"});
  EXPECT_EQ(-1, ui->ChooseFromList("Demo Setup", "Pick one", {"red", "green"}, 0));
  EXPECT_TRUE(AnswersRefused());
}

TEST_F(Win32Windows, TheFileSearchOffersTheFoldersFoundInItsOwnDialog) {
  auto ui = Scripted({"1"});
  const std::string title = LoadText(TextId::SearchingForFile);
  std::unique_ptr<ProgressView> view = ui->CreateProgress(title);
  view->SetHeading("Looking for a.dll");
  view->Show(true);
  EXPECT_EQ(1, ui->ChooseFromList(title, LoadText(TextId::SearchSeveralFound),
                                  {"C:\\One\\", "C:\\Two\\"}, 0));
  view.reset();
  EXPECT_FALSE(AnswersRefused());
}

TEST_F(Win32Windows, AScriptedArrowIsAKeyPressTheKeyWaitTakes) {
  auto ui = Scripted({"left"});
  Flags().waitingForKey = true;
  Dispatcher dispatcher;
  dispatcher.BindToCurrentThread();
  int arrow = ui->PollArrowKey();
  // The press travels as a window message: it arrives through the loop.
  ui->WaitModal(dispatcher, [&] { return arrow != 0 || (arrow = ui->PollArrowKey()) != 0; });
  Flags().waitingForKey = false;
  EXPECT_EQ(-1, arrow);
}

TEST_F(Win32Windows, ProgressWindowsShowTheirLinesAndArePictured) {
  auto ui = Scripted({});
  std::unique_ptr<ProgressView> view = ui->CreateProgress("Install");
  view->SetHeading("Copying files");
  view->SetDetail("C:\\Apps\\Demo\\App.exe");
  view->SetPosition(40);
  view->Show(true);
  Dispatcher dispatcher;
  dispatcher.BindToCurrentThread();
  int rounds = 0;
  ui->WaitModal(dispatcher, [&] { return ++rounds > 20; });
  view.reset();
  ASSERT_FALSE(Pictures().empty());
  EXPECT_EQ("0001-progress-Install.png", Pictures().front());
}

TEST_F(Win32Windows, TheMainWindowsMenuOpensTheAboutBox) {
  auto ui = Scripted({"ok"});
  ASSERT_TRUE(ui->CreateMainWindow());
  ui->LayoutMainWindow();
  HWND main = ui->Owner();
  ASSERT_NE(nullptr, main);
  SendMessageW(main, WM_COMMAND, 57664, 0);  // Help > About
  EXPECT_TRUE(ui->UnusedAnswers().empty());
  std::vector<std::string> pictures = Pictures();
  EXPECT_TRUE(std::any_of(pictures.begin(), pictures.end(), [](const std::string& name) {
    return name.find("-about-About_Install.png") != std::string::npos;
  }));
}

// The user's keyboard: the caller presses "o" on the display again and again (xdotool) until
// this test ends; the question's underlined letter answers it.
TEST_F(Win32Windows, AKeyPressOnTheDisplayAnswersAQuestion) {
  const char* keys = std::getenv("VX_TEST_KEYS");
  if (keys == nullptr || *keys == '\0') GTEST_SKIP() << "needs key presses from outside";
  Win32Ui ui(Automation(false, {}, dir_.string()));
  EXPECT_EQ(
      3, ui.FourChoice("Keys", "Overwrite \"a.dll\"?", {"Yes", "Yes to all", "No", "No to all"}));
}

TEST_F(Win32Windows, AWindowUsedOffTheInterfaceThreadStopsTheProgram) {
  auto ui = Scripted({});
  SetUiThreadChecked(true);
  EXPECT_DEATH(std::thread([&] { ui->MessageBox("Demo", "From a worker", kMbOk); }).join(),
               "off the interface thread");
  SetUiThreadChecked(false);
}

}  // namespace
}  // namespace vx::win32
