// What every picture fuzz target checks of a decode: a success gives a buffer that matches
// its size and draws; a failure leaves no pixels and a reason.
#pragma once
#include <cstdlib>

#include "library/picture/Display.h"
#include "platform/MemoryDc.h"

namespace vx::fuzz {

// Small enough that no input makes a run slow; the limit's own check is the same code.
inline constexpr std::uint32_t kFuzzMaxSide = 2048;

inline void CheckDecode(bool ok, const picture::PixelImage& image, const picture::Status& status) {
  if (!ok) {
    if (!image.rgb.empty() || image.width != 0 || status.text.empty()) std::abort();
    return;
  }
  if (image.width == 0 || image.height == 0 || image.width > kFuzzMaxSide ||
      image.height > kFuzzMaxSide ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
    std::abort();
  picture::Dib dib;
  if (!picture::MakeDib(image, &dib)) std::abort();
  MemoryDc dc(40, 30);
  const unsigned style = image.rgb[0] % 4;
  picture::DisplayDib(dib, dc, {-3, -2, 37, 29}, style, image.rgb[1] % 2 ? 5 : -1);
}

}  // namespace vx::fuzz
