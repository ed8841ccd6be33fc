// The thread rule checked: a window touched from a worker aborts with a message naming the
// call when the check is on, and is handed to the interface thread when it is off.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/ui/qt/UiThread.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

using UiThreadTest = QtTest;

TEST_F(UiThreadTest, AWindowUsedOffTheInterfaceThreadAbortsWhenChecked) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        std::thread worker([] { qt::Post([] {}); });
        worker.join();
      },
      "used off the interface thread");
  qt::Post([] {});  // on the interface thread nothing is wrong

  qt::SetUiThreadChecked(false);
  std::atomic<bool> ran{false};
  std::thread worker([&] { qt::Post([&] { ran = true; }); });
  worker.join();
  EXPECT_TRUE(SpinUntil([&] { return ran.load(); }));
  qt::SetUiThreadChecked(true);
}

}  // namespace
}  // namespace vx::test
