// The pace of the fixed waits: VX_PACE scales them (0 in tests), read once.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "platform/System.h"

namespace vx {

namespace {

std::once_flag paceOnce;
std::atomic<double> pace{1.0};

void LoadPace() {
  std::call_once(paceOnce, [] {
    const char* env = std::getenv("VX_PACE");
    if (!env || !*env) return;
    char* end = nullptr;
    double f = std::strtod(env, &end);
    if (end == env || !std::isfinite(f)) return;  // unreadable: the waits as designed
    pace.store(f < 0 ? 0.0 : f);
  });
}

}  // namespace

double PaceFactor() {
  LoadPace();
  return pace.load();
}

void SetPaceFactor(double factor) {
  LoadPace();  // so that a later first read does not overwrite the value set here
  pace.store(std::isfinite(factor) && factor > 0 ? factor : 0.0);
}

void PacedWait(std::uint32_t ms) {
  double scaled = static_cast<double>(ms) * PaceFactor();
  if (scaled < 1.0) return;
  // A day is more than any pacing needs; it keeps a silly factor from overflowing.
  Sleep(static_cast<std::uint32_t>(std::min(scaled, 86400000.0)));
}

}  // namespace vx
