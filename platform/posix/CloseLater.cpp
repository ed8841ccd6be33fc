#include "platform/posix/CloseLater.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vx::posix {

namespace {

// A close of a deleted file is mostly a wait on the disk: a few threads overlap those waits.
constexpr std::size_t kClosers = 3;
// Descriptors waiting at most: far below any descriptor limit.
constexpr std::size_t kMaxPending = 64;
constexpr std::size_t kBatch = 16;
constexpr std::chrono::milliseconds kGather{20};

// Set in a forked child: the closing threads are the parent's, not its own.
std::atomic<bool> forked{false};
void MarkForked() { forked.store(true, std::memory_order_relaxed); }

class Closers {
 public:
  Closers() {
    for (std::thread& t : threads_) t = std::thread([this] { Run(); });
  }

  // False when the queue is full or drained (the caller closes then).
  bool Push(int fd) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_ || count_ == kMaxPending) return false;
      ring_[(head_ + count_++) % kMaxPending] = fd;
      // A closer is woken for the first close of a burst and for each batch made ready.
      if (count_ != 1 && count_ % kBatch != 0) return true;
    }
    wake_.notify_one();
    return true;
  }

  // Makes every pending close and ends the threads.
  void Drain() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    int batch[kBatch];
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || count_ != 0; });
      // Deletes come in bursts, and on a fast disk a wake-up costs more than a close: the
      // closes are gathered into batches, waiting a moment at most for one to fill.
      wake_.wait_for(lock, kGather, [this] { return stopping_ || count_ >= kBatch; });
      if (count_ == 0) {
        if (stopping_) return;
        continue;
      }
      std::size_t n = 0;
      for (; n < kBatch && count_ != 0; ++n, --count_) {
        batch[n] = ring_[head_];
        head_ = (head_ + 1) % kMaxPending;
      }
      lock.unlock();
      for (std::size_t i = 0; i < n; ++i) ::close(batch[i]);
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  int ring_[kMaxPending];
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  bool stopping_ = false;
  std::thread threads_[kClosers];
};

// Never destroyed: at exit the threads are drained by DrainAtExit, which a forked child
// (whose copy has no threads behind it) passes over.
Closers* closers = nullptr;

void DrainAtExit() {
  if (!forked.load(std::memory_order_relaxed)) closers->Drain();
}

Closers* Start() {
  ::pthread_atfork(nullptr, nullptr, MarkForked);
  closers = new Closers;
  std::atexit(DrainAtExit);
  return closers;
}

}  // namespace

void CloseLater(int fd) {
  if (forked.load(std::memory_order_relaxed)) {
    ::close(fd);
    return;
  }
  static Closers* const started = Start();
  if (!started->Push(fd)) ::close(fd);
}

void ReleaseHeld(int fd, bool removed) {
  if (fd < 0) return;
  if (removed) {
    CloseLater(fd);
  } else {
    ::close(fd);
  }
}

}  // namespace vx::posix
