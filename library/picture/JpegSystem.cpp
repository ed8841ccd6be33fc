// The JPEG decoder's one function over the system's codec, for the build without libjpeg.
#include <cstring>
#include <string>

#include "library/picture/JpegCore.h"
#include "platform/SystemJpeg.h"

extern "C" int VxJpegDecode(const unsigned char* data, unsigned long size, unsigned maxSide,
                            unsigned long long maxPixelBytes, VxJpegAllocate allocate,
                            void* context, char* message, unsigned* width, unsigned* height) {
  std::string reason;
  const vx::SystemJpegResult r = vx::DecodeJpegWithSystem(
      data, size, maxSide, maxPixelBytes, allocate, context, &reason, width, height);
  // The caller's buffer holds 201 bytes.
  constexpr std::size_t kMessageSize = 201;
  std::strncpy(message, reason.c_str(), kMessageSize - 1);
  message[kMessageSize - 1] = '\0';
  switch (r) {
    case vx::SystemJpegResult::Ok:
      return kVxJpegOk;
    case vx::SystemJpegResult::OutOfMemory:
      return kVxJpegOutOfMemory;
    case vx::SystemJpegResult::TooLarge:
      return kVxJpegTooLarge;
    case vx::SystemJpegResult::Unsupported:
      return kVxJpegUnsupported;
    default:
      return kVxJpegLibraryError;
  }
}
