#include "platform/PngWrite.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace vx {
namespace {

std::uint32_t Big32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Reads the chunks back, checking each CRC, and inflates the image data.
struct Decoded {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> types;
  std::vector<std::uint8_t> raw;
};

Decoded Decode(const std::vector<std::uint8_t>& png) {
  Decoded d;
  EXPECT_GE(png.size(), 8u);
  EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
  std::vector<std::uint8_t> idat;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    std::uint32_t length = Big32(&png[at]);
    EXPECT_LE(at + 12 + length, png.size());
    if (at + 12 + length > png.size()) break;
    std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
    EXPECT_EQ(crc32(0, &png[at + 4], 4 + length), Big32(&png[at + 8 + length])) << type;
    const std::uint8_t* data = &png[at + 8];
    if (type == "IHDR") {
      d.width = Big32(data);
      d.height = Big32(data + 4);
      EXPECT_EQ(8, data[8]);  // bit depth
      EXPECT_EQ(2, data[9]);  // RGB
    }
    if (type == "IDAT") idat.insert(idat.end(), data, data + length);
    d.types.push_back(type);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  uLongf size = uLongf(d.width * 3 + 1) * d.height;
  d.raw.resize(size);
  EXPECT_EQ(Z_OK, uncompress(d.raw.data(), &size, idat.data(), uLong(idat.size())));
  d.raw.resize(size);
  return d;
}

TEST(PngWrite, RowsComeBackAsRgbWithTheStrideSkipped) {
  // 3 by 2 pixels, B G R x, rows 16 bytes apart (4 bytes of padding the picture must not show).
  const int w = 3, h = 2;
  const std::size_t stride = 16;
  std::vector<std::uint8_t> pixels(stride * (h - 1) + w * 4, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &pixels[stride * y + x * 4];
      p[0] = std::uint8_t(10 * x);       // blue
      p[1] = std::uint8_t(100 + y);      // green
      p[2] = std::uint8_t(200 + x + y);  // red
    }
  Decoded d = Decode(EncodePng(pixels, w, h, stride));
  EXPECT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), d.types);
  ASSERT_EQ(3u, d.width);
  ASSERT_EQ(2u, d.height);
  ASSERT_EQ(std::size_t(2 * (1 + 9)), d.raw.size());
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = &d.raw[y * 10];
    EXPECT_EQ(0, row[0]);  // no filter
    for (int x = 0; x < w; ++x) {
      EXPECT_EQ(200 + x + y, row[1 + 3 * x]);
      EXPECT_EQ(100 + y, row[2 + 3 * x]);
      EXPECT_EQ(10 * x, row[3 + 3 * x]);
    }
  }
}

TEST(PngWrite, SizesThatDoNotFitTheBytesGiveNothing) {
  std::vector<std::uint8_t> pixels(4 * 4 * 4);
  EXPECT_TRUE(EncodePng(pixels, 0, 4, 16).empty());
  EXPECT_TRUE(EncodePng(pixels, 4, -1, 16).empty());
  EXPECT_TRUE(EncodePng(pixels, 4, 4, 12).empty());  // stride shorter than a row
  EXPECT_TRUE(EncodePng(pixels, 4, 5, 16).empty());  // one row too many
  EXPECT_TRUE(EncodePng(pixels, kPngMaxSide + 1, 1, 16).empty());
  EXPECT_FALSE(EncodePng(pixels, 4, 4, 16).empty());
}

}  // namespace
}  // namespace vx
