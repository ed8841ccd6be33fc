#include "engine/ui/InterfaceWait.h"

#include <algorithm>

#include "engine/ui/Ui.h"
#include "platform/Dispatcher.h"
#include "platform/System.h"

namespace vx {

namespace {
constexpr double kLongestWaitMs = 86400000.0;  // a day: more than any pacing needs
}  // namespace

void InterfaceSleep(std::uint32_t ms) {
  if (ms == 0) return;
  Dispatcher& dispatcher = UiDispatcher();
  if (!dispatcher.OnInterfaceThread()) {
    Sleep(ms);
    return;
  }
  const std::uint32_t start = GetTickCount();
  // Tick differences stay right across the counter's wrap.
  CurrentUi().WaitModal(dispatcher, [start, ms] { return GetTickCount() - start >= ms; });
}

void PacedPause(std::uint32_t ms) {
  double scaled = static_cast<double>(ms) * PaceFactor();
  if (scaled < 1.0) return;
  InterfaceSleep(static_cast<std::uint32_t>(std::min(scaled, kLongestWaitMs)));
}

}  // namespace vx
