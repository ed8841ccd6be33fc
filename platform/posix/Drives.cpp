// The drive table as the Windows drive calls show it.
#include <sys/statvfs.h>

#include <cerrno>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "platform/posix/FileCommon.h"

namespace vx {

std::uint32_t GetLogicalDrives() {
  std::uint32_t mask = 0;
  for (const DriveInfo& d : Machine::Current().Drives()) mask |= 1u << (d.letter - 'A');
  return mask;
}

std::vector<std::string> GetLogicalDriveStrings() {
  std::vector<std::string> roots;
  for (const DriveInfo& d : Machine::Current().Drives())
    roots.push_back(std::string(1, d.letter) + ":\\");
  return roots;
}

DriveType GetDriveType(std::string_view root) {
  char letter = 0;
  if (root.empty() || ((root[0] == '\\' || root[0] == '/') && root.size() == 1)) {
    letter = winpath::DriveLetter(GetCurrentDirectory());
  } else {
    letter = winpath::DriveLetter(root);
    // Only a root names a drive: "C:", "C:\".
    if (root.size() > 3 || (root.size() == 3 && root[2] != '\\' && root[2] != '/')) letter = 0;
  }
  const DriveInfo* d = letter ? Machine::Current().Drive(letter) : nullptr;
  return d ? d->type : DriveType::NoRootDir;
}

bool GetDiskFreeSpace(std::string_view root, std::uint64_t* freeBytes, std::uint64_t* totalBytes) {
  std::string path(root);
  if (path.size() == 2 && winpath::DriveLetter(path)) path += "\\";
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct statvfs vfs;
  if (::statvfs(host->c_str(), &vfs) != 0) {
    posix::SetErrorFromErrno(errno, *host);
    return false;
  }
  std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  if (freeBytes) *freeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
  if (totalBytes) *totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  return true;
}

}  // namespace vx
