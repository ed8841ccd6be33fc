// The process's current Windows directory, shared by path mapping and the file services.
#pragma once
#include <string>
#include <string_view>

namespace vx::posix {

// Makes a Windows path absolute and normalized: "X:\..." as it stands, "\foo" on the current
// drive, "X:foo" against the current directory when it is on X: (else X:'s root), anything
// else against the current directory. False for a UNC path, an empty one, or one that climbs
// above its drive root.
bool AbsoluteWindowsPath(std::string_view path, std::string& out);

// Back to "C:\" (a new current machine may not have the old folder).
void ResetCurrentDirectory();

}  // namespace vx::posix
