#include "engine/files/PackedEntry.h"

#include <zlib.h>

#include "engine/files/PackageFormat.h"

namespace vx::pkg {

namespace {

// Deflate makes at most 1032 bytes of one byte of stream.
constexpr std::uint64_t kMaxInflateRatio = 1032;

}  // namespace

bool PackEntry(std::span<const std::uint8_t> file, std::string* packed) {
  if (file.size() > kMaxPackedLength) return false;
  uLongf streamSize = compressBound(static_cast<uLong>(file.size()));
  packed->assign(kPackedLengthSize + streamSize, '\0');
  auto* out = reinterpret_cast<std::uint8_t*>(packed->data());
  WriteLe32(out, static_cast<std::uint32_t>(file.size()));
  if (compress2(out + kPackedLengthSize, &streamSize, file.data(), static_cast<uLong>(file.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    return false;
  packed->resize(kPackedLengthSize + streamSize);
  return true;
}

bool UnpackEntry(std::span<const std::uint8_t> packed, std::vector<std::uint8_t>* file) {
  file->clear();
  if (packed.size() < kPackedLengthSize) return false;
  const std::uint32_t length = ReadLe32(packed.data());
  // Nor more than the stream could make: nothing is allocated for a length it cannot hold.
  const std::uint64_t streamSize = packed.size() - kPackedLengthSize;
  if (length > kMaxPackedLength || length > streamSize * kMaxInflateRatio) return false;
  file->resize(length);
  uLongf made = length;
  uLong taken = static_cast<uLong>(packed.size() - kPackedLengthSize);
  // An empty output buffer is refused by zlib as a null pointer: one byte of room instead.
  std::uint8_t none = 0;
  const int rc =
      uncompress2(length ? file->data() : &none, &made, packed.data() + kPackedLengthSize, &taken);
  const bool whole = rc == Z_OK && made == length && taken == packed.size() - kPackedLengthSize;
  if (!whole) file->clear();
  return whole;
}

}  // namespace vx::pkg
