// Named locks as flock() locks on one file per name in the machine's lock folder: the kernel
// drops such a lock when the last descriptor of its open file goes, which a dying process
// does for it. Descriptors are close-on-exec, so programs started never inherit the lock.
#include "platform/NamedLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::string LockFileOf(std::string_view name) {
  return Machine::Current().LockDir() + "/named-" + NamedLock::FileKey(name) + ".lock";
}

}  // namespace

std::unique_ptr<NamedLock> NamedLock::Take(std::string_view name, bool shared) {
  const std::string file = LockFileOf(name);
  const int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  int fd = ::open(file.c_str(), flags, 0666);
  if (fd < 0 && errno == ENOENT) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    fd = ::open(file.c_str(), flags, 0666);
  }
  if (fd < 0) {
    SetLastError(kErrorAccessDenied);
    return nullptr;
  }
  int rc;
  do {
    rc = ::flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    SetLastError(held ? kErrorAlreadyExists : kErrorAccessDenied);
    return nullptr;
  }
  return std::unique_ptr<NamedLock>(new NamedLock(fd));
}

NamedLock::~NamedLock() { ::close(fd_); }

}  // namespace vx
