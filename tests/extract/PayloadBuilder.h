// Builds self-extractor files for the tests: a program image followed by payload entries
// and the 12-byte trailer.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/files/PackageFormat.h"

namespace vx::test {

struct PayloadEntry {
  std::string name;
  std::string data;
};

inline std::string BuildPayloadFile(const std::string& image, const std::vector<PayloadEntry>& entries,
                                    std::uint32_t entryCount) {
  std::string out = image;
  for (const PayloadEntry& e : entries) {
    std::uint8_t head[pkg::kEntryHeadSize];
    std::string name = e.name.substr(0, pkg::kEntryNameSize - 1);
    pkg::EncodeEntryHead(pkg::EntryHead{name, std::uint32_t(e.data.size())}, head);
    out.append(reinterpret_cast<const char*>(head), sizeof head);
    out += e.data;
  }
  std::uint8_t trailer[pkg::kTrailerSize];
  pkg::EncodeTrailer({std::uint32_t(image.size()), entryCount,
                      entries.empty() ? 0u : std::uint32_t(entries.back().data.size())},
                     trailer);
  out.append(reinterpret_cast<const char*>(trailer), sizeof trailer);
  return out;
}

inline std::string BuildPayloadFile(const std::string& image, const std::vector<PayloadEntry>& entries) {
  return BuildPayloadFile(image, entries, std::uint32_t(entries.size()));
}

// Deterministic filler of a given size.
inline std::string Filler(std::size_t size, char seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = char(seed + (i * 131 + i / 7) % 251);
  return s;
}

}  // namespace vx::test
