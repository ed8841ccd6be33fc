#include "engine/ui/qt/UiThread.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

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
  std::fprintf(stderr,
               "%s:%u: a window of the interface was used off the interface thread (in %s); "
               "workers reach the interface through the dispatcher\n",
               where.file, where.line, where.function);
  std::fflush(stderr);
  std::abort();
}

}  // namespace vx::qt
