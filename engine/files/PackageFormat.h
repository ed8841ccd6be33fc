// The byte layouts of the data package and the self-extractor payload, in one place for the
// reader, the writer (vxpack) and the extractor. All integers are little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::pkg {

inline constexpr std::size_t kDiskHeaderSize = 36;
inline constexpr std::size_t kRecordHeaderSize = 20;
inline constexpr std::size_t kChunkLengthSize = 4;
inline constexpr std::size_t kMaxChunkOutput = 4096;  // inflated bytes per chunk, at most
inline constexpr std::size_t kBlockSize = 2048;       // what the writer cuts files into
inline constexpr std::size_t kTrailerSize = 12;
inline constexpr std::size_t kEntryNameSize = 80;
inline constexpr std::size_t kEntryHeadSize = 84;
inline constexpr std::uint32_t kMinEntries = 5;
inline constexpr std::uint32_t kMaxEntries = 10;
inline constexpr char kVersion[] = "5.0";
inline constexpr std::uint8_t kMagic[4] = {0x72, 0x61, 0x2B, 0x01};

// Component indexes of [{Temp}] records.
inline constexpr std::int32_t kTempFileLine = -1;  // given as a full file line
inline constexpr std::int32_t kTempNameOnly = -2;  // names only a file

struct DiskHeader {
  char version[8] = {'5', '.', '0', 0, 0, 0, 0, 0};
  std::uint32_t created = 0;       // seconds since 1970 UTC
  std::uint32_t compression = 1;   // low byte non-zero: zlib chunks
  std::uint32_t continuation = 0;  // bytes finishing a record begun on an earlier disk
  std::uint16_t disk = 0;
  bool VersionIs50() const;  // NUL-terminated text compared exactly with "5.0"
  bool Compressed() const { return (compression & 0xFF) != 0; }
};

struct RecordHeader {
  std::int32_t component = 0;
  std::int32_t item = 0;
  std::uint64_t fileTime = 0;  // Windows FILETIME of the packaged file
  std::uint32_t storedLength = 0;
};

struct PayloadTrailer {
  std::uint32_t payloadStart = 0;  // offset of entry 1
  std::uint32_t entryCount = 0;
  std::uint32_t lastLength = 0;  // data length of the last entry (the package)
};

// A packed entry holds a file compressed: its data is the file's length (4 bytes) and one
// zlib stream of the file. vxpack packs the engine's files so; the extractor writes them out
// whole as any other entry. The mark stands in the last byte of the name field, which is
// zero in any other entry (a name that fills the field has no room for it).
inline constexpr std::uint8_t kPackedMark = 'z';
inline constexpr std::size_t kPackedLengthSize = 4;
inline constexpr std::uint32_t kMaxPackedLength = 64u << 20;  // what an extractor unpacks at most

struct EntryHead {
  std::string name;  // up to the first NUL of the 80-byte field
  std::uint32_t length = 0;
  bool packed = false;
};

// Decoders take exactly the fixed number of bytes; encoders write exactly that many.
DiskHeader DecodeDiskHeader(const std::uint8_t* bytes);
void EncodeDiskHeader(const DiskHeader& h, std::uint8_t* out);
RecordHeader DecodeRecordHeader(const std::uint8_t* bytes);
void EncodeRecordHeader(const RecordHeader& h, std::uint8_t* out);
PayloadTrailer DecodeTrailer(const std::uint8_t* bytes);
void EncodeTrailer(const PayloadTrailer& t, std::uint8_t* out);
EntryHead DecodeEntryHead(const std::uint8_t* bytes);
// False when the name does not fit (79 characters at most, 78 for a packed entry).
bool EncodeEntryHead(const EntryHead& e, std::uint8_t* out);

std::uint32_t ReadLe32(const std::uint8_t* p);
void WriteLe32(std::uint8_t* p, std::uint32_t v);

// Disk N's file name: the disk-0 path with everything from its last dot replaced by "." and
// N in decimal ("." and N appended when the path has no dot). Disk 0 is the path itself.
std::string DiskFileName(std::string_view diskZeroPath, int disk);

}  // namespace vx::pkg
