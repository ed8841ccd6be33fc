// The search for a file on every drive (the "?3:" value source): the folder where the file
// was found, as the search dialog leaves it, however the dialog was closed.
#pragma once
#include <string>

namespace vx {

std::string RunFileSearch(const std::string& fileName);

// The search itself: every folder of every fixed and network drive; the folder (ending with a
// backslash) that holds a file of exactly this name, the user's choice among several, or "".
std::string SearchForFile(const std::string& searchName);

}  // namespace vx
