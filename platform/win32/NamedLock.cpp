// Named locks as byte-range locks (LockFileEx) on one file per name in the temporary folder:
// shared or exclusive, taken without waiting. Windows drops a process's locks when its
// handles close, however it ends, so a dead holder never blocks the next.
#include "platform/win32/WinApi.h"

#include <cstdio>

#include "platform/NamedLock.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::string LockFileOf(std::string_view name) {
  const std::string folder = GetTempPath() + "VxInstaller-locks";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\" + NamedLock::FileKey(name) + ".lock";
}

// Kernel handles keep to 32 significant bits (Windows keeps them so for 32-bit programs),
// so the lock's handle is held in the int the class has for it.
HANDLE FromInt(int value) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value)); }

}  // namespace

std::unique_ptr<NamedLock> NamedLock::Take(std::string_view name, bool shared) {
  HANDLE h = ::CreateFileA(LockFileOf(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetLastError(::GetLastError());
    return nullptr;
  }
  OVERLAPPED at{};
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (shared ? 0 : LOCKFILE_EXCLUSIVE_LOCK);
  if (!::LockFileEx(h, flags, 0, 1, 0, &at)) {
    ::CloseHandle(h);
    SetLastError(kErrorAlreadyExists);
    return nullptr;
  }
  return std::unique_ptr<NamedLock>(
      new NamedLock(static_cast<int>(reinterpret_cast<std::intptr_t>(h))));
}

NamedLock::~NamedLock() { ::CloseHandle(FromInt(fd_)); }

}  // namespace vx
