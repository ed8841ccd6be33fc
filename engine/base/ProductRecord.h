// The installation record of the product being removed or maintained, as the uninstall and
// the undo of action lines consult it: only what it says the product created may go, and a
// value it overwrote goes back to what the record says it held. Without a record (a product
// installed before records were kept) nothing is loaded and the removal works as it always
// did.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/base/InstallRecord.h"
#include "engine/base/PathSet.h"
#include "platform/Registry.h"

namespace vx {

class ProductRecord {
 public:
  // Takes the entries of a record; a record that could not be read loads nothing.
  void Load(RecordParse parse);
  void Clear();
  bool Loaded() const { return loaded_; }

  bool CreatedFile(const std::string& path) const;
  bool CreatedFolder(const std::string& path) const;
  // The first value entry of that value (what it held before the product first wrote it);
  // null when the product never wrote it.
  const RecordEntry* RegistryBefore(HKEY root, std::string_view subkey,
                                    std::string_view name) const;
  const RecordEntry* IniBefore(const std::string& file, const std::string& section,
                               const std::string& key) const;
  const std::vector<RecordEntry>& Entries() const { return entries_; }

 private:
  bool loaded_ = false;
  std::vector<RecordEntry> entries_;
  PathSet files_;                                        // a record may name many
  std::unordered_set<std::string> folders_;              // upper case
  std::unordered_map<std::string, std::size_t> values_;  // upper-cased id -> first entry
};

// The record of this run's product (empty until the uninstall or maintenance loads it).
ProductRecord& LoadedRecord();

// Canonical spelling of a path in a record: ".." and "." resolved, no trailing backslash.
std::string RecordPath(const std::string& path);
// The ids under which value entries are found.
std::string RegistryValueId(std::string_view root, std::string_view subkey, std::string_view name);
std::string IniValueId(const std::string& file, std::string_view section, std::string_view key);
// A profile file named without a folder is one of the Windows folder.
std::string IniFilePath(const std::string& file);

// Puts back what a value entry (Registry or Ini) says the value held: the old data, or no
// value at all.
void RestoreRecordedValue(const RecordEntry& entry);
// True when `path` lies below a folder in `createdFolders` (upper-cased record paths) that is
// now a symbolic link: the product's folder was replaced, and the path leads elsewhere.
// With `foundReal`, the folders found real are noted there and not looked at again: a pass
// over thousands of files in a few folders looks at each folder once.
bool BelowReplacedFolder(const std::string& path,
                         const std::unordered_set<std::string>& createdFolders,
                         std::unordered_set<std::string>* foundReal = nullptr);

}  // namespace vx
