// The run log's lines, appended with one write each.
#include "platform/win32/WinApi.h"

#include <cstdio>

#include "platform/RunLogHost.h"

namespace vx {

std::string RunLogLineStart() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                ::GetCurrentProcessId());
  return stamp;
}

void AppendRunLogFileLine(const char* path, const std::string& line) {
  const std::string whole = line + "\r\n";
  HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(h, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
  ::CloseHandle(h);
}

}  // namespace vx
