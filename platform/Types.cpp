#include "platform/Types.h"

namespace vx {

namespace {
// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDelta = 11644473600LL;
thread_local std::uint32_t lastError = kErrorSuccess;
}  // namespace

FileTime FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
  std::int64_t s = seconds + kEpochDelta;
  if (s < 0) return FileTime{0};
  return FileTime{static_cast<std::uint64_t>(s) * 10000000ULL + nanoseconds / 100};
}

std::int64_t UnixFromFileTime(FileTime t) {
  return static_cast<std::int64_t>(t.ticks / 10000000ULL) - kEpochDelta;
}

std::uint32_t GetLastError() { return lastError; }
void SetLastError(std::uint32_t code) { lastError = code; }

}  // namespace vx
