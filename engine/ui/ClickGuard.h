// A page just shown ignores clicks for the system's double-click time: the second click of a
// double click on Next must not land on whatever the next page has in the same place (the
// license page's accept button).
#pragma once
#include <cstdint>

namespace vx {

class ClickGuard {
 public:
  // The page was shown at `nowMs` (a tick count).
  void Shown(std::uint32_t nowMs) {
    shownAt_ = nowMs;
    armed_ = true;
  }
  // Whether a click at `nowMs` counts, given the system's double-click time.
  bool Accepts(std::uint32_t nowMs, std::uint32_t doubleClickMs) const {
    // Tick differences stay right across the counter's wrap.
    return !armed_ || nowMs - shownAt_ >= doubleClickMs;
  }

 private:
  std::uint32_t shownAt_ = 0;
  bool armed_ = false;
};

}  // namespace vx
