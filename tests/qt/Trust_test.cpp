// The windows never freeze or strand the keyboard: a fixed wait on the interface thread keeps
// the event loop (painting, timers) running, a question answers to Escape and to its
// underlined letters typed alone, and the focus goes back to where it was afterwards.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

#include "engine/ui/InterfaceWait.h"
#include "engine/ui/qt/FourChoiceDialog.h"
#include "engine/ui/qt/MessageBoxDialog.h"
#include "platform/Dispatcher.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

using TrustTest = QtTest;

// Presses `key` (with `modifiers`) in the active modal dialog once it is up.
void PressInDialog(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTimer::singleShot(0, [key, modifiers] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr);
    QWidget* target = QApplication::focusWidget() && QApplication::focusWidget()->window() == w
                          ? QApplication::focusWidget()
                          : w;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QKeySequence(key).toString().toLower());
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QKeySequence(key).toString().toLower());
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
  });
}

TEST_F(TrustTest, QuestionsAnswerToEscapeAndToTheirLettersAndGiveTheFocusBack) {
  // The questions belong to the main window behind; the page in front had the keyboard.
  QWidget backdrop;
  backdrop.show();
  QWidget page;
  auto* layout = new QVBoxLayout(&page);
  auto* field = new QLineEdit(&page);
  layout->addWidget(new QLineEdit(&page));
  layout->addWidget(field);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(SpinUntil([&] { return page.isActiveWindow(); }));
  field->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), field);

  qt::Automation user(false, {}, "");  // nobody scripted: the keys answer
  struct Case {
    std::uint32_t type;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int answer;
  };
  const Case cases[] = {
      {kMbYesNo | kMbIconQuestion, Qt::Key_Escape, Qt::NoModifier, kIdNo},
      {kMbYesNo, Qt::Key_Y, Qt::NoModifier, kIdYes},
      {kMbYesNo, Qt::Key_N, Qt::NoModifier, kIdNo},
      {kMbYesNo, Qt::Key_Y, Qt::AltModifier, kIdYes},
      {kMbYesNoCancel, Qt::Key_Escape, Qt::NoModifier, kIdCancel},
      {kMbOk, Qt::Key_Escape, Qt::NoModifier, kIdOk},
      {kMbOkCancel, Qt::Key_C, Qt::NoModifier, kIdCancel},
  };
  for (const Case& c : cases) {
    qt::MessageBoxDialog box(&backdrop, "Cap", "Quit?", c.type);
    PressInDialog(c.key, c.modifiers);
    EXPECT_EQ(box.Run(user), c.answer) << c.type << " " << c.key;
    // The page has the keyboard again, in the field it had.
    EXPECT_TRUE(SpinUntil([&] { return QApplication::focusWidget() == field; }, 1000))
        << c.type << " " << c.key;
  }

  std::vector<std::string> texts = {"Yes", "Yes to all", "No", "No to all"};
  for (auto [key, result] : {std::pair{Qt::Key_O, 3}, {Qt::Key_E, 1}, {Qt::Key_Escape, 2}}) {
    qt::FourChoiceDialog question(&backdrop, "Cap", "Delete C:\\a.txt?", texts);
    PressInDialog(key);
    EXPECT_EQ(question.Run(user), result) << key;
    EXPECT_TRUE(SpinUntil([&] { return QApplication::focusWidget() == field; }, 1000)) << key;
  }
}

TEST_F(TrustTest, AFixedWaitOnTheInterfaceThreadKeepsTheWindowsRunning) {
  SetPaceFactor(1);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  QElapsedTimer clock;
  clock.start();
  PacedPause(300);
  EXPECT_GE(clock.elapsed(), 290);
  EXPECT_GE(ticks, 10);  // the event loop ran all along: windows repaint, timers fire
  // A worker just sleeps: the interface thread's loop is not its to run.
  ticks = 0;
  std::thread worker([] { PacedPause(100); });
  worker.join();
  EXPECT_EQ(ticks, 0);
  SetPaceFactor(0);
  clock.restart();
  PacedPause(5000);  // no pacing: no wait
  EXPECT_LT(clock.elapsed(), 1000);
}

}  // namespace
}  // namespace vx::test
