#include "engine/base/Store.h"

#include <algorithm>
#include <charconv>
#include <mutex>

#include "engine/base/EngineRun.h"
#include "platform/Profile.h"

namespace vx {

namespace {

using StorePaths = EngineRun::ScriptFiles;

StorePaths& Paths() { return CurrentRun().files; }

std::string Get(std::string StorePaths::*member) {
  std::lock_guard lock(Paths().mutex);
  return Paths().*member;
}

void Set(std::string StorePaths::*member, std::string value) {
  std::lock_guard lock(Paths().mutex);
  Paths().*member = std::move(value);
}

// The file a named-INI operation works on: the given one, else the bootstrap file.
std::string IniFile(std::string_view file) {
  if (!file.empty()) return std::string(file);
  return Get(&StorePaths::bootstrap);
}

}  // namespace

void SetScriptFile(std::string path) { Set(&StorePaths::script, std::move(path)); }
std::string GetScriptFile() { return Get(&StorePaths::script); }

std::string ReadScriptString(std::string_view section, std::string_view key,
                             std::string_view defaultValue) {
  std::string script = GetScriptFile();
  if (script.empty()) return std::string(defaultValue);
  return GetPrivateProfileString(section, key, defaultValue, script, kProfileBuffer);
}

int ReadScriptInt(std::string_view section, std::string_view key, int defaultValue) {
  std::string script = GetScriptFile();
  if (script.empty()) return defaultValue;
  return GetPrivateProfileInt(section, key, defaultValue, script);
}

void WriteScriptString(const char* section, const char* key, const char* value) {
  std::string script = GetScriptFile();
  if (script.empty()) return;
  WritePrivateProfileString(section, key, value, script);
}

void WriteScriptString(std::string_view section, std::string_view key, std::string_view value) {
  std::string s(section), k(key), v(value);
  WriteScriptString(s.c_str(), k.c_str(), v.c_str());
}

void WriteScriptInt(std::string_view section, std::string_view key, int value) {
  WriteScriptString(section, key, std::to_string(value));
}

void WriteScriptStrings(std::string_view section, const ScriptKeys& keys) {
  std::string script = GetScriptFile();
  if (script.empty() || keys.empty()) return;
  WritePrivateProfileStrings(section, keys, script);
}

int ListItemNumber(std::string_view key, std::string_view prefix) {
  while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
  while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.remove_prefix(1);
  if (key.size() <= prefix.size()) return -1;
  bool samePrefix = std::equal(prefix.begin(), prefix.end(), key.begin(), [](char a, char b) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return up(a) == up(b);
  });
  if (!samePrefix) return -1;
  std::string_view digits = key.substr(prefix.size());
  // "%d" never writes a sign or a leading zero, so "Value01" is no item's key.
  if (digits.size() > 1 && digits.front() == '0') return -1;
  int n = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || n < 0) return -1;
  return n;
}

namespace {
std::vector<int> ListItems(std::string_view section, std::string_view prefix, int first, int last,
                           const std::string& file) {
  std::vector<int> items;
  if (last < first || file.empty()) return items;
  for (const std::string& key : GetProfileKeyNames(section, file)) {
    int n = ListItemNumber(key, prefix);
    if (n >= first && n <= last) items.push_back(n);
  }
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  long long missing = first;
  for (int n : items) {
    if (n != missing) break;
    ++missing;
  }
  if (missing <= last)
    items.insert(std::lower_bound(items.begin(), items.end(), missing), static_cast<int>(missing));
  return items;
}
}  // namespace

std::vector<int> ScriptListItems(std::string_view section, std::string_view prefix, int first,
                                 int last) {
  return ListItems(section, prefix, first, last, GetScriptFile());
}

std::vector<int> IniListItems(std::string_view section, std::string_view prefix, int first,
                              int last, std::string_view file) {
  return ListItems(section, prefix, first, last, IniFile(file));
}

void SetBootstrapFile(std::string path) { Set(&StorePaths::bootstrap, std::move(path)); }
std::string GetBootstrapFile() { return Get(&StorePaths::bootstrap); }

std::string ReadIniString(std::string_view section, std::string_view key, std::string_view file) {
  std::string path = IniFile(file);
  if (path.empty()) return {};
  return GetPrivateProfileString(section, key, "", path, kProfileBuffer);
}

int ReadIniInt(std::string_view section, std::string_view key, std::string_view file) {
  std::string path = IniFile(file);
  if (path.empty()) return 0;
  return GetPrivateProfileInt(section, key, 0, path);
}

void WriteIniString(const char* section, const char* key, const char* value,
                    std::string_view file) {
  std::string path = IniFile(file);
  if (path.empty()) return;
  WritePrivateProfileString(section, key, value, path);
}

void SetLocaleFile(std::string path) { Set(&StorePaths::locale, std::move(path)); }
std::string GetLocaleFile() { return Get(&StorePaths::locale); }

}  // namespace vx
