// The install script as vxpack ships it: the source script with the keys that depend on
// the build filled in. The source script itself is never changed.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/vxpack/PackScript.h"
#include "tools/vxpack/SizeKeys.h"

namespace vx::pack {

// ProjectName (when the source has none), and in every component section ComponentSize
// and the location keys.
void FillSizeKeys(ScriptText& text, const PackScript& script,
                  const std::vector<ComponentSizes>& sizes);

// TotalDisks, and StartDisk of every component that has records (`startDisk` maps a
// component index to its disk).
void FillDiskKeys(ScriptText& text, const PackScript& script, int totalDisks,
                  const std::map<std::int32_t, int>& startDisk);

// The largest disk number a package can have: filling the disk keys with it gives the
// longest text the script can become.
inline constexpr int kWidestDisk = 65535;

}  // namespace vx::pack
