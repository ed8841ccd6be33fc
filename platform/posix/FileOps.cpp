// Operations on files and folders by name: attributes, copy, delete, move, folders.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "platform/posix/CloseLater.h"
#include "platform/posix/CurrentDir.h"
#include "platform/posix/DirIndex.h"
#include "platform/posix/FileCommon.h"
#include "platform/posix/ShareLocks.h"

namespace vx {

namespace {

bool Fail(std::uint32_t code) {
  SetLastError(code);
  return false;
}

bool FailErrno(int err, const std::string& host) {
  posix::SetErrorFromErrno(err, host);
  return false;
}

// Whether handles open on the file allow it to be deleted or renamed now. With `held`, a
// descriptor the check opened is handed there (else -1) rather than closed.
std::uint32_t DeleteAllowed(const std::string& host, bool refuseRunning, int* held = nullptr) {
  if (held != nullptr) *held = -1;
  int fd = -1;
  if (refuseRunning) {
    fd = ::open(host.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    // A running program cannot be deleted on Windows either.
    if (fd < 0 && errno == ETXTBSY) return kErrorAccessDenied;
  }
  if (fd < 0) fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) return kErrorSuccess;  // nothing to ask: no handle of ours can be open on it
  std::uint32_t err = posix::CheckAndRecordShare(fd, posix::kAccessDelete,
                                                 kShareRead | kShareWrite | kShareDelete, false);
  if (err == kErrorSuccess && held != nullptr) {
    *held = fd;
  } else {
    ::close(fd);
  }
  return err;
}

bool IsDriveRoot(std::string_view path) {
  std::string abs;
  return posix::AbsoluteWindowsPath(path, abs) && abs.size() == 3;
}

}  // namespace

std::string HostPathOf(std::string_view winPath) {
  auto host = Machine::Current().ToHost(winPath);
  return host ? *host : std::string();
}

bool MarkIfHostProgram(std::string_view path) {
  auto host = posix::HostPath(path);
  if (!host) return Fail(kErrorPathNotFound);
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Fail(kErrorFileNotFound);
  if (!posix::StartsAsHostProgram(*host)) return true;
  mode_t mode = st.st_mode & 07777;
  if (posix::WithExecute(mode) != mode && ::chmod(host->c_str(), posix::WithExecute(mode)) != 0) {
    return FailErrno(errno, *host);
  }
  return true;
}

std::uint32_t GetFileAttributes(std::string_view path) {
  // Windows shows a device name as a plain file.
  if (!winpath::DeviceName(path).empty()) return kAttrArchive;
  bool absent = false;
  auto host = posix::HostPath(path, &absent);
  if (!host) return kInvalidAttributes;
  if (absent) {
    // The lookup just found the folder without that name: nothing to describe.
    SetLastError(kErrorFileNotFound);
    return kInvalidAttributes;
  }
  posix::EntryInfo info;
  // A drive's root is its folder even when the host reaches it through a link.
  if (!posix::DescribeEntry(*host, IsDriveRoot(path), &info)) {
    posix::SetErrorFromErrno(errno, *host);
    return kInvalidAttributes;
  }
  return info.attributes;
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct stat st;
  if (::stat(host->c_str(), &st) != 0) return FailErrno(errno, *host);
  // The extended attribute first: once read-only, an ordinary user may no longer change it.
  // A host without extended attributes keeps only read-only; Windows callers do not check.
  (void)posix::StoreExtraAttributes(*host, attributes & ~kAttrNormal);
  if (S_ISDIR(st.st_mode)) return true;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly)  ? (mode & ~0222)
                  : posix::IsReadOnlyMode(mode) ? (mode | S_IWUSR)
                                                : mode;
  if (wanted != mode && ::chmod(host->c_str(), wanted) != 0) return FailErrno(errno, *host);
  return true;
}

bool FileOrFolderExists(std::string_view path) {
  if (!winpath::DeviceName(path).empty()) return true;
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct stat st;
  if (::stat(host->c_str(), &st) != 0) return FailErrno(errno, *host);
  return true;
}

bool CopyFile(std::string_view from, std::string_view to, bool failIfExists) {
  auto srcHost = posix::HostPath(from);
  auto dstHost = posix::HostPath(to);
  if (!srcHost || !dstHost) return false;
  FileHandle src =
      CreateFile(from, kGenericRead, kShareRead | kShareDelete, Disposition::OpenExisting);
  if (src == kInvalidHandle) return false;
  struct stat st;
  if (::stat(srcHost->c_str(), &st) != 0) {
    int err = errno;
    CloseHandle(src);
    return FailErrno(err, *srcHost);
  }
  FileTime writeTime;
  GetFileTime(src, nullptr, nullptr, &writeTime);

  struct stat dstSt;
  bool dstExisted = ::stat(dstHost->c_str(), &dstSt) == 0;
  if (dstExisted && failIfExists) {
    CloseHandle(src);
    return Fail(kErrorFileExists);
  }
  FileHandle dst = CreateFile(to, kGenericWrite, kShareNone,
                              failIfExists ? Disposition::CreateNew : Disposition::CreateAlways);
  if (dst == kInvalidHandle) {
    std::uint32_t err = GetLastError();
    CloseHandle(src);
    return Fail(err);
  }

  std::vector<char> buffer(1 << 16);
  bool ok = true;
  std::uint32_t err = kErrorSuccess;
  for (;;) {
    std::uint32_t got = 0, put = 0;
    if (!ReadFile(src, buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got)) {
      ok = false;
      err = GetLastError();
      break;
    }
    if (got == 0) break;
    if (!WriteFile(dst, buffer.data(), got, &put)) {
      ok = false;
      err = GetLastError();
      break;
    }
  }
  if (ok) ok = SetFileTime(dst, nullptr, nullptr, &writeTime) || (err = GetLastError(), false);
  if (ok) {
    // The copy takes the source's attributes: read-only and, on the host, its execute bits
    // (the stored ones first, while the copy may still be written). The mode goes to the
    // file opened, never to whatever the name may point at by now.
    posix::CopyExtraAttributes(*srcHost, *dstHost);
    mode_t mode = st.st_mode & 0777;
    bool program = posix::IsProgramName(*dstHost) || posix::StartsAsHostProgram(*srcHost);
    ::fchmod(static_cast<int>(dst), program ? posix::WithExecute(mode) : mode);
  }
  CloseHandle(dst);
  CloseHandle(src);
  if (!ok) {
    // A half-written copy must not pass for the file.
    ::unlink(dstHost->c_str());
    return Fail(err);
  }
  SetLastError(kErrorSuccess);
  return true;
}

bool DeleteFile(std::string_view path) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0) return FailErrno(errno, *host);
  int held = -1;
  if (!S_ISLNK(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied);
    if (posix::IsReadOnlyMode(st.st_mode)) return Fail(kErrorAccessDenied);
    if (std::uint32_t err = DeleteAllowed(*host, S_ISREG(st.st_mode), &held)) return Fail(err);
  }
  // The last close frees the file's blocks, which may wait on the disk; not the caller's wait.
  const bool removed = ::unlink(host->c_str()) == 0;
  const int err = errno;
  posix::ReleaseHeld(held, removed);
  return removed || FailErrno(err, *host);
}

namespace {

// Frees a name for a file made new: a link goes itself, a file as DeleteFile removes it.
bool ClearForFreshFile(std::string_view path) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0) return errno == ENOENT || FailErrno(errno, *host);
  if (S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied);
  // A stale copy may have kept the read-only attribute of its source.
  if (!S_ISLNK(st.st_mode) && posix::IsReadOnlyMode(st.st_mode)) {
    ::chmod(host->c_str(), (st.st_mode & 07777) | S_IWUSR);
  }
  return DeleteFile(path);
}

}  // namespace

FileHandle CreateFreshFile(std::string_view path, std::uint32_t access) {
  // The name is nearly always free, and the exclusive create then needs no look first; it
  // fails on anything there (a link or a folder too), which is then cleared as before.
  FileHandle h = CreateFile(path, access, kShareNone, Disposition::CreateNew);
  if (h != kInvalidHandle) return h;
  const std::uint32_t err = GetLastError();
  if (err != kErrorFileExists && err != kErrorAccessDenied) return kInvalidHandle;
  if (!ClearForFreshFile(path)) return kInvalidHandle;
  return CreateFile(path, access, kShareNone, Disposition::CreateNew);
}

bool CopyFileFresh(std::string_view from, std::string_view to) {
  return ClearForFreshFile(to) && CopyFile(from, to, true);
}

bool MoveFile(std::string_view from, std::string_view to) {
  auto srcHost = posix::HostPath(from);
  if (!srcHost) return false;
  std::string dstWin;
  if (!posix::AbsoluteWindowsPath(to, dstWin)) return Fail(kErrorPathNotFound);
  bool dstAbsent = false;
  auto dstHost = posix::HostPath(dstWin, &dstAbsent);
  if (!dstHost) return false;
  struct stat src;
  if (::lstat(srcHost->c_str(), &src) != 0) return FailErrno(errno, *srcHost);
  if (dstWin.size() == 3) return Fail(kErrorAccessDenied);  // a drive root is no name

  std::string target = *dstHost;
  struct stat dst;
  if (!dstAbsent && ::lstat(dstHost->c_str(), &dst) == 0) {
    if (dst.st_dev != src.st_dev || dst.st_ino != src.st_ino) return Fail(kErrorAlreadyExists);
    // The same entry in other case: rename it to the case given.
    std::size_t cut = dstHost->find_last_of('/');
    target = dstHost->substr(0, cut + 1) + std::string(winpath::FileName(dstWin));
    if (target == *srcHost) return true;
  }
  if (S_ISREG(src.st_mode)) {
    if (std::uint32_t err = DeleteAllowed(*srcHost, false)) return Fail(err);
  }
  int rc = ::renameat2(AT_FDCWD, srcHost->c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && errno == EINVAL) {
    // A file system without no-replace renames: the look above has to do.
    struct stat again;
    if (::lstat(target.c_str(), &again) == 0 &&
        (again.st_dev != src.st_dev || again.st_ino != src.st_ino)) {
      return Fail(kErrorAlreadyExists);
    }
    rc = ::rename(srcHost->c_str(), target.c_str());
  }
  if (rc == 0) return true;
  int err = errno;
  if (err == EEXIST) return Fail(kErrorAlreadyExists);
  if (err == EXDEV) {
    if (!S_ISREG(src.st_mode)) return Fail(kErrorNotSameDevice);
    // Files move between file systems as a copy and a delete, as on Windows.
    if (!CopyFile(from, dstWin, true)) return false;
    if (posix::IsReadOnlyMode(src.st_mode) ? ::unlink(srcHost->c_str()) != 0 : !DeleteFile(from)) {
      std::uint32_t code = GetLastError();
      ::chmod(target.c_str(), 0600);
      ::unlink(target.c_str());
      return Fail(code ? code : kErrorAccessDenied);
    }
    return true;
  }
  if (err == ENOENT) {
    // The source was there a moment ago: the destination's folder is missing.
    return Fail(kErrorPathNotFound);
  }
  return FailErrno(err, target);
}

namespace {

// MoveFileReplacing once both names are mapped. `srcChecked`: the caller has made sure that
// the source is a file that no handle keeps from being renamed.
bool MoveMappedReplacing(std::string_view from, std::string_view to, const std::string& srcHost,
                         const std::string& dstHost, bool dstAbsent, bool srcChecked) {
  if (!srcChecked) {
    struct stat src;
    if (::lstat(srcHost.c_str(), &src) != 0) return FailErrno(errno, srcHost);
    if (!S_ISREG(src.st_mode)) return Fail(kErrorAccessDenied);
  }
  struct stat dst;
  if (dstAbsent || ::lstat(dstHost.c_str(), &dst) != 0) {
    if (!dstAbsent && errno != ENOENT) return FailErrno(errno, dstHost);
    // The usual case, a file new to its folder, in one step; anything unusual (another file
    // system, a name that appeared meanwhile, no no-replace renames) as MoveFile handles it.
    if (!srcChecked) {
      if (std::uint32_t err = DeleteAllowed(srcHost, false)) return Fail(err);
    }
    if (::renameat2(AT_FDCWD, srcHost.c_str(), AT_FDCWD, dstHost.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    return MoveFile(from, to);
  }
  if (S_ISDIR(dst.st_mode)) return Fail(kErrorAccessDenied);
  // The replaced file is held, as DeleteFile holds what it deletes, so that freeing its
  // blocks does not make this caller wait.
  int replaced = -1;
  if (!S_ISLNK(dst.st_mode)) {
    if (posix::IsReadOnlyMode(dst.st_mode)) return Fail(kErrorAccessDenied);
    if (std::uint32_t err = DeleteAllowed(dstHost, true, &replaced)) return Fail(err);
  }
  if (!srcChecked) {
    if (std::uint32_t err = DeleteAllowed(srcHost, false)) {
      posix::ReleaseHeld(replaced, false);
      return Fail(err);
    }
  }
  // rename() replaces the entry itself (a link as a link): the name never stands empty.
  const bool renamed = ::rename(srcHost.c_str(), dstHost.c_str()) == 0;
  const int err = errno;
  posix::ReleaseHeld(replaced, renamed);
  return renamed || FailErrno(err, dstHost);
}

// Both names of a move, looked up as of one moment.
bool MapBoth(std::string_view from, std::string_view to, std::string* srcHost, std::string* dstHost,
             bool* dstAbsent) {
  posix::OneLook look;
  auto src = posix::HostPath(from);
  if (!src) return false;
  auto dst = posix::HostPath(to, dstAbsent);
  if (!dst) return false;
  *srcHost = std::move(*src);
  *dstHost = std::move(*dst);
  return true;
}

}  // namespace

bool MoveFileReplacing(std::string_view from, std::string_view to) {
  std::string srcHost, dstHost;
  bool dstAbsent = false;
  if (!MapBoth(from, to, &srcHost, &dstHost, &dstAbsent)) return false;
  return MoveMappedReplacing(from, to, srcHost, dstHost, dstAbsent, false);
}

bool CloseAndMoveFileReplacing(FileHandle h, std::string_view from, std::string_view to) {
  const int fd = posix::DescriptorOf(h);
  if (fd < 0) return false;
  std::string srcHost, dstHost;
  bool dstAbsent = false;
  const bool mapped = MapBoth(from, to, &srcHost, &dstHost, &dstAbsent);
  const std::uint32_t mapError = GetLastError();
  // Asked through this handle, whose own marks do not count against it.
  const std::uint32_t shared = posix::CheckAndRecordShare(
      fd, posix::kAccessDelete, kShareRead | kShareWrite | kShareDelete, false);
  if (!CloseHandle(h)) return false;
  if (!mapped) return Fail(mapError);
  if (shared != kErrorSuccess) return Fail(shared);
  return MoveMappedReplacing(from, to, srcHost, dstHost, dstAbsent, true);
}

bool CreateDirectory(std::string_view path) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  if (::mkdir(host->c_str(), 0777) == 0) return true;
  int err = errno;
  if (err == EEXIST) return Fail(kErrorAlreadyExists);
  if (err == ENOENT || err == ENOTDIR) return Fail(kErrorPathNotFound);
  return FailErrno(err, *host);
}

bool RemoveDirectory(std::string_view path) {
  auto host = posix::HostPath(path);
  if (!host) return false;
  // A drive root maps to a host folder that must outlive anything a script does.
  if (IsDriveRoot(path)) return Fail(kErrorAccessDenied);
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0) return FailErrno(errno, *host);
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::stat(host->c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
      if (::unlink(host->c_str()) != 0) return FailErrno(errno, *host);
      return true;
    }
    return Fail(kErrorDirectory);
  }
  if (!S_ISDIR(st.st_mode)) return Fail(kErrorDirectory);
  // Held across the removal for the reason DeleteFile holds a file: the last close frees.
  const int held = ::open(host->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const bool removed = ::rmdir(host->c_str()) == 0;
  const int err = errno;
  posix::ReleaseHeld(held, removed);
  if (removed) return true;
  if (err == ENOTEMPTY || err == EEXIST) return Fail(kErrorDirNotEmpty);
  if (err == EBUSY) return Fail(kErrorSharingViolation);
  return FailErrno(err, *host);
}

}  // namespace vx
