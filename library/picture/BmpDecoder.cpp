#include "library/picture/BmpDecoder.h"

#include <algorithm>
#include <array>

#include "library/picture/ByteOrder.h"

namespace vx::picture {

namespace {

constexpr std::size_t kHeadersEnd = 14 + 40;  // file header and information header

bool Fail(Status* status, const char* text) {
  status->text = text;
  return false;
}

}  // namespace

bool DecodeBmp(Bytes data, PixelImage* image, Status* status, std::uint32_t maxSide) {
  *image = PixelImage{};
  status->text = "OK";
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M')
    return Fail(status, "Not a valid BMP File");
  if (data.size() < kHeadersEnd) return Fail(status, "Read Error!");
  const std::uint8_t* p = data.data();
  const std::uint32_t pixelOffset = Le32(p + 10);
  const std::uint32_t headerSize = Le32(p + 14);
  const auto width = static_cast<std::int32_t>(Le32(p + 18));
  const auto height = static_cast<std::int32_t>(Le32(p + 22));
  const std::uint16_t bits = Le16(p + 28);
  const std::uint32_t compression = Le32(p + 30);
  const std::uint32_t colorsUsed = Le32(p + 46);

  // The 12-byte header of the oldest bitmaps lays its fields out differently.
  if (headerSize < 40) return Fail(status, "Unsupported BMP header");
  if (compression != 0) return Fail(status, "This is a compressed file.");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    return Fail(status, "Unsupported BMP bit depth");

  // Indices beyond the colour table's end stay black.
  std::array<std::uint8_t, 256 * 3> palette{};
  std::uint64_t consumed = kHeadersEnd;
  if (bits <= 8) {
    // Today's tools write longer information headers; the colour table follows the header.
    consumed = 14 + static_cast<std::uint64_t>(headerSize);
    const std::uint64_t count = colorsUsed == 0 ? (1u << bits) : colorsUsed;
    if (consumed + count * 4 > data.size()) return Fail(status, "Read Error!");
    const std::uint64_t kept = std::min<std::uint64_t>(count, 1u << bits);
    for (std::uint64_t i = 0; i < kept; ++i) {
      const std::uint8_t* entry = p + consumed + i * 4;
      palette[i * 3] = entry[2];
      palette[i * 3 + 1] = entry[1];
      palette[i * 3 + 2] = entry[0];
    }
    consumed += count * 4;
  }
  if (consumed > pixelOffset) return Fail(status, "Corrupt palette");

  // A negative height stores the rows top-down.
  if (width <= 0 || height == 0) return Fail(status, "Invalid BMP dimensions");
  const bool topDown = height < 0;
  const std::uint64_t w = static_cast<std::uint64_t>(width);
  const std::uint64_t h = topDown
                              ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(height))
                              : static_cast<std::uint64_t>(height);
  if (!SizeAllowed(w, h, maxSide)) return Fail(status, "BMP image too large");
  const std::uint64_t rowBytes = (w * bits + 31) / 32 * 4;
  if (pixelOffset > data.size() || rowBytes * h > data.size() - pixelOffset)
    return Fail(status, "Read Error");
  if (!AllocatePixels(image, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)))
    return Fail(status, "Memory alloc Failed");

  for (std::uint64_t j = 0; j < h; ++j) {
    const std::uint8_t* src = p + pixelOffset + j * rowBytes;
    std::uint8_t* out = image->rgb.data() + (topDown ? j : h - 1 - j) * w * 3;
    if (bits == 24) {
      for (std::uint64_t x = 0; x < w; ++x, src += 3, out += 3) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
      }
      continue;
    }
    for (std::uint64_t x = 0; x < w; ++x, out += 3) {
      unsigned index;
      if (bits == 8)
        index = src[x];
      else if (bits == 4)
        index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
      else
        index = (src[x >> 3] >> (7 - (x & 7))) & 1;
      out[0] = palette[index * 3];
      out[1] = palette[index * 3 + 1];
      out[2] = palette[index * 3 + 2];
    }
  }
  return true;
}

}  // namespace vx::picture
