// The picture decoders on pictures written byte by byte: exact pixels for bitmaps and GIFs,
// closeness for JPEGs, and the refusals with their status texts.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "library/picture/BmpDecoder.h"
#include "library/picture/GifDecoder.h"
#include "library/picture/JpegDecoder.h"
#include "library/picture/PictureFile.h"
#include "tools/picturegen/PictureWriter.h"

namespace {

using namespace vx::picture;
using namespace vx::picwriter;
using Bytes = vx::picwriter::Bytes;
using Indices = std::vector<std::uint8_t>;

std::uint32_t At(const PixelImage& image, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* p = image.rgb.data() + (static_cast<std::size_t>(y) * image.width + x) * 3;
  return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

// The pixels an indexed picture should decode to.
std::vector<std::uint32_t> Expected(const Palette& palette, const Indices& indices) {
  std::vector<std::uint32_t> v;
  for (std::uint8_t i : indices) v.push_back(i < palette.size() ? palette[i] : 0);
  return v;
}
std::vector<std::uint32_t> Pixels(const PixelImage& image) {
  std::vector<std::uint32_t> v;
  for (std::uint32_t y = 0; y < image.height; ++y)
    for (std::uint32_t x = 0; x < image.width; ++x) v.push_back(At(image, x, y));
  return v;
}

Indices Pattern(std::uint32_t w, std::uint32_t h, unsigned colors) {
  Indices v(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<std::uint8_t>((i * 5 + i / w) % colors);
  return v;
}

Palette Colors(unsigned n) {
  Palette p;
  for (unsigned i = 0; i < n; ++i) p.push_back((0x102030u * (i + 1) + i * 0x0B0907u) & 0xFFFFFF);
  return p;
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string BmpStatus(const Bytes& b, std::uint32_t maxSide = kMaxSide) {
  PixelImage image;
  Status status;
  const bool ok = DecodeBmp(b, &image, &status, maxSide);
  EXPECT_EQ(ok, status.text == "OK");
  if (!ok) {
    EXPECT_TRUE(image.rgb.empty());
  }
  return status.text;
}

TEST(BmpDecoder, EveryBitDepthGivesItsPixels) {
  for (int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    const Palette palette = Colors(1u << bits);
    const Indices idx = Pattern(9, 5, 1u << bits);
    const Bytes file = BmpIndexed(9, 5, bits, palette, idx);
    PixelImage image;
    Status status;
    ASSERT_TRUE(DecodeBmp(file, &image, &status));
    EXPECT_EQ(status.text, "OK");
    EXPECT_EQ(image.width, 9u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_EQ(Pixels(image), Expected(palette, idx));
  }
  // Width 9 at 1 bit: 2 bytes of pixels and 2 of padding a row, nothing more.
  EXPECT_EQ(BmpIndexed(9, 3, 1, Colors(2), Pattern(9, 3, 2)).size(), 54u + 2 * 4 + 3 * 4);

  const PixelImage source = TestPattern(7, 3);
  PixelImage image;
  Status status;
  ASSERT_TRUE(DecodeBmp(Bmp24(source), &image, &status));
  EXPECT_EQ(image.rgb, source.rgb);
  // Rows stored top-down (a negative height) come out the right way up.
  ASSERT_TRUE(DecodeBmp(Bmp24(source, true), &image, &status));
  EXPECT_EQ(image.rgb, source.rgb);
}

TEST(BmpDecoder, ColourTableFollowsALongerInformationHeader) {
  // A 124-byte header, as today's tools write it: the colour table starts after it.
  const Palette palette = Colors(4);
  const Indices idx = Pattern(5, 2, 4);
  Bytes file = BmpIndexed(5, 2, 8, palette, idx);
  Set32(file, 14, 124);
  file.insert(file.begin() + 54, 124 - 40, 0);
  Set32(file, 10, 14 + 124 + 4 * 4);
  PixelImage image;
  Status status;
  ASSERT_TRUE(DecodeBmp(file, &image, &status)) << status.text;
  EXPECT_EQ(Pixels(image), Expected(palette, idx));
}

TEST(BmpDecoder, RefusesWhatItCannotReadWithItsReason) {
  const Bytes good = BmpIndexed(9, 3, 8, Colors(4), Pattern(9, 3, 4));
  Bytes b = good;
  b[0] = 'X';
  EXPECT_EQ(BmpStatus(b), "Not a valid BMP File");
  EXPECT_EQ(BmpStatus(Bytes(good.begin(), good.begin() + 40)), "Read Error!");
  b = good;
  Set32(b, 30, 1);  // run-length
  EXPECT_EQ(BmpStatus(b), "This is a compressed file.");
  b = good;
  b[28] = 16;
  EXPECT_NE(BmpStatus(b), "OK");
  b = good;
  Set32(b, 10, 54 + 8);  // pixels said to start inside the colour table
  EXPECT_EQ(BmpStatus(b), "Corrupt palette");
  b = good;
  Set32(b, 46, 0x40000000);  // a colour count far beyond the file
  EXPECT_EQ(BmpStatus(b), "Read Error!");
  EXPECT_EQ(BmpStatus(Bytes(good.begin(), good.end() - 1)), "Read Error");
  // Sizes are checked before anything is allocated: too large, and larger than the data.
  b = good;
  Set32(b, 18, kMaxSide + 1);
  EXPECT_NE(BmpStatus(b), "OK");
  b = good;
  Set32(b, 18, 4000);
  Set32(b, 22, static_cast<std::uint32_t>(-4000));
  EXPECT_EQ(BmpStatus(b), "Read Error");
  b = good;
  Set32(b, 22, 0);
  EXPECT_NE(BmpStatus(b), "OK");
}

bool DecodeGifBytes(const Bytes& b, PixelImage* image, Status* status) {
  return DecodeGif(b, "C:\\p.gif", image, status);
}

TEST(GifDecoder, InterlacedLocalTableAndExtensionsGiveTheSamePixels) {
  const Palette palette = Colors(16);
  const Indices idx = Pattern(23, 19, 16);
  PixelImage plain;
  Status status;
  ASSERT_TRUE(DecodeGifBytes(Gif(23, 19, palette, idx), &plain, &status));
  EXPECT_EQ(status.text, "No Error");
  EXPECT_EQ(Pixels(plain), Expected(palette, idx));

  GifOptions interlaced;
  interlaced.interlaced = true;
  interlaced.extensions = true;
  for (std::uint32_t h : {19u, 1u, 2u, 5u}) {
    SCOPED_TRACE(h);
    const Indices rows(idx.begin(), idx.begin() + 23 * h);
    PixelImage image;
    ASSERT_TRUE(DecodeGifBytes(Gif(23, h, palette, rows, interlaced), &image, &status));
    EXPECT_EQ(Pixels(image), Expected(palette, rows));
  }

  // The local table wins over the global one.
  GifOptions local;
  local.local = true;
  local.localPalette = Colors(256);
  std::reverse(local.localPalette.begin(), local.localPalette.end());
  const Indices wide = Pattern(40, 30, 256);
  PixelImage image;
  ASSERT_TRUE(DecodeGifBytes(Gif(40, 30, Colors(4), wide, local), &image, &status));
  EXPECT_EQ(Pixels(image), Expected(local.localPalette, wide));
}

TEST(GifDecoder, LongRunsFillAndClearTheTable) {
  Indices idx(300 * 200);
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<std::uint8_t>((i / 97) % 3);
  const Palette palette = Colors(4);
  PixelImage image;
  Status status;
  ASSERT_TRUE(DecodeGifBytes(Gif(300, 200, palette, idx), &image, &status));
  EXPECT_EQ(Pixels(image), Expected(palette, idx));
}

TEST(GifDecoder, ACodeStreamEndingEarlyLeavesTheRestBlack) {
  const Palette palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const Indices idx = Pattern(20, 20, 3);  // no index is black
  Bytes file = Gif(20, 20, palette, idx);
  // Keep the data's first sub-block but cut it after 8 bytes: at most 21 codes.
  const std::size_t data = 6 + 7 + 4 * 3 + 10 + 1;  // the image data's first length byte
  file.resize(data + 1 + 8);
  file[data] = 8;
  PixelImage image;
  Status status;
  ASSERT_TRUE(DecodeGifBytes(file, &image, &status)) << status.text;
  EXPECT_EQ(At(image, 0, 0), palette[idx[0]]);
  EXPECT_EQ(At(image, 19, 19), 0u);
}

TEST(GifDecoder, RefusesWithTheReasonAndKeepsNoStateBetweenCalls) {
  const Bytes good = Gif(8, 8, Colors(4), Pattern(8, 8, 4));
  auto status = [](Bytes b) {
    PixelImage image;
    Status s;
    DecodeGifBytes(b, &image, &s);
    return s.text;
  };
  EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 4)), "Error reading GIF Magic #\nC:\\p.gif");
  Bytes b = good;
  b[0] = 'J';
  EXPECT_EQ(status(b), "Error, C:\\p.gif is not a valid .GIF file");
  b = good;
  b[4] = '8';
  EXPECT_EQ(status(b), "Error, Bad GIF Version number");
  EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 10)),
            "Error, failed to GIF read screen descriptor.\nGiving up");
  EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 20)), "Error reading GIF colormap");
  EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 25)), "Unexpected EOF in GIF.\nGiving up");
  EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 30)), "Error on dimension read\nGiving up");
  b = good;
  b[35] = 12;  // a minimum code size no encoder writes
  EXPECT_EQ(status(b), "Error reading GIF file\nGIFScreen Colormap\nGiving up");
  b = good;
  b[12] = 17;  // non-square pixels: noted, and the picture still decodes
  PixelImage image;
  Status s;
  EXPECT_TRUE(DecodeGifBytes(b, &image, &s));
  EXPECT_EQ(s.text, "Non-square pixels in GIF image.\nIgnoring that fact...");
  b = good;
  b[31] = 0x40;  // 16392 by 16392: refused before allocation
  b[33] = 0x40;
  EXPECT_FALSE(DecodeGifBytes(b, &image, &s));
  EXPECT_TRUE(image.rgb.empty());

  // Two pictures decoding at once do not disturb each other.
  const Bytes other = Gif(64, 48, Colors(8), Pattern(64, 48, 8));
  PixelImage first, second;
  ASSERT_TRUE(DecodeGifBytes(good, &first, &s));
  ASSERT_TRUE(DecodeGifBytes(other, &second, &s));
  bool same = true;
  auto run = [&](const Bytes& file, const PixelImage& want) {
    for (int i = 0; i < 200; ++i) {
      PixelImage got;
      Status st;
      if (!DecodeGifBytes(file, &got, &st) || got.rgb != want.rgb) same = false;
    }
  };
  std::thread t(run, std::cref(other), std::cref(second));
  run(good, first);
  t.join();
  EXPECT_TRUE(same);
}

double MeanDifference(const PixelImage& a, const PixelImage& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
  return sum / double(a.rgb.size());
}

TEST(JpegDecoder, GreyIsDrawnGreyAndColourStaysCloseToItsSource) {
  // Smooth in every channel: hard colour edges would blur with the chroma subsampling.
  PixelImage source = TestPattern(48, 32);
  for (std::size_t i = 0; i < source.rgb.size(); i += 3)
    source.rgb[i + 2] = static_cast<std::uint8_t>(255 - source.rgb[i] / 2 - source.rgb[i + 1] / 3);
  PixelImage image;
  Status status;
  ASSERT_TRUE(DecodeJpeg(Jpeg(source, 95), &image, &status));
  EXPECT_EQ(status.text, "OK");
  ASSERT_EQ(image.width, 48u);
  ASSERT_EQ(image.height, 32u);
  EXPECT_LT(MeanDifference(image, source), 3.0);

  ASSERT_TRUE(DecodeJpeg(Jpeg(source, 95, true), &image, &status));
  PixelImage greySource = source;
  for (std::size_t i = 0; i < greySource.rgb.size(); i += 3)
    greySource.rgb[i + 1] = greySource.rgb[i + 2] = greySource.rgb[i];
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
    ASSERT_EQ(image.rgb[i], image.rgb[i + 1]);
    ASSERT_EQ(image.rgb[i], image.rgb[i + 2]);
  }
  EXPECT_LT(MeanDifference(image, greySource), 4.0);
}

TEST(JpegDecoder, LibraryErrorsComeBackAsAMessageForTheUser) {
  Bytes file = Jpeg(TestPattern(16, 16), 75);
  PixelImage image;
  Status status;
  for (const Bytes& bad : {Bytes{}, Bytes{'n', 'o', 't'}, Bytes(file.begin(), file.begin() + 30)}) {
    EXPECT_FALSE(DecodeJpeg(bad, &image, &status));
    EXPECT_TRUE(image.rgb.empty());
    EXPECT_TRUE(status.tellUser);
    EXPECT_STREQ(status.caption, "JPEG Fatal Error");
    EXPECT_EQ(status.boxType, kBoxIconStop);
    EXPECT_FALSE(status.text.empty());
    EXPECT_LE(status.text.size(), 200u);
  }
  // Wider than the limit: refused before decompression, quietly.
  EXPECT_FALSE(DecodeJpeg(Jpeg(TestPattern(kMaxSide + 1, 1), 50), &image, &status));
  EXPECT_FALSE(status.tellUser);
}

// Sides within the limit but pixels beyond the budget: each decoder refuses from the header,
// before allocating (16384 x 16384 would take 768 MiB).
TEST(PictureBudget, EachDecoderRefusesAPictureBeyondThePixelBudget) {
  EXPECT_TRUE(SizeAllowed(7680, 4320, kMaxSide));
  EXPECT_FALSE(SizeAllowed(kMaxSide, kMaxSide, kMaxSide));
  EXPECT_FALSE(SizeAllowed(kMaxSide, kMaxPixelBytes / 3 / kMaxSide + 1, kMaxSide));

  // 35 bytes that declare 16384 x 16384.
  const Bytes gif = {'G', 'I',  'F', '8',  '9',  'a',  0,    0x40, 0,    0x40, 0x80, 0,
                     0,   0,    0,   0,    0xFF, 0xFF, 0xFF, ',',  0,    0,    0,    0,
                     0,   0x40, 0,   0x40, 0,    2,    2,    0x4C, 0x01, 0,    ';'};
  ASSERT_EQ(gif.size(), 35u);
  PixelImage image;
  Status status;
  EXPECT_FALSE(DecodeGifBytes(gif, &image, &status));
  EXPECT_EQ(status.text, "Error, GIF image too large\nGiving up");
  EXPECT_TRUE(image.rgb.empty());

  Bytes bmp = BmpIndexed(9, 3, 8, Colors(4), Pattern(9, 3, 4));
  Set32(bmp, 18, kMaxSide);
  Set32(bmp, 22, kMaxSide);
  EXPECT_EQ(BmpStatus(bmp), "BMP image too large");

  // The frame header (SOF0) holds height then width, big-endian.
  Bytes jpeg = Jpeg(TestPattern(16, 16), 75);
  std::size_t sof = 0;
  while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) ++sof;
  ASSERT_LT(sof + 9, jpeg.size());
  for (std::size_t at : {sof + 5, sof + 7}) {
    jpeg[at] = 0x40;
    jpeg[at + 1] = 0x00;
  }
  EXPECT_FALSE(DecodeJpeg(jpeg, &image, &status));
  EXPECT_EQ(status.text, "JPEG image too large");
  EXPECT_FALSE(status.tellUser);
}

TEST(PictureFile, FormatComesFromTheLastExtensionOnly) {
  EXPECT_EQ(FormatOf("C:\\a.bmp"), Format::Bmp);
  EXPECT_EQ(FormatOf("C:\\A.GIF"), Format::Gif);
  EXPECT_EQ(FormatOf("x.Gif"), Format::Gif);
  EXPECT_EQ(FormatOf("photo.JpG"), Format::Jpeg);
  EXPECT_EQ(FormatOf("photo.jpeg"), Format::None);
  EXPECT_EQ(FormatOf("C:\\pics.bmp\\image"), Format::None);
  EXPECT_EQ(FormatOf("bmp"), Format::None);
  EXPECT_EQ(FormatOf("a.gif.txt"), Format::None);
}

}  // namespace
