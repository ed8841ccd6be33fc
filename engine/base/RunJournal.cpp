#include "engine/base/RunJournal.h"

#include "engine/base/EngineRun.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::string Normalized(const std::string& path) {
  std::string out;
  if (!winpath::Normalize(winpath::ToBackslashes(path), out)) return path;
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}
}  // namespace

bool RunJournal::PathList::Has(const std::string& path) const {
  return keys.count(winpath::ToUpper(path)) != 0;
}

void RunJournal::PathList::Add(const std::string& path) {
  if (keys.insert(winpath::ToUpper(path)).second) paths.push_back(path);
}

namespace {
// FNV-1a over the upper-cased path, folded so that nearby paths spread.
std::uint64_t Digest(const std::string& path) {
  constexpr std::uint64_t kOffset = 14695981039346656037ull;
  constexpr std::uint64_t kPrime = 1099511628211ull;
  std::uint64_t h = kOffset;
  for (char c : winpath::ToUpper(path)) h = (h ^ static_cast<unsigned char>(c)) * kPrime;
  return h ^ (h >> 29);
}
}  // namespace

bool RunJournal::DigestSet::Has(const std::string& path) const {
  return digests.count(Digest(path)) != 0;
}

void RunJournal::DigestSet::Add(const std::string& path) { digests.insert(Digest(path)); }

void RunJournal::PathList::Clear() {
  paths.clear();
  keys.clear();
}

void RunJournal::BeforeWrite(const std::string& rawPath) {
  std::string path = Normalized(rawPath);
  std::lock_guard lock(mutex_);
  if (!files_.Has(path) && !FileOrFolderExists(path)) files_.Add(path);
  // Walk up to the first folder that exists; everything below it is new. A folder already
  // noted had the folders above it walked then, so files of one folder cost one look.
  std::string folder(winpath::Folder(path));
  while (folder.size() > 3) {
    folder.pop_back();  // the trailing backslash
    if (folders_.Has(folder) || seenFolders_.Has(folder)) break;
    if (FileOrFolderExists(folder)) {
      seenFolders_.Add(folder);
      break;
    }
    folders_.Add(folder);
    folder = std::string(winpath::Folder(folder));
  }
}

void RunJournal::ComponentInstalled(const std::string& name) {
  std::lock_guard lock(mutex_);
  components_.push_back(name);
}

void RunJournal::SharedCountRaised(const std::string& path) {
  std::lock_guard lock(mutex_);
  counted_.Add(Normalized(path));
}

bool RunJournal::CountRaised(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return counted_.Has(Normalized(path));
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

void RunJournal::Clear() {
  std::lock_guard lock(mutex_);
  files_.digests.clear();
  folders_.Clear();
  seenFolders_.Clear();
  components_.clear();
  counted_.Clear();
}

RunJournal& Journal() { return CurrentRun().journal; }

}  // namespace vx
