// vxpack's check of an install script: the mistakes the engine passes over without a word
// (it skips malformed lines and reads missing keys as empty), reported with their lines.
#pragma once
#include <string>

#include "tools/vxpack/Diagnostics.h"

namespace vx::pack {

// `file` is the name the diagnostics carry; `text` the script as read.
void CheckScript(const std::string& file, const std::string& text, Diagnostics& out);

// A response file beside the script: the install type, components and keys it names.
void CheckResponse(const std::string& file, const std::string& text, const std::string& scriptText,
                   Diagnostics& out);

}  // namespace vx::pack
