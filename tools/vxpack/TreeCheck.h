// The check of the Tree lines of a script against its source tree.
#pragma once
#include <string>

#include "tools/vxpack/Diagnostics.h"

namespace vx::pack {

// Errors for a Tree line with a missing or faulty field or a source folder that is not in
// the tree; a warning for one that matches no file.
void CheckTrees(const std::string& file, const std::string& text, const std::string& sourceRoot,
                Diagnostics& out);

}  // namespace vx::pack
