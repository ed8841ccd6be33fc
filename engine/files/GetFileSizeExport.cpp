// GetFileSize, exported by the installer program for the vendor DLLs that action lines call.
#include <cstdint>
#include <limits>

#include "platform/Machine.h"  // DriveType, used by Files.h
#include "platform/Files.h"

#ifdef _WIN32
#define VX_PROGRAM_EXPORT extern "C" __declspec(dllexport)
#else
#define VX_PROGRAM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VX_PROGRAM_EXPORT std::uint32_t GetFileSize(const char* path) {
  if (path == nullptr) return 0;
  vx::FileHandle h =
      vx::CreateFile(path, vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
  if (h == vx::kInvalidHandle) return 0;
  std::int64_t size = vx::GetFileSize(h);
  vx::CloseHandle(h);
  if (size < 0) return 0;
  // A length past 32 bits reads as the largest value, never as a small wrapped-around one.
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  return size > kMax ? kMax : static_cast<std::uint32_t>(size);
}
