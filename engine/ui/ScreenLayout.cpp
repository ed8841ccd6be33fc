#include "engine/ui/ScreenLayout.h"

#include <cstdlib>

#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/Store.h"

namespace vx {

std::uint32_t RowColour(std::uint32_t background, bool gradient, int row, int height) {
  int blue = BlueOf(background);
  if (gradient && height > 0) blue = 255 - int(std::int64_t(row) * 255 / height);
  return Colour(RedOf(background), GreenOf(background), blue);
}

void ParseFontString(const std::string& value, FontSpec& font) {
  std::uint32_t colour = font.colour;
  font = FontSpec{};
  font.colour = colour;
  std::string rest = value;
  font.face = NextField(rest);
  // Up to eleven integers, each decimal, 0x hexadecimal or 0 octal, as "%i" reads them; the
  // first one that does not parse ends the list.
  long long numbers[11] = {};
  int count = 0;
  const char* at = rest.c_str();
  while (count < 11) {
    char* end = nullptr;
    long long n = std::strtoll(at, &end, 0);
    if (end == at) break;
    numbers[count++] = n;
    at = end;
  }
  if (count == 0) return;
  font.colour = std::uint32_t(numbers[0]);
  if (count > 1) font.height = int(std::int32_t(std::uint32_t(numbers[1])));
  if (count > 2) font.weight = int(std::int32_t(std::uint32_t(numbers[2])));
  std::uint8_t* bytes[] = {&font.italic,  &font.underline,     &font.strikeOut,
                           &font.charSet, &font.outPrecision,  &font.clipPrecision,
                           &font.quality, &font.pitchAndFamily};
  for (int i = 3; i < count; ++i) *bytes[i - 3] = std::uint8_t(numbers[i] & 0xFF);
}

int FontPixelHeight(int height) {
  if (height == 0) return 0;
  long long h = height < 0 ? -static_cast<long long>(height) : height;
  // A height beyond any screen is a typo in the script, not a wish for a giant font.
  return int(h > 2000 ? 2000 : h);
}

int TitleX(int code, int clientWidth, int length, int averageCharWidth) {
  std::int64_t textWidth = std::int64_t(length) * averageCharWidth;
  if (code == 0) return kTitleMargin;
  if (code == 1) return int((clientWidth - textWidth) / 2);
  return int(clientWidth - textWidth - kTitleMargin);
}

int TitleY(int code, int clientHeight, int charHeight) {
  if (code == 0) return kTitleMargin;
  if (code == 1) return clientHeight / 2;
  return clientHeight - charHeight - kTitleMargin;
}

int SubTitleY(int subCode, int mainCode, int mainY, int mainCharHeight, int clientHeight,
              int subCharHeight) {
  if (subCode == mainCode) return mainY + mainCharHeight;
  return TitleY(subCode, clientHeight, subCharHeight);
}

int ProgressEdge(int code, int ownStart, int clientFar, int ownSize) {
  switch (code) {
    case 0:
      return 1;
    case 1:
      return ownStart;
    case 2:
      return clientFar - ownSize;
    default:
      return 0;
  }
}

namespace {

// `colour` is what the previous font string left: a string without a colour keeps it.
TitleLayout ReadTitle(const char* textKey, const char* fontKey, const char* xKey, const char* yKey,
                      std::uint32_t colour) {
  TitleLayout t;
  t.font.colour = colour;
  t.text = ReadScriptString("<ScreenLayout>", textKey);
  ParseFontString(ReadScriptString("<ScreenLayout>", fontKey), t.font);
  t.xCode = ReadScriptInt("<ScreenLayout>", xKey);
  t.yCode = ReadScriptInt("<ScreenLayout>", yKey);
  return t;
}

}  // namespace

ScreenLayout ReadScreenLayout() {
  ScreenLayout s;
  const char* section = "<ScreenLayout>";
  s.style1 = ReadScriptInt(section, "Style1");
  s.style2 = ReadScriptInt(section, "Style2");
  s.caption = ReadScriptString(section, "MsgBoxCaption");
  s.gradient = ReadScriptInt(section, "ColorGradient") == 1;
  s.background = std::uint32_t(ReadScriptInt(section, "WinBkColor"));
  s.image = ReadScriptString(section, "ImgFileName");
  ExpandFully(s.image);
  s.imageStyle = ReadScriptInt(section, "BitBltStyle");
  s.main = ReadTitle("MainTitle", "MainFont", "MTitleX", "MTitleY", 0);
  s.sub = ReadTitle("SubTitle", "SubFont", "STitleX", "STitleY", s.main.font.colour);
  s.progressX = ReadScriptInt(section, "ProgressWndX");
  s.progressY = ReadScriptInt(section, "ProgressWndY");
  return s;
}

Size2 BackdropSize(int style2, Size2 screen) {
  if (style2 != 0) return {640, 480};
  return screen;
}

}  // namespace vx
