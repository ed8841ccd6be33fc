// The seal of a folder installation: vxpack appends to PROJECT.0, after its disk header (which
// is all the reader takes from a stand-alone first disk), the length and SHA-256 of every file
// it wrote into the folder. The engine checks them all before it copies the first one.
// Layout (integers little-endian):
//   0   8  magic "VXFOLD" 00 01
//   8   4  file count n
//   then n times: name length (2), the name relative to the folder with backslashes, the
//   file's length (8) and SHA-256 (32)
//   then the SHA-256 of every byte above.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/Sha256.h"

namespace vx::pkg {

inline constexpr std::uint8_t kFolderSealMagic[8] = {'V', 'X', 'F', 'O', 'L', 'D', 0, 1};
inline constexpr std::uint32_t kFolderSealMaxFiles = 1 << 20;
inline constexpr std::uint32_t kFolderSealMaxName = 1024;

struct SealedFile {
  std::string name;  // relative to the folder, backslashes
  std::uint64_t length = 0;
  Sha256Digest digest{};
};

std::string EncodeFolderSeal(const std::vector<SealedFile>& files);
// False when the bytes are not one whole, self-consistent seal.
bool DecodeFolderSeal(const std::uint8_t* bytes, std::size_t size, std::vector<SealedFile>* files);

}  // namespace vx::pkg
