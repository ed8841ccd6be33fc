// Fuzz target for the backdrop's font strings and title placement: any script value parses
// into a font description without reading out of bounds, and placing any title of it in any
// client area computes without overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/ui/ScreenLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  std::int32_t numbers[2];
  std::memcpy(numbers, data, sizeof numbers);
  std::string value(reinterpret_cast<const char*>(data + 8), size - 8);
  vx::FontSpec font;
  vx::ParseFontString(value, font);
  int pixels = vx::FontPixelHeight(font.height);
  if (pixels < 0 || pixels > 2000) std::abort();
  int w = numbers[0] & 0xFFFF, h = numbers[1] & 0xFFFF;
  for (int code : {0, 1, 2, int(font.italic)}) {
    vx::TitleX(code, w, int(value.size()), font.weight & 0xFFF);
    vx::TitleY(code, h, pixels);
    vx::SubTitleY(code, font.underline, 6, pixels, h, pixels);
    vx::ProgressEdge(code, numbers[0] >> 8, w, h);
  }
  return 0;
}
