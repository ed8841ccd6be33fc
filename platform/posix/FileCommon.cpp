#include "platform/posix/FileCommon.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "platform/posix/CurrentDir.h"

namespace vx::posix {

namespace {
constexpr char kAttrXattr[] = "user.vx.attr";
constexpr std::uint32_t kStoredBits = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kEpochDeltaSeconds = 11644473600LL;

}  // namespace

std::optional<std::string> HostPath(std::string_view winPath, bool* absent) {
  if (absent) *absent = false;
  // A device name is no file under any folder: nothing may be made, moved or deleted by it.
  if (!winpath::DeviceName(winPath).empty()) {
    SetLastError(kErrorInvalidParameter);
    return std::nullopt;
  }
  auto host = Machine::Current().ToHost(winPath, absent);
  if (host) return host;
  std::string abs;
  bool invalid = winPath.empty() || winPath.find('\0') != std::string_view::npos ||
                 (AbsoluteWindowsPath(winPath, abs) && winpath::HasInvalidCharacters(abs));
  SetLastError(invalid ? kErrorInvalidName : kErrorPathNotFound);
  return std::nullopt;
}

std::uint32_t ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kErrorAccessDenied;
    case EEXIST:
      return kErrorAlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorDiskFull;
    case ETXTBSY:
    case EBUSY:
    case EWOULDBLOCK:
      return kErrorSharingViolation;
    case ENAMETOOLONG:
    case ELOOP:
      return kErrorInvalidName;
    case EXDEV:
      return kErrorNotSameDevice;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case EBADF:
      return kErrorInvalidHandle;
    case EINVAL:
      return kErrorInvalidParameter;
    default:
      return kErrorAccessDenied;
  }
}

void SetErrorFromErrno(int err, const std::string& hostPath) {
  if (err == ENOENT || err == ENOTDIR) {
    std::size_t cut = hostPath.find_last_of('/');
    std::string parent = cut == 0 || cut == std::string::npos ? "/" : hostPath.substr(0, cut);
    struct stat st;
    bool folderThere = ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    SetLastError(folderThere ? kErrorFileNotFound : kErrorPathNotFound);
    return;
  }
  SetLastError(ErrorFromErrno(err));
}

std::uint32_t AttributesOf(const struct stat& st, const std::string& hostPath, bool noFollow) {
  std::optional<std::uint32_t> stored;
  char buf[16];
  ssize_t n = noFollow ? ::lgetxattr(hostPath.c_str(), kAttrXattr, buf, sizeof buf - 1)
                       : ::getxattr(hostPath.c_str(), kAttrXattr, buf, sizeof buf - 1);
  if (n > 0) {
    buf[n] = 0;
    char* end = nullptr;
    unsigned long v = std::strtoul(buf, &end, 10);
    if (end != buf) stored = static_cast<std::uint32_t>(v) & kStoredBits;
  }
  std::uint32_t attrs = 0;
  if (S_ISDIR(st.st_mode)) {
    // A folder's read-only flag is only a mark on Windows; its permissions stay as they are.
    attrs = kAttrDirectory | (stored ? (*stored & ~kAttrArchive) : 0);
  } else {
    attrs = stored ? (*stored & ~kAttrReadOnly) : kAttrArchive;
    if (IsReadOnlyMode(st.st_mode)) attrs |= kAttrReadOnly;
  }
  return attrs == 0 ? kAttrNormal : attrs;
}

bool DescribeEntry(const std::string& hostPath, bool followLink, EntryInfo* info) {
  struct stat st;
  if (::lstat(hostPath.c_str(), &st) != 0) return false;
  EntryInfo e;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    bool resolves = ::stat(hostPath.c_str(), &target) == 0;
    if (resolves && (followLink || !S_ISDIR(target.st_mode))) {
      e.attributes = AttributesOf(target, hostPath, false);
      if (!followLink) e.attributes |= kAttrReparsePoint;
      e.size = S_ISDIR(target.st_mode) ? 0 : static_cast<std::uint64_t>(target.st_size);
      e.writeTime = ToFileTime(target.st_mtim);
    } else if (followLink) {
      errno = ENOENT;
      return false;
    } else {
      e.attributes = kAttrReparsePoint;
      e.writeTime = ToFileTime(st.st_mtim);
    }
  } else {
    e.attributes = AttributesOf(st, hostPath, true);
    e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    e.writeTime = ToFileTime(st.st_mtim);
  }
  if (info) *info = e;
  return true;
}

bool StoreExtraAttributes(const std::string& hostPath, std::uint32_t attributes) {
  std::string text = std::to_string(attributes & kStoredBits);
  if (::setxattr(hostPath.c_str(), kAttrXattr, text.data(), text.size(), 0) == 0) return true;
  return false;
}

void CopyExtraAttributes(const std::string& from, const std::string& to) {
  char buf[16];
  ssize_t n = ::getxattr(from.c_str(), kAttrXattr, buf, sizeof buf);
  if (n > 0) ::lsetxattr(to.c_str(), kAttrXattr, buf, static_cast<std::size_t>(n), 0);
}

bool IsProgramName(std::string_view name) {
  std::size_t dot = name.find_last_of("./");
  if (dot == std::string_view::npos || name[dot] != '.') return false;
  std::string ext = winpath::ToUpper(name.substr(dot));
  return ext == ".EXE" || ext == ".COM" || ext == ".BAT" || ext == ".CMD";
}

bool StartsAsHostProgram(const std::string& hostPath) {
  // Looking must not change the file's access time, which installed files carry over.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  int fd = ::open(hostPath.c_str(), flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(hostPath.c_str(), flags);
  if (fd < 0) return false;
  unsigned char head[4] = {0, 0, 0, 0};
  ssize_t n = ::pread(fd, head, sizeof head, 0);
  ::close(fd);
  return HeadIsHostProgram(head, n);
}

bool HeadIsHostProgram(const unsigned char* head, long size) {
  if (size >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
    return true;
  return size >= 2 && head[0] == '#' && head[1] == '!';
}

FileTime ToFileTime(const struct timespec& ts) {
  std::int64_t s = static_cast<std::int64_t>(ts.tv_sec) + kEpochDeltaSeconds;
  if (s < 0) return FileTime{0};
  return FileTime{static_cast<std::uint64_t>(s) * kTicksPerSecond +
                  static_cast<std::uint64_t>(ts.tv_nsec) / 100};
}

struct timespec ToTimespec(FileTime t) {
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(t.ticks / kTicksPerSecond) -
                                  kEpochDeltaSeconds);
  ts.tv_nsec = static_cast<long>((t.ticks % kTicksPerSecond) * 100);
  return ts;
}

}  // namespace vx::posix
