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

void RunJournal::PathList::Clear() {
  paths.clear();
  keys.clear();
}

void RunJournal::BeforeWrite(const std::string& rawPath) {
  std::string path = Normalized(rawPath);
  std::lock_guard lock(mutex_);
  if (!files_.Has(path) && !FileOrFolderExists(path)) files_.Add(path);
  // Walk up to the first folder that exists; everything below it is new.
  std::string folder(winpath::Folder(path));
  while (folder.size() > 3) {
    folder.pop_back();  // the trailing backslash
    if (FileOrFolderExists(folder)) break;
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
  files_.Clear();
  folders_.Clear();
  components_.clear();
  counted_.Clear();
}

RunJournal& Journal() { return CurrentRun().journal; }

}  // namespace vx
