// The format block and data size of a RIFF/WAVE sound file. Pure code, no file access.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

namespace vx {

struct WaveInfo {
  std::uint16_t format = 0;  // 1 = PCM, 3 = IEEE float, 0xFFFE = extensible
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint64_t dataOffset = 0;  // of the first sample byte
  std::uint64_t dataSize = 0;    // sample bytes present in the file
  std::uint32_t durationMs = 0;  // playing time of those bytes, rounded up
};

// Reads `size` bytes at `offset` into `buffer`; returns how many arrived.
using WaveReader = std::function<std::size_t(std::uint64_t offset, void* buffer, std::size_t size)>;

// Walks the RIFF chunks of a file of `fileSize` bytes up to the "data" chunk. Accepts only
// uncompressed sample formats with a consistent format block (the ones a plain player
// takes); a data size running past the end of the file is cut to what is there. False for
// anything else, without reading past fileSize.
bool ParseWave(const WaveReader& read, std::uint64_t fileSize, WaveInfo* info);

// The same over bytes in memory.
bool ParseWave(const std::uint8_t* bytes, std::size_t size, WaveInfo* info);

}  // namespace vx
