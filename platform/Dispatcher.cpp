#include "platform/Dispatcher.h"

#include <chrono>

namespace vx {

void Dispatcher::BindToCurrentThread() { owner_.store(std::this_thread::get_id()); }

bool Dispatcher::OnInterfaceThread() const { return owner_.load() == std::this_thread::get_id(); }

void Dispatcher::SetWakeup(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

void Dispatcher::Queued(std::unique_lock<std::mutex>& lock) {
  woken_ = std::chrono::steady_clock::now();
  std::function<void()> wake;
  if (wake_) wake = wake_;
  // Woken after the lock is let go, the pumping thread does not block on it at once; the
  // event loop may pump at once too.
  lock.unlock();
  queued_.notify_all();
  if (wake) wake();
  lock.lock();
}

bool Dispatcher::Send(std::function<void()> call) {
  auto ran = std::make_shared<bool>(false);
  std::unique_lock lock(mutex_);
  if (closed_) return false;
  // Waiting for itself would never end: the interface thread runs its own call in place.
  if (OnInterfaceThread()) {
    lock.unlock();
    call();
    return true;
  }
  items_.push_back(Item{std::move(call), ran});
  Queued(lock);
  ran_.wait(lock, [&] { return *ran || closed_; });
  return *ran;
}

void Dispatcher::Post(std::function<void()> call) { Push(std::move(call), false); }

void Dispatcher::PostRefresh(std::function<void()> call) { Push(std::move(call), true); }

void Dispatcher::Push(std::function<void()> call, bool refresh) {
  std::unique_lock lock(mutex_);
  if (closed_) return;
  items_.push_back(Item{std::move(call), nullptr});
  if (!refresh ||
      std::chrono::steady_clock::now() - woken_ >= std::chrono::milliseconds(kRefreshMs)) {
    Queued(lock);
  }
}

int Dispatcher::Pump(int timeoutMs, int maxCalls) {
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

void Dispatcher::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  items_.clear();
  queued_.notify_all();
  ran_.notify_all();
}

bool Dispatcher::Closed() const {
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

}  // namespace vx
