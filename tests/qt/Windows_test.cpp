// The progress windows (Cancel, hidden Cancel, dragging by the body) and the splash
// window's rules under VX_PACE.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTimer>

#include "engine/base/Flags.h"
#include "engine/ui/qt/ProgressWindow.h"
#include "engine/ui/qt/SplashWnd.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

class WindowTest : public QtTest {};

TEST_F(WindowTest, ProgressWindowsCancelAndDrag) {
  Flags().stopRequest = false;
  std::unique_ptr<ProgressView> view = qtUi->CreateProgress("Install");
  view->SetHeading("Start to transfer files...");
  view->SetDetail("C:\\App\\app.exe");
  view->SetPosition(140);
  view->Show(true);
  qt::ProgressWindow* w = nullptr;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (auto* p = dynamic_cast<qt::ProgressWindow*>(t); p && p->isVisible()) w = p;
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Kind(), qt::ProgressKind::Transfer);
  EXPECT_EQ(w->Heading()->text(), "Start to transfer files...");
  EXPECT_EQ(w->Detail()->text(), "C:\\App\\app.exe");
  EXPECT_EQ(w->Bar()->value(), 100);
  EXPECT_EQ(w->CancelButton()->text(), "Cancel");
  w->CancelButton()->click();
  EXPECT_TRUE(Flags().stopRequest);
  Flags().stopRequest = false;

  // Dragged by a point of its body: the window follows the mouse.
  QPoint start = w->pos();
  QPoint inside(5, 5), global = w->mapToGlobal(inside);
  QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(w, &press);
  QPoint to = global + QPoint(30, 20);
  QMouseEvent move(QEvent::MouseMove, w->mapFromGlobal(to), to, Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(w, &move);
  EXPECT_EQ(w->pos(), start + QPoint(30, 20));
  view.reset();
  SpinUntil([&] { return false; }, 50);

  std::unique_ptr<ProgressView> uninstall = qtUi->CreateProgress("Uninstall Demo");
  uninstall->HideCancel();
  uninstall->Show(true);
  qt::ProgressWindow* u = nullptr;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (auto* p = dynamic_cast<qt::ProgressWindow*>(t); p && p->isVisible()) u = p;
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->Kind(), qt::ProgressKind::Uninstall);
  EXPECT_FALSE(u->CancelButton()->isVisible());

  std::unique_ptr<ProgressView> prep = qtUi->CreateProgress("Initialize Installer...");
  prep->Show(true);
  prep->SetHeading("Resolving variables...");
  for (QWidget* t : QApplication::topLevelWidgets())
    if (auto* p = dynamic_cast<qt::ProgressWindow*>(t);
        p && p->Kind() == qt::ProgressKind::Preparation) {
      EXPECT_EQ(p->Heading()->text(), "Resolving variables...");
      EXPECT_EQ(p->CancelButton(), nullptr);
    }
}

TEST_F(WindowTest, SplashIsSizedCentredAndStaysByPace) {
  std::string pic = Picture("C:\\Setup\\Splash.bmp", 120, 80, QColor(10, 200, 30));
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  {
    SetPaceFactor(0);  // no stay: gone once drawn
    qt::CSplashWnd splash(pic, qtUi->Script());
    QElapsedTimer t;
    t.start();
    splash.Run();
    EXPECT_TRUE(splash.Drawn());
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(splash.size(), QSize(120, 80));
    EXPECT_EQ(splash.geometry().center(), screen.center());
    EXPECT_EQ(QColor(splash.Picture().pixel(60, 40)), QColor(10, 200, 30));
  }
  {
    SetPaceFactor(0.03);  // 300 ms
    qt::CSplashWnd splash(pic, qtUi->Script());
    QElapsedTimer t;
    t.start();
    splash.Run();
    EXPECT_GE(t.elapsed(), 300);
  }
  {
    SetPaceFactor(1);  // 10 s, unless clicked
    qt::CSplashWnd splash(pic, qtUi->Script());
    QTimer::singleShot(100, &splash, [&splash] {
      QMouseEvent click(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                        Qt::LeftButton, {});
      QApplication::sendEvent(&splash, &click);
    });
    QElapsedTimer t;
    t.start();
    splash.Run();
    EXPECT_TRUE(splash.Clicked());
    EXPECT_LT(t.elapsed(), 5000);
  }
  {
    // A picture that cannot be read: nothing to show, nothing to wait for.
    qt::CSplashWnd splash("C:\\Setup\\none.bmp", qtUi->Script());
    QElapsedTimer t;
    t.start();
    splash.Run();
    EXPECT_LT(t.elapsed(), 3000);
  }
  SetPaceFactor(0);
}

}  // namespace
}  // namespace vx::test
