#include "platform/PngWrite.h"

#include <zlib.h>

#include <cstdio>

namespace vx {

namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kBytesPerPixel = 4;
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kFilterNone = 0;

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v >> 24));
  out.push_back(std::uint8_t(v >> 16));
  out.push_back(std::uint8_t(v >> 8));
  out.push_back(std::uint8_t(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4],
              const std::vector<std::uint8_t>& data) {
  PutBig32(out, std::uint32_t(data.size()));
  std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
  PutBig32(out, std::uint32_t(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    std::size_t stride) {
  if (width <= 0 || height <= 0 || width > kPngMaxSide || height > kPngMaxSide) return {};
  const std::size_t rowBytes = std::size_t(width) * kBytesPerPixel;
  if (stride < rowBytes) return {};
  // The last row needs only its own bytes, not a whole stride.
  if (pixels.size() < stride * std::size_t(height - 1) + rowBytes) return {};

  std::vector<std::uint8_t> raw;
  raw.reserve((std::size_t(width) * 3 + 1) * std::size_t(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(kFilterNone);
    const std::uint8_t* row = pixels.data() + stride * std::size_t(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row + std::size_t(x) * kBytesPerPixel;
      raw.push_back(p[2]);
      raw.push_back(p[1]);
      raw.push_back(p[0]);
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_SPEED) != Z_OK)
    return {};
  packed.resize(packedSize);

  std::vector<std::uint8_t> header;
  PutBig32(header, std::uint32_t(width));
  PutBig32(header, std::uint32_t(height));
  header.insert(header.end(), {kBitDepth, kColourTypeRgb, 0, 0, 0});

  std::vector<std::uint8_t> out(std::begin(kSignature), std::end(kSignature));
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

bool WriteBytesToFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace vx
