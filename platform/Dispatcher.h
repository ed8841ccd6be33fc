// Where worker threads meet the interface thread. A worker hands work to the interface thread
// the way a worker sends or posts window messages: Send runs a call on the interface thread
// and waits for it, Post queues it and returns. The interface thread drains the queue in its
// loop (Pump), or a foreign event loop told through SetWakeup does. Portable code: the
// self-extractor's dialog and the engine's UI both use it.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vx {

class Dispatcher {
 public:
  // The calling thread becomes the interface thread.
  void BindToCurrentThread();
  bool OnInterfaceThread() const;

  // Runs `call` on the interface thread and returns after it ran (at once when called there);
  // false (without running it) once closed, so that a worker never waits on an interface
  // that is gone.
  bool Send(std::function<void()> call);
  // Send with a result: `fallback` when the call could not run.
  template <class R>
  R Call(const std::function<R()>& call, R fallback) {
    std::optional<R> result;
    if (!Send([&] { result.emplace(call()); }) || !result) return fallback;
    return std::move(*result);
  }
  // Queues `call`; dropped once closed.
  void Post(std::function<void()> call);
  // Post for a call that only refreshes what a window shows, which a worker may make
  // thousands of times a second: it wakes the interface thread only when nothing has woken
  // it for kRefreshMs, and otherwise runs, in order, at the next pump. Every loop of the
  // interface thread pumps at least that often (a modal box's loop at its next wake).
  void PostRefresh(std::function<void()> call);
  static constexpr int kRefreshMs = 20;

  // Interface side: runs queued calls (at most `maxCalls`), waiting at most `timeoutMs` for
  // the first one. Returns the number run.
  int Pump(int timeoutMs, int maxCalls = 1 << 30);
  // A foreign event loop (a GUI toolkit's) is told, from any thread, that calls are queued;
  // it then calls Pump(0) on the interface thread.
  void SetWakeup(std::function<void()> wake);
  // Releases every waiting sender; later calls are refused.
  void Close();
  bool Closed() const;

 private:
  struct Item {
    std::function<void()> call;
    std::shared_ptr<bool> ran;  // set for sent items once the call returned
  };
  void Queued(std::unique_lock<std::mutex>& lock);
  void Push(std::function<void()> call, bool refresh);

  mutable std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable ran_;
  std::deque<Item> items_;
  std::function<void()> wake_;
  std::chrono::steady_clock::time_point woken_{};  // when the interface thread was last woken
  // Read without the lock on every update a worker forwards; no thread has the empty id.
  std::atomic<std::thread::id> owner_{};
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

}  // namespace vx
