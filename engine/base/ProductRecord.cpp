#include "engine/base/ProductRecord.h"

#include <charconv>

#include "engine/base/EngineRun.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr char kRegistryWithKey[] = "R|";
constexpr char kIniWithKey[] = "I|";

}  // namespace

std::string RecordPath(const std::string& path) {
  std::string out;
  if (!winpath::Normalize(winpath::ToBackslashes(path), out)) return path;
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

std::string RegistryValueId(std::string_view root, std::string_view subkey, std::string_view name) {
  return winpath::ToUpper(kRegistryWithKey + std::string(root) + "|" + std::string(subkey) + "|" +
                          std::string(name));
}

std::string IniValueId(const std::string& file, std::string_view section, std::string_view key) {
  return winpath::ToUpper(kIniWithKey + IniFilePath(file) + "|" + std::string(section) + "|" +
                          std::string(key));
}

std::string IniFilePath(const std::string& file) {
  if (file.find_first_of("\\/:") != std::string::npos) return RecordPath(file);
  std::string dir = GetWindowsDirectory();
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir + file;
}

void ProductRecord::Load(RecordParse parse) {
  Clear();
  if (parse.status == RecordStatus::NoHeader || parse.status == RecordStatus::TooLarge) return;
  loaded_ = true;
  entries_ = std::move(parse.entries);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const RecordEntry& e = entries_[i];
    switch (e.kind) {
      case RecordKind::File:
        files_.Add(RecordPath(e[0]));
        break;
      case RecordKind::Folder:
        folders_.insert(winpath::ToUpper(RecordPath(e[0])));
        break;
      case RecordKind::Registry:
        values_.emplace(RegistryValueId(e[0], e[1], e[2]), i);
        break;
      case RecordKind::Ini:
        values_.emplace(IniValueId(e[0], e[1], e[2]), i);
        break;
      default:
        break;
    }
  }
}

void ProductRecord::Clear() {
  loaded_ = false;
  entries_.clear();
  files_.Clear();
  folders_.clear();
  values_.clear();
}

bool ProductRecord::CreatedFile(const std::string& path) const {
  return files_.Has(RecordPath(path));
}

bool ProductRecord::CreatedFolder(const std::string& path) const {
  return folders_.count(winpath::ToUpper(RecordPath(path))) != 0;
}

const RecordEntry* ProductRecord::RegistryBefore(HKEY root, std::string_view subkey,
                                                 std::string_view name) const {
  const char* rootName = RootKeyName(root);
  if (!rootName) return nullptr;
  auto it = values_.find(RegistryValueId(rootName, subkey, name));
  return it == values_.end() ? nullptr : &entries_[it->second];
}

const RecordEntry* ProductRecord::IniBefore(const std::string& file, const std::string& section,
                                            const std::string& key) const {
  auto it = values_.find(IniValueId(file, section, key));
  return it == values_.end() ? nullptr : &entries_[it->second];
}

ProductRecord& LoadedRecord() { return CurrentRun().record; }

void RestoreRecordedValue(const RecordEntry& e) {
  const bool existed = e[3] == "1";
  if (e.kind == RecordKind::Ini) {
    WritePrivateProfileString(e[1].c_str(), e[2].c_str(), existed ? e[4].c_str() : nullptr, e[0]);
    return;
  }
  if (e.kind != RecordKind::Registry) return;
  const HKEY root = RootKeyByName(e[0]);
  if (root == 0) return;
  HKEY key = 0;
  if (existed) {
    if (RegCreateKeyEx(root, e[1], "", kKeyAllAccess, &key) != 0) return;
    std::uint32_t type = kRegSz;
    std::from_chars(e[4].data(), e[4].data() + e[4].size(), type);
    RegSetValueEx(key, e[2], type, e[5].data(), static_cast<std::uint32_t>(e[5].size()));
  } else {
    if (RegOpenKeyEx(root, e[1], kKeyAllAccess, &key) != 0) return;
    RegDeleteValue(key, e[2]);
  }
  RegCloseKey(key);
}

bool BelowReplacedFolder(const std::string& path,
                         const std::unordered_set<std::string>& createdFolders,
                         std::unordered_set<std::string>* foundReal) {
  std::string folder = RecordPath(path);
  while (folder.size() > 3) {
    const std::size_t cut = folder.rfind('\\');
    if (cut == std::string::npos || cut < 2) return false;
    folder.erase(cut < 3 ? 3 : cut);
    std::string key = winpath::ToUpper(folder);
    if (createdFolders.count(key) == 0) continue;
    if (foundReal != nullptr && foundReal->count(key) != 0) continue;
    const std::uint32_t attributes = GetFileAttributes(folder);
    if (attributes == kInvalidAttributes) continue;
    if ((attributes & kAttrReparsePoint) != 0) return true;
    if (foundReal != nullptr) foundReal->insert(std::move(key));
  }
  return false;
}

}  // namespace vx
