// The data of a packed payload entry (see PackageFormat.h): the file's length and one zlib
// stream of the file. vxpack packs, the extractor unpacks.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx::pkg {

// The packed data of `file` (zlib at its best level). False for a file over
// kMaxPackedLength, which is then stored as it is.
bool PackEntry(std::span<const std::uint8_t> file, std::string* packed);
// The file back from packed data. False when the data is not the declared length followed
// by exactly one whole stream of that many bytes, or declares more than kMaxPackedLength.
bool UnpackEntry(std::span<const std::uint8_t> packed, std::vector<std::uint8_t>* file);

}  // namespace vx::pkg
