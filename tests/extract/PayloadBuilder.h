// Builds self-extractor files for the tests: a program image followed by payload entries
// and the 12-byte trailer.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/files/PackageFormat.h"
#include "engine/files/PayloadSeal.h"

namespace vx::test {

struct PayloadEntry {
  std::string name;
  std::string data;
  bool packed = false;  // data is already packed (PackEntry)
};

inline std::string BuildPayloadFile(const std::string& image,
                                    const std::vector<PayloadEntry>& entries,
                                    std::uint32_t entryCount) {
  std::string out = image;
  for (const PayloadEntry& e : entries) {
    std::uint8_t head[pkg::kEntryHeadSize];
    std::string name = e.name.substr(0, pkg::kEntryNameSize - 1);
    pkg::EncodeEntryHead(pkg::EntryHead{name, std::uint32_t(e.data.size()), e.packed}, head);
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

inline std::string BuildPayloadFile(const std::string& image,
                                    const std::vector<PayloadEntry>& entries) {
  return BuildPayloadFile(image, entries, std::uint32_t(entries.size()));
}

// As vxpack writes it: the seal first (counted as an entry), covering everything after it.
inline std::string BuildSealedPayloadFile(const std::string& image,
                                          const std::vector<PayloadEntry>& entries) {
  pkg::PayloadSeal seal;
  const std::string placeholder(pkg::SealSize(0, 0), '\0');
  std::vector<PayloadEntry> all = {{pkg::kSealEntryName, placeholder}};
  all.insert(all.end(), entries.begin(), entries.end());
  std::string file = BuildPayloadFile(image, all);
  const std::size_t covered = image.size() + pkg::kEntryHeadSize + placeholder.size();
  seal.trailer = pkg::DecodeTrailer(reinterpret_cast<const std::uint8_t*>(file.data()) +
                                    file.size() - pkg::kTrailerSize);
  seal.coveredLength = file.size() - pkg::kTrailerSize - covered;
  seal.covered = Sha256Of(file.data() + covered, seal.coveredLength);
  file.replace(image.size() + pkg::kEntryHeadSize, placeholder.size(), pkg::EncodeSeal(seal, 0));
  return file;
}

// A program image with a PE header (PE32 or PE32+) whose security directory is empty.
inline std::string PeImage(bool plus) {
  std::string image(512, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(&image[at]), v);
  };
  image[0] = 'M';
  image[1] = 'Z';
  put32(0x3C, 0x80);
  image.replace(0x80, 4, std::string("PE\0\0", 4));
  const std::size_t optional = 0x80 + 4 + 20;
  image[0x80 + 4 + 16] = char(plus ? 240 : 224);  // size of the optional header
  image[optional] = 0x0B;
  image[optional + 1] = plus ? 0x02 : 0x01;
  put32(optional + (plus ? 108 : 92), 16);  // number of data directories
  return image;
}

// Signs a file made from PeImage as a signing tool does: the certificate table is appended
// and the security directory names it.
inline void AppendPeCertificates(std::string& file, const std::string& table) {
  const bool plus = file[0x80 + 4 + 20 + 1] == 0x02;
  const std::size_t entry = 0x80 + 4 + 20 + (plus ? 112 : 96) + 4 * 8;
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(&file[entry]), std::uint32_t(file.size()));
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(&file[entry + 4]), std::uint32_t(table.size()));
  file += table;
}

// Deterministic filler of a given size.
inline std::string Filler(std::size_t size, char seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = char(seed + (i * 131 + i / 7) % 251);
  return s;
}

}  // namespace vx::test
