// Halvik.exe travels beside this library and, outside Windows, uses its copy of the platform
// layer instead of carrying one of its own. The library itself never writes a profile, so the
// call the probe makes is named here to be linked in (and shown, as the layer is).
#include "platform/Profile.h"

#ifndef _WIN32
[[gnu::used]] static auto* const kProbeWritesProfile = &vx::WriteProfileString;
#endif
