#include "engine/ui/win32/UiThread.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#ifndef VX_CHECK_UI_THREAD
#define VX_CHECK_UI_THREAD 0
#endif

namespace vx::win32 {

namespace {
std::atomic<bool> gChecked{VX_CHECK_UI_THREAD != 0};
std::atomic<DWORD> gThread{0};
}  // namespace

void BindInterfaceThread() { gThread = GetCurrentThreadId(); }

bool OnInterfaceThread() { return gThread.load() == GetCurrentThreadId(); }

bool UiThreadChecked() {
  // A test asks for the check through the environment too: it reaches the engine it starts.
  static const bool fromEnvironment = [] {
    const char* v = std::getenv("VX_CHECK_UI_THREAD");
    return v && *v && *v != '0';
  }();
  return gChecked.load() || fromEnvironment;
}

void SetUiThreadChecked(bool checked) { gChecked.store(checked); }

void ExpectInterfaceThread(CallSite where) {
  if (OnInterfaceThread() || !UiThreadChecked()) return;
  BrokenThreadRule(where);
}

}  // namespace vx::win32
