// Calls that must run on the interface thread (Qt's). Workers reach the windows through the
// engine's dispatcher (engine/ui/UiFront.cpp), so a window touched from another thread is a
// broken thread rule. With the check on (debug builds, the VX_CHECK_UI_THREAD build option,
// and every test that turns it on) such a call aborts at once, naming where it came from;
// without it (release builds) the call is handed to the interface thread as before, Send
// waiting for it and Post not.
#pragma once
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <functional>
#include <utility>

#include "engine/ui/ThreadRule.h"

namespace vx::qt {

using vx::CallSite;

inline bool OnInterfaceThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

// Whether a call off the interface thread aborts; the build's default, or as a test sets it.
bool UiThreadChecked();
void SetUiThreadChecked(bool checked);
// Aborts with a message naming `where` when the check is on and this is not the interface
// thread (or no application exists yet); otherwise does nothing.
void ExpectInterfaceThread(CallSite where = CallSite::Here());

template <class F>
auto Send(F&& f, CallSite where = CallSite::Here()) -> decltype(f()) {
  if (OnInterfaceThread()) return f();
  ExpectInterfaceThread(where);
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

inline void Post(std::function<void()> f, CallSite where = CallSite::Here()) {
  if (OnInterfaceThread()) {
    f();
    return;
  }
  ExpectInterfaceThread(where);
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(f), Qt::QueuedConnection);
}

// The one sanctioned way across: a window's own helper thread (the splash draws its picture
// on one) hands what belongs to the window to the interface thread, waiting for it or not.
// Never for workers of the engine, which go through the dispatcher.
template <class F>
void HandToInterfaceThread(F&& f, bool wait) {
  if (OnInterfaceThread()) {
    f();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f),
                            wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

}  // namespace vx::qt
