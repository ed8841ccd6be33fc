// The one place that brings in <windows.h> for the Win32 platform layer. The Windows headers
// name their ANSI/wide pairs by macros (CreateFile -> CreateFileA) that would rename the
// platform's own functions; they are undone here, and the layer calls the ...A forms by name.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#undef CreateFile
#undef CopyFile
#undef DeleteFile
#undef MoveFile
#undef MoveFileEx
#undef CreateDirectory
#undef RemoveDirectory
#undef GetFileAttributes
#undef SetFileAttributes
#undef FindFirstFile
#undef FindNextFile
#undef GetLogicalDriveStrings
#undef GetDriveType
#undef GetDiskFreeSpace
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetModuleFileName
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef GetTempPath
#undef SetEnvironmentVariable
#undef GetUserName
#undef GetVersionEx
#undef CreateProcess
#undef LoadLibrary
#undef GetPrivateProfileString
#undef GetPrivateProfileInt
#undef WritePrivateProfileString
#undef GetProfileString
#undef WriteProfileString
#undef RegCreateKeyEx
#undef RegOpenKeyEx
#undef RegSetValueEx
#undef RegQueryValueEx
#undef RegDeleteValue
#undef RegDeleteKey
#undef PlaySound
#undef ShellExecute

namespace vx::win32 {

// Copies the thread's Win32 error into the platform's last error and returns `ok`: the
// platform's GetLastError is its own (the portable code sets it too).
bool Report(bool ok);
// The same for calls that return an error code instead of setting the last error.
std::int32_t ReportCode(LONG code);

// A NUL-terminated copy for the ...A calls.
inline std::string Z(std::string_view s) { return std::string(s); }

inline HANDLE ToHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
inline std::intptr_t FromHandle(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

// Text of a call that fills a buffer and returns the length it needs when the buffer is short
// (GetWindowsDirectoryA and the like).
template <typename Call>
std::string GrowingText(Call call) {
  std::string text(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = call(text.data(), static_cast<DWORD>(text.size()));
    if (n == 0) return {};
    if (n < text.size()) {
      text.resize(n);
      return text;
    }
    text.resize(n + 1);
  }
  return {};
}

}  // namespace vx::win32
