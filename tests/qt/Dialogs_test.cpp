// Each dialog's buttons, texts, icons and results, pressed by scripted answers as a user
// would press them, and the one line per dialog that headless runs print too.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <thread>

#include "engine/base/Flags.h"
#include "engine/base/MainEvents.h"
#include "engine/base/Texts.h"
#include "engine/ui/qt/BackdropWnd.h"
#include "engine/ui/qt/ChoiceDialog.h"
#include "engine/ui/qt/ConfirmUninstallDialog.h"
#include "engine/ui/qt/FourChoiceDialog.h"
#include "engine/ui/qt/MessageBoxDialog.h"
#include "engine/ui/qt/SearchDialog.h"
#include "engine/ui/qt/TextQuestionDialog.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

class DialogTest : public QtTest {
 protected:
  // Runs `check` on the first visible top-level widget of type T once the dialog is up, and
  // then lets `act` press something in it.
  template <class T>
  void WhenShown(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = dynamic_cast<T*>(w); t && t->isVisible()) {
          act(*t);
          return;
        }
      ADD_FAILURE() << "no dialog shown";
    });
  }
};

TEST_F(DialogTest, MessageBoxButtonsIconsAndAnswers) {
  qt::MessageBoxDialog yesNo(nullptr, "Cap", "Question?", kMbYesNo | kMbIconQuestion);
  ASSERT_EQ(yesNo.Choices().size(), 2u);
  EXPECT_EQ(yesNo.icon(), QMessageBox::Question);
  EXPECT_EQ(yesNo.windowTitle(), "Cap");
  qt::MessageBoxDialog stop(nullptr, "Cap", "Bad", kMbOk | kMbIconStop);
  EXPECT_EQ(stop.icon(), QMessageBox::Critical);
  qt::MessageBoxDialog ari(nullptr, "Cap", "?", kMbAbortRetryIgnore);
  EXPECT_EQ(ari.Choices().size(), 3u);
  EXPECT_EQ(ari.icon(), QMessageBox::NoIcon);

  Answer("no");
  EXPECT_EQ(qtUi->MessageBox("Cap", "Line 1\n\rLine 2", kMbYesNo | kMbIconExclamation), kIdNo);
  Answer("retry");
  EXPECT_EQ(qtUi->MessageBox("Cap", "x", kMbAbortRetryIgnore), kIdRetry);
  // An answer that fits no button is refused, as headless: the box closes without agreeing,
  // and so does every box after it while the run ends.
  Answer("bogus");
  Answer("yes");
  EXPECT_EQ(qtUi->MessageBox("Cap", "x", kMbOkCancel), kIdCancel);
  EXPECT_TRUE(AnswersRefused());
  EXPECT_EQ(qtUi->MessageBox("Cap", "x", kMbYesNoCancel), kIdCancel);
  std::vector<std::string> shown = Shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0], "Cap | Line 1\\n\\rLine 2 | no");
  EXPECT_EQ(shown[2], "Cap | x | cancel");
  EXPECT_EQ(shown[3], "Cap | x | cancel");
  ResetAnswerRefusal();

  // The quit question through the engine's box: exclamation added, text shown without \r.
  WhenShown<qt::MessageBoxDialog>([](qt::MessageBoxDialog& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_FALSE(box.text().contains('\r'));
    box.Button(kIdNo)->click();
  });
  qt::Automation user(false, {}, "");  // nobody scripted: the click above answers
  qt::MessageBoxDialog real(nullptr, "Cap", LoadText(TextId::QuitQuestion),
                            kMbYesNo | kMbIconExclamation);
  EXPECT_EQ(real.Run(user), kIdNo);
}

TEST_F(DialogTest, FourChoicePromptResults) {
  std::vector<std::string> texts = {LoadText(TextId::Yes), LoadText(TextId::YesToAll),
                                    LoadText(TextId::No), LoadText(TextId::NoToAll)};
  qt::FourChoiceDialog d(nullptr, "Cap", "Replace C:\\a.txt?", texts);
  EXPECT_EQ(d.Button(1)->text(), "Y&es to all");  // each button with its own underlined letter
  EXPECT_EQ(d.Button(3)->text(), "N&o to all");
  EXPECT_TRUE(d.Question()->isReadOnly());
  EXPECT_EQ(d.Question()->toPlainText(), "Replace C:\\a.txt?");
  for (auto [answer, result] :
       {std::pair{"yes", 0}, {"yes-all", 1}, {"no", 2}, {"no-all", 3}, {"ok", 2}}) {
    Answer(answer);
    EXPECT_EQ(qtUi->FourChoice("Cap", "Q", texts), result) << answer;
  }
  // Closed with Esc: No.
  qt::Automation user(false, {}, "");
  qt::FourChoiceDialog esc(nullptr, "Cap", "Q", texts);
  QTimer::singleShot(0, &esc, [&esc] { esc.reject(); });
  EXPECT_EQ(esc.Run(user), 2);
  EXPECT_EQ(Shown().back(), "Cap | Q | no");
}

TEST_F(DialogTest, DiskPromptBrowseFillsTheFieldAndTextAnswersFillIt) {
  qt::TextQuestionDialog d(nullptr, "Insert Diskette", "Please insert disk 2", "A:\\", "OK",
                           "Cancel", LoadText(TextId::Browse));
  ASSERT_NE(d.Browse(), nullptr);
  EXPECT_EQ(d.Browse()->text(), "Browse");
  EXPECT_EQ(d.Field()->text(), "A:\\");
  d.chooseFolder = [](const QString& start) {
    EXPECT_EQ(start, "A:\\");
    return QString("D:\\Disks\\");
  };
  d.Browse()->click();
  EXPECT_EQ(d.Field()->text(), "D:\\Disks\\");

  std::string value = "A:\\";
  Answer("text:E:\\Pkg\\");
  EXPECT_TRUE(qtUi->AskText("Insert Diskette", "Where?", value));
  EXPECT_EQ(value, "E:\\Pkg\\");
  Answer("cancel");
  EXPECT_FALSE(qtUi->AskText("Insert Diskette", "Where?", value));
  Answer("ok");
  EXPECT_TRUE(qtUi->AskText("Name", "Your name", value));
  EXPECT_EQ(value, "E:\\Pkg\\");
  std::vector<std::string> shown = Shown();
  EXPECT_EQ(shown[0], "Insert Diskette | Where? | text:E:\\Pkg\\");
  EXPECT_EQ(shown[1], "Insert Diskette | Where? | cancel");
  EXPECT_EQ(shown[2], "Name | Your name | ok");
}

TEST_F(DialogTest, ChoiceDialogPictureListAndDoubleClick) {
  qt::ChoiceDialog d(nullptr, "Cap", "Pick one", {"A", "B", "C"}, 0, LoadText(TextId::Ok));
  EXPECT_FALSE(d.Picture()->pixmap().isNull());
  EXPECT_EQ(d.List()->count(), 3);
  EXPECT_EQ(d.List()->currentRow(), 0);
  EXPECT_EQ(d.Ok()->text(), "OK");
  qt::Automation user(false, {}, "");
  QTimer::singleShot(0, &d, [&d] { emit d.List()->itemDoubleClicked(d.List()->item(2)); });
  EXPECT_EQ(d.Run(user), 2);

  Answer("1");
  EXPECT_EQ(qtUi->ChooseFromList("Cap", "Pick", {"A", "B"}, 0), 1);
  Answer("cancel");
  EXPECT_EQ(qtUi->ChooseFromList("Cap", "Pick", {"A", "B"}, 0), -1);
  Answer("7");  // no such item: refused, as headless, and closed without OK
  EXPECT_EQ(qtUi->ChooseFromList("Cap", "Pick", {"A", "B"}, 0), -1);
  EXPECT_TRUE(AnswersRefused());
  ResetAnswerRefusal();
}

TEST_F(DialogTest, UninstallConfirmationTextsAndButtons) {
  std::vector<std::string> texts = {LoadText(TextId::UninstallChosen),
                                    LoadText(TextId::UninstallRemovesAll),
                                    LoadText(TextId::UninstallCannotStop)};
  qt::ConfirmUninstallDialog d(nullptr, LoadText(TextId::UninstallCaption) + "Demo", texts, "OK",
                               "Cancel");
  EXPECT_EQ(d.windowTitle(), "Uninstall Demo");
  EXPECT_EQ(d.Cancel()->text(), "Cancel");
  Answer("cancel");
  EXPECT_FALSE(qtUi->ConfirmUninstall("Uninstall Demo", texts));
  EXPECT_TRUE(qtUi->ConfirmUninstall("Uninstall Demo", texts));  // default OK
  EXPECT_EQ(Shown().back(), "Uninstall Demo | " + texts[0] + "\\r\\n\\r\\n" + texts[1] +
                                "\\r\\n\\r\\n" + texts[2] + " | ok");
}

TEST_F(DialogTest, SearchDialogStopsThroughTheExitCommandAndListsSeveral) {
  Events().Clear();
  std::unique_ptr<ProgressView> view = qtUi->CreateProgress(LoadText(TextId::SearchingForFile));
  view->SetHeading(FormatText(LoadText(TextId::SearchWait), "app.cfg"));
  view->SetDetail("C:\\Program Files");
  view->Show(true);
  qt::SearchDialog* d = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* s = dynamic_cast<qt::SearchDialog*>(w); s && s->isVisible()) d = s;
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Folder()->text(), "C:\\Program Files");
  EXPECT_FALSE(d->List()->isVisible());
  EXPECT_EQ(d->Button()->text(), "Stop");
  d->Button()->click();
  MainEvent e;
  ASSERT_TRUE(Events().Poll(e));
  EXPECT_EQ(e.message, MainMessage::Exit);

  Answer("1");
  EXPECT_EQ(qtUi->ChooseFromList(LoadText(TextId::SearchingForFile),
                                 LoadText(TextId::SearchSeveralFound), {"C:\\A\\", "D:\\B\\"}, 0),
            1);
  EXPECT_EQ(d->Button()->text(), "OK");
  EXPECT_EQ(d->List()->count(), 2);
}

TEST_F(DialogTest, AFourChoiceAskedFromAWorkerLeavesTheInterfaceRepainting) {
  // A user answers: nothing is scripted.
  auto user = std::make_unique<qt::QtUi>(qt::Automation(false, {}, ""));
  qtUi = user.get();
  SetUi(std::move(user));
  UseScript({"[<ScreenLayout>]", "Style2=1", "WinBkColor=255"});
  qtUi->CreateMainWindow();
  qtUi->LayoutMainWindow();
  int result = -1;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    // Through the engine's front: sent to the interface thread, which shows the dialog.
    result = CurrentUi().FourChoice("Cap", "Overwrite?", {"Yes", "Yes to all", "No", "No to all"});
    done = true;
  });
  qt::BackdropCanvas* canvas = qtUi->Backdrop()->Canvas();
  int before = canvas->Paints();
  bool pressed = false, answeredEarly = false;
  // The dialog runs a loop of its own: the checks run from timers inside it.
  QTimer repaint, check;
  QObject::connect(&repaint, &QTimer::timeout, canvas, [canvas] { canvas->repaint(); });
  QObject::connect(&check, &QTimer::timeout, canvas, [&] {
    if (pressed || canvas->Paints() <= before + 5) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = dynamic_cast<qt::FourChoiceDialog*>(w); d && d->isVisible()) {
        answeredEarly = done;
        pressed = true;
        d->Button(1)->click();
      }
  });
  repaint.start(5);
  check.start(5);
  ASSERT_TRUE(SpinUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_TRUE(pressed);
  EXPECT_FALSE(answeredEarly);
  EXPECT_EQ(result, 1);
}

TEST_F(DialogTest, ArrowKeysAnswerAPauseOnlyWhileItWaits) {
  qtUi->CreateMainWindow();
  qt::QtUi user(qt::Automation(false, {}, ""));
  QWidget* target = qtUi->Backdrop();
  auto press = [&](int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  };
  Flags().waitingForKey = false;
  press(Qt::Key_Right);
  EXPECT_EQ(user.PollArrowKey(), 0);
  Flags().waitingForKey = true;
  press(Qt::Key_A);
  EXPECT_EQ(user.PollArrowKey(), 0);
  press(Qt::Key_Up);
  EXPECT_EQ(user.PollArrowKey(), -1);
  press(Qt::Key_Down);
  EXPECT_EQ(user.PollArrowKey(), +1);
  EXPECT_EQ(user.PollArrowKey(), 0);
  // Scripted: an arrow answer presses the key; without one the pause goes on.
  qt::QtUi scripted(qt::Automation(true, {"left"}, ""));
  int got = 0;
  SpinUntil([&] { return (got = scripted.PollArrowKey()) != 0; });
  EXPECT_EQ(got, -1);
  EXPECT_EQ(scripted.PollArrowKey(), +1);
  Flags().waitingForKey = false;
}

}  // namespace
}  // namespace vx::test
