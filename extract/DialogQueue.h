// The extractor's two threads meet here. The worker hands work to the dialog thread the way a
// worker sends or posts window messages: Send runs a call on the dialog thread and waits for
// it, Post queues it and returns. The dialog thread drains the queue in its loop.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace vx::extract {

class DialogQueue {
 public:
  // Runs `call` on the dialog thread and returns after it ran; false (without running it)
  // once the dialog has closed, so that a worker never waits on a dialog that is gone.
  bool Send(std::function<void()> call);
  // Queues `call`; dropped when the dialog has closed.
  void Post(std::function<void()> call);

  // Dialog side: runs queued calls (at most `maxCalls`), waiting at most `timeoutMs` for
  // the first one. Returns the number run.
  int Pump(int timeoutMs, int maxCalls = 1 << 30);
  // Releases every waiting sender; later calls are refused.
  void Close();
  bool Closed() const;

 private:
  struct Item {
    std::function<void()> call;
    std::shared_ptr<bool> ran;  // set for sent items once the call returned
  };
  mutable std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable ran_;
  std::deque<Item> items_;
  bool closed_ = false;
};

// A manual-reset event: Wait blocks while it is reset.
class GoEvent {
 public:
  explicit GoEvent(bool signalled) : signalled_(signalled) {}
  void Set();
  void Reset();
  void Wait();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;
};

}  // namespace vx::extract
