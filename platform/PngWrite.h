// Pictures of windows as PNG files: 8-bit RGB, one IDAT chunk, zlib-compressed rows with no
// filter. The rows come top-down as blue, green, red (and an unused fourth byte), as a
// 32-bit Windows bitmap holds them.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx {

// The PNG bytes of a `width` by `height` picture whose row r starts at r * stride in
// `pixels` (four bytes a pixel, B G R x). Empty when the sizes do not fit the bytes given or
// exceed the cap below.
std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    std::size_t stride);
// The largest picture encoded: a screen of 16384 by 16384 pixels.
inline constexpr int kPngMaxSide = 16384;

// Writes the bytes to a host file; false when it cannot be written completely.
bool WriteBytesToFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace vx
