// Putting a decoded picture on a device context: the device-independent bitmap built from
// it, the four display styles and the growing transition.
#pragma once
#include <vector>

#include "library/picture/Picture.h"
#include "platform/DeviceContext.h"

namespace vx::picture {

// A picture ready for drawing: blue, green, red, rows bottom-up, each padded to 4 bytes.
struct Dib {
  BitmapInfoHeader header;
  std::vector<std::uint8_t> bits;
  std::uint32_t Width() const { return static_cast<std::uint32_t>(header.biWidth); }
  std::uint32_t Height() const { return static_cast<std::uint32_t>(header.biHeight); }
};

// False when the bitmap's memory cannot be had (or the image is empty).
bool MakeDib(const PixelImage& image, Dib* dib);

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Display styles; every other value stretches as kStretched does.
enum : unsigned { kTopLeft = 0, kCentred = 1, kTiled = 2, kStretched = 3 };
inline constexpr int kGrowEffect = 5;
inline constexpr int kGrowPasses = 25;

// Draws the picture into `rect` of the device context in `style` with transition `effect`.
void DisplayDib(const Dib& dib, DeviceContext& dc, Rect rect, unsigned style, int effect);

}  // namespace vx::picture
