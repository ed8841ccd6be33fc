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

// The file of a name: the name itself could hold anything, so a hash of it stands in.
std::string LockFileOf(std::string_view name) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : winpath::ToUpper(name)) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return Machine::Current().LockDir() + "/named-" + hex + ".lock";
}

}  // namespace

std::unique_ptr<NamedLock> NamedLock::TryTake(std::string_view name) { return Take(name, false); }

std::unique_ptr<NamedLock> NamedLock::TryTakeShared(std::string_view name) {
  return Take(name, true);
}

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
