#include "engine/base/RunJournal.h"

#include "engine/base/EngineRun.h"
#include "engine/base/ProductRecord.h"
#include "engine/base/RunReport.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

// A value read back whole for the record (the engine itself reads through 1024 bytes).
constexpr std::size_t kValueBuffer = 65536;
// The journal file is read back in pieces of this size.
constexpr std::uint32_t kReadChunk = 1 << 16;

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

RunJournal::~RunJournal() { CloseFile(); }

bool RunJournal::Open(const std::string& file, const std::string& savedFolder) {
  std::lock_guard lock(mutex_);
  CloseFile();
  // Read back through the same handle: the file is shared with nobody.
  file_ = CreateFreshFile(file, kGenericWrite | kGenericRead);
  if (file_ == kInvalidHandle) return false;
  fileName_ = file;
  savedFolder_ = savedFolder;
  queuedForRestart_.Clear();
  released_.Clear();
  for (const PendingOperation& op : ListPendingOperations())
    queuedForRestart_.Add(Normalized(op.target.empty() ? op.source : op.target));
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
    for (std::size_t i = 0; i < copies_; ++i) {
      const std::string copy = savedFolder_ + std::to_string(i);
      SetFileAttributes(copy, kAttrNormal);
      DeleteFile(copy);
    }
    RemoveDirectory(savedFolder_);
  }
  if (!fileName_.empty()) DeleteFile(fileName_);
  fileName_.clear();
  // Accounted for: nothing is left to roll back.
  entries_.clear();
  noted_ = 0;
}

bool RunJournal::Note(RecordEntry entry) {
  if (file_ != kInvalidHandle) {
    const std::string line = FormatRecordLine(entry);
    std::uint32_t written = 0;
    if (!WriteFile(file_, line.data(), static_cast<std::uint32_t>(line.size()), &written) ||
        written != line.size()) {
      return false;
    }
  } else {
    entries_.push_back(std::move(entry));
  }
  ++noted_;
  return true;
}

bool RunJournal::BeforeWrite(const std::string& rawPath, bool* absent) {
  if (absent) *absent = false;
  std::string path = Normalized(rawPath);
  std::lock_guard lock(mutex_);
  if (files_.Has(path) || saved_.Has(path)) return true;
  if (queuedForRestart_.Size() != 0) ReleaseFromRestartQueue(path);
  const std::uint32_t attributes = GetFileAttributes(path);
  const std::uint32_t lookupError = GetLastError();
  if (absent) *absent = attributes == kInvalidAttributes && lookupError != kErrorSharingViolation;
  // A name that is there, or only missing itself, lies in a folder that exists. Otherwise
  // walk up to the first folder that exists; everything below it is new, noted top down.
  const bool folderThere = attributes != kInvalidAttributes || lookupError == kErrorFileNotFound;
  std::vector<std::string> made;
  std::string folder(winpath::Folder(path));
  while (!folderThere && folder.size() > 3) {
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
  const std::string copy = savedFolder_ + std::to_string(copies_);
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
  ++copies_;
  return true;
}

void RunJournal::ReleaseFromRestartQueue(const std::string& path) {
  bool queued = false;
  for (std::string held = path; held.size() > 3;) {
    if (queuedForRestart_.Has(held) && released_.Add(held)) queued = true;
    held = std::string(winpath::Folder(held));
    if (held.size() > 3) held.pop_back();  // the trailing backslash
  }
  if (!queued) return;
  if (CancelAtRestart(path))
    LogStep("restart", path + ": what the restart queue held for it was taken back");
  else
    LogStep("restart", "cannot take " + path + " out of the restart queue");
}

bool RunJournal::BeforeRegistryWrite(HKEY root, std::string_view subkey, std::string_view name) {
  const char* rootName = RootKeyName(root);
  if (!rootName || subkey.empty()) return true;
  std::lock_guard lock(mutex_);
  if (file_ == kInvalidHandle) return true;  // no installation is being noted
  const std::string id = RegistryValueId(rootName, subkey, name);
  if (values_.Has(id)) return true;
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
  values_.Add(id);
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
  if (values_.Has(id)) return true;
  bool existed = false;
  for (const std::string& k : GetProfileKeyNames(section, file))
    existed = existed || winpath::EqualsNoCase(k, key);
  const std::string before =
      existed ? GetPrivateProfileString(section, key, "", file, kValueBuffer) : "";
  if (!Note({RecordKind::Ini, {file, section, key, existed ? "1" : "0", before}})) return false;
  values_.Add(id);
  return true;
}

void RunJournal::KeptByUser(const std::string& path) {
  std::lock_guard lock(mutex_);
  kept_.Add(Normalized(path));
}

void RunJournal::Installed(const std::string& path) {
  const std::string normal = Normalized(path);
  std::lock_guard lock(mutex_);
  // A file this run created is never a replaced one.
  if (!kept_.Has(normal) && !files_.Has(normal)) replaced_.Add(normal);
}

std::vector<std::string> RunJournal::ReplacedFiles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (std::string& path : replaced_.Paths())
    if (!files_.Has(path) && !kept_.Has(path)) out.push_back(std::move(path));
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
  return counted_.Paths();
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
  std::vector<std::string> out;
  ForEachEntry([&out](const RecordEntry& e) {
    if (e.kind == RecordKind::Folder) out.push_back(e[0]);
  });
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return out;
}

std::vector<RecordEntry> RunJournal::Entries() const {
  std::vector<RecordEntry> out;
  ForEachEntry([&out](const RecordEntry& e) { out.push_back(e); });
  return out;
}

bool RunJournal::ForEachEntry(const std::function<void(const RecordEntry&)>& visit) const {
  std::lock_guard lock(mutex_);
  if (file_ == kInvalidHandle) {
    for (const RecordEntry& e : entries_) visit(e);
    return true;
  }
  const auto header = static_cast<std::int64_t>(sizeof kRecordHeader - 1);
  bool ok = SetFilePointer(file_, header, SeekFrom::Begin) == header;
  std::string pending;
  std::vector<char> chunk(kReadChunk);
  RecordEntry entry;
  while (ok) {
    std::uint32_t read = 0;
    ok = ReadFile(file_, chunk.data(), kReadChunk, &read);
    if (!ok || read == 0) break;
    pending.append(chunk.data(), read);
    std::size_t start = 0;
    for (std::size_t newline; (newline = pending.find('\n', start)) != std::string::npos;
         start = newline + 1) {
      // The journal wrote every line whole; one it could not is left out, as a reader of a
      // killed run's journal leaves it out.
      if (ParseRecordLine(pending.data() + start, pending.data() + newline, entry)) visit(entry);
    }
    pending.erase(0, start);
  }
  // Later entries go at the end again.
  return SetFilePointer(file_, 0, SeekFrom::End) >= 0 && ok;
}

bool RunJournal::Empty() const {
  std::lock_guard lock(mutex_);
  return noted_ == 0;
}

void RunJournal::Clear() {
  std::lock_guard lock(mutex_);
  CloseFile();
  fileName_.clear();
  savedFolder_.clear();
  files_.Clear();
  folders_.Clear();
  saved_.Clear();
  copies_ = 0;
  kept_.Clear();
  replaced_.Clear();
  components_.clear();
  counted_.Clear();
  values_.Clear();
  queuedForRestart_.Clear();
  released_.Clear();
  noted_ = 0;
  entries_.clear();
}

RunJournal& Journal() { return CurrentRun().journal; }

}  // namespace vx
