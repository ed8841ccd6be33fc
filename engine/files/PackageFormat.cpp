#include "engine/files/PackageFormat.h"

#include <cstring>

namespace vx::pkg {

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

void WriteLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

namespace {
std::uint64_t ReadLe64(const std::uint8_t* p) {
  return std::uint64_t(ReadLe32(p)) | std::uint64_t(ReadLe32(p + 4)) << 32;
}
void WriteLe64(std::uint8_t* p, std::uint64_t v) {
  WriteLe32(p, std::uint32_t(v));
  WriteLe32(p + 4, std::uint32_t(v >> 32));
}
}  // namespace

bool DiskHeader::VersionIs50() const {
  // The field need not be terminated within its 8 bytes; treat a full field as not "5.0".
  return std::memchr(version, 0, sizeof version) != nullptr && std::strcmp(version, kVersion) == 0;
}

DiskHeader DecodeDiskHeader(const std::uint8_t* b) {
  DiskHeader h;
  std::memcpy(h.version, b + 4, 8);
  h.created = ReadLe32(b + 12);
  h.compression = ReadLe32(b + 20);
  h.continuation = ReadLe32(b + 28);
  h.disk = std::uint16_t(b[32] | b[33] << 8);
  return h;
}

void EncodeDiskHeader(const DiskHeader& h, std::uint8_t* out) {
  std::memset(out, 0, kDiskHeaderSize);
  std::memcpy(out, kMagic, 4);
  std::memcpy(out + 4, h.version, 8);
  WriteLe32(out + 12, h.created);
  WriteLe32(out + 16, 0xFFFFFFFFu);
  WriteLe32(out + 20, h.compression);
  WriteLe32(out + 28, h.continuation);
  out[32] = std::uint8_t(h.disk);
  out[33] = std::uint8_t(h.disk >> 8);
}

RecordHeader DecodeRecordHeader(const std::uint8_t* b) {
  RecordHeader h;
  h.component = std::int32_t(ReadLe32(b));
  h.item = std::int32_t(ReadLe32(b + 4));
  h.fileTime = ReadLe64(b + 8);
  h.storedLength = ReadLe32(b + 16);
  return h;
}

void EncodeRecordHeader(const RecordHeader& h, std::uint8_t* out) {
  WriteLe32(out, std::uint32_t(h.component));
  WriteLe32(out + 4, std::uint32_t(h.item));
  WriteLe64(out + 8, h.fileTime);
  WriteLe32(out + 16, h.storedLength);
}

PayloadTrailer DecodeTrailer(const std::uint8_t* b) {
  return PayloadTrailer{ReadLe32(b), ReadLe32(b + 4), ReadLe32(b + 8)};
}

void EncodeTrailer(const PayloadTrailer& t, std::uint8_t* out) {
  WriteLe32(out, t.payloadStart);
  WriteLe32(out + 4, t.entryCount);
  WriteLe32(out + 8, t.lastLength);
}

EntryHead DecodeEntryHead(const std::uint8_t* b) {
  EntryHead e;
  const void* nul = std::memchr(b, 0, kEntryNameSize);
  std::size_t n = nul ? static_cast<const std::uint8_t*>(nul) - b : kEntryNameSize;
  e.name.assign(reinterpret_cast<const char*>(b), n);
  e.length = ReadLe32(b + kEntryNameSize);
  e.packed = n + 1 < kEntryNameSize && b[kEntryNameSize - 1] == kPackedMark;
  return e;
}

bool EncodeEntryHead(const EntryHead& e, std::uint8_t* out) {
  if (e.name.size() + (e.packed ? 1 : 0) >= kEntryNameSize) return false;
  std::memset(out, 0, kEntryNameSize);
  std::memcpy(out, e.name.data(), e.name.size());
  if (e.packed) out[kEntryNameSize - 1] = kPackedMark;
  WriteLe32(out + kEntryNameSize, e.length);
  return true;
}

std::string DiskFileName(std::string_view diskZeroPath, int disk) {
  if (disk == 0) return std::string(diskZeroPath);
  std::string name(diskZeroPath);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + "." + std::to_string(disk);
}

}  // namespace vx::pkg
