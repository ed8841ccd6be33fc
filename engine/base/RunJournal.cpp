#include "engine/base/RunJournal.h"

#include "engine/base/EngineRun.h"
#include "engine/base/ProductRecord.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

// A value read back whole for the record (the engine itself reads through 1024 bytes).
constexpr std::size_t kValueBuffer = 65536;

std::string Normalized(const std::string& path) { return RecordPath(path); }

bool KeyExists(HKEY root, const std::string& subkey) {
  HKEY h = 0;
  if (RegOpenKeyEx(root, subkey, kKeyRead, &h) != 0) return false;
  RegCloseKey(h);
  return true;
}

// The value's type and bytes; false when it is not there.
bool ReadRawValue(HKEY root, std::string_view subkey, std::string_view name, std::uint32_t& type,
                  std::string& data) {
  HKEY h = 0;
  if (RegOpenKeyEx(root, subkey, kKeyRead, &h) != 0) return false;
  data.assign(kValueBuffer, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(data.size());
  const std::int32_t rc = RegQueryValueEx(h, name, &type, data.data(), &size);
  RegCloseKey(h);
  if (rc != 0 || size > data.size()) return false;
  data.resize(size);
  return true;
}

}  // namespace

bool RunJournal::PathList::Has(const std::string& path) const {
  return keys.count(winpath::ToUpper(path)) != 0;
}

void RunJournal::PathList::Add(const std::string& path) {
  if (keys.insert(winpath::ToUpper(path)).second) paths.push_back(path);
}

void RunJournal::PathList::Clear() {
  paths.clear();
  keys.clear();
}

RunJournal::~RunJournal() { CloseFile(); }

bool RunJournal::Open(const std::string& file, const std::string& savedFolder) {
  std::lock_guard lock(mutex_);
  CloseFile();
  file_ = CreateFreshFile(file);
  if (file_ == kInvalidHandle) return false;
  fileName_ = file;
  savedFolder_ = savedFolder;
  std::uint32_t written = 0;
  const std::string header = kRecordHeader;
  if (!WriteFile(file_, header.data(), static_cast<std::uint32_t>(header.size()), &written) ||
      written != header.size()) {
    CloseFile();
    return false;
  }
  return true;
}

bool RunJournal::IsOpen() const {
  std::lock_guard lock(mutex_);
  return file_ != kInvalidHandle;
}

void RunJournal::CloseFile() {
  if (file_ != kInvalidHandle) CloseHandle(file_);
  file_ = kInvalidHandle;
}

void RunJournal::Discard() {
  std::lock_guard lock(mutex_);
  CloseFile();
  // The copies first: a journal without them is still read right, copies without a journal
  // would be found by nothing.
  if (!savedFolder_.empty()) {
    for (const std::string& copy : copies_) {
      SetFileAttributes(copy, kAttrNormal);
      DeleteFile(copy);
    }
    RemoveDirectory(savedFolder_);
  }
  if (!fileName_.empty()) DeleteFile(fileName_);
  fileName_.clear();
}

bool RunJournal::Note(RecordEntry entry) {
  if (file_ != kInvalidHandle) {
    const std::string line = FormatRecordLine(entry);
    std::uint32_t written = 0;
    if (!WriteFile(file_, line.data(), static_cast<std::uint32_t>(line.size()), &written) ||
        written != line.size()) {
      return false;
    }
  }
  entries_.push_back(std::move(entry));
  return true;
}

bool RunJournal::BeforeWrite(const std::string& rawPath) {
  std::string path = Normalized(rawPath);
  std::lock_guard lock(mutex_);
  if (files_.Has(path) || saved_.Has(path)) return true;
  // Walk up to the first folder that exists; everything below it is new, noted top down.
  std::vector<std::string> made;
  std::string folder(winpath::Folder(path));
  while (folder.size() > 3) {
    folder.pop_back();  // the trailing backslash
    if (FileOrFolderExists(folder)) break;
    made.push_back(folder);
    folder = std::string(winpath::Folder(folder));
  }
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    if (folders_.Has(*it)) continue;
    if (!Note({RecordKind::Folder, {*it}})) return false;
    folders_.Add(*it);
  }
  const std::uint32_t attributes = GetFileAttributes(path);
  if (attributes == kInvalidAttributes) {
    if (!Note({RecordKind::File, {path}})) return false;
    files_.Add(path);
    return true;
  }
  // A file that was there: a copy of it lets a rollback put it back. A link or a folder is
  // never copied through.
  if (file_ == kInvalidHandle || (attributes & (kAttrDirectory | kAttrReparsePoint)) != 0)
    return true;
  CreateDirectory(savedFolder_);
  const std::string copy = savedFolder_ + std::to_string(copies_.size());
  if (!CopyFileFresh(path, copy)) {
    // A file held open without sharing is not replaced now either: the new one waits for the
    // next start beside it, so there is nothing to put back.
    const bool inUse = GetLastError() == kErrorSharingViolation;
    DeleteFile(copy);
    return inUse;
  }
  if (!Note({RecordKind::Saved, {path, copy}})) {
    DeleteFile(copy);
    return false;
  }
  saved_.Add(path);
  copies_.push_back(copy);
  return true;
}

bool RunJournal::BeforeRegistryWrite(HKEY root, std::string_view subkey, std::string_view name) {
  const char* rootName = RootKeyName(root);
  if (!rootName || subkey.empty()) return true;
  std::lock_guard lock(mutex_);
  if (file_ == kInvalidHandle) return true;  // no installation is being noted
  const std::string id = RegistryValueId(rootName, subkey, name);
  if (values_.count(id)) return true;
  // The keys the write will make, top down.
  std::vector<std::string> made;
  std::string key(subkey);
  while (!key.empty() && !KeyExists(root, key)) {
    made.push_back(key);
    const std::size_t cut = key.rfind('\\');
    key = cut == std::string::npos ? "" : key.substr(0, cut);
  }
  for (auto it = made.rbegin(); it != made.rend(); ++it)
    if (!Note({RecordKind::RegistryKey, {rootName, *it}})) return false;
  std::uint32_t type = kRegNone;
  std::string data;
  const bool existed = ReadRawValue(root, subkey, name, type, data);
  if (!Note({RecordKind::Registry,
             {rootName, std::string(subkey), std::string(name), existed ? "1" : "0",
              std::to_string(type), existed ? data : ""}})) {
    return false;
  }
  values_.insert(id);
  return true;
}

bool RunJournal::BeforeIniWrite(const std::string& rawFile, const std::string& section,
                                const std::string& key) {
  const std::string file = IniFilePath(rawFile);
  if (!IsOpen()) return true;  // no installation is being noted
  // An INI file that is there is changed value by value, never copied whole.
  if (!FileOrFolderExists(file) && !BeforeWrite(file)) return false;
  std::lock_guard lock(mutex_);
  const std::string id = IniValueId(file, section, key);
  if (values_.count(id)) return true;
  bool existed = false;
  for (const std::string& k : GetProfileKeyNames(section, file))
    existed = existed || winpath::EqualsNoCase(k, key);
  const std::string before =
      existed ? GetPrivateProfileString(section, key, "", file, kValueBuffer) : "";
  if (!Note({RecordKind::Ini, {file, section, key, existed ? "1" : "0", before}})) return false;
  values_.insert(id);
  return true;
}

void RunJournal::KeptByUser(const std::string& path) {
  std::lock_guard lock(mutex_);
  kept_.Add(Normalized(path));
}

void RunJournal::Installed(const std::string& path) {
  const std::string normal = Normalized(path);
  std::lock_guard lock(mutex_);
  if (!kept_.Has(normal)) installed_.Add(normal);
}

std::vector<std::string> RunJournal::ReplacedFiles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const std::string& path : installed_.paths)
    if (!files_.Has(path) && !kept_.Has(path)) out.push_back(path);
  return out;
}

void RunJournal::ComponentInstalled(const std::string& name) {
  std::lock_guard lock(mutex_);
  components_.push_back(name);
  Note({RecordKind::Component, {name}});
}

void RunJournal::SharedCountRaised(const std::string& path) {
  std::lock_guard lock(mutex_);
  counted_.Add(Normalized(path));
}

bool RunJournal::CountRaised(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return counted_.Has(Normalized(path));
}

std::vector<std::string> RunJournal::CountedPaths() const {
  std::lock_guard lock(mutex_);
  return counted_.paths;
}

bool RunJournal::Created(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return files_.Has(Normalized(path));
}

bool RunJournal::InstalledThisRun(const std::string& component) const {
  std::lock_guard lock(mutex_);
  return std::find(components_.begin(), components_.end(), component) != components_.end();
}

std::vector<std::string> RunJournal::CreatedFolders() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out = folders_.paths;
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return out;
}

std::vector<RecordEntry> RunJournal::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

void RunJournal::Clear() {
  std::lock_guard lock(mutex_);
  CloseFile();
  fileName_.clear();
  savedFolder_.clear();
  files_.Clear();
  folders_.Clear();
  saved_.Clear();
  copies_.clear();
  kept_.Clear();
  installed_.Clear();
  components_.clear();
  counted_.Clear();
  values_.clear();
  entries_.clear();
}

RunJournal& Journal() { return CurrentRun().journal; }

}  // namespace vx
