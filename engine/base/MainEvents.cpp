#include "engine/base/MainEvents.h"

#include "engine/base/EngineRun.h"

namespace vx {

void MainEvents::Post(MainMessage message, int code) {
  std::function<void()> notify;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({message, code});
    notify = onPost_;
  }
  ready_.notify_one();
  if (notify) notify();
}

void MainEvents::SetOnPost(std::function<void()> notify) {
  std::lock_guard lock(mutex_);
  onPost_ = std::move(notify);
}

MainEvent MainEvents::Wait() {
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return !queue_.empty(); });
  MainEvent e = queue_.front();
  queue_.pop_front();
  return e;
}

bool MainEvents::Poll(MainEvent& event) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  event = queue_.front();
  queue_.pop_front();
  return true;
}

void MainEvents::Clear() {
  std::lock_guard lock(mutex_);
  queue_.clear();
}

MainEvents& Events() { return CurrentRun().events; }

}  // namespace vx
