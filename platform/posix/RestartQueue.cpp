#include "platform/RestartQueue.h"

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::string_view kNtPrefix = "\\??\\";

std::string FullPath(std::string_view path) {
  std::string p = winpath::ToBackslashes(path);
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

std::vector<std::string> SplitMulti(std::string_view data) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t end = data.find('\0', i);
    if (end == std::string_view::npos) end = data.size();
    out.emplace_back(data.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

std::string StripNtPrefix(std::string_view s) {
  if (s.starts_with(kNtPrefix)) s.remove_prefix(kNtPrefix.size());
  return std::string(s);
}

std::vector<PendingOperation> ParseNtQueue(std::string_view data) {
  std::vector<PendingOperation> ops;
  auto strings = SplitMulti(data);
  for (std::size_t i = 0; i < strings.size(); i += 2) {
    if (strings[i].empty()) break;  // the list's closing empty string
    PendingOperation op;
    op.source = StripNtPrefix(strings[i]);
    std::string_view t = i + 1 < strings.size() ? std::string_view(strings[i + 1]) : "";
    if (t.starts_with('!')) {
      op.replace = true;
      t.remove_prefix(1);
    }
    op.target = StripNtPrefix(t);
    ops.push_back(std::move(op));
  }
  return ops;
}

// Pairs of zero-ended strings, then one more zero that closes the list.
std::string SerializeNtQueue(const std::vector<PendingOperation>& ops) {
  std::string data;
  for (const auto& op : ops) {
    data += std::string(kNtPrefix) + op.source;
    data.push_back('\0');
    if (!op.target.empty()) {
      if (op.replace) data.push_back('!');
      data += std::string(kNtPrefix) + op.target;
    }
    data.push_back('\0');
  }
  data.push_back('\0');
  return data;
}

bool ReadWholeFile(const std::string& winPath, std::string* out) {
  FileHandle h = CreateFile(winPath, kGenericRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  out->clear();
  char buf[8192];
  std::uint32_t got = 0;
  while (ReadFile(h, buf, sizeof buf, &got) && got > 0) out->append(buf, got);
  CloseHandle(h);
  return true;
}

std::string Trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::vector<PendingOperation> ParseWininit(std::string_view text) {
  std::vector<PendingOperation> ops;
  bool inRename = false;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    std::string line = Trimmed(text.substr(i, end - i));
    i = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      std::string name = close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
      inRename = winpath::EqualsNoCase(Trimmed(name), "Rename");
      continue;
    }
    if (!inRename) continue;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    PendingOperation op;
    op.fromWininit = true;
    op.replace = true;
    std::string left = Trimmed(std::string_view(line).substr(0, eq));
    op.source = Trimmed(std::string_view(line).substr(eq + 1));
    if (op.source.empty()) continue;
    op.target = winpath::EqualsNoCase(left, "NUL") ? "" : left;
    ops.push_back(std::move(op));
  }
  return ops;
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
      *why = "delete " + op.source + ": failed (error " + std::to_string(GetLastError()) + ")";
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
    *why = "move " + op.source + " -> " + op.target + ": failed (error " +
           std::to_string(GetLastError()) + ")";
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
