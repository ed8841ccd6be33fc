// Named locks as named mutexes of the session. The mutex goes when its last handle closes,
// which Windows does for a process however it ends, so a dead holder never blocks the next.
#include "platform/win32/WinApi.h"

#include "platform/NamedLock.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

// Kernel object names are case-sensitive and may not hold a backslash past the namespace.
std::string MutexName(std::string_view name) {
  std::string out = "Local\\VxInstaller-";
  for (char c : winpath::ToUpper(name)) out.push_back(c == '\\' ? '/' : c);
  return out;
}

// Kernel handles keep to 32 significant bits (Windows keeps them so for 32-bit programs),
// so the lock's handle is held in the int the class has for it.
HANDLE FromInt(int value) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value)); }

}  // namespace

std::unique_ptr<NamedLock> NamedLock::TryTake(std::string_view name) {
  HANDLE h = ::CreateMutexA(nullptr, TRUE, MutexName(name).c_str());
  if (h == nullptr) {
    SetLastError(::GetLastError());
    return nullptr;
  }
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(h);
    SetLastError(kErrorAlreadyExists);
    return nullptr;
  }
  return std::unique_ptr<NamedLock>(
      new NamedLock(static_cast<int>(reinterpret_cast<std::intptr_t>(h))));
}

NamedLock::~NamedLock() {
  HANDLE h = FromInt(fd_);
  ::ReleaseMutex(h);
  ::CloseHandle(h);
}

}  // namespace vx
