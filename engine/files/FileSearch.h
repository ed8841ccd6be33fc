// The search for a file on every drive (the "?3:" value source): the folder where the file
// was found, as the search dialog leaves it, however the dialog was closed.
#pragma once
#include <string>

namespace vx {

std::string RunFileSearch(const std::string& fileName);

}  // namespace vx
