#include "platform/NamedLock.h"

#include <cstdint>
#include <cstdio>

#include "platform/WinPath.h"

namespace vx {

std::unique_ptr<NamedLock> NamedLock::TryTake(std::string_view name) { return Take(name, false); }

std::unique_ptr<NamedLock> NamedLock::TryTakeShared(std::string_view name) {
  return Take(name, true);
}

std::string NamedLock::FileKey(std::string_view name) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : winpath::ToUpper(name)) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return hex;
}

}  // namespace vx
