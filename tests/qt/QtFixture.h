// The Qt interface on Qt's offscreen platform: one application for the whole binary, a
// fresh machine and script per test, and a QtUi whose dialogs take queued answers.
#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QThread>
#include <functional>
#include <memory>

#include "engine/ui/qt/QtUi.h"
#include "engine/ui/qt/UiThread.h"
#include "tests/ui/UiFixture.h"

namespace vx::test {

inline QApplication& TestApplication() {
  // No test needs a display: the offscreen platform draws into memory.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_qt";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class QtTest : public UiTest {
 protected:
  QtTest() {
    TestApplication();
    // A window used off the interface thread fails the test loudly, whatever the build.
    qt::SetUiThreadChecked(true);
    auto qt = std::make_unique<qt::QtUi>(qt::Automation(true, {}, ""));
    qtUi = qt.get();
    SetUi(std::move(qt));
  }
  ~QtTest() override { SetUi(nullptr); }

  void Answer(const std::string& answer) { qtUi->Script().AddAnswer(answer); }
  std::vector<std::string> Shown() const { return qtUi->Script().Shown(); }

  // Runs the event loop until `done` or `ms` pass; true when done.
  static bool SpinUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
      if (t.elapsed() > ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
    return true;
  }

  // A picture of `w` by `h` in one colour, written to the machine as a BMP.
  std::string Picture(const std::string& winPath, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    machine.WriteFile(winPath, "");
    EXPECT_TRUE(image.save(QString::fromStdString(machine.Host(winPath)), "BMP"));
    return winPath;
  }

  qt::QtUi* qtUi = nullptr;
};

}  // namespace vx::test
