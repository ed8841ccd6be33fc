// A sample product's install script in a folder of its own under the temporary folder, named
// the working copy of a fresh run, for the native wizard's tests and its demonstration.
#pragma once
#include <string>
#include <vector>

namespace vx::test {

// The script's lines (a license, user fields, two install types, two destinations).
std::vector<std::string> SampleScript(const std::string& folder);
// Writes the script (and its license) into `folder` and starts a fresh run on it; returns
// the script's path.
std::string UseSampleScript(const std::string& folder, const std::vector<std::string>& lines);
std::string ReadWholeFile(const std::string& path);
// A folder under the temporary folder, ending with a backslash.
std::string TestFolder(const std::string& name);

}  // namespace vx::test
