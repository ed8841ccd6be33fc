#include "engine/ui/qt/UiThread.h"

#include <atomic>

#ifndef VX_CHECK_UI_THREAD
#define VX_CHECK_UI_THREAD 0
#endif

namespace vx::qt {

namespace {
std::atomic<bool> gChecked{VX_CHECK_UI_THREAD != 0};
}  // namespace

bool UiThreadChecked() { return gChecked.load(); }

void SetUiThreadChecked(bool checked) { gChecked.store(checked); }

void ExpectInterfaceThread(CallSite where) {
  if (!gChecked.load() || OnInterfaceThread()) return;
  BrokenThreadRule(where);
}

}  // namespace vx::qt
