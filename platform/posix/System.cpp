// Folders, user, version, time and pacing services of the machine.
#include "platform/System.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/WinPath.h"
#include "platform/posix/ShellFolders.h"

namespace vx {

namespace posix {

namespace {
// A user name as a folder name: characters no Windows name may hold become "_".
std::string FolderNameOfUser(std::string_view user) {
  std::string out;
  for (char ch : user) {
    unsigned char c = static_cast<unsigned char>(ch);
    bool bad = c < 32 || ch == '\\' || ch == '/' || ch == ':' || ch == '*' || ch == '?' ||
               ch == '"' || ch == '<' || ch == '>' || ch == '|';
    out.push_back(bad ? '_' : ch);
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  if (out.empty() || out == "." || out == "..") out = "User";
  return out;
}
}  // namespace

std::string ShellFolderPath(PlatformKind platform, std::string_view user, int csidl) {
  // NT keeps a profile per user; the 9x family keeps one set in the Windows folder.
  std::string base = platform == PlatformKind::NT
                         ? "C:\\Windows\\Profiles\\" + FolderNameOfUser(user)
                         : std::string("C:\\Windows");
  const char* startup = platform == PlatformKind::NT ? "Startup" : "StartUp";
  switch (csidl) {
    case kCsidlDesktopDirectory:
      return base + "\\Desktop";
    case kCsidlStartMenu:
      return base + "\\Start Menu";
    case kCsidlPrograms:
      return base + "\\Start Menu\\Programs";
    case kCsidlStartup:
      return base + "\\Start Menu\\Programs\\" + startup;
    default:
      return "";
  }
}

}  // namespace posix

namespace {

// Creates a Windows folder with its parents; false when it cannot exist.
bool EnsureFolder(const std::string& winPath) {
  auto host = Machine::Current().ToHost(winPath);
  if (!host) return false;
  std::error_code ec;
  std::filesystem::create_directories(*host, ec);
  return std::filesystem::is_directory(*host, ec);
}

}  // namespace

std::string GetWindowsDirectory() { return "C:\\Windows"; }

std::string GetSystemDirectory() {
  return Machine::Current().Platform() == PlatformKind::NT ? "C:\\Windows\\System32"
                                                           : "C:\\Windows\\System";
}

std::string GetTempPath() {
  std::string temp = GetWindowsDirectory() + "\\Temp";
  EnsureFolder(temp);
  return temp + "\\";
}

std::string GetSpecialFolder(int csidl) {
  Machine& m = Machine::Current();
  std::string path = posix::ShellFolderPath(m.Platform(), m.UserName(), csidl);
  if (path.empty() || !EnsureFolder(path)) return "";
  return path;
}

std::string GetUserName() { return Machine::Current().UserName(); }
bool IsUserAdmin() { return Machine::Current().IsAdmin(); }

OsVersion GetVersionEx() {
  OsVersion v;
  if (Machine::Current().Platform() == PlatformKind::Win9x) {
    v.platformId = kVerPlatformWindows;
    v.major = 4;
    v.minor = 10;
    v.build = 1998;
  } else {
    v.platformId = kVerPlatformNT;
    v.major = 4;
    v.minor = 0;
    v.build = 1381;
  }
  return v;
}

std::uint32_t GetTickCount() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

void Sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void MessageBeep() {
  if (::isatty(STDERR_FILENO)) {
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, "\a", 1);
  }
}

}  // namespace vx
