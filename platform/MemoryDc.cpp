#include "platform/MemoryDc.h"

#include <algorithm>

namespace vx {

namespace {

// The bitmaps this canvas draws: 24-bit, uncompressed, rows bottom-up or (a negative height)
// top-down. Anything else draws nothing.
bool Drawable(const BitmapInfoHeader& h, const void* bits) {
  return bits != nullptr && h.biSize >= 40 && h.biBitCount == 24 && h.biCompression == 0 &&
         h.biWidth > 0 && h.biHeight != 0 && h.biHeight != INT32_MIN;
}

std::int64_t Rows(const BitmapInfoHeader& h) {
  return h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
}

// The blue, green, red bytes of the source row `row` counted from the top.
const std::uint8_t* RowFromTop(const BitmapInfoHeader& h, const void* bits, std::int64_t row) {
  const std::int64_t stored = h.biHeight > 0 ? h.biHeight - 1 - row : row;
  return static_cast<const std::uint8_t*>(bits) +
         static_cast<std::size_t>(stored) * DibRowBytes(static_cast<std::uint32_t>(h.biWidth));
}

}  // namespace

MemoryDc::MemoryDc(int width, int height, std::uint32_t fillRgb)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  rgb_.resize(static_cast<std::size_t>(width_) * height_ * 3);
  for (std::size_t i = 0; i < rgb_.size(); i += 3) {
    rgb_[i] = static_cast<std::uint8_t>(fillRgb >> 16);
    rgb_[i + 1] = static_cast<std::uint8_t>(fillRgb >> 8);
    rgb_[i + 2] = static_cast<std::uint8_t>(fillRgb);
  }
}

std::uint32_t MemoryDc::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* p = rgb_.data() + (static_cast<std::size_t>(y) * width_ + x) * 3;
  return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

int MemoryDc::SetStretchBltMode(int mode) {
  const int previous = mode_;
  mode_ = mode;
  return previous;
}

int MemoryDc::SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) {
  if (!Drawable(header, bits)) return 0;
  const std::int64_t w = header.biWidth;
  const std::int64_t h = Rows(header);
  const std::int64_t x0 = std::max<std::int64_t>(x, 0);
  const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{x} + w, width_);
  const std::int64_t y0 = std::max<std::int64_t>(y, 0);
  const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{y} + h, height_);
  if (x0 >= x1 || y0 >= y1) return 0;
  for (std::int64_t dy = y0; dy < y1; ++dy) {
    const std::uint8_t* src = RowFromTop(header, bits, dy - y) + (x0 - x) * 3;
    std::uint8_t* out = rgb_.data() + (static_cast<std::size_t>(dy) * width_ + x0) * 3;
    for (std::int64_t dx = x0; dx < x1; ++dx, src += 3, out += 3) {
      out[0] = src[2];
      out[1] = src[1];
      out[2] = src[0];
    }
  }
  return static_cast<int>(y1 - y0);
}

int MemoryDc::StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                            const void* bits) {
  if (!Drawable(header, bits) || width == 0 || height == 0) return 0;
  const std::int64_t sw = header.biWidth;
  const std::int64_t sh = Rows(header);
  // A negative extent runs from the other edge: the same pixels, mirrored.
  std::int64_t left = x, dw = width, top = y, dh = height;
  const bool mirrorX = dw < 0;
  const bool mirrorY = dh < 0;
  if (mirrorX) {
    left += dw;
    dw = -dw;
  }
  if (mirrorY) {
    top += dh;
    dh = -dh;
  }
  const std::int64_t x0 = std::max<std::int64_t>(left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(left + dw, width_);
  const std::int64_t y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(top + dh, height_);
  if (x0 >= x1 || y0 >= y1) return 0;
  // Each destination pixel takes the source pixel under its centre.
  std::vector<std::uint32_t> column(static_cast<std::size_t>(x1 - x0));
  for (std::int64_t dx = x0; dx < x1; ++dx) {
    std::int64_t i = dx - left;
    if (mirrorX) i = dw - 1 - i;
    column[dx - x0] = static_cast<std::uint32_t>(((2 * i + 1) * sw) / (2 * dw) * 3);
  }
  for (std::int64_t dy = y0; dy < y1; ++dy) {
    std::int64_t j = dy - top;
    if (mirrorY) j = dh - 1 - j;
    const std::uint8_t* src = RowFromTop(header, bits, ((2 * j + 1) * sh) / (2 * dh));
    std::uint8_t* out = rgb_.data() + (static_cast<std::size_t>(dy) * width_ + x0) * 3;
    for (std::uint32_t offset : column) {
      out[0] = src[offset + 2];
      out[1] = src[offset + 1];
      out[2] = src[offset];
      out += 3;
    }
  }
  return static_cast<int>(sh);
}

}  // namespace vx
