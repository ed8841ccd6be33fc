// Basic Windows-shaped types shared by every platform service.
#pragma once
#include <cstdint>

namespace vx {

// A file handle as the engine sees it; on POSIX it carries a file descriptor.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidHandle = -1;  // all bits set, as on Windows

// 100-nanosecond intervals since 1601-01-01 UTC (a Windows FILETIME).
struct FileTime {
  std::uint64_t ticks = 0;
  bool operator==(const FileTime&) const = default;
};

FileTime FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds = 0);
std::int64_t UnixFromFileTime(FileTime t);

// Win32 error codes the Parts rely on (GetLastError values).
enum : std::uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotSameDevice = 17,
  kErrorNoMoreFiles = 18,
  kErrorSharingViolation = 32,
  kErrorHandleEof = 38,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorModNotFound = 126,
  kErrorProcNotFound = 127,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorDirectory = 267,  // a folder was expected (ERROR_DIRECTORY)
  kErrorMoreData = 234,
};

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

}  // namespace vx
