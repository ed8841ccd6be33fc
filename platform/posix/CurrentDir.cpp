// The process's current directory is a Windows path kept here, not the host's working
// directory: relative Windows paths must resolve inside the machine's drives.
#include "platform/posix/CurrentDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"

namespace vx {

namespace {
std::mutex cwdMu;
std::string& Cwd() {
  static auto* cwd = new std::string("C:\\");
  return *cwd;
}
}  // namespace

namespace posix {

bool AbsoluteWindowsPath(std::string_view pathIn, std::string& out) {
  if (pathIn.empty()) return false;
  std::string path = winpath::ToBackslashes(pathIn);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return false;  // UNC
  std::string joined;
  if (winpath::IsAbsolute(path)) {
    joined = path;
  } else {
    std::string cwd = GetCurrentDirectory();
    char drive = winpath::DriveLetter(path);
    if (drive) {
      std::string base = winpath::DriveLetter(cwd) == drive ? cwd : std::string(1, drive) + ":\\";
      joined = winpath::Join(base, std::string_view(path).substr(2));
    } else if (path[0] == '\\') {
      joined = cwd.substr(0, 2) + path;
    } else {
      joined = winpath::Join(cwd, path);
    }
  }
  return winpath::Normalize(joined, out);
}

void ResetCurrentDirectory() {
  std::lock_guard<std::mutex> lock(cwdMu);
  Cwd() = "C:\\";
}

}  // namespace posix

std::string GetCurrentDirectory() {
  std::lock_guard<std::mutex> lock(cwdMu);
  return Cwd();
}

bool SetCurrentDirectory(std::string_view path) {
  std::string abs;
  if (!posix::AbsoluteWindowsPath(path, abs)) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  auto host = Machine::Current().ToHost(abs);
  struct stat st;
  if (!host) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  if (::stat(host->c_str(), &st) != 0) {
    int err = errno;
    SetLastError(err == ENOENT || err == ENOTDIR ? kErrorFileNotFound : kErrorAccessDenied);
    // Windows reports a missing folder as "file not found" only when its parent exists.
    if (err == ENOENT || err == ENOTDIR) {
      std::string parent = std::string(winpath::Folder(abs));
      auto hostParent = Machine::Current().ToHost(parent);
      if (!hostParent || ::stat(hostParent->c_str(), &st) != 0) SetLastError(kErrorPathNotFound);
    }
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(kErrorDirectory);
    return false;
  }
  std::lock_guard<std::mutex> lock(cwdMu);
  Cwd() = abs;
  return true;
}

std::string GetModuleFileName() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) {
    SetLastError(kErrorFileNotFound);
    return "";
  }
  auto win = Machine::Current().ToWindows(std::string(buf, static_cast<std::size_t>(n)));
  if (!win) {
    SetLastError(kErrorFileNotFound);
    return "";
  }
  return *win;
}

}  // namespace vx
