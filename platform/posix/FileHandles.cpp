// File handles: a handle is the descriptor of the open file, registered with the access it
// was opened for so that stale or foreign numbers are refused instead of used.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <mutex>
#include <vector>

#include "platform/Files.h"
#include "platform/posix/FileCommon.h"
#include "platform/WinPath.h"
#include "platform/posix/ShareLocks.h"

namespace vx {

namespace {

constexpr char kCreationXattr[] = "user.vx.ctime";
constexpr std::uint32_t kOpenBit = 1;  // set for every registered descriptor

std::mutex tableMu;
std::vector<std::uint32_t>& Table() {
  static auto* table = new std::vector<std::uint32_t>();
  return *table;
}

void Register(int fd, std::uint32_t access) {
  std::lock_guard<std::mutex> lock(tableMu);
  auto& t = Table();
  if (t.size() <= static_cast<std::size_t>(fd)) t.resize(static_cast<std::size_t>(fd) + 1, 0);
  t[static_cast<std::size_t>(fd)] = access | kOpenBit;
}

// The descriptor of a handle that CreateFile gave and CloseHandle has not taken back, with
// its access; -1 (and kErrorInvalidHandle) otherwise.
int Lookup(FileHandle h, std::uint32_t* access = nullptr) {
  if (h >= 0 && h <= INT_MAX) {
    std::lock_guard<std::mutex> lock(tableMu);
    auto& t = Table();
    if (static_cast<std::size_t>(h) < t.size() && (t[static_cast<std::size_t>(h)] & kOpenBit)) {
      if (access) *access = t[static_cast<std::size_t>(h)];
      return static_cast<int>(h);
    }
  }
  SetLastError(kErrorInvalidHandle);
  return -1;
}

bool Unregister(FileHandle h) {
  std::lock_guard<std::mutex> lock(tableMu);
  auto& t = Table();
  if (h < 0 || static_cast<std::size_t>(h) >= t.size() ||
      !(t[static_cast<std::size_t>(h)] & kOpenBit)) {
    return false;
  }
  t[static_cast<std::size_t>(h)] = 0;
  return true;
}

bool Fail(std::uint32_t code) {
  SetLastError(code);
  return false;
}

FileHandle FailHandle(int fd, std::uint32_t code) {
  if (fd >= 0) ::close(fd);
  SetLastError(code);
  return kInvalidHandle;
}

}  // namespace

const void* FileHandleTableIdentity() { return &Table(); }

FileHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                      Disposition disposition) {
  // NUL swallows what is written and reads as empty, under any folder; the machine has no
  // console, printer or ports.
  if (const std::string device = winpath::DeviceName(path); !device.empty()) {
    if (device != "NUL") return FailHandle(-1, kErrorFileNotFound);
    const int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd < 0) return FailHandle(-1, kErrorAccessDenied);
    Register(fd, access & (kGenericRead | kGenericWrite));
    SetLastError(kErrorSuccess);
    return fd;
  }
  auto host = posix::HostPath(path);
  if (!host) return kInvalidHandle;
  const bool wantWrite = access & kGenericWrite;
  const bool wantRead = access & kGenericRead;
  const bool truncates =
      disposition == Disposition::CreateAlways || disposition == Disposition::TruncateExisting;
  if (disposition == Disposition::TruncateExisting && !wantWrite) {
    return FailHandle(-1, kErrorInvalidParameter);
  }
  if (static_cast<std::uint32_t>(disposition) < 1 || static_cast<std::uint32_t>(disposition) > 5) {
    return FailHandle(-1, kErrorInvalidParameter);
  }

  // A write never goes through a symbolic link in the last component: a link planted under
  // the name of a file about to be written would send the data (and any truncation) to a
  // file of someone else's choosing. Reads follow links as before.
  const bool creates = disposition == Disposition::CreateNew ||
                       disposition == Disposition::CreateAlways ||
                       disposition == Disposition::OpenAlways;
  const bool noFollow = wantWrite || creates;
  // A new file needs no look first: the exclusive create fails on any name already there,
  // a link included, and no handle can be open on what did not exist.
  const bool fresh = disposition == Disposition::CreateNew;
  struct stat st;
  if (!fresh && noFollow && ::lstat(host->c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    return FailHandle(-1, kErrorAccessDenied);
  }
  bool existed = !fresh && ::stat(host->c_str(), &st) == 0;
  if (existed) {
    if (S_ISDIR(st.st_mode)) return FailHandle(-1, kErrorAccessDenied);
    if (disposition == Disposition::CreateNew) return FailHandle(-1, kErrorFileExists);
    // Root ignores permission bits; the read-only attribute must hold for everyone.
    if ((wantWrite || truncates) && posix::IsReadOnlyMode(st.st_mode)) {
      return FailHandle(-1, kErrorAccessDenied);
    }
  } else if (disposition == Disposition::OpenExisting ||
             disposition == Disposition::TruncateExisting) {
    posix::SetErrorFromErrno(ENOENT, *host);
    return kInvalidHandle;
  }

  int flags = O_CLOEXEC | O_NOCTTY | (fresh ? 0 : O_NONBLOCK) | (noFollow ? O_NOFOLLOW : 0);
  flags |= wantWrite ? O_RDWR : O_RDONLY;
  switch (disposition) {
    case Disposition::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Disposition::CreateAlways:
    case Disposition::OpenAlways:
      flags |= O_CREAT;
      break;
    default:
      break;
  }
  // A new program file must be runnable, as any program file is on Windows.
  mode_t mode = posix::IsProgramName(*host) ? 0777 : 0666;
  int fd = ::open(host->c_str(), flags, mode);
  if (fd < 0 && errno == EACCES && wantWrite && !wantRead) {
    // A file its owner may not read: writing alone is still possible.
    fd = ::open(host->c_str(), (flags & ~O_RDWR) | O_WRONLY, mode);
  }
  if (fd < 0) {
    int err = errno;
    // A folder or a link by that name refuses the new file as when it was looked at first.
    if (err == EEXIST && fresh && ::lstat(host->c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))) {
      return FailHandle(-1, kErrorAccessDenied);
    }
    if (err == EEXIST) return FailHandle(-1, kErrorFileExists);
    if (err == EISDIR || (noFollow && err == ELOOP)) return FailHandle(-1, kErrorAccessDenied);
    posix::SetErrorFromErrno(err, *host);
    return kInvalidHandle;
  }
  struct stat now {};
  if (!fresh) {
    // Reads of a pipe or device opened by name should wait as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (::fstat(fd, &now) != 0) return FailHandle(fd, kErrorAccessDenied);
    if (S_ISDIR(now.st_mode)) return FailHandle(fd, kErrorAccessDenied);
  }
  bool created =
      (flags & O_CREAT) && !(existed && now.st_ino == st.st_ino && now.st_dev == st.st_dev);
  if (disposition == Disposition::CreateNew) created = true;
  // The file may have become read-only between the first look and the open.
  if (!created && (wantWrite || truncates) && posix::IsReadOnlyMode(now.st_mode)) {
    return FailHandle(fd, kErrorAccessDenied);
  }

  std::uint32_t shareAccess = access & (kGenericRead | kGenericWrite);
  if (fresh) {
    posix::RecordShareOfNewFile(fd, shareAccess, share);
  } else if (std::uint32_t err = posix::CheckAndRecordShare(fd, shareAccess, share, true)) {
    return FailHandle(fd, err);
  }
  if (truncates && !created && now.st_size != 0 && ::ftruncate(fd, 0) != 0) {
    int err = errno;
    ::close(fd);
    posix::SetErrorFromErrno(err, *host);
    return kInvalidHandle;
  }
  Register(fd, access & (kGenericRead | kGenericWrite));
  bool reportsExisting = !created && (disposition == Disposition::CreateAlways ||
                                      disposition == Disposition::OpenAlways);
  SetLastError(reportsExisting ? kErrorAlreadyExists : kErrorSuccess);
  return fd;
}

bool ReadFile(FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) {
  if (read) *read = 0;
  std::uint32_t access = 0;
  int fd = Lookup(h, &access);
  if (fd < 0) return false;
  if (!(access & kGenericRead)) return Fail(kErrorAccessDenied);
  if (size && !buffer) return Fail(kErrorInvalidParameter);
  std::uint32_t done = 0;
  auto* p = static_cast<char*>(buffer);
  while (done < size) {
    ssize_t n = ::read(fd, p + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read) *read = done;
      return Fail(posix::ErrorFromErrno(errno));
    }
    if (n == 0) break;  // end of file: success with what was there
    done += static_cast<std::uint32_t>(n);
  }
  if (read) *read = done;
  return true;
}

bool WriteFile(FileHandle h, const void* data, std::uint32_t size, std::uint32_t* written) {
  if (written) *written = 0;
  std::uint32_t access = 0;
  int fd = Lookup(h, &access);
  if (fd < 0) return false;
  if (!(access & kGenericWrite)) return Fail(kErrorAccessDenied);
  if (size && !data) return Fail(kErrorInvalidParameter);
  std::uint32_t done = 0;
  auto* p = static_cast<const char*>(data);
  while (done < size) {
    ssize_t n = ::write(fd, p + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written) *written = done;
      return Fail(posix::ErrorFromErrno(errno));
    }
    if (n == 0) {
      if (written) *written = done;
      return Fail(kErrorDiskFull);
    }
    done += static_cast<std::uint32_t>(n);
  }
  if (written) *written = done;
  return true;
}

std::int64_t SetFilePointer(FileHandle h, std::int64_t offset, SeekFrom from) {
  int fd = Lookup(h);
  if (fd < 0) return -1;
  int whence = from == SeekFrom::Begin ? SEEK_SET : from == SeekFrom::Current ? SEEK_CUR : SEEK_END;
  off_t pos = ::lseek(fd, static_cast<off_t>(offset), whence);
  if (pos < 0) {
    SetLastError(kErrorInvalidParameter);  // a position before the start
    return -1;
  }
  return pos;
}

std::int64_t GetFileSize(FileHandle h) {
  int fd = Lookup(h);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    SetLastError(posix::ErrorFromErrno(errno));
    return -1;
  }
  return st.st_size;
}

bool SetEndOfFile(FileHandle h) {
  std::uint32_t access = 0;
  int fd = Lookup(h, &access);
  if (fd < 0) return false;
  if (!(access & kGenericWrite)) return Fail(kErrorAccessDenied);
  off_t pos = ::lseek(fd, 0, SEEK_CUR);
  if (pos < 0 || ::ftruncate(fd, pos) != 0) return Fail(posix::ErrorFromErrno(errno));
  return true;
}

bool FlushFileBuffers(FileHandle h) {
  int fd = Lookup(h);
  if (fd < 0) return false;
  if (::fsync(fd) != 0 && errno != EINVAL) return Fail(posix::ErrorFromErrno(errno));
  return true;
}

int posix::DescriptorOf(FileHandle h) { return Lookup(h); }

bool CloseHandle(FileHandle h) {
  if (!Unregister(h)) return Fail(kErrorInvalidHandle);
  // close() releases the sharing marks with the open file description.
  ::close(static_cast<int>(h));
  return true;
}

bool GetFileId(FileHandle h, FileId* id) {
  int fd = Lookup(h);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) return Fail(posix::ErrorFromErrno(errno));
  *id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool GetFileIdOfPath(std::string_view path, FileId* id) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0) {
    posix::SetErrorFromErrno(errno, *host);
    return false;
  }
  *id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool GetFileTime(FileHandle h, FileTime* creation, FileTime* access, FileTime* write) {
  int fd = Lookup(h);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) return Fail(posix::ErrorFromErrno(errno));
  if (access) *access = posix::ToFileTime(st.st_atim);
  if (write) *write = posix::ToFileTime(st.st_mtim);
  if (creation) {
    unsigned char raw[8];
    if (::fgetxattr(fd, kCreationXattr, raw, sizeof raw) == static_cast<ssize_t>(sizeof raw)) {
      std::uint64_t ticks = 0;
      for (int i = 7; i >= 0; --i) ticks = (ticks << 8) | raw[i];
      creation->ticks = ticks;
    } else {
      struct statx sx {};
      if (::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
        struct timespec ts {
          static_cast<time_t>(sx.stx_btime.tv_sec), static_cast<long>(sx.stx_btime.tv_nsec)
        };
        *creation = posix::ToFileTime(ts);
      } else {
        *creation = posix::ToFileTime(st.st_mtim);
      }
    }
  }
  return true;
}

namespace {

bool MarkHostProgram(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return Fail(posix::ErrorFromErrno(errno));
  const mode_t bits = st.st_mode & 07777;
  if (posix::WithExecute(bits) != bits && ::fchmod(fd, posix::WithExecute(bits)) != 0)
    return Fail(posix::ErrorFromErrno(errno));
  return true;
}

}  // namespace

bool MarkIfHostProgram(FileHandle h) {
  std::uint32_t mode = 0;
  int fd = Lookup(h, &mode);
  if (fd < 0) return false;
  if (!(mode & kGenericWrite)) return Fail(kErrorAccessDenied);
  unsigned char head[4] = {0, 0, 0, 0};
  const ssize_t n = ::pread(fd, head, sizeof head, 0);
  if (n < 0) return Fail(posix::ErrorFromErrno(errno));
  return !posix::HeadIsHostProgram(head, n) || MarkHostProgram(fd);
}

bool MarkIfHostProgram(FileHandle h, const std::uint8_t* head, std::size_t size) {
  std::uint32_t mode = 0;
  int fd = Lookup(h, &mode);
  if (fd < 0) return false;
  if (!(mode & kGenericWrite)) return Fail(kErrorAccessDenied);
  if (size > 0 && head == nullptr) return Fail(kErrorInvalidParameter);
  return !posix::HeadIsHostProgram(head, static_cast<long>(std::min<std::size_t>(size, 4))) ||
         MarkHostProgram(fd);
}

bool SetFileTime(FileHandle h, const FileTime* creation, const FileTime* access,
                 const FileTime* write) {
  std::uint32_t mode = 0;
  int fd = Lookup(h, &mode);
  if (fd < 0) return false;
  if (!(mode & kGenericWrite)) return Fail(kErrorAccessDenied);
  if (access || write) {
    struct timespec ts[2];
    ts[0] = access ? posix::ToTimespec(*access) : timespec{0, UTIME_OMIT};
    ts[1] = write ? posix::ToTimespec(*write) : timespec{0, UTIME_OMIT};
    if (::futimens(fd, ts) != 0) return Fail(posix::ErrorFromErrno(errno));
  }
  if (creation) {
    unsigned char raw[8];
    for (int i = 0; i < 8; ++i) raw[i] = static_cast<unsigned char>(creation->ticks >> (8 * i));
    // Where the host keeps no extended attributes the creation time cannot be kept; the
    // birth time then stands in for it, as GetFileTime describes.
    (void)::fsetxattr(fd, kCreationXattr, raw, sizeof raw, 0);
  }
  return true;
}

}  // namespace vx
