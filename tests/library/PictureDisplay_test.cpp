// Drawing pictures: the styles' destinations and the growing transition through a recording
// device context, the pixels through a memory device context, and the exports on files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library/Karvo.h"
#include "library/picture/Display.h"
#include "platform/Files.h"
#include "platform/MemoryDc.h"
#include "tests/support/TestMachine.h"
#include "tools/picturegen/PictureWriter.h"

namespace {

using namespace vx::picture;
using vx::MemoryDc;

struct DrawCall {
  bool stretched;
  int x, y, w, h;
  bool operator==(const DrawCall&) const = default;
};

// Records every draw and paints it too.
class RecordingDc : public MemoryDc {
 public:
  using MemoryDc::MemoryDc;
  std::vector<DrawCall> calls;
  int SetDIBitsToDevice(int x, int y, const vx::BitmapInfoHeader& h, const void* bits) override {
    calls.push_back({false, x, y, h.biWidth, h.biHeight});
    return MemoryDc::SetDIBitsToDevice(x, y, h, bits);
  }
  int StretchDIBits(int x, int y, int w, int h, const vx::BitmapInfoHeader& header,
                    const void* bits) override {
    calls.push_back({true, x, y, w, h});
    return MemoryDc::StretchDIBits(x, y, w, h, header, bits);
  }
};

// A picture of one colour with a red top-left pixel, to see where it went.
Dib Solid(std::uint32_t w, std::uint32_t h, std::uint32_t rgb = 0x0000FF) {
  PixelImage image;
  image.width = w;
  image.height = h;
  for (std::uint32_t i = 0; i < w * h; ++i)
    image.rgb.insert(image.rgb.end(),
                     {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)});
  image.rgb[0] = 0xFF;
  image.rgb[1] = image.rgb[2] = 0;
  Dib dib;
  EXPECT_TRUE(MakeDib(image, &dib));
  return dib;
}

TEST(PictureDisplay, EachStyleDrawsAtItsPlace) {
  const Dib dib = Solid(10, 6);
  RecordingDc dc(100, 80);
  DisplayDib(dib, dc, {5, 7, 45, 37}, kTopLeft, -1);
  DisplayDib(dib, dc, {5, 7, 45, 37}, kCentred, -1);  // (40 - 10) / 2, (30 - 6) / 2
  DisplayDib(dib, dc, {5, 7, 46, 38}, kCentred, 0);   // odd halves round toward zero
  DisplayDib(dib, dc, {5, 7, 45, 37}, kStretched, 3);
  DisplayDib(dib, dc, {5, 7, 45, 37}, 77, -1);  // any other style stretches
  EXPECT_EQ(dc.calls, (std::vector<DrawCall>{{false, 6, 8, 10, 6},
                                             {false, 21, 20, 10, 6},
                                             {false, 21, 20, 10, 6},
                                             {true, 6, 8, 38, 28},
                                             {true, 6, 8, 38, 28}}));
  EXPECT_EQ(dc.StretchMode(), vx::kColorOnColor);
}

TEST(PictureDisplay, StretchedLeavesAOnePixelFrame) {
  const Dib dib = Solid(3, 2, 0x00FF00);
  MemoryDc dc(20, 10);
  DisplayDib(dib, dc, {0, 0, 20, 10}, kStretched, -1);
  for (int x = 0; x < 20; ++x) {
    EXPECT_EQ(dc.Pixel(x, 0), 0xFFFFFFu);
    EXPECT_EQ(dc.Pixel(x, 9), 0xFFFFFFu);
  }
  for (int y = 0; y < 10; ++y) {
    EXPECT_EQ(dc.Pixel(0, y), 0xFFFFFFu);
    EXPECT_EQ(dc.Pixel(19, y), 0xFFFFFFu);
  }
  EXPECT_EQ(dc.Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(dc.Pixel(18, 8), 0x00FF00u);
}

TEST(PictureDisplay, CentredLargerThanTheRectangleIsClippedNotShrunk) {
  const Dib dib = Solid(30, 20);
  MemoryDc dc(12, 8);
  DisplayDib(dib, dc, {0, 0, 12, 8}, kCentred, -1);
  EXPECT_EQ(dc.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(1, 1), 0xFF0000u);  // the picture's own top-left pixel
  EXPECT_EQ(dc.Pixel(11, 7), 0x0000FFu);
}

TEST(PictureDisplay, TilesAcrossAndDownTheRectangle) {
  const Dib dib = Solid(10, 6);
  RecordingDc dc(40, 20);
  DisplayDib(dib, dc, {2, 3, 27, 15}, kTiled, -1);
  std::vector<DrawCall> want;
  for (int y : {0, 6, 12})
    for (int x : {0, 10, 20}) want.push_back({false, 2 + x + 1, 3 + y + 1, 10, 6});
  EXPECT_EQ(dc.calls, want);
  EXPECT_EQ(dc.Pixel(13, 10), 0xFF0000u);
}

TEST(PictureDisplay, GrowingTransitionTakesAtMost25Passes) {
  const Dib dib = Solid(10, 6);
  RecordingDc dc(120, 120);
  DisplayDib(dib, dc, {0, 0, 100, 100}, kStretched, kGrowEffect);
  ASSERT_EQ(dc.calls.size(), 25u);
  for (int k = 1; k <= 24; ++k) {
    const DrawCall& c = dc.calls[k - 1];
    EXPECT_EQ(c, (DrawCall{true, (98 - 3 * k) / 2, (98 - 3 * k) / 2, 3 * k, 3 * k})) << k;
  }
  EXPECT_EQ(dc.calls.back(), (DrawCall{true, 1, 1, 98, 98}));

  // Steps that reach the destination's size end early with the full draw.
  dc.calls.clear();
  DisplayDib(dib, dc, {0, 0, 100, 27}, kStretched, kGrowEffect);  // 25 high: steps of 1
  ASSERT_EQ(dc.calls.size(), 25u);
  dc.calls.clear();
  DisplayDib(dib, dc, {0, 0, 12, 12}, kStretched, kGrowEffect);  // steps of 0
  EXPECT_EQ(dc.calls.size(), 25u);
  EXPECT_EQ(dc.calls.back(), (DrawCall{true, 1, 1, 10, 10}));

  // The centred style grows into the picture's own rectangle, inset by one pixel.
  dc.calls.clear();
  DisplayDib(dib, dc, {0, 0, 50, 50}, kCentred, kGrowEffect);
  EXPECT_EQ(dc.calls.back(), (DrawCall{true, 21, 23, 8, 4}));

  for (int effect : {-1, 0, 3}) {
    dc.calls.clear();
    DisplayDib(dib, dc, {0, 0, 100, 100}, kStretched, effect);
    EXPECT_EQ(dc.calls.size(), 1u) << effect;
  }
}

// The exports on files of a test machine.
class PictureExports : public ::testing::Test {
 protected:
  void SetUp() override { KarvoSetMessageBox(&Record); }
  void TearDown() override { KarvoSetMessageBox(nullptr); }

  void Write(const std::string& win, const vx::picwriter::Bytes& bytes, bool old = true) {
    machine.WriteFile(win, std::string(bytes.begin(), bytes.end()));
    // Written long ago: the cache trusts a file's stamp only once it has settled.
    if (old) {
      std::filesystem::last_write_time(
          machine.Host(win), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }
  static int Record(const char* text, const char* caption, unsigned type) {
    messages.push_back(std::string(caption ? caption : "(none)") + "|" + text);
    return 1;
  }
  static inline std::vector<std::string> messages;
  vx::test::TestMachine machine;
};

TEST_F(PictureExports, DrawAndMeasureEachFormat) {
  const PixelImage source = vx::picwriter::TestPattern(16, 12);
  Write("C:\\p.bmp", vx::picwriter::Bmp24(source));
  Write("C:\\P.GIF",
        vx::picwriter::Gif(5, 4, {0xFF0000, 0x00FF00}, std::vector<std::uint8_t>(20, 1)));
  Write("C:\\p.jpg", vx::picwriter::Jpeg(source, 90));
  Write("C:\\p.jpeg", vx::picwriter::Jpeg(source, 90));
  VxSize size{-1, -1};
  RetrieveImageDimension("C:\\p.bmp", &size);
  EXPECT_EQ(size.cx, 16);
  EXPECT_EQ(size.cy, 12);
  RetrieveImageDimension("C:\\P.GIF", &size);
  EXPECT_EQ(size.cx, 5);
  RetrieveImageDimension("C:\\p.jpg", &size);
  EXPECT_EQ(size.cy, 12);
  RetrieveImageDimension("C:\\p.jpeg", &size);
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 0);

  MemoryDc dc(30, 30);
  VxDisplayImage("C:\\P.GIF", &dc, {0, 0, 30, 30}, 0, -1);
  EXPECT_EQ(dc.Pixel(1, 1), 0x00FF00u);
  EXPECT_EQ(dc.Pixel(5, 4), 0x00FF00u);
  EXPECT_EQ(dc.Pixel(6, 5), 0xFFFFFFu);
  MemoryDc untouched(30, 30);
  VxDisplayImage("C:\\p.jpeg", &untouched, {0, 0, 30, 30}, 3, -1);
  VxDisplayImage("C:\\missing.bmp", &untouched, {0, 0, 30, 30}, 3, -1);
  EXPECT_EQ(untouched.Pixel(5, 5), 0xFFFFFFu);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PictureExports, AChangedFileIsSeenAtOnce) {
  const std::vector<std::uint8_t> ones(20, 1), zeros(20, 0);
  Write("C:\\s.gif", vx::picwriter::Gif(5, 4, {0xFF0000, 0x00FF00}, ones));
  MemoryDc dc(10, 10);
  VxDisplayImage("C:\\s.gif", &dc, {0, 0, 10, 10}, 0, -1);
  VxDisplayImage("C:\\s.gif", &dc, {0, 0, 10, 10}, 0, -1);
  EXPECT_EQ(dc.Pixel(2, 2), 0x00FF00u);
  // Same size, other pixels, written just now.
  Write("C:\\s.gif", vx::picwriter::Gif(5, 4, {0xFF0000, 0x00FF00}, zeros), false);
  VxDisplayImage("C:\\s.gif", &dc, {0, 0, 10, 10}, 0, -1);
  EXPECT_EQ(dc.Pixel(2, 2), 0xFF0000u);
  vx::DeleteFile("C:\\s.gif");
  VxSize size{};
  RetrieveImageDimension("C:\\s.gif", &size);
  EXPECT_EQ(size.cx, 0);
}

TEST_F(PictureExports, JpegFailuresReachTheMessageBox) {
  Write("C:\\bad.jpg", {0xFF, 0xD8, 0xFF, 0x00, 'x'});
  VxSize size{};
  RetrieveImageDimension("C:\\nothere.jpg", &size);
  MemoryDc dc(10, 10);
  VxDisplayImage("C:\\bad.jpg", &dc, {0, 0, 10, 10}, 3, -1);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "(none)|JPEG :\nCan't open C:\\nothere.jpg\n");
  EXPECT_EQ(messages[1].rfind("JPEG Fatal Error|", 0), 0u) << messages[1];
  EXPECT_EQ(dc.Pixel(5, 5), 0xFFFFFFu);
  messages.clear();
}

}  // namespace
