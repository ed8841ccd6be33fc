// The profile-file calls on top of the parsed-file cache and the atomic writer.
#include "platform/Profile.h"

#include "platform/System.h"
#include "platform/Types.h"
#include "platform/posix/ProfileFile.h"
#include "platform/ProfileParse.h"

namespace vx {

namespace {

// What a caller's buffer of `bufferSize` bytes would hold: the text up to its first NUL, cut
// to leave room for the terminating zero.
std::string Buffered(std::string_view text, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.size() > bufferSize - 1) text = text.substr(0, bufferSize - 1);
  return std::string(text);
}

std::string WinIni() {
  std::string dir = GetWindowsDirectory();
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir + "win.ini";
}

// A file named without any folder lives in the Windows folder, as the Windows profile
// calls have it; a name with a folder part is taken as a path.
std::string Located(std::string_view file) {
  if (file.empty() || file.find_first_of("\\/:") != std::string_view::npos) {
    return std::string(file);
  }
  std::string dir = GetWindowsDirectory();
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir + std::string(file);
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    std::size_t bufferSize) {
  if (!file.empty()) {
    if (auto doc = profile::Load(Located(file))) {
      if (const profile::KeyLine* k = doc->FindKey(section, key)) {
        SetLastError(kErrorSuccess);
        return Buffered(k->value, bufferSize);
      }
    }
  }
  SetLastError(kErrorFileNotFound);
  // As on Windows, a default loses its trailing blanks.
  while (!defaultValue.empty() && (defaultValue.back() == ' ' || defaultValue.back() == '\t')) {
    defaultValue.remove_suffix(1);
  }
  return Buffered(defaultValue, bufferSize);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view file) {
  if (file.empty()) return defaultValue;
  auto doc = profile::Load(Located(file));
  if (!doc) return defaultValue;
  const profile::KeyLine* k = doc->FindKey(section, key);
  // An empty value reads like a missing one: the caller's buffer would hold nothing.
  if (k == nullptr || k->value.empty() || k->value.front() == '\0') return defaultValue;
  return profile::ParseInt(k->value);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               std::string_view file) {
  if (section == nullptr) {
    if (key == nullptr && value == nullptr) return true;  // flush: writes are never held back
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  if (file.empty() || !profile::IsValidSectionName(section) ||
      (key != nullptr && !profile::IsValidKeyName(key))) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  const std::string sectionName(section);
  const std::string path = Located(file);
  bool ok;
  if (key == nullptr) {
    ok = profile::Update(path, [&](const profile::Document& doc) {
      return profile::RemoveSection(doc, sectionName);
    });
  } else if (value == nullptr) {
    const std::string keyName(key);
    ok = profile::Update(path, [&](const profile::Document& doc) {
      return profile::RemoveKey(doc, sectionName, keyName);
    });
  } else {
    const std::string keyName(key);
    const std::string_view text = profile::FirstLine(value);
    ok = profile::Update(path, [&](const profile::Document& doc) {
      return profile::SetValue(doc, sectionName, keyName, text);
    });
  }
  if (ok) SetLastError(kErrorSuccess);
  return ok;
}

bool WritePrivateProfileStrings(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& keys,
                                std::string_view file) {
  bool valid = !file.empty() && profile::IsValidSectionName(section);
  std::vector<profile::Assignment> changes;
  changes.reserve(keys.size());
  for (const auto& [key, value] : keys) {
    valid = valid && profile::IsValidKeyName(key);
    changes.push_back({section, key, profile::FirstLine(value)});
  }
  if (!valid) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  const bool ok = profile::Update(Located(file), [&](const profile::Document& doc) {
    return profile::SetValues(doc, changes);
  });
  if (ok) SetLastError(kErrorSuccess);
  return ok;
}

std::vector<std::string> GetProfileSectionNames(std::string_view file) {
  auto doc = profile::Load(Located(file));
  return doc ? doc->SectionNames() : std::vector<std::string>{};
}

std::vector<std::string> GetProfileKeyNames(std::string_view section, std::string_view file) {
  auto doc = profile::Load(Located(file));
  return doc ? doc->KeyNames(section) : std::vector<std::string>{};
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize) {
  return GetPrivateProfileString(section, key, defaultValue, WinIni(), bufferSize);
}

bool WriteProfileString(const char* section, const char* key, const char* value) {
  return WritePrivateProfileString(section, key, value, WinIni());
}

}  // namespace vx
