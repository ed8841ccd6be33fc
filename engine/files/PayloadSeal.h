// The seal of a self-extractor: SHA-256 digests that vxpack records so that the extractor and
// the engine can refuse a damaged or cut installer before they write anything.
//
// The seal is the payload's first entry, named "Payload.sha256"; the 12-byte trailer and the
// other entries keep their layout, so a payload without a seal stays readable. Its data
// (integers little-endian):
//   0   8   magic "VXSEAL" 00 01
//   8  12   a copy of the payload trailer the file was written with
//  20   8   covered length: the bytes from the end of this entry to the trailer
//  28  32   SHA-256 of those bytes (every other entry, the package included)
//  60   4   disk count n: disks 1 .. n of a spanned package beside the program
//  64  40n  per disk: its file length (8) and the SHA-256 of the whole file (32)
//  64+40n 32  SHA-256 of the bytes above, so that the seal itself is covered
//  then 0 to 7 zero bytes, which make the whole program a multiple of 8 bytes long.
//
// Signed programs: a signature appended as a PE certificate table (named by the security
// entry of the PE optional header's data directory) follows the trailer. When that table ends
// the file, the payload ends where the table begins. The padding above means a signing tool
// has no need to pad the file before the table.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/PackageFormat.h"
#include "engine/files/Sha256.h"
#include "platform/Types.h"

namespace vx::pkg {

inline constexpr char kSealEntryName[] = "Payload.sha256";
inline constexpr std::uint8_t kSealMagic[8] = {'V', 'X', 'S', 'E', 'A', 'L', 0, 1};
inline constexpr std::size_t kSealFixedSize = 64;
inline constexpr std::size_t kSealDiskSize = 40;
inline constexpr std::size_t kSealSelfSize = 32;
inline constexpr std::size_t kSealAlign = 8;
inline constexpr std::uint32_t kSealMaxDisks = 0xFFFF;

struct DiskSeal {
  std::uint64_t length = 0;
  Sha256Digest digest{};
};

struct PayloadSeal {
  PayloadTrailer trailer;
  std::uint64_t coveredLength = 0;
  Sha256Digest covered{};
  std::vector<DiskSeal> disks;  // disks 1, 2, ...
};

// The seal's bytes with `padding` zero bytes at the end.
std::string EncodeSeal(const PayloadSeal& seal, std::size_t padding);
std::size_t SealSize(std::size_t disks, std::size_t padding);
// False when the bytes are not a whole, self-consistent seal.
bool DecodeSeal(const std::uint8_t* bytes, std::size_t size, PayloadSeal* seal);

// Where the payload of the open program ends: the file's length, or the start of a PE
// certificate table that ends the file. -1 when the length cannot be learned.
std::int64_t PayloadEnd(FileHandle h);

enum class SealState {
  Sound,     // the seal is there and everything it covers matches
  Unsealed,  // no seal: a payload written without one
  Damaged,   // the seal, the trailer or the covered bytes do not match
};

struct SealCheck {
  SealState state = SealState::Damaged;
  std::string why;         // for Damaged: what did not match, in plain words
  std::int64_t end = -1;   // PayloadEnd
  PayloadTrailer trailer;  // as read from the file
  std::int64_t firstEntry =
      0;             // offset of the first entry after the seal (payload start when unsealed)
  PayloadSeal seal;  // when Sound
};

// Reads the trailer and the seal and checks the covered bytes. The file position is left
// anywhere. With a `witness` that the open file still matches (SealWitness), the covered
// bytes were found sound by the program that started this one and are not read again; the
// trailer and the seal are checked all the same.
SealCheck CheckPayloadSeal(FileHandle h, std::string_view witness = {});

// Names the open file as it is now: which file it is, its length and its last write. The
// extractor hands it to the engine it starts (kSealWitnessVariable) after a sound check, so
// that a payload of gigabytes is not hashed twice in a row; the file replaced, rewritten or
// cut since gives another witness. Empty when the file cannot be asked.
std::string SealWitness(FileHandle h);
inline constexpr char kSealWitnessVariable[] = "VX_PAYLOAD_CHECKED";

// For a payload without a seal: true when the trailer describes this file (its entries run
// from the payload start to the package, which ends at the trailer). A cut or damaged file
// almost never passes; a payload of another format with a whole trailer does.
bool TrailerFitsFile(FileHandle h, std::int64_t end, const PayloadTrailer& trailer);

// True when the open disk file has the length and digest of its seal. The position is
// set back to the start of the file.
bool DiskMatchesSeal(FileHandle h, const DiskSeal& seal);

// The data of the payload entry `name` (compared without regard to case) of the open program,
// when it is there and at most `maxSize` bytes; empty otherwise. Not checked against the seal.
std::string PayloadEntryData(FileHandle h, const std::string& name, std::uint32_t maxSize);

// What the user is told about a damaged installer (`path`), with `why` in plain words.
std::string DamagedInstallerText(const std::string& path, const std::string& why);

// SHA-256 of `length` bytes from `offset`; false when they cannot all be read.
bool DigestOfRange(FileHandle h, std::int64_t offset, std::uint64_t length, Sha256Digest* digest);

}  // namespace vx::pkg
