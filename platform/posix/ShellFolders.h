// Where the shell folders of a machine lie: per platform, like the two families lay them out.
#pragma once
#include <string>
#include <string_view>

#include "platform/Machine.h"

namespace vx::posix {

// The Windows path of a shell folder (CSIDL) for this platform and user; "" when unknown.
std::string ShellFolderPath(PlatformKind platform, std::string_view user, int csidl);

// The CSIDLs that every machine has, in the order their folders are created.
inline constexpr int kKnownShellFolders[] = {16, 11, 2, 7};

}  // namespace vx::posix
