// The profile-file (INI) service with the semantics of the Windows one: sections and keys
// match without regard to case, the first key of a name wins, strings are read through a
// buffer and cut to its size - 1. Reads are served from a parsed cache that is revalidated
// against the file at every call, so a write by any thread or process is seen at once.
// Writes replace the file atomically under a lock: concurrent writers both land and a crash
// leaves either the old or the new file.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vx {

inline constexpr std::size_t kProfileBuffer = 1024;

// `file` is a Windows path; a bare file name ("app.ini") is a file of the Windows folder. A
// missing file, section or key gives the default.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    std::size_t bufferSize = kProfileBuffer);
// The value's leading integer as Windows converts it (see profile::ParseInt); the default
// when missing.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view file);
// key == nullptr removes the section; value == nullptr removes the key; all three null
// flushes (writes are never cached, so it only reports success).
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               std::string_view file);

// Several keys of one section set in one atomic replacement of the file, as many single
// writes in that order would leave it. False, writing nothing, when a name is invalid.
bool WritePrivateProfileStrings(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& keys,
                                std::string_view file);

// Names of the sections, and of the keys of one section, in file order.
std::vector<std::string> GetProfileSectionNames(std::string_view file);
std::vector<std::string> GetProfileKeyNames(std::string_view section, std::string_view file);

// The per-user profile: win.ini in the machine's Windows folder.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize = 256);
bool WriteProfileString(const char* section, const char* key, const char* value);

}  // namespace vx
