#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace vx {
namespace {

TEST(DispatcherTest, SendRunsOnThePumpingThreadAndFailsOnceClosed) {
  Dispatcher queue;
  std::thread::id ranOn;
  bool sent = false;
  std::thread worker([&] { sent = queue.Send([&] { ranOn = std::this_thread::get_id(); }); });
  while (queue.Pump(10) == 0) {
  }
  worker.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(ranOn, std::this_thread::get_id());

  bool ran = false;
  std::thread late([&] { sent = queue.Send([&] { ran = true; }); });
  // A sender waiting on a dialog that closes (or already closed) is released without its
  // call running.
  queue.Close();
  late.join();
  EXPECT_FALSE(ran);
  EXPECT_FALSE(queue.Send([] {}));
}

// Refreshes that wake nobody still run at the next pump, in their place among other calls.
TEST(DispatcherTest, RefreshesRunInOrderWithOtherCalls) {
  Dispatcher queue;
  queue.BindToCurrentThread();
  std::string ran;
  std::thread worker([&] {
    for (char c : std::string("abcdef")) {
      if (c == 'c') {
        queue.Post([&ran, c] { ran += c; });
      } else {
        queue.PostRefresh([&ran, c] { ran += c; });
      }
    }
    queue.Send([&ran] { ran += '!'; });
  });
  while (ran.find('!') == std::string::npos) queue.Pump(Dispatcher::kRefreshMs);
  worker.join();
  EXPECT_EQ(ran, "abcdef!");
}

}  // namespace
}  // namespace vx
