// Paths the caller of the self-extractor gives are meant from where the caller
// stands; the engine runs in the temporary folder, so they are made absolute
// before it is started.
#pragma once
#include <string>

namespace vx::extract {

// The extractor's arguments with a relative response file of a "-s" option
// ("-sfile.ini",
// "/S sub/file.ini") replaced by its absolute Windows name; anything else
// unchanged.
std::string AnchorResponseFile(const std::string &arguments);

// The response file and the variables that name host files (VX_ANSWERS,
// VX_LOG), anchored at the caller's folder; the rest of `arguments` as given.
std::string AnchorOutsidePaths(const std::string &arguments);

}  // namespace vx::extract
