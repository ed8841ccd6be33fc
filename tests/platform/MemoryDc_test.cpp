// The memory device context: 1:1 copies clipped at every edge, the nearest-pixel stretch,
// mirroring, and bitmaps it cannot draw.
#include "platform/MemoryDc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using vx::BitmapInfoHeader;
using vx::MemoryDc;

// A w x h bitmap whose pixel (x, y) from the top is 0x00XXYY00 + 1; rows bottom-up.
struct TestBitmap {
  BitmapInfoHeader header;
  std::vector<std::uint8_t> bits;
  TestBitmap(int w, int h, bool topDown = false) {
    header.biWidth = w;
    header.biHeight = topDown ? -h : h;
    const auto row = vx::DibRowBytes(w);
    bits.assign(row * h, 0xEE);
    for (int y = 0; y < h; ++y) {
      const int stored = topDown ? y : h - 1 - y;
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = bits.data() + stored * row + x * 3;
        p[0] = 1;                // blue
        p[1] = std::uint8_t(y);  // green
        p[2] = std::uint8_t(x);  // red
      }
    }
  }
};

std::uint32_t Source(int x, int y) {
  return (std::uint32_t(x) << 16) | (std::uint32_t(y) << 8) | 1;
}

TEST(MemoryDc, CopiesOneToOneClippedAtEveryEdge) {
  const TestBitmap bmp(5, 4);
  MemoryDc dc(6, 5, 0x123456);
  EXPECT_EQ(dc.Pixel(0, 0), 0x123456u);
  EXPECT_EQ(dc.SetDIBitsToDevice(-2, -1, bmp.header, bmp.bits.data()), 3);
  EXPECT_EQ(dc.Pixel(0, 0), Source(2, 1));
  EXPECT_EQ(dc.Pixel(2, 2), Source(4, 3));
  EXPECT_EQ(dc.Pixel(3, 0), 0x123456u);
  dc.SetDIBitsToDevice(4, 3, bmp.header, bmp.bits.data());
  EXPECT_EQ(dc.Pixel(5, 4), Source(1, 1));
  EXPECT_EQ(dc.SetDIBitsToDevice(6, 0, bmp.header, bmp.bits.data()), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(-5, 0, bmp.header, bmp.bits.data()), 0);
  // Rows stored top-down draw the same picture.
  const TestBitmap topDown(5, 4, true);
  MemoryDc a(5, 4), b(5, 4);
  a.SetDIBitsToDevice(0, 0, bmp.header, bmp.bits.data());
  b.SetDIBitsToDevice(0, 0, topDown.header, topDown.bits.data());
  EXPECT_EQ(std::vector<std::uint8_t>(a.Rgb(), a.Rgb() + 60),
            std::vector<std::uint8_t>(b.Rgb(), b.Rgb() + 60));
  EXPECT_EQ(a.Pixel(4, 3), Source(4, 3));
}

TEST(MemoryDc, StretchTakesTheNearestPixelAndMirrorsNegativeExtents) {
  const TestBitmap bmp(3, 2);
  MemoryDc dc(12, 8);
  dc.StretchDIBits(0, 0, 6, 4, bmp.header, bmp.bits.data());  // twice the size
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dc.Pixel(x, y), Source(x / 2, y / 2)) << x << "," << y;
  MemoryDc small(3, 1);
  const TestBitmap wide(9, 1);
  small.StretchDIBits(0, 0, 3, 1, wide.header, wide.bits.data());
  EXPECT_EQ(small.Pixel(0, 0), Source(1, 0));
  EXPECT_EQ(small.Pixel(2, 0), Source(7, 0));
  MemoryDc mirrored(3, 2);
  mirrored.StretchDIBits(3, 0, -3, 2, bmp.header, bmp.bits.data());
  EXPECT_EQ(mirrored.Pixel(0, 0), Source(2, 0));
  EXPECT_EQ(mirrored.Pixel(2, 1), Source(0, 1));
  // Clipped on the canvas, the mapping unchanged.
  MemoryDc clipped(4, 4);
  clipped.StretchDIBits(-3, -2, 6, 4, bmp.header, bmp.bits.data());
  EXPECT_EQ(clipped.Pixel(0, 0), Source(1, 1));
  EXPECT_EQ(clipped.Pixel(2, 1), Source(2, 1));
  EXPECT_EQ(clipped.Pixel(3, 3), 0xFFFFFFu);
}

TEST(MemoryDc, DrawsNothingOfABitmapItCannotRead) {
  TestBitmap bmp(2, 2);
  MemoryDc dc(4, 4);
  BitmapInfoHeader h = bmp.header;
  h.biBitCount = 8;
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, h, bmp.bits.data()), 0);
  h = bmp.header;
  h.biCompression = 1;
  EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 4, h, bmp.bits.data()), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, bmp.header, nullptr), 0);
  EXPECT_EQ(dc.StretchDIBits(0, 0, 0, 4, bmp.header, bmp.bits.data()), 0);
  EXPECT_EQ(dc.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(-1, 0), 0u);
  EXPECT_EQ(dc.SetStretchBltMode(vx::kColorOnColor), vx::kBlackOnWhite);
  EXPECT_EQ(dc.StretchMode(), vx::kColorOnColor);
}

}  // namespace
