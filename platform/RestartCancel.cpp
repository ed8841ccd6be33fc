// Taking operations back out of the restart queues. Windows has no call for it: the NT value
// and Wininit.ini are rewritten without them, through the same registry and file calls on
// Windows and on the emulated machine.
#include <algorithm>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/RestartQueue.h"
#include "platform/RestartQueueParse.h"
#include "platform/Types.h"

namespace vx {

namespace {

constexpr std::uint32_t kFirstRead = 4096;
constexpr std::uint32_t kFileChunk = 65536;

// The NT value's bytes; false when it cannot be read (a missing one reads empty).
bool ReadNtValue(std::string& data) {
  data.clear();
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyRead, &key) != kErrorSuccess)
    return true;
  data.assign(kFirstRead, '\0');
  std::uint32_t type = 0, size = kFirstRead;
  std::int32_t r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
  if (r == kErrorMoreData) {
    data.assign(size, '\0');
    r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
  }
  RegCloseKey(key);
  if (r == kErrorFileNotFound) {
    data.clear();
    return true;
  }
  if (r != kErrorSuccess) return false;
  data.resize(std::min<std::size_t>(size, data.size()));
  return true;
}

bool WriteNtQueue(const std::vector<PendingOperation>& ops) {
  HKEY key = 0;
  if (RegCreateKeyEx(kHkeyLocalMachine, kSessionManagerKey, "", kKeyAllAccess, &key) !=
      kErrorSuccess)
    return false;
  std::int32_t r = kErrorSuccess;
  if (ops.empty()) {
    // As the system leaves it once it has carried the queue out.
    r = RegDeleteValue(key, kPendingRenameValue);
  } else {
    const std::string data = SerializeNtQueue(ops);
    r = RegSetValueEx(key, kPendingRenameValue, kRegMultiSz, data.data(),
                      static_cast<std::uint32_t>(data.size()));
  }
  RegCloseKey(key);
  return r == kErrorSuccess;
}

// The whole file; false when it is not there or cannot be read.
bool ReadText(const std::string& path, std::string& text) {
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  text.clear();
  std::string chunk(kFileChunk, '\0');
  std::uint32_t got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, chunk.data(), kFileChunk, &got)) && got > 0) text.append(chunk, 0, got);
  CloseHandle(h);
  return ok;
}

// Writes the text beside the file and puts it in its place in one step, so that a failure
// never leaves half a queue.
bool ReplaceText(const std::string& path, const std::string& text) {
  const std::string fresh = path + ".new";
  FileHandle h = CreateFreshFile(fresh);
  if (h == kInvalidHandle) return false;
  std::uint32_t written = 0;
  bool ok = WriteFile(h, text.data(), static_cast<std::uint32_t>(text.size()), &written) &&
            written == text.size();
  ok = CloseHandle(h) && ok;
  if (ok && MoveFileEx(fresh, path, kMoveFileReplaceExisting)) return true;
  DeleteFile(fresh);
  return false;
}

bool Names(const std::vector<PendingOperation>& ops, const std::string& path) {
  PendingOperation self;
  self.source = path;
  for (const PendingOperation& op : ops) {
    if (TakesPath(self, op.source)) return true;
    if (!op.target.empty() && TakesPath(self, op.target)) return true;
  }
  return false;
}

}  // namespace

bool CancelAtRestart(std::string_view path) {
  const auto takes = [path](const PendingOperation& op) { return TakesPath(op, path); };
  std::string data;
  const bool ntRead = ReadNtValue(data);
  std::vector<PendingOperation> nt = ParseNtQueue(data), keptNt;
  std::vector<PendingOperation> dropped;
  for (PendingOperation& op : nt) (takes(op) ? dropped : keptNt).push_back(std::move(op));
  bool ntChanged = keptNt.size() != nt.size();

  const std::string wininit = WininitPath();
  std::string text, keptText;
  const bool hasWininit = ReadText(wininit, text);
  if (hasWininit) {
    keptText = WininitWithout(text, takes);
    if (keptText.size() != text.size())
      for (PendingOperation& op : ParseWininit(text))
        if (takes(op)) dropped.push_back(std::move(op));
  }
  if (dropped.empty()) return ntRead;

  // The staged copies the dropped moves would have brought, unless something else still
  // names them; one that cannot go now goes at the restart.
  std::vector<PendingOperation> left = keptNt;
  for (PendingOperation& op : ParseWininit(keptText)) left.push_back(std::move(op));
  for (const PendingOperation& op : dropped) {
    if (op.target.empty() || Names(left, op.source) || !FileOrFolderExists(op.source)) continue;
    if (DeleteFile(op.source) || !FileOrFolderExists(op.source)) continue;
    PendingOperation later;
    later.source = op.source;
    keptNt.push_back(later);
    left.push_back(later);
    ntChanged = true;
  }
  // A value that could not be read is never written over.
  bool ok = ntRead;
  if (ntRead && ntChanged) ok = WriteNtQueue(keptNt);
  if (hasWininit && keptText.size() != text.size()) ok = ReplaceText(wininit, keptText) && ok;
  return ok;
}

}  // namespace vx
