// A GDI-shaped drawing surface: the few operations the picture service needs to put a
// device-independent bitmap on screen. Karvo.dll draws through it and never knows what is
// behind it: a memory canvas (MemoryDc), or a window's painter in the graphical UI.
#pragma once
#include <cstdint>

namespace vx {

// The 40-byte header of a device-independent bitmap, as on Windows (BITMAPINFOHEADER).
struct BitmapInfoHeader {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // positive: rows stored bottom-up
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 24;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "the header is 40 bytes, as on Windows");

// Stretch modes of SetStretchBltMode.
enum : int { kBlackOnWhite = 1, kWhiteOnBlack = 2, kColorOnColor = 3, kHalftone = 4 };

// Bytes of one row of a 24-bit bitmap: padded to a multiple of 4.
constexpr std::uint64_t DibRowBytes(std::uint32_t width) {
  return ((static_cast<std::uint64_t>(width) * 24 + 31) / 32) * 4;
}

// Every operation takes a 24-bit, uncompressed, bottom-up bitmap (`bits` holds biHeight rows
// of DibRowBytes(biWidth) bytes, blue, green, red). Drawing outside the surface is clipped.
class DeviceContext {
 public:
  virtual ~DeviceContext() = default;
  // Returns the previous mode.
  virtual int SetStretchBltMode(int mode) = 0;
  // Copies the bitmap 1:1 with its top-left corner at (x, y). Returns the rows copied.
  virtual int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) = 0;
  // Draws the whole bitmap scaled into the rectangle at (x, y) of `width` by `height`.
  // Returns the rows copied.
  virtual int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                            const void* bits) = 0;
};

}  // namespace vx
