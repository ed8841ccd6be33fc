// The run log: lines appended to the file VX_LOG names, one write each.
#include "platform/win32/WinApi.h"

#include <cstdio>
#include <cstdlib>

#include "platform/RunLog.h"

namespace vx {

namespace {

const char* LogPath() {
  const char* path = std::getenv("VX_LOG");
  return path && *path ? path : nullptr;
}

}  // namespace

bool RunLogEnabled() { return LogPath() != nullptr; }

void AppendRunLogLine(std::string_view text) {
  const char* path = LogPath();
  if (!path) return;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                ::GetCurrentProcessId());
  std::string line = stamp;
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  line += "\r\n";
  HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(h);
}

}  // namespace vx
