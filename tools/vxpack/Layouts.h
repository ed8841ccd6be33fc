// The two distributions vxpack writes.
#pragma once
#include "tools/vxpack/PackInput.h"
#include "tools/vxpack/Reporter.h"

namespace vx::pack {

// PROJECT.exe (Extract.exe with the payload and the package), and PROJECT.1 ... when the
// package is spanned. False after reporting the problem.
bool WriteSelfExtractor(const PackInput& input, Reporter& reporter);

// A folder installation: engine files, Install.ini, the script, $Temp\, PROJECT.0 and the
// component files in their folders.
bool WriteFolder(const PackInput& input, Reporter& reporter);

// Removes PROJECT.<n>, PROJECT.<n+1>, ... left from an earlier build with more disks.
void RemoveStaleDisks(const std::string& diskZeroHost, int firstStale);

}  // namespace vx::pack
