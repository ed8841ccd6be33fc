// The backdrop's layout as plain arithmetic, apart from any drawing: what the script's
// <ScreenLayout> section says, the colour of each background row, where the titles and the
// progress window go. The graphical UI draws what these functions compute.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Colours of the script are 0x00BBGGRR.
constexpr int RedOf(std::uint32_t colour) { return int(colour & 0xFF); }
constexpr int GreenOf(std::uint32_t colour) { return int((colour >> 8) & 0xFF); }
constexpr int BlueOf(std::uint32_t colour) { return int((colour >> 16) & 0xFF); }
constexpr std::uint32_t Colour(int red, int green, int blue) {
  return std::uint32_t(red & 0xFF) | std::uint32_t(green & 0xFF) << 8 |
         std::uint32_t(blue & 0xFF) << 16;
}

// Black means "no background": nothing is painted behind the picture and the titles.
constexpr bool PaintsBackground(std::uint32_t colour) { return (colour & 0xFFFFFF) != 0; }
// The colour of background row `row` of `height`: red and green of the background; blue
// falling from 255 at the top when the gradient is on.
std::uint32_t RowColour(std::uint32_t background, bool gradient, int row, int height);

// The font strings: "face | colour height weight italic underline strikeout charset
// outprecision clipprecision quality pitchandfamily".
struct FontSpec {
  std::string face;
  std::uint32_t colour = 0;
  int height = 0;  // logical height: negative is the character height in pixels
  int weight = 0;  // 0 default, 400 normal, 700 bold
  std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0, outPrecision = 0,
               clipPrecision = 0, quality = 0, pitchAndFamily = 0;
};
// Clears the description and fills it from `value`; the colour keeps its previous value
// when the string gives none.
void ParseFontString(const std::string& value, FontSpec& font);
// The pixel height to draw a font of logical height `height` with (0: the default).
int FontPixelHeight(int height);

// The text shadow: drawn first, two pixels up and left of the title.
inline constexpr std::uint32_t kShadowColour = 0x000A0000;
inline constexpr int kTitleMargin = 6;

// Title placement codes: 0 near edge, 1 middle, anything else far edge.
int TitleX(int code, int clientWidth, int length, int averageCharWidth);
int TitleY(int code, int clientHeight, int charHeight);
// The sub title goes right under the main title when both share their y code.
int SubTitleY(int subCode, int mainCode, int mainY, int mainCharHeight, int clientHeight,
              int subCharHeight);

// The progress window's edge for one axis: code 0 -> 1, 1 -> where it centred itself,
// 2 -> flush with the far edge of the backdrop's client area, anything else -> 0.
int ProgressEdge(int code, int ownStart, int clientFar, int ownSize);

struct TitleLayout {
  std::string text;
  FontSpec font;
  int xCode = 0, yCode = 0;
};

// The <ScreenLayout> section of the working copy.
struct ScreenLayout {
  int style1 = 0;  // not 0: no frame, no caption
  int style2 = 0;  // 2: no backdrop; 1: 640 by 480; 0: the screen's size
  std::string caption;
  std::uint32_t background = 0x00FF0000;
  bool gradient = false;
  std::string image;  // macros expanded
  int imageStyle = 0;
  TitleLayout main, sub;
  int progressX = 0, progressY = 0;
};
ScreenLayout ReadScreenLayout();

struct Size2 {
  int width = 0, height = 0;
};
// The backdrop's size on a screen of the size given.
Size2 BackdropSize(int style2, Size2 screen);

}  // namespace vx
