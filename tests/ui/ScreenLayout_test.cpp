// The backdrop's layout arithmetic: row colours, font strings, title and progress placement,
// and the <ScreenLayout> section as read from a script.
#include "engine/ui/ScreenLayout.h"

#include <gtest/gtest.h>

#include "tests/ui/UiFixture.h"

namespace vx::test {
namespace {

TEST(ScreenLayoutTest, RowColoursFollowTheGradientInTheBlueChannel) {
  // Blue background with gradient: 255 at the top, falling with integer division.
  EXPECT_EQ(RowColour(0x00FF0000, true, 0, 480), 0x00FF0000u);
  EXPECT_EQ(BlueOf(RowColour(0x00FF0000, true, 240, 480)), 255 - 240 * 255 / 480);
  EXPECT_EQ(BlueOf(RowColour(0x00FF0000, true, 479, 480)), 255 - 479 * 255 / 480);
  // White with gradient: white at the top, yellow (red and green kept) at the bottom.
  EXPECT_EQ(RowColour(0x00FFFFFF, true, 0, 100), 0x00FFFFFFu);
  std::uint32_t bottom = RowColour(0x00FFFFFF, true, 99, 100);
  EXPECT_EQ(RedOf(bottom), 255);
  EXPECT_EQ(GreenOf(bottom), 255);
  EXPECT_EQ(BlueOf(bottom), 3);
  // Without the gradient every row is the background itself.
  EXPECT_EQ(RowColour(0x00123456, false, 50, 100), 0x00123456u);
  EXPECT_FALSE(PaintsBackground(0));
  EXPECT_TRUE(PaintsBackground(0x000001));
}

TEST(ScreenLayoutTest, FontStringsFillTheFieldsInOrder) {
  FontSpec f;
  ParseFontString("Arial | 8388608 -28 700 255 0 0 34", f);
  EXPECT_EQ(f.face, "Arial");
  EXPECT_EQ(f.colour, 0x800000u);
  EXPECT_EQ(f.height, -28);
  EXPECT_EQ(FontPixelHeight(f.height), 28);
  EXPECT_EQ(f.weight, 700);
  EXPECT_EQ(f.italic, 255);
  EXPECT_EQ(f.underline, 0);
  EXPECT_EQ(f.charSet, 34);
  EXPECT_EQ(f.quality, 0);  // past the last number: cleared

  ParseFontString("Times New Roman | 0x10 -18 0x2BC 1 1 1 0 3 2 1 034", f);
  EXPECT_EQ(f.face, "Times New Roman");
  EXPECT_EQ(f.colour, 0x10u);
  EXPECT_EQ(f.weight, 700);
  EXPECT_EQ(f.underline, 1);
  EXPECT_EQ(f.strikeOut, 1);
  EXPECT_EQ(f.pitchAndFamily, 034);  // octal

  // A string without numbers keeps the previous colour; everything else is cleared.
  ParseFontString("Courier", f);
  EXPECT_EQ(f.face, "Courier");
  EXPECT_EQ(f.colour, 0x10u);
  EXPECT_EQ(f.height, 0);
  EXPECT_EQ(f.underline, 0);
  // Bytes take the low byte; garbage ends the list.
  ParseFontString(" | 1 2 3 511 x 5", f);
  EXPECT_EQ(f.face, "");
  EXPECT_EQ(f.italic, 0xFF);
  EXPECT_EQ(f.underline, 0);
  ParseFontString("", f);
  EXPECT_EQ(f.colour, 1u);
}

TEST(ScreenLayoutTest, TitlesAndProgressWindowFollowTheirCodes) {
  // 10 characters of width 8 in a 640 by 480 window, characters 20 high.
  EXPECT_EQ(TitleX(0, 640, 10, 8), 6);
  EXPECT_EQ(TitleX(1, 640, 10, 8), 280);
  EXPECT_EQ(TitleX(1, 41, 0, 8), 20);  // halved toward zero
  EXPECT_EQ(TitleX(2, 640, 10, 8), 554);
  EXPECT_EQ(TitleX(7, 640, 10, 8), 554);
  EXPECT_EQ(TitleY(0, 480, 20), 6);
  EXPECT_EQ(TitleY(1, 480, 20), 240);  // the top edge on the middle line
  EXPECT_EQ(TitleY(2, 480, 20), 454);
  // Same y code: right under the main title; otherwise placed on its own.
  EXPECT_EQ(SubTitleY(0, 0, 6, 30, 480, 20), 36);
  EXPECT_EQ(SubTitleY(2, 0, 6, 30, 480, 20), 454);
  EXPECT_EQ(SubTitleY(2, 2, 454, 30, 480, 20), 484);

  // Progress window 200 wide, centred at 220 in a client area ending at 640.
  EXPECT_EQ(ProgressEdge(0, 220, 640, 200), 1);
  EXPECT_EQ(ProgressEdge(1, 220, 640, 200), 220);
  EXPECT_EQ(ProgressEdge(2, 220, 640, 200), 440);
  EXPECT_EQ(ProgressEdge(3, 220, 640, 200), 0);
  EXPECT_EQ(ProgressEdge(-1, 220, 640, 200), 0);

  EXPECT_EQ(BackdropSize(1, {1920, 1080}).width, 640);
  EXPECT_EQ(BackdropSize(0, {1920, 1080}).height, 1080);
}

class ScreenLayoutScriptTest : public UiTest {};

TEST_F(ScreenLayoutScriptTest, TheSectionIsReadWithDefaultsAndExpandedImage) {
  UseScript({"[<ScreenLayout>]", "Style1=1", "Style2=1", "MsgBoxCaption=Demo Setup",
             "WinBkColor=16777215", "ColorGradient=1", "ImgFileName={Temp}Back.bmp",
             "BitBltStyle=3", "MainTitle=Demo", "MainFont=Arial | 255 -28 700", "MTitleY=2",
             "SubTitle=Second", "SubFont=Arial", "ProgressWndX=2"});
  ScreenLayout s = ReadScreenLayout();
  EXPECT_EQ(s.style1, 1);
  EXPECT_EQ(s.style2, 1);
  EXPECT_EQ(s.caption, "Demo Setup");
  EXPECT_EQ(s.background, 0xFFFFFFu);
  EXPECT_TRUE(s.gradient);
  EXPECT_EQ(s.image, Folders().temp + "Back.bmp");
  EXPECT_EQ(s.imageStyle, 3);
  EXPECT_EQ(s.main.font.colour, 255u);
  EXPECT_EQ(s.main.yCode, 2);
  // The sub font gives no colour: it keeps the one the main font string set.
  EXPECT_EQ(s.sub.font.colour, 255u);
  EXPECT_EQ(s.sub.font.face, "Arial");
  EXPECT_EQ(s.progressX, 2);
  EXPECT_EQ(s.progressY, 0);

  UseScript({"[<General>]", "ProductName=X"});
  s = ReadScreenLayout();
  EXPECT_EQ(s.background, 0u);  // absent: 0, which paints nothing
  EXPECT_EQ(s.image, "");
}

}  // namespace
}  // namespace vx::test
