// Writers of the three picture formats the engine reads, for the tests, the benchmarks, the
// fuzz seeds and the sample product's pictures. Every byte is laid out here (the JPEG's
// through libjpeg's encoder), so a test knows exactly what a decoder is given.
#pragma once
#include <cstdint>
#include <vector>

#include "library/picture/Picture.h"

namespace vx::picwriter {

using Bytes = std::vector<std::uint8_t>;
using Palette = std::vector<std::uint32_t>;  // 0x00RRGGBB

// A 24-bit bitmap; with topDown the height is stored negative and the rows top first.
Bytes Bmp24(const picture::PixelImage& image, bool topDown = false);
// A 1, 4 or 8-bit bitmap: `indices` holds width x height colour indices, rows top first.
Bytes BmpIndexed(std::uint32_t width, std::uint32_t height, int bits, const Palette& palette,
                 const std::vector<std::uint8_t>& indices);

struct GifOptions {
  bool interlaced = false;
  bool extensions = false;  // a graphic control and a comment extension before the image
  // With a local table the image uses `local` and the global table is `palette`.
  bool local = false;
  Palette localPalette;
};
// A GIF89a of one image; `indices` in display order, rows top first.
Bytes Gif(std::uint32_t width, std::uint32_t height, const Palette& palette,
          const std::vector<std::uint8_t>& indices, const GifOptions& options = {});
// The image data of a GIF: minimum code size, LZW codes in sub-blocks, the empty block.
void AppendLzw(Bytes* out, const std::vector<std::uint8_t>& indices, int minCodeSize);

// A baseline JPEG; `grey` writes one component (the red channel of each pixel).
Bytes Jpeg(const picture::PixelImage& image, int quality, bool grey = false);

// A w x h picture of smooth gradients and a few hard edges, the same for a given seed.
picture::PixelImage TestPattern(std::uint32_t width, std::uint32_t height, unsigned seed = 1);

}  // namespace vx::picwriter
