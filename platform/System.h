// Folders, user, version and time services of the machine.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// Without trailing backslash, as the Windows calls give them.
std::string GetWindowsDirectory();  // C:\Windows
std::string GetSystemDirectory();   // C:\Windows\System32 (NT) or C:\Windows\System (9x)
// With a trailing backslash; created on first use.
std::string GetTempPath();

// CSIDL values of the shell folders the engine uses.
enum : int {
  kCsidlPrograms = 2,
  kCsidlStartup = 7,
  kCsidlStartMenu = 11,
  kCsidlDesktopDirectory = 16,
};
// The folder's path, created when missing; "" for an unknown id.
std::string GetSpecialFolder(int csidl);

// SetEnvironmentVariable: `value` for `name` in this process's environment, which the
// programs it starts afterwards inherit. False for a name that is empty or holds "=".
bool SetEnvironmentVariable(std::string_view name, std::string_view value);
// A variable that names a host file from outside (VX_ANSWERS, VX_LOG): a relative path in
// it is made absolute against the host folder the process was started in, so that the
// programs it starts from another folder find the same file.
void AnchorPathVariable(std::string_view name);

std::string GetUserName();
bool IsUserAdmin();

// Platform ids of GetVersionEx.
enum : std::uint32_t { kVerPlatformWin32s = 0, kVerPlatformWindows = 1, kVerPlatformNT = 2 };
struct OsVersion {
  std::uint32_t platformId = kVerPlatformNT;
  std::uint32_t major = 4, minor = 0, build = 1381;
};
OsVersion GetVersionEx();

// Milliseconds since some fixed moment, wrapping like the Windows tick count.
std::uint32_t GetTickCount();
void Sleep(std::uint32_t ms);
// The fixed waits that pace what the user sees, scaled by $VX_PACE (0 = none).
void PacedWait(std::uint32_t ms);
double PaceFactor();
void SetPaceFactor(double factor);  // for tests

// Default beep (MessageBeep); a terminal bell when one is attached, else nothing.
void MessageBeep();

}  // namespace vx
