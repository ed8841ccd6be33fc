// Pictures the script names (the backdrop, the wizard pages' side pictures, the bulletin-board
// action) and the splash image: each one the product ships that the engine cannot read, or
// that has an extension the engine does not read, gets a warning naming the script line.
#pragma once
#include "tools/vxpack/PackInput.h"
#include "tools/vxpack/Reporter.h"

namespace vx::pack {

// Returns the number of warnings given.
int WarnUnreadablePictures(const PackInput& input, Reporter& reporter);

}  // namespace vx::pack
