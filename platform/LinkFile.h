// Shortcut (.lnk) files saved and read by the system's own shell-link object: IShellLinkA and
// IPersistFile on Windows, the link layout of platform/ShellLink.h on the emulated machine.
#pragma once
#include <string>

#include "platform/ShellLink.h"

namespace vx {

// Saves `link` as the file `path`: its target (a full path; else its relative path),
// arguments, description, working folder, icon, show command and hot key. The system fills in
// what it finds about the target itself; the emulation takes the fields describing it from
// `link`. False, with no partial file left, when the file cannot be written.
bool SaveLinkFile(const std::string& path, const ShellLinkData& link);

// Reads the same fields back from a link file, whoever wrote it; false when it is no link.
bool LoadLinkFile(const std::string& path, ShellLinkData* link);

}  // namespace vx
