#include "platform/RestartQueue.h"
#include "platform/RestartQueueParse.h"

#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::string FullPath(std::string_view path) {
  std::string p = winpath::ToBackslashes(path);
  // A network path names a file of another machine: it is kept as it is, never mapped here.
  if (p.starts_with("\\\\")) return p;
  if (!winpath::IsAbsolute(p)) {
    std::string cwd = GetCurrentDirectory();
    if (!p.empty() && p[0] == '\\' && cwd.size() >= 2) {
      p = cwd.substr(0, 2) + p;
    } else {
      p = winpath::Join(cwd, p);
    }
  }
  std::string out;
  return winpath::Normalize(p, out) ? out : p;
}

// The raw multi-string data of the NT queue ("" when there is none).
std::string ReadNtQueue() {
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyRead, &key) != kErrorSuccess) {
    return {};
  }
  std::string data(4096, '\0');
  std::uint32_t type = 0;
  std::uint32_t size = static_cast<std::uint32_t>(data.size());
  std::int32_t r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
  if (r == kErrorMoreData) {
    data.assign(size, '\0');
    r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
  }
  RegCloseKey(key);
  if (r != kErrorSuccess) return {};
  data.resize(std::min<std::size_t>(size, data.size()));
  return data;
}

bool ReadWholeFile(const std::string& winPath, std::string* out) {
  FileHandle h =
      CreateFile(winPath, kGenericRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  out->clear();
  char buf[8192];
  std::uint32_t got = 0;
  while (ReadFile(h, buf, sizeof buf, &got) && got > 0) out->append(buf, got);
  CloseHandle(h);
  return true;
}

bool IsFolder(const std::string& path) {
  std::uint32_t a = GetFileAttributes(path);
  return a != kInvalidAttributes && (a & kAttrDirectory) != 0;
}

// Deletes a file or an empty folder; a read-only file is deleted too (nothing at start-up
// protects it).
bool DeleteAtBoot(const std::string& path) {
  if (IsFolder(path)) return RemoveDirectory(path);
  if (DeleteFile(path)) return true;
  std::uint32_t a = GetFileAttributes(path);
  if (a != kInvalidAttributes && (a & kAttrReadOnly)) {
    SetFileAttributes(path, a & ~kAttrReadOnly);
    return DeleteFile(path);
  }
  return false;
}

bool Apply(const PendingOperation& op, std::string* why) {
  if (op.target.empty()) {
    // A file already gone needs no deleting: the same temp file is often queued by both the
    // installation and its uninstall.
    if (!FileOrFolderExists(op.source)) return true;
    if (!DeleteAtBoot(op.source)) {
      *why = "delete " + op.source + ": " + SystemErrorText(GetLastError());
      return false;
    }
    return true;
  }
  if (!FileOrFolderExists(op.source)) {
    *why = "move " + op.source + " -> " + op.target + ": source not found";
    return false;
  }
  if (FileOrFolderExists(op.target)) {
    if (!op.replace) {
      *why = "move " + op.source + " -> " + op.target + ": target exists";
      return false;
    }
    if (!DeleteAtBoot(op.target)) {
      *why = "move " + op.source + " -> " + op.target + ": target cannot be replaced";
      return false;
    }
  }
  if (!MoveFile(op.source, op.target)) {
    *why = "move " + op.source + " -> " + op.target + ": " + SystemErrorText(GetLastError());
    return false;
  }
  return true;
}

}  // namespace

std::string WininitPath() { return winpath::Join(GetWindowsDirectory(), "Wininit.ini"); }

bool MoveFileEx(std::string_view from, std::string_view to, std::uint32_t flags) {
  if (from.empty()) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  std::string source = FullPath(from);
  std::string target = to.empty() ? std::string() : FullPath(to);
  if (!(flags & kMoveFileDelayUntilReboot)) {
    if (target.empty()) return DeleteFile(source);
    std::uint32_t existing = GetFileAttributes(target);
    if (existing != kInvalidAttributes) {
      if (!(flags & kMoveFileReplaceExisting)) {
        SetLastError(kErrorAlreadyExists);
        return false;
      }
      // A file is replaced in one step, so that a failure never leaves neither.
      if (!(existing & kAttrDirectory)) {
        if (MoveFileReplacing(source, target)) return true;
        // Across file systems there is no such step: a copy follows the deletion.
        if (GetLastError() != kErrorNotSameDevice) return false;
      }
      if (!DeleteFile(target)) return false;
    }
    return MoveFile(source, target);
  }

  std::vector<PendingOperation> ops = ParseNtQueue(ReadNtQueue());
  PendingOperation op;
  op.source = source;
  op.target = target;
  op.replace = !target.empty() && (flags & kMoveFileReplaceExisting);
  ops.push_back(std::move(op));
  std::string data = SerializeNtQueue(ops);

  HKEY key = 0;
  std::int32_t r = RegCreateKeyEx(kHkeyLocalMachine, kSessionManagerKey, "", kKeyAllAccess, &key);
  if (r != kErrorSuccess) {
    SetLastError(static_cast<std::uint32_t>(r));
    return false;
  }
  r = RegSetValueEx(key, kPendingRenameValue, kRegMultiSz, data.data(),
                    static_cast<std::uint32_t>(data.size()));
  RegCloseKey(key);
  if (r != kErrorSuccess) {
    SetLastError(static_cast<std::uint32_t>(r));
    return false;
  }
  return true;
}

std::vector<PendingOperation> ListPendingOperations() {
  std::vector<PendingOperation> ops = ParseNtQueue(ReadNtQueue());
  std::string text;
  if (ReadWholeFile(WininitPath(), &text)) {
    auto more = ParseWininit(text);
    ops.insert(ops.end(), more.begin(), more.end());
  }
  return ops;
}

BootReport ApplyPendingOperations() {
  // Start-up work of the machine: done with the system's rights, not the user's.
  Machine::SystemScope system;
  BootReport report;
  for (const auto& op : ListPendingOperations()) {
    std::string why;
    if (Apply(op, &why)) {
      ++report.applied;
    } else {
      report.failures.push_back(why);
    }
  }
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyAllAccess, &key) == kErrorSuccess) {
    RegDeleteValue(key, kPendingRenameValue);
    RegCloseKey(key);
  }
  std::string wininit = WininitPath();
  if (FileOrFolderExists(wininit)) {
    std::string bak = winpath::Join(GetWindowsDirectory(), "Wininit.bak");
    DeleteFile(bak);
    if (!MoveFile(wininit, bak)) DeleteFile(wininit);
  }
  ClearRestartRequest();
  return report;
}

}  // namespace vx
