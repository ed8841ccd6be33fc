// What this run changed on the machine: files and folders that did not exist before it wrote
// them, copies of the files it replaced, the registry and INI values it overwrote (with what
// they held) and the components it installed. A stop, a failure or an interrupt rolls back
// only these, so that what was there before the run is there after it. Every entry is also
// appended to the journal file (see InstallRecord.h) before the change is made, so that a
// killed run can be rolled back by the next run of the product. The entries are read back
// from that file, and the paths are remembered as digests, so that the journal costs little
// memory whatever the number of files.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/InstallRecord.h"
#include "engine/base/PathSet.h"
#include "platform/Registry.h"
#include "platform/Types.h"

namespace vx {

class RunJournal {
 public:
  ~RunJournal();
  // Starts writing the journal to `file` (made new) and keeping copies of replaced files in
  // `savedFolder`. False when the file cannot be made.
  bool Open(const std::string& file, const std::string& savedFolder);
  bool IsOpen() const;
  // Ends the noting: what the run did is accounted for (registered, or rolled back), and the
  // journal file and the copies go.
  void Discard();

  // Call before writing `path`: remembers it, and each missing folder above it, as created by
  // this run when it does not exist yet; an existing file is copied first (once per run) so
  // that a rollback can put it back. False when that cannot be noted (a full disk): the
  // write must not happen then. A deletion of it (or of a folder holding it) or a move onto it
  // that an earlier run left queued for the restart is taken back: the restart must neither
  // delete what this run writes nor put an older staged copy over it. `absent`, when given,
  // tells whether the path was looked up now and found free, so the caller need not look again.
  bool BeforeWrite(const std::string& path, bool* absent = nullptr);
  // Call before a registry or INI value is written or deleted: notes what it held.
  bool BeforeRegistryWrite(HKEY root, std::string_view subkey, std::string_view name);
  bool BeforeIniWrite(const std::string& file, const std::string& section, const std::string& key);
  // A file the user chose to keep (a refused replacement): never the product's.
  void KeptByUser(const std::string& path);
  // A file line's, shortcut's or engine file is in place; one that was there before is now
  // the product's, unless the user kept it.
  void Installed(const std::string& path);
  // The files that were there before the run and in whose place it put its own (now, or
  // staged for the next start).
  std::vector<std::string> ReplacedFiles() const;
  void ComponentInstalled(const std::string& name);
  // A shared file whose use count this run raised.
  void SharedCountRaised(const std::string& path);
  bool CountRaised(const std::string& path) const;
  std::vector<std::string> CountedPaths() const;

  bool Created(const std::string& path) const;  // without regard to case
  bool InstalledThisRun(const std::string& component) const;
  // Folders created by this run, deepest first.
  std::vector<std::string> CreatedFolders() const;
  // Every entry in the order noted.
  std::vector<RecordEntry> Entries() const;
  // Passes each entry, in the order noted, to `visit`, which must not call the journal.
  // False when the journal file could not be read back.
  bool ForEachEntry(const std::function<void(const RecordEntry&)>& visit) const;
  bool Empty() const;
  void Clear();

 private:
  bool Note(RecordEntry entry);  // under the lock
  void CloseFile();              // under the lock
  // Takes back the queued restart operations on `path`, when the queue held any as the
  // journal opened.
  void ReleaseFromRestartQueue(const std::string& path);  // under the lock

  mutable std::mutex mutex_;
  PathSet files_;
  PathSet folders_;
  PathSet saved_;           // files copied before they were replaced
  std::size_t copies_ = 0;  // their copies, numbered in the saved folder
  PathSet kept_;
  PathList replaced_;  // installed where a file was (checked again against kept_)
  std::vector<std::string> components_;
  PathList counted_;
  PathSet values_;  // registry and INI values noted
  // The paths the restart queue would delete or write over, read once as the journal opens,
  // so that a write costs a lookup; and those already taken back.
  PathSet queuedForRestart_;
  PathSet released_;
  std::size_t noted_ = 0;
  std::vector<RecordEntry> entries_;  // only while no journal file is open
  FileHandle file_ = kInvalidHandle;
  std::string fileName_;
  std::string savedFolder_;
};

RunJournal& Journal();

}  // namespace vx
