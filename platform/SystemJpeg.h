// JPEG decoding by the operating system's own codecs (Windows Imaging Component), for the
// build that has no libjpeg. Only the Win32 layer implements it.
#pragma once
#include <cstddef>
#include <string>

namespace vx {

enum class SystemJpegResult { Ok, Failed, OutOfMemory, TooLarge, Unsupported };

// Returns a buffer of width x height x 3 bytes for the pixels, or null.
using SystemJpegAllocate = unsigned char* (*)(void* context, unsigned width, unsigned height);

// Decodes a whole JPEG file into red, green, blue rows, top first. Either side above `maxSide`
// (or 0), or more than `maxPixelBytes` of pixels, is refused before any pixel is allocated;
// CMYK pictures are refused as unsupported.
// On failure `message` holds the codec's reason.
SystemJpegResult DecodeJpegWithSystem(const unsigned char* data, std::size_t size, unsigned maxSide,
                                      unsigned long long maxPixelBytes, SystemJpegAllocate allocate,
                                      void* context, std::string* message, unsigned* width,
                                      unsigned* height);

}  // namespace vx
