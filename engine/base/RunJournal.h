// What this run created on the machine: files and folders that did not exist before it wrote
// them, and the components it installed. A confirmed stop rolls back only these, so that
// files, folders and components that were there before the run survive the rollback.
#pragma once
#include <cstdint>
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

  // Files are only ever asked about, never listed: a 64-bit digest of each upper-cased path
  // keeps the cost per file small (two paths colliding among a million is about 1 in 10^7).
  struct DigestSet {
    std::unordered_set<std::uint64_t> digests;
    bool Has(const std::string& path) const;
    void Add(const std::string& path);
  };

  mutable std::mutex mutex_;
  DigestSet files_;
  PathList folders_;
  PathList seenFolders_;  // found there before this run wrote into them
  std::vector<std::string> components_;
  PathList counted_;
};

RunJournal& Journal();

}  // namespace vx
