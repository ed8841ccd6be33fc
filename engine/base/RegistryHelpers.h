// The registry access of the engine: root keys by name, string and double-word values. Keys
// are created with the class "Tessaro default" and opened with full access, also for reading.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vx {

// "HKEY_CLASSES_ROOT" ... "HKEY_DYN_DATA", matched with case; 0 for any other name.
HKEY RootKeyFromName(std::string_view name);

// Empty value name: deletes the subkey. Otherwise sets the string (non-empty value) or
// deletes the value (empty value). Failures are silent.
void WriteRegistryString(HKEY root, std::string_view subkey, std::string_view valueName,
                         std::string_view value);
// Sets a REG_DWORD; false when the key cannot be created or opened (WriteRegistryDword,
// in engine/actions, then tells the user).
bool SetRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                      std::uint32_t number);
// Leave `text` / `number` unchanged when the key or value cannot be read.
void ReadRegistryString(HKEY root, std::string_view subkey, std::string_view valueName,
                        std::string& text);
void ReadRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                       std::uint32_t& number);

}  // namespace vx
