#include "engine/files/PackageWriter.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/base/Spread.h"
#include "platform/Files.h"

namespace vx::pkg {

// ---------------------------------------------------------------------------------------
// Sinks

bool MemorySink::BeginDisk(int disk) {
  if (disk != static_cast<int>(disks.size())) return false;
  disks.emplace_back();
  return true;
}

bool MemorySink::Write(const std::uint8_t* data, std::size_t size) {
  if (disks.empty()) return false;
  disks.back().insert(disks.back().end(), data, data + size);
  return true;
}

namespace {
constexpr std::size_t kSinkBuffer = 1 << 20;
}

FileSink::FileSink(std::string diskZeroPath, FileHandle diskZero)
    : diskZeroPath_(std::move(diskZeroPath)), diskZero_(diskZero) {}

FileSink::~FileSink() {
  if (ownsCurrent_ && current_ != kInvalidHandle) CloseHandle(current_);
}

bool FileSink::BeginDisk(int disk) {
  if (current_ != kInvalidHandle && !EndDisk()) return false;
  currentPath_ = DiskFileName(diskZeroPath_, disk);
  if (disk == 0 && diskZero_ != kInvalidHandle) {
    current_ = diskZero_;
    ownsCurrent_ = false;
    return true;
  }
  current_ = CreateFile(currentPath_, kGenericWrite, kShareNone, Disposition::CreateAlways);
  ownsCurrent_ = true;
  if (current_ == kInvalidHandle) {
    error_ = "cannot create " + currentPath_;
    return false;
  }
  return true;
}

bool FileSink::Write(const std::uint8_t* data, std::size_t size) {
  if (current_ == kInvalidHandle) return false;
  buffer_.insert(buffer_.end(), data, data + size);
  return buffer_.size() < kSinkBuffer || Flush();
}

bool FileSink::Flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const auto piece =
        static_cast<std::uint32_t>(std::min<std::size_t>(buffer_.size() - done, 1u << 30));
    std::uint32_t written = 0;
    if (!WriteFile(current_, buffer_.data() + done, piece, &written) || written != piece) {
      error_ = "cannot write " + currentPath_;
      return false;
    }
    done += piece;
  }
  buffer_.clear();
  return true;
}

bool FileSink::EndDisk() {
  if (current_ == kInvalidHandle) return true;
  bool ok = Flush();
  if (ownsCurrent_ && !CloseHandle(current_) && ok) {
    error_ = "cannot write " + currentPath_;
    ok = false;
  }
  current_ = kInvalidHandle;
  return ok;
}

// ---------------------------------------------------------------------------------------
// Chunks

namespace {

// One compressor per thread, reset for each chunk: setting up a level-9 compressor costs more
// than compressing a 2 KB block, and its large buffers, taken and given back per chunk, keep
// the threads queuing on the address space. A reset compressor writes the very stream that a
// fresh one (compress2) writes.
class ChunkDeflater {
 public:
  ChunkDeflater() { ready_ = deflateInit(&z_, 9) == Z_OK; }
  ~ChunkDeflater() {
    if (ready_) deflateEnd(&z_);
  }
  ChunkDeflater(const ChunkDeflater&) = delete;
  ChunkDeflater& operator=(const ChunkDeflater&) = delete;

  // Compresses `size` bytes into at most `*length` bytes at `out`; `*length` gets the size.
  bool Deflate(const std::uint8_t* data, std::size_t size, std::uint8_t* out, uLongf* length) {
    if (!ready_ || deflateReset(&z_) != Z_OK) return false;
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = static_cast<uInt>(size);
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(*length);
    if (deflate(&z_, Z_FINISH) != Z_STREAM_END) return false;
    *length = z_.total_out;
    return true;
  }

 private:
  z_stream z_{};
  bool ready_ = false;
};

}  // namespace

bool AppendChunk(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
  thread_local ChunkDeflater deflater;
  const std::size_t at = out.size();
  uLongf length = compressBound(static_cast<uLong>(size));
  out.resize(at + kChunkLengthSize + length);
  static const std::uint8_t kEmpty = 0;
  if (!deflater.Deflate(data ? data : &kEmpty, size, out.data() + at + kChunkLengthSize, &length)) {
    out.resize(at);
    return false;
  }
  WriteLe32(out.data() + at, static_cast<std::uint32_t>(length));
  out.resize(at + kChunkLengthSize + length);
  return true;
}

namespace {

// ---------------------------------------------------------------------------------------
// Records and their placement on disks

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max() / 4;
constexpr std::uint64_t kNoBreak = std::numeric_limits<std::uint64_t>::max();

struct Record {
  RecordHeader header;
  std::vector<std::uint8_t> data;          // the stored data
  std::vector<std::uint64_t> chunkStarts;  // offsets of the chunk length fields (compressed)
  bool compressed = false;
};

// The furthest offset p in [from, limit] of the record's data at which a disk may end while
// the record goes on (kNoBreak when there is none). Disk 0 is read against a byte count, so
// it may end anywhere but inside a chunk length field. Other disks are read until the file
// ends, and the reader looks for the rest of a chunk only after it has its length: there the
// break must lie after a length field and before the end of its stream.
std::uint64_t BreakPoint(const Record& r, std::uint64_t from, std::uint64_t limit, bool diskZero) {
  if (!r.compressed || r.chunkStarts.empty()) return limit;
  const auto next = std::upper_bound(r.chunkStarts.begin(), r.chunkStarts.end(), limit);
  const std::uint64_t start = *(next - 1);  // chunkStarts[0] == 0 <= limit
  std::uint64_t p = limit;
  if (diskZero) {
    if (limit > start && limit < start + kChunkLengthSize) p = start;
  } else if (limit < start + kChunkLengthSize) {
    // Back into the previous chunk's stream, which is never empty.
    if (next - 1 == r.chunkStarts.begin()) return kNoBreak;
    p = start - 1;
  }
  return p < from ? kNoBreak : p;
}

class Layout {
 public:
  Layout(const WriterOptions& o, DiskSink& sink) : options_(o), sink_(sink) {
    // Disk headers and the reader's byte counts are 32-bit: no disk holds more than that.
    constexpr std::uint64_t k32 = 0xFFFFFFFFu;
    const std::uint64_t size = o.diskSize == 0 ? kUnlimited : o.diskSize;
    const std::uint64_t first = o.firstDiskBudget == 0 ? size : o.firstDiskBudget;
    capacity_ = std::min(size, k32) - kDiskHeaderSize;
    firstCapacity_ = std::min(first, k32) - kDiskHeaderSize;
  }

  bool Begin(std::string* error) {
    if (options_.diskSize != 0 && options_.diskSize < kMinDiskSize) {
      *error = "the disk size must be at least " + std::to_string(kMinDiskSize) + " bytes";
      return false;
    }
    const std::uint64_t first =
        options_.firstDiskBudget != 0 ? options_.firstDiskBudget : options_.diskSize;
    if (first != 0 && first < kDiskHeaderSize) {
      *error = "the first disk has no room for the package header";
      return false;
    }
    if (!StartDisk(0, 0, error)) return false;
    if (options_.headerOnlyFirstDisk) room_ = 0;
    return true;
  }

  bool Place(Record& r, std::string* error) {
    const std::uint64_t total = r.data.size();
    // The header and as much data as the disk takes, or the whole record on the next disk.
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (room_ >= kRecordHeaderSize) {
        const std::uint64_t space = room_ - kRecordHeaderSize;
        std::uint64_t n = total <= space ? total : BreakPoint(r, 0, space, disk_ == 0);
        if (n != kNoBreak) {
          startDisk_.emplace(r.header.component, disk_);
          std::uint8_t head[kRecordHeaderSize];
          EncodeRecordHeader(r.header, head);
          if (!Put(head, kRecordHeaderSize, error) || !Put(r.data.data(), n, error)) return false;
          room_ -= kRecordHeaderSize + n;
          return n == total || Continue(r, n, error);
        }
      }
      if (attempt == 0 && !StartDisk(disk_ + 1, 0, error)) return false;
    }
    *error = "a record does not fit on an empty disk";
    return false;
  }

  bool Finish(std::string* error) {
    if (!sink_.EndDisk()) return Fail(error);
    return true;
  }

  int Disks() const { return disk_ + 1; }
  const std::vector<std::uint64_t>& DiskBytes() const { return diskBytes_; }
  const std::map<std::int32_t, int>& StartDisks() const { return startDisk_; }

 private:
  // The rest of a record from `from` on, over as many fresh disks as it takes.
  bool Continue(const Record& r, std::uint64_t from, std::string* error) {
    const std::uint64_t total = r.data.size();
    while (from < total) {
      std::uint64_t n = total - from;
      if (n > capacity_) {
        const std::uint64_t p = BreakPoint(r, from, from + capacity_, false);
        if (p == kNoBreak || p == from) {
          *error = "a chunk does not fit on one disk";
          return false;
        }
        n = p - from;
      }
      if (!StartDisk(disk_ + 1, static_cast<std::uint32_t>(n), error)) return false;
      if (!Put(r.data.data() + from, n, error)) return false;
      room_ -= n;
      from += n;
    }
    return true;
  }

  bool StartDisk(int disk, std::uint32_t continuation, std::string* error) {
    if (disk > 0xFFFF) {
      *error = "the package needs more than 65535 disks";
      return false;
    }
    if (disk > 0 && !sink_.EndDisk()) return Fail(error);
    if (!sink_.BeginDisk(disk)) return Fail(error);
    disk_ = disk;
    diskBytes_.push_back(0);
    DiskHeader h;
    h.created = options_.created;
    h.compression = options_.compress ? 1 : 0;
    h.continuation = continuation;
    h.disk = static_cast<std::uint16_t>(disk);
    std::uint8_t bytes[kDiskHeaderSize];
    EncodeDiskHeader(h, bytes);
    room_ = disk == 0 ? firstCapacity_ : capacity_;
    return Put(bytes, kDiskHeaderSize, error);
  }

  bool Put(const std::uint8_t* data, std::uint64_t size, std::string* error) {
    if (size == 0) return true;
    if (!sink_.Write(data, static_cast<std::size_t>(size))) return Fail(error);
    diskBytes_.back() += size;
    return true;
  }

  bool Fail(std::string* error) {
    *error = sink_.Error();
    if (error->empty()) *error = "cannot write disk " + std::to_string(disk_);
    return false;
  }

  const WriterOptions& options_;
  DiskSink& sink_;
  std::uint64_t capacity_ = 0;       // data bytes of a disk after the first
  std::uint64_t firstCapacity_ = 0;  // data bytes of disk 0
  std::uint64_t room_ = 0;           // data bytes left on the current disk
  int disk_ = -1;
  std::vector<std::uint64_t> diskBytes_;
  std::map<std::int32_t, int> startDisk_;
};

// ---------------------------------------------------------------------------------------
// Reading and compressing in pieces

// A piece of one source file: up to this many bytes go to a compression thread at once.
constexpr std::size_t kPieceBytes = 64 * kBlockSize;
// Pieces handed out ahead of the one being placed, per thread: enough that a thread never
// waits for the writer while small files go by in their thousands.
constexpr std::size_t kPiecesPerThread = 16;

// One piece is read and compressed by whichever thread takes it: opening and reading the
// sources costs as much as compressing them, so both go to the threads, and only placing the
// records in order stays with the writer.
struct Piece {
  std::size_t item = 0;
  std::uint64_t offset = 0;  // in the source file
  std::size_t size = 0;      // source bytes of this piece
  bool first = false;        // the file's first piece: takes its time stamp
  bool last = false;         // the file's last piece
  std::uint64_t fileTime = 0;
  std::vector<std::uint8_t> output;         // chunks, or the raw bytes
  std::vector<std::uint32_t> chunkLengths;  // bytes of each chunk in output
  std::string error;                        // empty when the piece is good
  bool done = false;
};

// Reads the piece from its source (whose size was taken before the first disk was begun: a
// file that shrank since fails rather than giving a record of the wrong length) and
// compresses it.
void ReadAndCompress(Piece& p, const std::string& source, bool compress) {
  FileHandle h = CreateFile(source, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) {
    p.error = "cannot open " + source;
    return;
  }
  thread_local std::vector<std::uint8_t> input;
  input.resize(p.size);
  FileTime write;
  std::uint32_t got = 0;
  const bool read =
      (!p.first || GetFileTime(h, nullptr, nullptr, &write)) &&
      (p.offset == 0 || SetFilePointer(h, static_cast<std::int64_t>(p.offset), SeekFrom::Begin) ==
                            static_cast<std::int64_t>(p.offset)) &&
      (p.size == 0 ||
       (ReadFile(h, input.data(), static_cast<std::uint32_t>(p.size), &got) && got == p.size));
  CloseHandle(h);
  if (!read) {
    p.error = "cannot read " + source;
    return;
  }
  if (p.first) p.fileTime = write.ticks;
  if (!compress) {
    p.output.assign(input.begin(), input.end());
    return;
  }
  p.output.reserve(p.size + p.size / 64 + 64);
  for (std::size_t at = 0; at < p.size; at += kBlockSize) {
    const std::size_t n = std::min(kBlockSize, p.size - at);
    const std::size_t before = p.output.size();
    if (!AppendChunk(input.data() + at, n, p.output)) {
      p.error = "cannot compress " + source;
      return;
    }
    p.chunkLengths.push_back(static_cast<std::uint32_t>(p.output.size() - before));
  }
}

// Threads taking pieces in order of submission.
class Workers {
 public:
  Workers(unsigned count, const std::vector<PackageItem>& items, bool compress)
      : items_(items), compress_(compress) {
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Loop(); });
  }
  ~Workers() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  void Submit(Piece* p) {
    bool idle = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(p);
      idle = idle_ > 0;
    }
    // A busy thread looks at the queue before it waits again: only an idle one needs waking.
    if (idle) wake_.notify_one();
  }
  void Wait(Piece* p) {
    std::unique_lock<std::mutex> lock(mutex_);
    awaited_ = p;
    done_.wait(lock, [p] { return p->done; });
    awaited_ = nullptr;
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ++idle_;
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      --idle_;
      if (queue_.empty()) return;
      Piece* p = queue_.front();
      queue_.pop_front();
      lock.unlock();
      ReadAndCompress(*p, items_[p->item].source, compress_);
      lock.lock();
      p->done = true;
      // The writer waits for one piece at a time; the others finish unheard.
      if (awaited_ == p) {
        lock.unlock();
        done_.notify_one();
        lock.lock();
      }
    }
  }

  const std::vector<PackageItem>& items_;
  bool compress_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<Piece*> queue_;
  const Piece* awaited_ = nullptr;  // the piece the writer waits for
  int idle_ = 0;                    // threads waiting for a piece
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// Cuts the items' files into pieces, in order, from the sizes taken before writing began.
class Pieces {
 public:
  explicit Pieces(const std::vector<std::uint64_t>& sizes) : sizes_(sizes) {}
  bool More() const { return item_ < sizes_.size(); }
  std::unique_ptr<Piece> Next() {
    auto p = std::make_unique<Piece>();
    p->item = item_;
    p->offset = offset_;
    p->first = offset_ == 0;
    p->size =
        static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, sizes_[item_] - offset_));
    offset_ += p->size;
    if (offset_ == sizes_[item_]) {
      p->last = true;
      offset_ = 0;
      ++item_;
    }
    return p;
  }

 private:
  const std::vector<std::uint64_t>& sizes_;
  std::size_t item_ = 0;
  std::uint64_t offset_ = 0;
};

// The size of every source (-1 where it cannot be opened): as the caller gave it, else taken
// on `jobs` threads.
std::vector<std::int64_t> SourceSizes(const std::vector<PackageItem>& items, unsigned jobs) {
  std::vector<std::int64_t> sizes(items.size(), -1);
  std::vector<std::size_t> unknown;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].size >= 0)
      sizes[i] = items[i].size;
    else
      unknown.push_back(i);
  }
  SpreadOverThreads(unknown.size(), jobs, [&](std::size_t k) {
    const std::size_t i = unknown[k];
    FileHandle h = CreateFile(items[i].source, kGenericRead, kShareRead, Disposition::OpenExisting);
    if (h == kInvalidHandle) return;
    sizes[i] = GetFileSize(h);
    CloseHandle(h);
  });
  return sizes;
}

}  // namespace

WriterResult WritePackage(const std::vector<PackageItem>& items, const WriterOptions& options,
                          DiskSink& sink) {
  WriterResult result;

  // Every source must be there before a disk is begun.
  const unsigned jobs = std::max(1u, options.jobs);
  const std::vector<std::int64_t> measured = SourceSizes(items, jobs);
  std::vector<std::uint64_t> sizes(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (measured[i] < 0) {
      result.error = "cannot open " + items[i].source;
      result.failedItem = static_cast<int>(i);
      return result;
    }
    sizes[i] = static_cast<std::uint64_t>(measured[i]);
    result.sourceBytes += sizes[i];
  }

  Layout layout(options, sink);
  if (!layout.Begin(&result.error)) return result;

  std::unique_ptr<Workers> workers;
  if (jobs > 1) workers = std::make_unique<Workers>(jobs, items, options.compress);
  const std::size_t window = jobs > 1 ? kPiecesPerThread * jobs : 1;

  Pieces pieces(sizes);
  std::deque<std::unique_ptr<Piece>> inflight;
  Record record;
  std::uint64_t done = 0;
  bool failed = false;

  auto fail = [&](std::size_t item, std::string message) {
    result.error = std::move(message);
    result.failedItem = static_cast<int>(item);
    failed = true;
  };

  while (!failed) {
    while (inflight.size() < window && pieces.More()) {
      std::unique_ptr<Piece> p = pieces.Next();
      if (workers) {
        workers->Submit(p.get());
      } else {
        ReadAndCompress(*p, items[p->item].source, options.compress);
        p->done = true;
      }
      inflight.push_back(std::move(p));
    }
    if (inflight.empty()) break;

    std::unique_ptr<Piece> p = std::move(inflight.front());
    inflight.pop_front();
    if (workers) workers->Wait(p.get());
    if (!p->error.empty()) {
      fail(p->item, p->error);
      break;
    }

    // Join the piece to its file's record; the record is placed once it is whole, since its
    // header carries the stored length.
    if (p->first) {
      record = Record{};
      record.header.component = items[p->item].component;
      record.header.item = items[p->item].item;
      record.header.fileTime = p->fileTime;
      record.compressed = options.compress;
    }
    std::uint64_t at = record.data.size();
    for (std::uint32_t length : p->chunkLengths) {
      record.chunkStarts.push_back(at);
      at += length;
    }
    if (record.data.empty())
      record.data = std::move(p->output);
    else
      record.data.insert(record.data.end(), p->output.begin(), p->output.end());

    if (p->last) {
      if (record.data.size() > 0xFFFFFFFFu) {
        fail(p->item, "too large for a package record: " + items[p->item].source);
        break;
      }
      record.header.storedLength = static_cast<std::uint32_t>(record.data.size());
      result.storedBytes += record.data.size();
      if (!layout.Place(record, &result.error)) {
        fail(p->item, result.error);
        break;
      }
      record = Record{};
    }
    done += p->size;
    if (options.progress) options.progress(done, result.sourceBytes);
  }

  // Drain what the threads still hold before the pieces go away.
  if (workers)
    for (auto& p : inflight) workers->Wait(p.get());
  workers.reset();
  if (failed) return result;

  if (!layout.Finish(&result.error)) return result;
  result.ok = true;
  result.diskCount = layout.Disks();
  result.diskBytes = layout.DiskBytes();
  result.startDisk = layout.StartDisks();
  return result;
}

}  // namespace vx::pkg
