// Calls that must run on the interface thread (Qt's). Workers reach the windows through the
// engine's dispatcher; these helpers only make a stray call from another thread safe: it is
// run on the interface thread (Send waits for it, Post does not) instead of touching a widget.
#pragma once
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <functional>
#include <utility>

namespace vx::qt {

inline bool OnInterfaceThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

template <class F>
auto Send(F&& f) -> decltype(f()) {
  if (OnInterfaceThread()) return f();
  using R = decltype(f());
  if constexpr (std::is_void_v<R>) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f),
                              Qt::BlockingQueuedConnection);
  } else {
    R result{};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

inline void Post(std::function<void()> f) {
  if (OnInterfaceThread()) {
    f();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(f), Qt::QueuedConnection);
}

}  // namespace vx::qt
