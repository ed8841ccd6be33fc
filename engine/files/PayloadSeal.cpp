#include "engine/files/PayloadSeal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"

namespace vx::pkg {

namespace {

constexpr std::size_t kReadBlock = 1 << 20;
constexpr std::size_t kMaxSealSize =
    kSealFixedSize + kSealMaxDisks * kSealDiskSize + kSealSelfSize + kSealAlign;
// A walk over an unsealed payload's entries gives up after this many: the trailer allows
// ten, so more means the walk does not describe this file.
constexpr int kMaxWalk = 64;

// PE layout: the DOS header names the PE header, whose optional header holds the data
// directory; entry 4 (security) gives the certificate table as a file offset and size.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kPeOffsetField = 0x3C;
constexpr std::size_t kCoffSize = 20;
constexpr std::size_t kCoffOptionalSizeField = 16;
constexpr std::uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr std::size_t kDirCountPe32 = 92, kDirCountPe32Plus = 108;
constexpr std::size_t kDirsPe32 = 96, kDirsPe32Plus = 112;
constexpr std::uint32_t kSecurityDir = 4;
constexpr std::size_t kDirEntrySize = 8;

std::uint64_t ReadLe64(const std::uint8_t* p) {
  return std::uint64_t(ReadLe32(p)) | std::uint64_t(ReadLe32(p + 4)) << 32;
}
void WriteLe64(std::uint8_t* p, std::uint64_t v) {
  WriteLe32(p, std::uint32_t(v));
  WriteLe32(p + 4, std::uint32_t(v >> 32));
}
std::uint16_t ReadLe16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

bool ReadAt(FileHandle h, std::int64_t offset, void* buffer, std::uint32_t size) {
  if (SetFilePointer(h, offset, SeekFrom::Begin) != offset) return false;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::uint32_t done = 0;
  while (done < size) {
    std::uint32_t got = 0;
    if (!ReadFile(h, out + done, size - done, &got) || got == 0) return false;
    done += got;
  }
  return true;
}

// The certificate table's start when a PE security directory names a table that ends the
// file; otherwise the file's length.
std::int64_t EndBeforeCertificates(FileHandle h, std::int64_t length) {
  std::uint8_t dos[kDosHeaderSize];
  if (length < std::int64_t(kDosHeaderSize) || !ReadAt(h, 0, dos, sizeof dos) || dos[0] != 'M' ||
      dos[1] != 'Z')
    return length;
  const std::int64_t pe = ReadLe32(dos + kPeOffsetField);
  std::uint8_t head[4 + kCoffSize + kDirsPe32Plus + (kSecurityDir + 1) * kDirEntrySize];
  if (pe + std::int64_t(sizeof head) > length || !ReadAt(h, pe, head, sizeof head) ||
      std::memcmp(head, "PE\0\0", 4) != 0)
    return length;
  const std::uint8_t* optional = head + 4 + kCoffSize;
  const std::size_t optionalSize = ReadLe16(head + 4 + kCoffOptionalSizeField);
  const std::uint16_t magic = ReadLe16(optional);
  std::size_t countField, dirs;
  if (magic == kPe32) {
    countField = kDirCountPe32;
    dirs = kDirsPe32;
  } else if (magic == kPe32Plus) {
    countField = kDirCountPe32Plus;
    dirs = kDirsPe32Plus;
  } else {
    return length;
  }
  const std::size_t entry = dirs + kSecurityDir * kDirEntrySize;
  if (ReadLe32(optional + countField) <= kSecurityDir || entry + kDirEntrySize > optionalSize)
    return length;
  const std::uint64_t table = ReadLe32(optional + entry);
  const std::uint64_t size = ReadLe32(optional + entry + 4);
  if (size == 0 || table + size != std::uint64_t(length)) return length;
  return std::int64_t(table);
}

SealCheck Damaged(SealCheck check, std::string why) {
  check.state = SealState::Damaged;
  check.why = std::move(why);
  return check;
}

}  // namespace

std::string DamagedInstallerText(const std::string& path, const std::string& why) {
  return "The installer " + path + " is damaged or cut short: " + why +
         ". Nothing was installed; please get a new copy of it.";
}

std::size_t SealSize(std::size_t disks, std::size_t padding) {
  return kSealFixedSize + disks * kSealDiskSize + kSealSelfSize + padding;
}

std::string EncodeSeal(const PayloadSeal& seal, std::size_t padding) {
  std::string out(SealSize(seal.disks.size(), padding), '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(out.data());
  std::memcpy(p, kSealMagic, sizeof kSealMagic);
  EncodeTrailer(seal.trailer, p + 8);
  WriteLe64(p + 20, seal.coveredLength);
  std::memcpy(p + 28, seal.covered.data(), 32);
  WriteLe32(p + 60, std::uint32_t(seal.disks.size()));
  std::uint8_t* d = p + kSealFixedSize;
  for (const DiskSeal& disk : seal.disks) {
    WriteLe64(d, disk.length);
    std::memcpy(d + 8, disk.digest.data(), 32);
    d += kSealDiskSize;
  }
  const Sha256Digest self = Sha256Of(p, std::size_t(d - p));
  std::memcpy(d, self.data(), self.size());
  return out;
}

bool DecodeSeal(const std::uint8_t* p, std::size_t size, PayloadSeal* seal) {
  if (size < kSealFixedSize + kSealSelfSize || std::memcmp(p, kSealMagic, sizeof kSealMagic) != 0)
    return false;
  const std::uint32_t disks = ReadLe32(p + 60);
  if (disks > kSealMaxDisks) return false;
  const std::size_t body = kSealFixedSize + std::size_t(disks) * kSealDiskSize;
  if (size < body + kSealSelfSize || size - body - kSealSelfSize >= kSealAlign) return false;
  for (std::size_t i = body + kSealSelfSize; i < size; ++i)
    if (p[i] != 0) return false;
  const Sha256Digest self = Sha256Of(p, body);
  if (std::memcmp(self.data(), p + body, self.size()) != 0) return false;
  seal->trailer = DecodeTrailer(p + 8);
  seal->coveredLength = ReadLe64(p + 20);
  std::memcpy(seal->covered.data(), p + 28, 32);
  seal->disks.assign(disks, DiskSeal{});
  for (std::uint32_t i = 0; i < disks; ++i) {
    const std::uint8_t* d = p + kSealFixedSize + std::size_t(i) * kSealDiskSize;
    seal->disks[i].length = ReadLe64(d);
    std::memcpy(seal->disks[i].digest.data(), d + 8, 32);
  }
  return true;
}

std::int64_t PayloadEnd(FileHandle h) {
  const std::int64_t length = GetFileSize(h);
  if (length < 0) return -1;
  return EndBeforeCertificates(h, length);
}

bool DigestOfRange(FileHandle h, std::int64_t offset, std::uint64_t length, Sha256Digest* digest) {
  if (SetFilePointer(h, offset, SeekFrom::Begin) != offset) return false;
  std::vector<std::uint8_t> block(std::size_t(std::min<std::uint64_t>(kReadBlock, length)));
  Sha256 sha;
  while (length > 0) {
    const std::uint32_t want = std::uint32_t(std::min<std::uint64_t>(block.size(), length));
    std::uint32_t got = 0;
    if (!ReadFile(h, block.data(), want, &got) || got == 0) return false;
    sha.Update(block.data(), got);
    length -= got;
  }
  *digest = sha.Finish();
  return true;
}

std::string SealWitness(FileHandle h) {
  FileId id;
  FileTime written;
  const std::int64_t size = GetFileSize(h);
  if (size < 0 || !GetFileId(h, &id) || !GetFileTime(h, nullptr, nullptr, &written)) return {};
  char text[4 * 17 + 1];
  using Wide = unsigned long long;
  std::snprintf(text, sizeof text, "%llx-%llx-%llx-%llx", Wide{id.volume}, Wide{id.index},
                static_cast<Wide>(size), Wide{written.ticks});
  return text;
}

SealCheck CheckPayloadSeal(FileHandle h, std::string_view witness) {
  SealCheck check;
  check.end = PayloadEnd(h);
  if (check.end < std::int64_t(kTrailerSize))
    return Damaged(check, "the file is too short to hold a payload");
  std::uint8_t trailer[kTrailerSize];
  if (!ReadAt(h, check.end - std::int64_t(kTrailerSize), trailer, sizeof trailer))
    return Damaged(check, "its last bytes cannot be read");
  check.trailer = DecodeTrailer(trailer);
  check.firstEntry = check.trailer.payloadStart;
  const std::int64_t dataEnd = check.end - std::int64_t(kTrailerSize);
  const std::int64_t start = check.trailer.payloadStart;

  std::uint8_t head[kEntryHeadSize];
  if (start + std::int64_t(kEntryHeadSize) > dataEnd || !ReadAt(h, start, head, sizeof head)) {
    check.state = SealState::Unsealed;
    return check;
  }
  const EntryHead entry = DecodeEntryHead(head);
  const std::int64_t sealStart = start + std::int64_t(kEntryHeadSize);
  std::uint8_t magic[sizeof kSealMagic] = {};
  const bool magicThere = sealStart + std::int64_t(sizeof magic) <= dataEnd &&
                          ReadAt(h, sealStart, magic, sizeof magic) &&
                          std::memcmp(magic, kSealMagic, sizeof magic) == 0;
  // Either sign is enough: a seal damaged in its name or its magic is still a seal.
  if (entry.name != kSealEntryName && !magicThere) {
    check.state = SealState::Unsealed;
    return check;
  }
  if (entry.length > kMaxSealSize || sealStart + std::int64_t(entry.length) > dataEnd)
    return Damaged(check, "its digest record is cut short");
  std::vector<std::uint8_t> bytes(entry.length);
  if (!ReadAt(h, sealStart, bytes.data(), std::uint32_t(bytes.size())) ||
      !DecodeSeal(bytes.data(), bytes.size(), &check.seal) || entry.name != kSealEntryName)
    return Damaged(check, "its digest record is damaged");
  const PayloadTrailer& recorded = check.seal.trailer;
  if (recorded.payloadStart != check.trailer.payloadStart ||
      recorded.entryCount != check.trailer.entryCount ||
      recorded.lastLength != check.trailer.lastLength)
    return Damaged(check, "its trailer differs from the one it was built with");
  check.firstEntry = sealStart + std::int64_t(entry.length);
  const std::uint64_t covered = std::uint64_t(dataEnd - check.firstEntry);
  if (covered != check.seal.coveredLength)
    return Damaged(check, covered < check.seal.coveredLength ? "it is cut short"
                                                             : "it is longer than it was built");
  if (witness.empty() || witness != SealWitness(h)) {
    Sha256Digest digest;
    if (!DigestOfRange(h, check.firstEntry, covered, &digest))
      return Damaged(check, "its contents cannot be read");
    if (digest != check.seal.covered)
      return Damaged(check, "its contents differ from the digest recorded when it was built");
  }
  check.state = SealState::Sound;
  return check;
}

std::string PayloadEntryData(FileHandle h, const std::string& name, std::uint32_t maxSize) {
  const std::int64_t end = PayloadEnd(h);
  std::uint8_t trailerBytes[kTrailerSize];
  if (end < std::int64_t(kTrailerSize) ||
      !ReadAt(h, end - std::int64_t(kTrailerSize), trailerBytes, sizeof trailerBytes))
    return {};
  const PayloadTrailer trailer = DecodeTrailer(trailerBytes);
  const std::int64_t dataEnd = end - std::int64_t(kTrailerSize);
  std::int64_t position = trailer.payloadStart;
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(trailer.entryCount, kMaxEntries); ++i) {
    std::uint8_t head[kEntryHeadSize];
    if (position + std::int64_t(kEntryHeadSize) > dataEnd ||
        !ReadAt(h, position, head, sizeof head))
      break;
    const EntryHead entry = DecodeEntryHead(head);
    position += std::int64_t(kEntryHeadSize);
    if (std::int64_t(entry.length) > dataEnd - position) break;
    if (entry.name.size() == name.size() &&
        std::equal(name.begin(), name.end(), entry.name.begin(), [](char a, char b) {
          return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
        })) {
      if (entry.length > maxSize) return {};
      std::string data(entry.length, '\0');
      if (entry.length > 0 && !ReadAt(h, position, data.data(), entry.length)) return {};
      return data;
    }
    position += entry.length;
  }
  return {};
}

bool TrailerFitsFile(FileHandle h, std::int64_t end, const PayloadTrailer& trailer) {
  const std::int64_t dataEnd = end - std::int64_t(kTrailerSize);
  const std::int64_t packageHead =
      dataEnd - std::int64_t(trailer.lastLength) - std::int64_t(kEntryHeadSize);
  std::int64_t position = trailer.payloadStart;
  if (packageHead < position) return false;
  for (int i = 0; i < kMaxWalk && position < packageHead; ++i) {
    std::uint8_t head[kEntryHeadSize];
    if (!ReadAt(h, position, head, sizeof head)) return false;
    position += std::int64_t(kEntryHeadSize) + ReadLe32(head + kEntryNameSize);
  }
  if (position != packageHead) return false;
  std::uint8_t head[kEntryHeadSize];
  return ReadAt(h, position, head, sizeof head) &&
         ReadLe32(head + kEntryNameSize) == trailer.lastLength;
}

bool DiskMatchesSeal(FileHandle h, const DiskSeal& seal) {
  Sha256Digest digest;
  const bool ok = GetFileSize(h) == std::int64_t(seal.length) &&
                  DigestOfRange(h, 0, seal.length, &digest) && digest == seal.digest;
  SetFilePointer(h, 0, SeekFrom::Begin);
  return ok;
}

}  // namespace vx::pkg
