// The pictures a script names for its pages, checked against where the engine looks: the
// component page puts the temp folder before its ImgFileName itself, so a macro or a full
// path there names nothing; and a picture in the temp folder exists only when the script
// lists it among the [{Temp}] files.
#pragma once
#include <string>

#include "tools/vxpack/Diagnostics.h"

namespace vx::pack {

// `file` is the name the diagnostics carry; `text` the script as read. Warnings only.
void CheckPictureRules(const std::string& file, const std::string& text, Diagnostics& out);

}  // namespace vx::pack
