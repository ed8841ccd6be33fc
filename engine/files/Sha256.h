// SHA-256 (FIPS 180-4): the digest that vxpack records for a payload and each disk, and that
// the extractor and the engine check before they use any of it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // Pads and returns the digest; the object must not be updated afterwards.
  Sha256Digest Finish();

 private:
  void Blocks(const std::uint8_t* blocks, std::size_t count);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
};

Sha256Digest Sha256Of(const void* data, std::size_t size);
std::string HexOf(const Sha256Digest& digest);

// Which code compresses the blocks: the processor's SHA instructions where it has them (about
// five times faster), otherwise portable code. Chosen at the first digest; tests switch it to
// compare both. Returns false, changing nothing, when this processor lacks the instructions.
enum class Sha256Engine { Portable, Processor };
bool UseSha256Engine(Sha256Engine engine);

}  // namespace vx
