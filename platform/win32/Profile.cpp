// The profile (INI) service: Windows' own.
#include "platform/win32/WinApi.h"

#include "platform/Profile.h"

namespace vx {

using win32::Report;
using win32::Z;

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    std::size_t bufferSize) {
  if (bufferSize == 0) return "";
  std::string buffer(bufferSize, '\0');
  const DWORD n =
      ::GetPrivateProfileStringA(Z(section).c_str(), Z(key).c_str(), Z(defaultValue).c_str(),
                                 buffer.data(), static_cast<DWORD>(bufferSize), Z(file).c_str());
  buffer.resize(n);
  return buffer;
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view file) {
  return static_cast<int>(
      ::GetPrivateProfileIntA(Z(section).c_str(), Z(key).c_str(), defaultValue, Z(file).c_str()));
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               std::string_view file) {
  return Report(::WritePrivateProfileStringA(section, key, value, Z(file).c_str()) != FALSE);
}

// Windows has no call for several keys at once: they are written one after the other.
bool WritePrivateProfileStrings(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& keys,
                                std::string_view file) {
  const std::string s = Z(section), f = Z(file);
  for (const auto& [key, value] : keys)
    if (!Report(::WritePrivateProfileStringA(s.c_str(), key.c_str(), value.c_str(), f.c_str()) !=
                FALSE))
      return false;
  return true;
}

namespace {

// A list of NUL-terminated names ending in an empty one, read through a buffer that grows
// until the whole list fits.
template <typename Call>
std::vector<std::string> NameList(Call call) {
  std::string buffer(4096, '\0');
  DWORD n = 0;
  for (;;) {
    n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + 2 < buffer.size() || buffer.size() >= (64u << 20)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> names;
  for (std::size_t at = 0; at < n;) {
    const std::size_t end = buffer.find('\0', at);
    if (end == std::string::npos || end == at) break;
    names.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

}  // namespace

std::vector<std::string> GetProfileSectionNames(std::string_view file) {
  const std::string f = Z(file);
  return NameList(
      [&](char* b, DWORD size) { return ::GetPrivateProfileSectionNamesA(b, size, f.c_str()); });
}

std::vector<std::string> GetProfileKeyNames(std::string_view section, std::string_view file) {
  const std::string s = Z(section), f = Z(file);
  return NameList([&](char* b, DWORD size) {
    return ::GetPrivateProfileStringA(s.c_str(), nullptr, "", b, size, f.c_str());
  });
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize) {
  if (bufferSize == 0) return "";
  std::string buffer(bufferSize, '\0');
  const DWORD n = ::GetProfileStringA(Z(section).c_str(), Z(key).c_str(), Z(defaultValue).c_str(),
                                      buffer.data(), static_cast<DWORD>(bufferSize));
  buffer.resize(n);
  return buffer;
}

bool WriteProfileString(const char* section, const char* key, const char* value) {
  return Report(::WriteProfileStringA(section, key, value) != FALSE);
}

}  // namespace vx
