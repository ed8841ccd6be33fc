// Folders, user, version, time and pacing services through kernel32, advapi32 and shell32.
#include "platform/win32/WinApi.h"

#include <lm.h>
#include <shlobj.h>
#include <stdlib.h>

#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

using win32::Report;
using win32::Z;

std::string GetWindowsDirectory() {
  return win32::GrowingText([](char* b, DWORD n) { return ::GetWindowsDirectoryA(b, n); });
}

std::string GetSystemDirectory() {
  return win32::GrowingText([](char* b, DWORD n) { return ::GetSystemDirectoryA(b, n); });
}

std::string GetTempPath() {
  std::string temp = win32::GrowingText([](char* b, DWORD n) { return ::GetTempPathA(n, b); });
  if (temp.empty()) return temp;
  ::CreateDirectoryA(temp.c_str(), nullptr);
  if (temp.back() != '\\') temp.push_back('\\');
  return temp;
}

std::string GetSpecialFolder(int csidl) {
  switch (csidl) {
    case kCsidlPrograms:
    case kCsidlStartup:
    case kCsidlStartMenu:
    case kCsidlDesktopDirectory:
      break;
    default:
      return "";
  }
  LPITEMIDLIST items = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &items)) || items == nullptr) return "";
  char path[MAX_PATH] = {};
  const bool ok = ::SHGetPathFromIDListA(items, path) != FALSE;
  ::CoTaskMemFree(items);
  if (!ok || !*path) return "";
  // The folder is created when missing, as the emulation's are.
  ::SHCreateDirectoryExA(nullptr, path, nullptr);
  return path;
}

// The C runtime keeps its own copy of the environment (getenv): both are set.
bool SetEnvironmentVariable(std::string_view name, std::string_view value) {
  if (name.empty() || name.find('=') != std::string_view::npos) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  const std::string n = Z(name), v = Z(value);
  if (!Report(::SetEnvironmentVariableA(n.c_str(), v.c_str()) != FALSE)) return false;
  return _putenv_s(n.c_str(), v.c_str()) == 0;
}

void AnchorPathVariable(std::string_view name) {
  const std::string key = Z(name);
  const char* value = ::getenv(key.c_str());
  if (!value || !*value) return;
  char full[MAX_PATH * 4];
  const DWORD n = ::GetFullPathNameA(value, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return;
  SetEnvironmentVariable(key, full);
}

std::string GetUserName() {
  char name[256 + 1] = {};
  DWORD size = sizeof name;
  if (!Report(::GetUserNameA(name, &size) != FALSE)) return "";
  return name;
}

namespace {

// Membership of the Administrators group in the process's token.
bool TokenIsAdmin() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &admins))
    return false;
  BOOL member = FALSE;
  if (!::CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
  ::FreeSid(admins);
  return member != FALSE;
}

}  // namespace

// The privilege level the local account database gives the logged-on user. An account that
// database does not hold (a domain account) is judged by the Administrators group in the
// process's token instead, so that its answer is a real one either way.
bool IsUserAdmin() {
  wchar_t name[256 + 1] = {};
  DWORD size = 256 + 1;
  if (!::GetUserNameW(name, &size)) return TokenIsAdmin();
  LPBYTE buffer = nullptr;
  if (::NetUserGetInfo(nullptr, name, 1, &buffer) != NERR_Success || buffer == nullptr)
    return TokenIsAdmin();
  const DWORD priv = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv;
  ::NetApiBufferFree(buffer);
  return priv == USER_PRIV_ADMIN;
}

OsVersion GetVersionEx() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool ok = ::GetVersionExA(&info) != FALSE;
#pragma GCC diagnostic pop
  OsVersion v;
  if (ok) {
    v.platformId = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
  }
  return v;
}

std::uint32_t GetTickCount() { return ::GetTickCount(); }
void Sleep(std::uint32_t ms) { ::Sleep(ms); }

void MessageBeep() { ::MessageBeep(MB_OK); }

}  // namespace vx
