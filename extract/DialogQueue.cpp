#include "extract/DialogQueue.h"

#include <chrono>

namespace vx::extract {

bool DialogQueue::Send(std::function<void()> call) {
  auto ran = std::make_shared<bool>(false);
  std::unique_lock lock(mutex_);
  if (closed_) return false;
  items_.push_back(Item{std::move(call), ran});
  queued_.notify_all();
  ran_.wait(lock, [&] { return *ran || closed_; });
  return *ran;
}

void DialogQueue::Post(std::function<void()> call) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  items_.push_back(Item{std::move(call), nullptr});
  queued_.notify_all();
}

int DialogQueue::Pump(int timeoutMs, int maxCalls) {
  std::unique_lock lock(mutex_);
  queued_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [&] { return !items_.empty() || closed_; });
  int count = 0;
  while (count < maxCalls && !items_.empty() && !closed_) {
    Item item = std::move(items_.front());
    items_.pop_front();
    lock.unlock();
    item.call();  // may close the queue or send nothing; never holds the lock
    lock.lock();
    if (item.ran) {
      *item.ran = true;
      ran_.notify_all();
    }
    ++count;
  }
  return count;
}

void DialogQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  items_.clear();
  queued_.notify_all();
  ran_.notify_all();
}

bool DialogQueue::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

void GoEvent::Set() {
  std::lock_guard lock(mutex_);
  signalled_ = true;
  changed_.notify_all();
}

void GoEvent::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

void GoEvent::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return signalled_; });
}

}  // namespace vx::extract
