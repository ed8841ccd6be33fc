// The wizard tests need one application object for all their windows.
#include <gtest/gtest.h>

#include <QApplication>

#include "engine/ui/qt/UiThread.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  // A window used off the interface thread fails the test loudly, whatever the build.
  vx::qt::SetUiThreadChecked(true);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
