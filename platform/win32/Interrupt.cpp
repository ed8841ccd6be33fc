#include "platform/Interrupt.h"

#include <mutex>

#include "platform/win32/WinApi.h"

namespace vx {

namespace {

std::mutex& HandlerMutex() {
  static std::mutex m;
  return m;
}
std::function<void()>& Handler() {
  static std::function<void()> h;
  return h;
}

// Windows calls this on a thread of its own, so the handler may do anything there.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  std::function<void()> h;
  {
    std::lock_guard lock(HandlerMutex());
    h = Handler();
  }
  if (!h) return FALSE;
  h();
  return TRUE;
}

}  // namespace

void SetInterruptHandler(std::function<void()> onInterrupt) {
  const bool handled = static_cast<bool>(onInterrupt);
  {
    std::lock_guard lock(HandlerMutex());
    Handler() = std::move(onInterrupt);
  }
  ::SetConsoleCtrlHandler(OnConsoleEvent, handled ? TRUE : FALSE);
}

bool InterruptProcess(ProcessHandle process) {
  // Ctrl-Break reaches a process only as the leader of a process group of its own; for any
  // other the call fails and the caller is told so.
  const DWORD id = ::GetProcessId(win32::ToHandle(process));
  return id != 0 && ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, id) != 0;
}

}  // namespace vx
