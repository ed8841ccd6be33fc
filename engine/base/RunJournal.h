// What this run created on the machine: files and folders that did not exist before it wrote
// them, and the components it installed. A confirmed stop rolls back only these, so that
// files, folders and components that were there before the run survive the rollback.
#pragma once
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace vx {

class RunJournal {
 public:
  // Call before writing `path`: remembers it, and each missing folder above it, as created
  // by this run when it does not exist yet.
  void BeforeWrite(const std::string& path);
  void ComponentInstalled(const std::string& name);
  // A shared file whose use count this run raised.
  void SharedCountRaised(const std::string& path);
  bool CountRaised(const std::string& path) const;

  bool Created(const std::string& path) const;  // without regard to case
  bool InstalledThisRun(const std::string& component) const;
  // Folders created by this run, deepest first.
  std::vector<std::string> CreatedFolders() const;
  void Clear();

 private:
  // Paths in the order first noted, found without regard to case in constant time (a run
  // may write tens of thousands of files).
  struct PathList {
    std::vector<std::string> paths;
    std::unordered_set<std::string> keys;  // upper case
    bool Has(const std::string& path) const;
    void Add(const std::string& path);
    void Clear();
  };

  mutable std::mutex mutex_;
  PathList files_;
  PathList folders_;
  std::vector<std::string> components_;
  PathList counted_;
};

RunJournal& Journal();

}  // namespace vx
