// Waits that never freeze a window. A worker thread simply sleeps; the interface thread keeps
// running the UI's loop (painting, moving, the window system's questions, dispatched calls)
// until the time is up, as a Windows program pumps its messages rather than calling Sleep.
#pragma once
#include <cstdint>

namespace vx {

// Waits `ms` milliseconds.
void InterfaceSleep(std::uint32_t ms);
// A fixed wait that paces what the user sees, scaled by $VX_PACE (0 = none).
void PacedPause(std::uint32_t ms);

}  // namespace vx
