// Writing a double-word registry value where a failure is the user's business: without the
// right to write, the permission message says what to do.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/Registry.h"

namespace vx {

// Sets a REG_DWORD; when the key cannot be created or opened, shows the permission message.
void WriteRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                        std::uint32_t number);

// The text WriteRegistryDword shows when it may not write.
extern const char kRegistryPermissionMessage[];

}  // namespace vx
