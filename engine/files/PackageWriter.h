// Writes a data package: disk headers, one file record per source file (zlib chunks of
// 2048-byte blocks, or the raw bytes) and, with a disk size, the spanning of records over
// disks as the package reader expects it. Compression runs on several threads; the output
// is byte-identical whatever their number.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/files/PackageFormat.h"
#include "platform/Types.h"

namespace vx::pkg {

// The smallest disk size accepted when spanning: a fresh disk must hold its header, the rest
// of a chunk begun on the disk before and the next chunk's length field.
inline constexpr std::uint64_t kMinDiskSize = 8192;

struct PackageItem {
  std::int32_t component = 0;  // component index, or kTempFileLine / kTempNameOnly
  std::int32_t item = 0;       // key number of the file line in its section
  std::string source;          // Windows path of the file to store
  std::int64_t size = -1;      // its size when the caller has just taken it, else -1
};

// Receives the package's disks in order: BeginDisk(0), writes, EndDisk(), BeginDisk(1), ...
class DiskSink {
 public:
  virtual ~DiskSink() = default;
  virtual bool BeginDisk(int disk) = 0;
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
  virtual bool EndDisk() = 0;
  // Why the last call failed, for the user.
  virtual std::string Error() const { return {}; }
};

// Keeps every disk in memory.
class MemorySink final : public DiskSink {
 public:
  bool BeginDisk(int disk) override;
  bool Write(const std::uint8_t* data, std::size_t size) override;
  bool EndDisk() override { return true; }
  std::vector<std::vector<std::uint8_t>> disks;
};

// Disk 0 goes to `diskZero` at its current position when that handle is valid (the tail of a
// self-extractor; the caller keeps and closes it), else to a new file at `diskZeroPath`.
// Disk N >= 1 goes to DiskFileName(diskZeroPath, N), replacing any file of that name.
class FileSink final : public DiskSink {
 public:
  explicit FileSink(std::string diskZeroPath, FileHandle diskZero = kInvalidHandle);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  bool BeginDisk(int disk) override;
  bool Write(const std::uint8_t* data, std::size_t size) override;
  bool EndDisk() override;
  std::string Error() const override { return error_; }

 private:
  bool Flush();
  std::string diskZeroPath_;
  FileHandle diskZero_;
  FileHandle current_ = kInvalidHandle;
  bool ownsCurrent_ = false;
  std::string currentPath_;
  std::vector<std::uint8_t> buffer_;
  std::string error_;
};

struct WriterOptions {
  bool compress = true;               // zlib chunks at level 9; false stores the bytes raw
  std::uint64_t diskSize = 0;         // largest disk file; 0 = no spanning
  std::uint64_t firstDiskBudget = 0;  // package bytes disk 0 may hold (header included);
                                      // 0 = diskSize. A self-extractor passes what its size
                                      // leaves after the program, the entries and the trailer.
  bool headerOnlyFirstDisk = false;   // a stand-alone ".0": records begin on disk 1
  std::uint32_t created = 0;          // creation time, seconds since 1970 UTC
  unsigned jobs = 1;                  // compression threads
  // Source bytes done and in all, after every piece; called on the writing thread.
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

struct WriterResult {
  bool ok = false;
  std::string error;                      // for the user; names the file when one failed
  int failedItem = -1;                    // index into the items of a source that failed
  int diskCount = 0;                      // disks written, disk 0 included
  std::map<std::int32_t, int> startDisk;  // component -> disk of its first record header
  std::vector<std::uint64_t> diskBytes;   // package bytes of each disk, header included
  std::uint64_t sourceBytes = 0;
  std::uint64_t storedBytes = 0;  // record data after compression
};

// Writes the items as records in the order given (the [{Temp}] records first, then the
// components in their order; the writer does not reorder). Every source is checked before
// anything is written, so a missing file leaves no disk behind.
WriterResult WritePackage(const std::vector<PackageItem>& items, const WriterOptions& options,
                          DiskSink& sink);

// One block as a package chunk, appended to `out`: the 4-byte length and a level-9 zlib
// stream, the bytes DeflateDataToFile writes with level 2. False on a zlib error.
bool AppendChunk(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

}  // namespace vx::pkg
