#include "platform/Wave.h"

#include <algorithm>
#include <cstring>

namespace vx {

namespace {

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// A chunk walk never needs more steps than this on a sound file; a crafted file of
// thousands of tiny chunks is refused instead of walked.
constexpr int kMaxChunks = 4096;

bool ReadExactly(const WaveReader& read, std::uint64_t offset, void* buffer, std::size_t size,
                 std::uint64_t fileSize) {
  if (offset > fileSize || size > fileSize - offset) return false;
  return read(offset, buffer, size) == size;
}

bool FormatUsable(const WaveInfo& w) {
  if (w.format != kFormatPcm && w.format != kFormatFloat && w.format != kFormatExtensible)
    return false;
  if (w.channels == 0 || w.channels > 32) return false;
  if (w.bitsPerSample == 0 || w.bitsPerSample > 64 || w.bitsPerSample % 8 != 0) return false;
  // Below 1000 samples a second nothing is a real sound; refusing it also keeps a tiny file
  // from claiming a playing time of days.
  if (w.sampleRate < 1000 || w.sampleRate > 1536000) return false;
  if (w.blockAlign != w.channels * (w.bitsPerSample / 8)) return false;
  return w.byteRate == w.sampleRate * std::uint32_t(w.blockAlign);
}

}  // namespace

bool ParseWave(const WaveReader& read, std::uint64_t fileSize, WaveInfo* info) {
  if (info == nullptr) return false;
  std::uint8_t head[12];
  if (!ReadExactly(read, 0, head, sizeof head, fileSize)) return false;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return false;

  WaveInfo w;
  bool haveFormat = false;
  std::uint64_t pos = 12;
  for (int n = 0; n < kMaxChunks; ++n) {
    std::uint8_t chunk[8];
    if (!ReadExactly(read, pos, chunk, sizeof chunk, fileSize)) return false;
    const std::uint32_t length = Le32(chunk + 4);
    const std::uint64_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16) return false;
      std::uint8_t fmt[16];
      if (!ReadExactly(read, body, fmt, sizeof fmt, fileSize)) return false;
      w.format = Le16(fmt);
      w.channels = Le16(fmt + 2);
      w.sampleRate = Le32(fmt + 4);
      w.byteRate = Le32(fmt + 8);
      w.blockAlign = Le16(fmt + 12);
      w.bitsPerSample = Le16(fmt + 14);
      if (!FormatUsable(w)) return false;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return false;
      const std::uint64_t present = body <= fileSize ? fileSize - body : 0;
      w.dataOffset = body;
      w.dataSize = length < present ? length : present;
      w.dataSize -= w.dataSize % w.blockAlign;  // a partial frame is not played
      w.durationMs = std::uint32_t((w.dataSize * 1000 + w.byteRate - 1) / w.byteRate);
      *info = w;
      return true;
    }
    // Chunks are padded to an even length.
    pos = body + length + (length & 1u);
    if (pos > fileSize) return false;
  }
  return false;
}

bool ParseWave(const std::uint8_t* bytes, std::size_t size, WaveInfo* info) {
  if (bytes == nullptr && size != 0) return false;
  WaveReader read = [bytes, size](std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset >= size) return std::size_t(0);
    std::size_t take = std::min<std::uint64_t>(n, size - offset);
    std::memcpy(buffer, bytes + offset, take);
    return take;
  };
  return ParseWave(read, size, info);
}

}  // namespace vx
