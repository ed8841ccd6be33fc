// ExitWindowsEx with the shutdown privilege. VX_NO_RESTART=1 (tests, unattended runs that
// restart on their own) records the request in the temporary folder instead.
#include "platform/win32/WinApi.h"

#include <cstdlib>
#include <string_view>

#include "platform/Process.h"
#include "platform/System.h"

namespace vx {

namespace {

std::string RestartMarker() { return GetTempPath() + "vx-restart-requested"; }

bool RecordOnly() {
  const char* v = std::getenv("VX_NO_RESTART");
  return v && std::string_view(v) == "1";
}

bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES p{};
  p.PrivilegeCount = 1;
  p.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = ::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &p.Privileges[0].Luid) &&
            ::AdjustTokenPrivileges(token, FALSE, &p, 0, nullptr, nullptr) &&
            ::GetLastError() == ERROR_SUCCESS;
  ::CloseHandle(token);
  return ok;
}

}  // namespace

bool ExitWindowsEx(std::uint32_t flags) {
  if (RecordOnly()) {
    HANDLE h = ::CreateFileA(RestartMarker().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!win32::Report(h != INVALID_HANDLE_VALUE)) return false;
    const std::string text = "flags=" + std::to_string(flags) + "\r\n";
    DWORD n = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    ::CloseHandle(h);
    return true;
  }
  if (!EnableShutdownPrivilege()) return win32::Report(false);
  return win32::Report(::ExitWindowsEx(flags, SHTDN_REASON_MAJOR_APPLICATION |
                                                  SHTDN_REASON_MINOR_INSTALLATION |
                                                  SHTDN_REASON_FLAG_PLANNED) != FALSE);
}

bool RestartRequested() {
  return ::GetFileAttributesA(RestartMarker().c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ClearRestartRequest() { ::DeleteFileA(RestartMarker().c_str()); }

}  // namespace vx
