#include "tools/vxpack/Seal.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/files/FolderSeal.h"
#include "engine/files/PayloadSeal.h"

namespace vx::pack {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kReadBlock = 1 << 20;

bool DigestOfFile(const std::string& host, std::uint64_t offset, std::uint64_t length,
                  Sha256Digest* digest) {
  std::ifstream in(host, std::ios::binary);
  if (!in.seekg(std::streamoff(offset))) return false;
  std::vector<char> block(kReadBlock);
  Sha256 sha;
  while (length > 0) {
    std::size_t want = std::size_t(std::min<std::uint64_t>(block.size(), length));
    if (!in.read(block.data(), std::streamsize(want))) return false;
    sha.Update(block.data(), want);
    length -= want;
  }
  *digest = sha.Finish();
  return true;
}

}  // namespace

bool SealFolder(const std::string& root, const std::vector<std::string>& relative,
                const std::string& diskZeroHost, std::string& error) {
  std::vector<pkg::SealedFile> files;
  for (const std::string& name : relative) {
    const fs::path host = fs::path(root) / name;
    std::error_code ec;
    pkg::SealedFile f;
    f.length = fs::file_size(host, ec);
    if (ec || !DigestOfFile(host.string(), 0, f.length, &f.digest)) {
      error = "cannot read back " + host.string();
      return false;
    }
    f.name = name;
    std::replace(f.name.begin(), f.name.end(), '/', '\\');
    files.push_back(std::move(f));
  }
  const std::string seal = pkg::EncodeFolderSeal(files);
  std::ofstream out(diskZeroHost, std::ios::binary | std::ios::app);
  if (!out.write(seal.data(), std::streamsize(seal.size())) || !out.flush()) {
    error = "cannot write the digests into " + diskZeroHost;
    return false;
  }
  return true;
}

std::size_t SealPadding(std::uint64_t lengthWithoutPadding) {
  return std::size_t((pkg::kSealAlign - lengthWithoutPadding % pkg::kSealAlign) % pkg::kSealAlign);
}

bool WriteSeal(const std::string& programHost, std::uint64_t sealHead, int disks,
               std::size_t padding, std::string& error) {
  std::error_code ec;
  const std::uint64_t length = fs::file_size(programHost, ec);
  std::ifstream in(programHost, std::ios::binary);
  std::uint8_t trailerBytes[pkg::kTrailerSize];
  if (ec || length < pkg::kTrailerSize || !in.seekg(std::streamoff(length - pkg::kTrailerSize)) ||
      !in.read(reinterpret_cast<char*>(trailerBytes), sizeof trailerBytes)) {
    error = "cannot read back " + programHost;
    return false;
  }
  in.close();
  pkg::PayloadSeal seal;
  seal.trailer = pkg::DecodeTrailer(trailerBytes);
  for (int disk = 1; disk <= disks; ++disk) {
    const std::string host = pkg::DiskFileName(programHost, disk);
    pkg::DiskSeal d;
    d.length = fs::file_size(host, ec);
    if (ec || !DigestOfFile(host, 0, d.length, &d.digest)) {
      error = "cannot read back " + host;
      return false;
    }
    seal.disks.push_back(d);
  }
  const std::uint64_t covered =
      sealHead + pkg::kEntryHeadSize + pkg::SealSize(seal.disks.size(), padding);
  seal.coveredLength = length - pkg::kTrailerSize - covered;
  if (!DigestOfFile(programHost, covered, seal.coveredLength, &seal.covered)) {
    error = "cannot read back " + programHost;
    return false;
  }
  const std::string bytes = pkg::EncodeSeal(seal, padding);
  std::fstream out(programHost, std::ios::binary | std::ios::in | std::ios::out);
  if (!out.seekp(std::streamoff(sealHead + pkg::kEntryHeadSize)) ||
      !out.write(bytes.data(), std::streamsize(bytes.size())) || !out.flush()) {
    error = "cannot write the digests into " + programHost;
    return false;
  }
  return true;
}

}  // namespace vx::pack
