// The decoders' common output and the limits every decoder checks before it allocates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx::picture {

using Bytes = std::span<const std::uint8_t>;

// Neither side may exceed this; a larger picture is refused before anything is allocated.
inline constexpr std::uint32_t kMaxSide = 16384;
// Nor may the decoded pixels (3 bytes each) pass this budget: 128 MiB, some 44 million
// pixels, room for an 8K backdrop (7680 x 4320). A small file that declares 16384 x 16384
// would otherwise cost 768 MiB, and as much again when it is drawn.
inline constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(128) << 20;

// Width x height pixels, rows top to bottom, each pixel red, green, blue, no row padding.
struct PixelImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;
};

// How a decode went. `text` is the decoder's status text ("OK", "No Error" or the reason).
// A failure the user is to be told of (the JPEG decoder's) also asks for a message box.
struct Status {
  std::string text;
  bool tellUser = false;
  const char* caption = nullptr;  // null: the program's own caption
  unsigned boxType = 0;           // a MessageBox type (buttons and icon)
};

// Both sides at least 1 and at most `maxSide`, and the pixels within kMaxPixelBytes.
constexpr bool SizeAllowed(std::uint64_t width, std::uint64_t height, std::uint32_t maxSide) {
  return width != 0 && height != 0 && width <= maxSide && height <= maxSide &&
         width * height * 3 <= kMaxPixelBytes;
}

// Sizes the pixel buffer (black); false when the allocation fails.
bool AllocatePixels(PixelImage* image, std::uint32_t width, std::uint32_t height);

}  // namespace vx::picture
