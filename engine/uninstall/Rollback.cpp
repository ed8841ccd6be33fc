#include "engine/uninstall/Rollback.h"

#include <unordered_set>

#include "engine/base/ProductRecord.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/RunReport.h"
#include "engine/files/SharedFiles.h"
#include "engine/ui/Ui.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::uint32_t kFilePaceMs = 70;

bool IsLink(std::uint32_t attributes) {
  return attributes != kInvalidAttributes && (attributes & kAttrReparsePoint) != 0;
}

// A shared file another product counts stays, whoever made it.
bool CountedByAnyone(const std::string& path) {
  std::uint32_t count = 0;
  ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count);
  return count > 0;
}

void RemoveCreatedFile(const std::string& path, const std::unordered_set<std::string>& folders) {
  if (BelowReplacedFolder(path, folders)) return;
  const std::uint32_t attributes = GetFileAttributes(path);
  if (attributes == kInvalidAttributes || (!IsLink(attributes) && (attributes & kAttrDirectory)))
    return;
  if (!IsLink(attributes) && CountedByAnyone(path)) return;
  if (!IsLink(attributes) && (attributes & kAttrReadOnly)) SetFileAttributes(path, kAttrNormal);
  DeleteFile(path);
}

void PutBackSaved(const std::string& path, const std::string& copy) {
  if (GetFileAttributes(copy) == kInvalidAttributes) return;  // put back already
  const std::uint32_t attributes = GetFileAttributes(path);
  if (attributes != kInvalidAttributes && !IsLink(attributes) && (attributes & kAttrReadOnly))
    SetFileAttributes(path, kAttrNormal);
  if (!MoveFileReplacing(copy, path)) LogStep("result", "cannot put back " + path);
}

// A key the run made goes when nothing is left in it.
void RemoveKeyIfEmpty(const std::string& rootName, const std::string& subkey) {
  const HKEY root = RootKeyByName(rootName);
  HKEY h = 0;
  if (root == 0 || RegOpenKeyEx(root, subkey, kKeyRead, &h) != 0) return;
  std::vector<std::string> keys;
  std::vector<RegValue> values;
  RegEnumKeyNames(h, &keys);
  RegEnumValues(h, &values);
  RegCloseKey(h);
  if (keys.empty() && values.empty()) RegDeleteKey(root, subkey);
}

}  // namespace

void RollBackEntries(const std::vector<RecordEntry>& entries, ProgressView* progress) {
  std::unordered_set<std::string> folders;
  for (const RecordEntry& e : entries)
    if (e.kind == RecordKind::Folder) folders.insert(winpath::ToUpper(RecordPath(e[0])));
  std::size_t done = 0;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it, ++done) {
    const RecordEntry& e = *it;
    switch (e.kind) {
      case RecordKind::File:
        RemoveCreatedFile(e[0], folders);
        break;
      case RecordKind::Folder:
        RemoveDirectory(e[0]);
        break;  // when empty; a link goes itself
      case RecordKind::Saved:
        PutBackSaved(e[0], e[1]);
        break;
      case RecordKind::Registry:
      case RecordKind::Ini:
        RestoreRecordedValue(e);
        break;
      case RecordKind::RegistryKey:
        RemoveKeyIfEmpty(e[0], e[1]);
        break;
      case RecordKind::Component:
        if (progress) progress->SetHeading("Removing file for " + e[0]);
        break;
    }
    if (progress && (e.kind == RecordKind::File || e.kind == RecordKind::Saved)) {
      progress->SetDetail(e[0]);
      PacedWait(kFilePaceMs);
    }
    if (progress) progress->SetPosition(static_cast<int>(100 - 100 * (done + 1) / entries.size()));
  }
}

bool FinishKilledRun(const std::string& workingCopy) {
  const std::string journal = JournalFile(workingCopy);
  if (workingCopy.empty() || GetFileAttributes(journal) == kInvalidAttributes) return false;
  LogStep("phase", "finishing the rollback of a run that did not end: " + journal);
  const RecordParse parse = ReadRecordFile(journal);
  RollBackEntries(parse.entries, nullptr);
  // The copies went back into place; any left over (a line cut by the kill) go now.
  for (const RecordEntry& e : parse.entries) {
    if (e.kind != RecordKind::Saved) continue;
    SetFileAttributes(e[1], kAttrNormal);
    DeleteFile(e[1]);
  }
  const std::string saved = SavedCopiesFolder(workingCopy);
  for (int i = 0;; ++i) {
    const std::string copy = saved + std::to_string(i);
    if (GetFileAttributes(copy) == kInvalidAttributes) break;
    SetFileAttributes(copy, kAttrNormal);
    DeleteFile(copy);
  }
  RemoveDirectory(saved);
  DeleteFile(journal);
  return true;
}

}  // namespace vx
