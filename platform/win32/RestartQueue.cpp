// The restart queue is Windows' own: MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT records the
// operation in PendingFileRenameOperations and the system carries it out at its next start
// (Wininit.ini on the 95/98 family, which the engine writes itself).
#include "platform/win32/WinApi.h"

#include "platform/Registry.h"
#include "platform/RestartQueue.h"
#include "platform/RestartQueueParse.h"
#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

using win32::Report;
using win32::Z;

bool MoveFileEx(std::string_view from, std::string_view to, std::uint32_t flags) {
  const std::string source = Z(from), target = Z(to);
  return Report(::MoveFileExA(source.c_str(), target.empty() ? nullptr : target.c_str(), flags) !=
                FALSE);
}

std::string WininitPath() { return GetWindowsDirectory() + "\\Wininit.ini"; }

namespace {

std::string ReadNtQueue() {
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyRead, &key) != kErrorSuccess)
    return {};
  std::uint32_t type = 0, size = 0;
  std::string data;
  std::int32_t r = RegQueryValueEx(key, kPendingRenameValue, &type, nullptr, &size);
  if (r == kErrorSuccess) {
    data.assign(size, '\0');
    r = RegQueryValueEx(key, kPendingRenameValue, &type, data.data(), &size);
    data.resize(r == kErrorSuccess ? std::min<std::size_t>(size, data.size()) : 0);
  }
  RegCloseKey(key);
  return data;
}

std::string ReadText(const std::string& path) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[8192];
  DWORD n = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  ::CloseHandle(h);
  return text;
}

}  // namespace

std::vector<PendingOperation> ListPendingOperations() {
  std::vector<PendingOperation> ops = ParseNtQueue(ReadNtQueue());
  for (PendingOperation& op : ParseWininit(ReadText(WininitPath()))) ops.push_back(std::move(op));
  return ops;
}

// Windows carries the queue out itself when it starts, before any program could hold the
// files: doing it from here would meet them in use.
BootReport ApplyPendingOperations() {
  BootReport report;
  report.deferred = static_cast<int>(ListPendingOperations().size());
  return report;
}

}  // namespace vx
