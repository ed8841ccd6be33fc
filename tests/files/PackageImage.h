// Builds data packages byte by byte for the reader tests, with disk breaks at any offset of
// the record stream, so that every spanning case can be placed exactly.
#pragma once
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/files/PackageFormat.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

// 2001-02-03 04:05:06 UTC as a FILETIME.
inline constexpr std::uint64_t kSampleTime = 126'256'467'060'000'000ull;

inline std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// Text-like bytes that compress well but not trivially.
inline std::string TextBytes(std::size_t n, unsigned seed) {
  static const char* words[] = {"alpha ", "beta ", "gamma\n", "delta ", "install ", "disk "};
  std::mt19937 gen(seed);
  std::string s;
  while (s.size() < n) s += words[gen() % 6];
  s.resize(n);
  return s;
}

inline std::string ZlibStream(const std::string& block, int level = 9) {
  uLongf size = compressBound(block.size());
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(block.data()), block.size(), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

inline std::string Le32(std::uint32_t v) {
  std::string s(4, '\0');
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(s.data()), v);
  return s;
}

class PackageImage {
 public:
  struct Chunk {
    std::size_t lengthAt;  // stream offset of the chunk's length field
    std::size_t end;       // stream offset just after its zlib stream
  };
  struct Record {
    std::size_t start;      // stream offset of the record header
    std::size_t dataStart;  // of the stored data
    std::size_t end;
    std::vector<Chunk> chunks;
  };

  explicit PackageImage(bool compressed) : compressed_(compressed) {}
  bool Compressed() const { return compressed_; }

  // A record for `content`, cut into blocks of `block` bytes when compressed.
  std::size_t Add(std::int32_t component, std::int32_t item, const std::string& content,
                  std::uint64_t fileTime = kSampleTime, std::size_t block = pkg::kBlockSize) {
    std::string stored;
    std::vector<std::pair<std::size_t, std::size_t>> chunks;
    if (compressed_) {
      for (std::size_t at = 0; at < content.size(); at += block) {
        std::string z = ZlibStream(content.substr(at, block));
        chunks.emplace_back(stored.size(), stored.size() + 4 + z.size());
        stored += Le32(static_cast<std::uint32_t>(z.size())) + z;
      }
    } else {
      stored = content;
    }
    return AddStored(component, item, stored, fileTime, chunks);
  }

  // A record whose stored bytes are given as they are (damaged packages).
  std::size_t AddStored(std::int32_t component, std::int32_t item, const std::string& stored,
                        std::uint64_t fileTime = kSampleTime,
                        std::vector<std::pair<std::size_t, std::size_t>> chunks = {},
                        std::int64_t storedLength = -1) {
    pkg::RecordHeader h;
    h.component = component;
    h.item = item;
    h.fileTime = fileTime;
    h.storedLength = storedLength < 0 ? static_cast<std::uint32_t>(stored.size())
                                      : static_cast<std::uint32_t>(storedLength);
    std::string head(pkg::kRecordHeaderSize, '\0');
    pkg::EncodeRecordHeader(h, reinterpret_cast<std::uint8_t*>(head.data()));
    Record r;
    r.start = stream_.size();
    r.dataStart = r.start + head.size();
    for (auto [from, to] : chunks) r.chunks.push_back({r.dataStart + from, r.dataStart + to});
    stream_ += head + stored;
    r.end = stream_.size();
    records_.push_back(r);
    return records_.size() - 1;
  }

  const std::string& Stream() const { return stream_; }
  const std::vector<Record>& Records() const { return records_; }

  std::string DiskHeader(std::uint16_t disk, std::uint32_t continuation,
                         const char* version = "5.0") const {
    pkg::DiskHeader h;
    std::memset(h.version, 0, sizeof h.version);
    std::memcpy(h.version, version, std::strlen(version));
    h.compression = compressed_ ? 1 : 0;
    h.continuation = continuation;
    h.disk = disk;
    std::string out(pkg::kDiskHeaderSize, '\0');
    pkg::EncodeDiskHeader(h, reinterpret_cast<std::uint8_t*>(out.data()));
    return out;
  }

  // Bytes at `offset` that finish a record begun before it.
  std::uint32_t ContinuationAt(std::size_t offset, std::size_t sliceEnd) const {
    for (const Record& r : records_) {
      if (r.start < offset && offset < r.end) {
        return static_cast<std::uint32_t>(std::min(r.end, sliceEnd) - offset);
      }
    }
    return 0;
  }

  // Disk 0 is a self-extractor: a program stub, the first disk header, the stream up to the
  // first break and the payload trailer. Every break starts a further disk.
  std::vector<std::string> SelfExtractor(const std::vector<std::size_t>& breaks,
                                         const std::string& stub = "MZ-program-image") const {
    std::vector<std::string> disks;
    std::vector<std::size_t> cuts = Cuts(breaks);
    std::string package = DiskHeader(0, 0) + stream_.substr(0, cuts[1]);
    std::string trailer(pkg::kTrailerSize, '\0');
    pkg::EncodeTrailer(
        {static_cast<std::uint32_t>(stub.size()), 7, static_cast<std::uint32_t>(package.size())},
        reinterpret_cast<std::uint8_t*>(trailer.data()));
    disks.push_back(stub + package + trailer);
    AppendLaterDisks(cuts, 1, disks);
    return disks;
  }

  // A stand-alone first disk holds its header alone; the records start on disk 1.
  std::vector<std::string> Standalone(const std::vector<std::size_t>& breaks) const {
    std::vector<std::string> disks{DiskHeader(0, 0)};
    std::vector<std::size_t> cuts = Cuts(breaks);
    cuts.insert(cuts.begin(), 0);  // disk 0 carries no stream bytes
    AppendLaterDisks(cuts, 1, disks);
    return disks;
  }

 private:
  std::vector<std::size_t> Cuts(const std::vector<std::size_t>& breaks) const {
    std::vector<std::size_t> cuts{0};
    cuts.insert(cuts.end(), breaks.begin(), breaks.end());
    cuts.push_back(stream_.size());
    return cuts;
  }

  void AppendLaterDisks(const std::vector<std::size_t>& cuts, std::size_t first,
                        std::vector<std::string>& disks) const {
    for (std::size_t i = first; i + 1 < cuts.size(); ++i) {
      std::uint16_t disk = static_cast<std::uint16_t>(disks.size());
      disks.push_back(DiskHeader(disk, ContinuationAt(cuts[i], cuts[i + 1])) +
                      stream_.substr(cuts[i], cuts[i + 1] - cuts[i]));
    }
  }

  bool compressed_;
  std::string stream_;
  std::vector<Record> records_;
};

// Writes disk i next to disk 0 under its disk name.
inline void WriteDisks(const TestMachine& m, const std::string& diskZero,
                       const std::vector<std::string>& disks) {
  for (std::size_t i = 0; i < disks.size(); ++i) {
    m.WriteFile(pkg::DiskFileName(diskZero, static_cast<int>(i)), disks[i]);
  }
}

}  // namespace vx::test
