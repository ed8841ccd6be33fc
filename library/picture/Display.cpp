#include "library/picture/Display.h"

#include <limits>
#include <new>

namespace vx::picture {

namespace {

// Coordinates are worked out in 64 bits; a draw whose place does not fit an int is left out.
bool FitsInt(std::int64_t v) {
  return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

void Copy(const Dib& dib, DeviceContext& dc, std::int64_t x, std::int64_t y) {
  if (FitsInt(x) && FitsInt(y))
    dc.SetDIBitsToDevice(static_cast<int>(x), static_cast<int>(y), dib.header, dib.bits.data());
}

void Stretch(const Dib& dib, DeviceContext& dc, std::int64_t x, std::int64_t y, std::int64_t w,
             std::int64_t h) {
  if (FitsInt(x) && FitsInt(y) && FitsInt(w) && FitsInt(h))
    dc.StretchDIBits(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                     static_cast<int>(h), dib.header, dib.bits.data());
}

// The one drawing routine: destination l, t, r, b; the picture goes to l + 1, t + 1, 1:1 or
// scaled to r - l - 2 by b - t - 2. The growing effect always scales.
void Draw(const Dib& dib, DeviceContext& dc, std::int64_t l, std::int64_t t, std::int64_t r,
          std::int64_t b, bool stretch, int effect) {
  if (effect == kGrowEffect) stretch = true;
  dc.SetStretchBltMode(kColorOnColor);
  if (!stretch) {
    Copy(dib, dc, l + 1, t + 1);
    return;
  }
  const std::int64_t dw = r - l - 2;
  const std::int64_t dh = b - t - 2;
  if (effect != kGrowEffect) {
    Stretch(dib, dc, l + 1, t + 1, dw, dh);
    return;
  }
  // Grows from the centre in 25 steps at most; the last pass is always the full destination.
  const std::int64_t stepW = dw / kGrowPasses;
  const std::int64_t stepH = dh / kGrowPasses;
  for (int k = 1;; ++k) {
    const std::int64_t w = k * stepW;
    const std::int64_t h = k * stepH;
    if (w >= dw || h >= dh || k == kGrowPasses) {
      Stretch(dib, dc, l + 1, t + 1, dw, dh);
      return;
    }
    Stretch(dib, dc, l + (dw - w) / 2, t + (dh - h) / 2, w, h);
  }
}

}  // namespace

bool MakeDib(const PixelImage& image, Dib* dib) {
  const std::uint32_t w = image.width;
  const std::uint32_t h = image.height;
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide ||
      image.rgb.size() != static_cast<std::size_t>(w) * h * 3)
    return false;
  const std::size_t rowBytes = DibRowBytes(w);
  try {
    dib->bits.assign(rowBytes * h, 0);
  } catch (const std::bad_alloc&) {
    dib->bits.clear();
    return false;
  }
  dib->header = BitmapInfoHeader{};
  dib->header.biWidth = static_cast<std::int32_t>(w);
  dib->header.biHeight = static_cast<std::int32_t>(h);
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* src = image.rgb.data() + static_cast<std::size_t>(y) * w * 3;
    std::uint8_t* out = dib->bits.data() + static_cast<std::size_t>(h - 1 - y) * rowBytes;
    for (std::uint32_t x = 0; x < w; ++x, src += 3, out += 3) {
      out[0] = src[2];
      out[1] = src[1];
      out[2] = src[0];
    }
  }
  return true;
}

void DisplayDib(const Dib& dib, DeviceContext& dc, Rect rect, unsigned style, int effect) {
  const std::int64_t w = dib.Width();
  const std::int64_t h = dib.Height();
  if (w <= 0 || h <= 0) return;
  const std::int64_t l = rect.left;
  const std::int64_t t = rect.top;
  const std::int64_t aw = static_cast<std::int64_t>(rect.right) - l;
  const std::int64_t ah = static_cast<std::int64_t>(rect.bottom) - t;
  switch (style) {
    case kTopLeft:
      Draw(dib, dc, l, t, l + w, t + h, false, effect == kGrowEffect ? -1 : effect);
      return;
    case kCentred: {
      // Halves round toward zero; a picture larger than the rectangle starts at its corner
      // and is clipped.
      const std::int64_t x = w <= aw ? l + (aw - w) / 2 : l;
      const std::int64_t y = h <= ah ? t + (ah - h) / 2 : t;
      Draw(dib, dc, x, y, x + w, y + h, false, effect);
      return;
    }
    case kTiled: {
      std::int64_t x = 0;
      std::int64_t y = 0;
      do {
        Draw(dib, dc, l + x, t + y, l + x + w, t + y + h, false, -1);
        x += w;
        if (x > aw) {
          x = 0;
          y += h;
          if (y > ah) y = 0;
        }
      } while (x != 0 || y != 0);
      return;
    }
    default:
      Draw(dib, dc, l, t, rect.right, rect.bottom, true, effect);
      return;
  }
}

}  // namespace vx::picture
