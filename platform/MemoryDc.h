// A device context over a pixel canvas in memory: for tests and for anything that renders a
// picture without a window. Draws are clipped to the canvas; stretched copies take the
// nearest source pixel, as COLORONCOLOR does.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/DeviceContext.h"

namespace vx {

class MemoryDc : public DeviceContext {
 public:
  // A canvas of width x height pixels (negative sizes count as 0) filled with `fillRgb`.
  MemoryDc(int width, int height, std::uint32_t fillRgb = 0xFFFFFF);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0x00RRGGBB; 0 outside the canvas.
  std::uint32_t Pixel(int x, int y) const;
  // width * height * 3 bytes, rows top-down, red, green, blue.
  const std::uint8_t* Rgb() const { return rgb_.data(); }
  int StretchMode() const { return mode_; }

  int SetStretchBltMode(int mode) override;
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override;
  // A negative width or height mirrors the picture, as on Windows.
  int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                    const void* bits) override;

 private:
  int width_;
  int height_;
  int mode_ = kBlackOnWhite;
  std::vector<std::uint8_t> rgb_;
};

}  // namespace vx
