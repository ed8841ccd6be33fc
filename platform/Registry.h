// The registry, Windows-shaped, kept in the machine's SQLite store. Several processes may use
// it at once; every call is one transaction.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

using HKEY = std::uintptr_t;
inline constexpr HKEY kHkeyClassesRoot = 0x80000000u;
inline constexpr HKEY kHkeyCurrentUser = 0x80000001u;
inline constexpr HKEY kHkeyLocalMachine = 0x80000002u;
inline constexpr HKEY kHkeyUsers = 0x80000003u;
inline constexpr HKEY kHkeyPerformanceData = 0x80000004u;
inline constexpr HKEY kHkeyCurrentConfig = 0x80000005u;
inline constexpr HKEY kHkeyDynData = 0x80000006u;

enum : std::uint32_t { kRegNone = 0, kRegSz = 1, kRegBinary = 3, kRegDword = 4 };
enum : std::uint32_t { kRegExpandSz = 2, kRegMultiSz = 7 };
enum : std::uint32_t { kKeyRead = 0x20019, kKeyAllAccess = 0xF003F };
enum : std::uint32_t { kKeyQueryValue = 0x1, kKeySetValue = 0x2, kKeyCreateSubKey = 0x4 };
// Registry-specific results: the store failed, or the key of a handle was deleted meanwhile.
enum : std::uint32_t { kErrorRegistryIoFailed = 1016, kErrorKeyDeleted = 1018 };

// Results are Win32 error codes (kErrorSuccess, kErrorFileNotFound, kErrorAccessDenied,
// kErrorMoreData ...). On the NT platform a user who is not an administrator gets
// kErrorAccessDenied for write access below HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT and
// HKEY_USERS.
std::int32_t RegCreateKeyEx(HKEY root, std::string_view subkey, std::string_view keyClass,
                            std::uint32_t access, HKEY* result);
std::int32_t RegOpenKeyEx(HKEY root, std::string_view subkey, std::uint32_t access, HKEY* result);
std::int32_t RegCloseKey(HKEY key);
std::int32_t RegSetValueEx(HKEY key, std::string_view name, std::uint32_t type, const void* data,
                           std::uint32_t size);
// `size` is in/out: the buffer's capacity, then the data length. kErrorMoreData when short.
std::int32_t RegQueryValueEx(HKEY key, std::string_view name, std::uint32_t* type, void* data,
                             std::uint32_t* size);
std::int32_t RegDeleteValue(HKEY key, std::string_view name);
// NT removes only a key without subkeys; 9x removes the whole branch.
std::int32_t RegDeleteKey(HKEY root, std::string_view subkey);

// Enumeration for tools and tests.
std::int32_t RegEnumKeyNames(HKEY key, std::vector<std::string>* names);
struct RegValue {
  std::string name;
  std::uint32_t type = kRegNone;
  std::string data;  // raw bytes
};
std::int32_t RegEnumValues(HKEY key, std::vector<RegValue>* values);
std::int32_t RegQueryKeyClass(HKEY key, std::string* keyClass);

// "HKEY_LOCAL_MACHINE" and the other root names, exactly; 0 when unknown.
HKEY RootKeyByName(std::string_view name);
const char* RootKeyName(HKEY root);

}  // namespace vx
