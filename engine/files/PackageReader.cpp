#include "engine/files/PackageReader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/ui/MessageBox.h"
#include "engine/base/RunReport.h"
#include "engine/base/Texts.h"
#include "engine/files/FileCopy.h"
#include "engine/files/InflatePool.h"
#include "engine/files/InstallerSeal.h"
#include "engine/files/PayloadSeal.h"
#include "engine/ui/Ui.h"
#include "library/Karvo.h"
#include "platform/Machine.h"  // DriveType, used by Files.h
#include "platform/Files.h"
#include "platform/WinPath.h"

namespace vx {

void PackageState::Close() {
  if (handle != kInvalidHandle) CloseHandle(handle);
  handle = kInvalidHandle;
}

namespace {

constexpr int kMaxDisk = 0xFFFF;  // the header keeps the disk number in 16 bits
constexpr std::size_t kRawBlock = 1 << 20;
constexpr std::size_t kBatchChunks = 256;
// Room for a full batch of typical chunks plus one chunk carried over from the last batch.
constexpr std::size_t kBatchInput = (1 << 20) + pkg::kChunkLengthSize + kMaxChunkStream;
// A batch reads in steps of this much: what it read past its last chunk is copied into the
// next batch, so reading the whole input at once would copy most of it again (a batch of
// typical chunks takes a third of it).
constexpr std::size_t kReadStep = 64 << 10;
// Below this many chunks waking the workers costs more than it saves.
constexpr std::size_t kMinParallelChunks = 8;

// Reads until `size` bytes arrived, the file ended, or a read failed (false).
bool ReadFully(FileHandle h, std::uint8_t* buffer, std::uint32_t size, std::uint32_t* got) {
  *got = 0;
  while (*got < size) {
    std::uint32_t n = 0;
    if (!ReadFile(h, buffer + *got, size - *got, &n)) return false;
    if (n == 0) break;
    *got += n;
  }
  return true;
}

// Why the last write of this thread failed (kErrorSuccess when none did): a full disk is
// then reported as such rather than as a damaged record.
thread_local std::uint32_t writeFailure = kErrorSuccess;

// The first bytes written to the record's file on this thread: whether it is a host
// program is told from them, without reading the file back.
thread_local std::uint8_t headBytes[4];
thread_local std::size_t headSize = 0;

bool WriteFully(FileHandle h, const std::uint8_t* data, std::size_t size) {
  const std::size_t take = std::min(sizeof headBytes - headSize, size);
  std::memcpy(headBytes + headSize, data, take);
  headSize += take;
  while (size > 0) {
    std::uint32_t chunk = static_cast<std::uint32_t>(std::min<std::size_t>(size, 1u << 30));
    std::uint32_t n = 0;
    SetLastError(kErrorSuccess);
    if (!WriteFile(h, data, chunk, &n) || n == 0) {
      writeFailure = GetLastError() != kErrorSuccess ? GetLastError() : kErrorDiskFull;
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

// Reads from the current disk; on disk 0 never past the package's last byte there, and every
// byte read is taken off bytes left on the first disk.
bool ReadDisk(PackageState& s, std::uint8_t* buffer, std::uint32_t size, std::uint32_t* got) {
  *got = 0;
  if (!s.IsOpen()) return false;
  if (s.currentDisk == 0)
    size = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, s.firstDiskLeft));
  if (size == 0) return true;
  bool ok = ReadFully(s.handle, buffer, size, got);
  if (s.currentDisk == 0) s.firstDiskLeft -= *got;
  return ok;
}

// Disk 0 through the payload trailer: the package is the L bytes in front of it. The
// payload ends before a signature appended to the program.
bool PositionThroughTrailer(PackageState& s) {
  std::int64_t end = pkg::PayloadEnd(s.handle);
  if (end < static_cast<std::int64_t>(pkg::kTrailerSize)) return false;
  if (SetFilePointer(s.handle, end - pkg::kTrailerSize, SeekFrom::Begin) < 0) return false;
  std::uint8_t bytes[pkg::kTrailerSize];
  std::uint32_t got = 0;
  if (!ReadFully(s.handle, bytes, sizeof bytes, &got) || got != sizeof bytes) return false;
  std::uint32_t length = pkg::DecodeTrailer(bytes).lastLength;
  std::int64_t start = end - static_cast<std::int64_t>(pkg::kTrailerSize) - length;
  if (start < 0) return false;  // longer than the file: not a package we can find
  if (SetFilePointer(s.handle, start, SeekFrom::Begin) != start) return false;
  s.packageLength = length;
  s.firstDiskLeft = length;
  return true;
}

bool ReadDiskHeader(PackageState& s, pkg::DiskHeader* header) {
  std::uint8_t bytes[pkg::kDiskHeaderSize];
  std::uint32_t got = 0;
  if (!ReadDisk(s, bytes, sizeof bytes, &got) || got != sizeof bytes) return false;
  *header = pkg::DecodeDiskHeader(bytes);
  return header->VersionIs50();
}

// Disk `disk` (1 or more) through the prompt; a disk the seal names is checked whole first.
FileHandle OpenSealedDisk(PackageState& s, int disk) {
  FileHandle h = OpenPackageDisk(s.path, disk);
  const std::size_t index = std::size_t(disk) - 1;
  if (h == kInvalidHandle || disk < 1 || index >= s.diskSeals.size()) return h;
  if (s.diskChecked.size() < s.diskSeals.size()) s.diskChecked.resize(s.diskSeals.size());
  if (s.diskChecked[index]) return h;
  if (!pkg::DiskMatchesSeal(h, s.diskSeals[index])) {
    CloseHandle(h);
    s.damaged = true;
    NoteFailure(DamagedDiskText(s.path, disk));
    return kInvalidHandle;
  }
  s.diskChecked[index] = true;
  return h;
}

// Closes the current disk and opens the next one, checking its header. The continuation
// length is not applied: what follows the header is the continuation being read.
bool GoToNextDisk(PackageState& s, bool withinTotal) {
  s.Close();
  if (s.currentDisk >= kMaxDisk) return false;
  ++s.currentDisk;
  if (withinTotal && s.currentDisk >= s.totalDisks) return false;
  FileHandle h = OpenSealedDisk(s, s.currentDisk);
  if (h == kInvalidHandle) return false;
  s.handle = h;
  pkg::DiskHeader header;
  return ReadDiskHeader(s, &header) && header.disk == s.currentDisk;
}

// Moves forward by `count` bytes that must lie on the current disk.
bool SkipOnDisk(PackageState& s, std::uint64_t count) {
  if (s.currentDisk == 0) {
    if (count > s.firstDiskLeft) return false;
    s.firstDiskLeft -= count;
    return SetFilePointer(s.handle, static_cast<std::int64_t>(count), SeekFrom::Current) >= 0;
  }
  std::int64_t pos = SetFilePointer(s.handle, 0, SeekFrom::Current);
  std::int64_t end = GetFileSize(s.handle);
  if (pos < 0 || end < 0 || static_cast<std::uint64_t>(end - std::min(end, pos)) < count)
    return false;
  return SetFilePointer(s.handle, pos + static_cast<std::int64_t>(count), SeekFrom::Begin) >= 0;
}

// Bytes of the package still to come on the current disk.
bool BytesLeftOnDisk(PackageState& s, std::uint64_t* left) {
  if (s.currentDisk == 0) {
    *left = s.firstDiskLeft;
    return true;
  }
  std::int64_t pos = SetFilePointer(s.handle, 0, SeekFrom::Current);
  std::int64_t end = GetFileSize(s.handle);
  if (pos < 0 || end < 0) return false;
  *left = end > pos ? static_cast<std::uint64_t>(end - pos) : 0;
  return true;
}

// "%d" and "%s" filled in order from `args`; "%%" is a percent sign.
std::string FillPlaceholders(const std::string& format, std::initializer_list<std::string> args) {
  std::string out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      char k = format[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((k == 'd' || k == 's' || k == 'u') && arg != args.end()) {
        out += *arg++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

bool CopyRaw(PackageState& s, std::uint32_t stored, FileHandle out) {
  thread_local std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kRawBlock]);
  std::uint64_t left = stored;
  while (left > 0) {
    if (s.currentDisk == 0 && s.firstDiskLeft == 0) {
      if (!GoToNextDisk(s, false)) return false;
      continue;
    }
    std::uint32_t asked = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kRawBlock));
    if (s.currentDisk == 0)
      asked = static_cast<std::uint32_t>(std::min<std::uint64_t>(asked, s.firstDiskLeft));
    std::uint32_t got = 0;
    if (!ReadDisk(s, buffer.get(), asked, &got)) return false;
    if (got > 0 && !WriteFully(out, buffer.get(), got)) return false;
    left -= got;
    if (got < asked && !GoToNextDisk(s, true)) return false;
  }
  return true;
}

// Compressed data: the record's chunks are read ahead in large blocks (across disk breaks),
// inflated in parallel batches and written in order with one write per batch. A failure at
// any chunk fails the record (its partial file is then dropped).
class ChunkReader {
 public:
  ChunkReader(PackageState& s, std::uint32_t stored, FileHandle out)
      : s_(s), unread_(stored), out_(out) {
    for (ChunkBatch& b : batches_) {
      if (b.input.size() < kBatchInput) b.input.resize(kBatchInput);
      if (b.output.size() < kBatchChunks * pkg::kBlockSize)
        b.output.resize(kBatchChunks * pkg::kBlockSize);
      b.filled = b.parsed = 0;
      b.chunks.clear();
      b.chunks.reserve(kBatchChunks);
      b.next.store(0);
    }
    if (stored >= kMinParallelChunks * pkg::kBlockSize && InflatePool::Shared().Workers() > 0 &&
        InflatePool::Shared().TryAcquire()) {
      pool_ = &InflatePool::Shared();
    }
  }
  ~ChunkReader() {
    if (inFlight_ != nullptr) Finish(*inFlight_);
    if (pool_ != nullptr) pool_->Release();
  }

  bool Run() {
    ChunkBatch* filling = &batches_[0];
    for (;;) {
      Fill status = FillBatch(*filling);
      // Whatever is in flight comes before what was just read: settle it first, but let the
      // workers start on the new batch before the caller spends time writing.
      ChunkBatch* done = inFlight_;
      if (done != nullptr) {
        Finish(*done);
        inFlight_ = nullptr;
      }
      if (status == Fill::Full) Launch(filling);
      if (done != nullptr && !WriteBatch(*done)) return false;
      if (status == Fill::Full) {
        // The workers read only the whole chunks; the unfinished tail may be copied now.
        ChunkBatch* next = Other(filling);
        next->StartFrom(*filling);
        filling = next;
        continue;
      }
      // The end of the record, a disk break or a failure: settle this batch in order.
      Finish(*filling);
      if (!WriteBatch(*filling)) return false;
      if (status == Fill::Done) return true;
      if (status == Fill::Failed) return false;
      filling->KeepTail();
      if (!GoToNextDisk(s_, false)) return false;
      diskEnded_ = false;
    }
  }

 private:
  enum class Fill { Full, Done, NeedDisk, Failed };

  ChunkBatch* Other(ChunkBatch* b) { return b == &batches_[0] ? &batches_[1] : &batches_[0]; }

  void Launch(ChunkBatch* full) {
    full->next.store(0, std::memory_order_relaxed);
    if (pool_ != nullptr && full->chunks.size() >= kMinParallelChunks) pool_->Submit(*full);
    inFlight_ = full;
  }

  void Finish(ChunkBatch& b) {
    if (pool_ != nullptr) {
      pool_->Finish(b);
    } else {
      InflateBatchHere(b);
    }
  }

  // Writes the inflated chunks in order, up to the first bad one. Slots filled end to end go
  // out in one write; a chunk that did not fit its slot is inflated again here, with room
  // for the most a chunk may hold, and is damaged only if it does not fit that either.
  bool WriteBatch(ChunkBatch& b) {
    const std::uint8_t* base = b.output.data();
    std::size_t runStart = 0, runEnd = 0;  // inflated bytes not written yet
    auto flush = [&] {
      const bool written =
          runEnd == runStart || WriteFully(out_, base + runStart, runEnd - runStart);
      runStart = runEnd;
      return written;
    };
    for (std::size_t i = 0; i < b.chunks.size(); ++i) {
      const ChunkSlot& c = b.chunks[i];
      const std::size_t slot = i * pkg::kBlockSize;
      if (c.good) {
        if (slot != runEnd) {  // a short chunk came before
          if (!flush()) return false;
          runStart = slot;
        }
        runEnd = slot + c.inflated;
        continue;
      }
      if (!flush()) return false;
      thread_local std::unique_ptr<std::uint8_t[]> wide(new std::uint8_t[pkg::kMaxChunkOutput]);
      std::uint32_t n = 0;
      if (!InflateChunk(b.input.data() + c.offset, c.length, wide.get(), &n)) return false;
      if (n > 0 && !WriteFully(out_, wide.get(), n)) return false;
      runStart = runEnd = slot + pkg::kBlockSize;
    }
    return flush();
  }

  // Takes whole chunks out of the bytes read so far. False when a length is damaged.
  bool Parse(ChunkBatch& b) {
    while (b.chunks.size() < kBatchChunks) {
      std::size_t avail = b.filled - b.parsed;
      std::uint64_t recordLeft = avail + unread_;
      if (avail < pkg::kChunkLengthSize) {
        // A length field must lie wholly inside the record.
        return avail == 0 || recordLeft >= pkg::kChunkLengthSize;
      }
      std::uint32_t length = pkg::ReadLe32(b.input.data() + b.parsed);
      std::uint64_t whole = pkg::kChunkLengthSize + std::uint64_t(length);
      if (length > kMaxChunkStream || whole > recordLeft) return false;
      if (whole > avail) return true;
      b.chunks.push_back(ChunkSlot{static_cast<std::uint32_t>(b.parsed + pkg::kChunkLengthSize),
                                   length, 0, false});
      b.parsed += whole;
    }
    return true;
  }

  Fill FillBatch(ChunkBatch& b) {
    for (;;) {
      if (!Parse(b)) return Fill::Failed;
      if (b.chunks.size() == kBatchChunks) return Fill::Full;
      if (unread_ == 0) return b.parsed == b.filled ? Fill::Done : Fill::Failed;
      if (b.filled == b.input.size()) return b.chunks.empty() ? Fill::Failed : Fill::Full;
      if (!diskEnded_ && !(s_.currentDisk == 0 && s_.firstDiskLeft == 0)) {
        std::uint32_t asked = static_cast<std::uint32_t>(
            std::min<std::uint64_t>({b.input.size() - b.filled, unread_, kReadStep}));
        if (s_.currentDisk == 0) {
          asked = static_cast<std::uint32_t>(std::min<std::uint64_t>(asked, s_.firstDiskLeft));
        }
        std::uint32_t got = 0;
        if (!ReadDisk(s_, b.input.data() + b.filled, asked, &got)) return Fill::Failed;
        b.filled += got;
        unread_ -= got;
        if (got < asked) diskEnded_ = true;
        continue;
      }
      // Nothing more of the record on this disk. The data may break inside a chunk's stream;
      // never inside a length field, and after disk 0 never between two chunks.
      std::size_t tail = b.filled - b.parsed;
      if (tail == 0 && s_.currentDisk != 0) return Fill::Failed;
      if (tail > 0 && tail < pkg::kChunkLengthSize) return Fill::Failed;
      return Fill::NeedDisk;
    }
  }

  PackageState& s_;
  std::uint64_t unread_;  // bytes of the record not read from the package yet
  FileHandle out_;
  bool diskEnded_ = false;
  InflatePool* pool_ = nullptr;
  ChunkBatch* inFlight_ = nullptr;
  // Kept per thread: the buffers are large and records are many.
  static thread_local ChunkBatch batches_[2];
};

thread_local ChunkBatch ChunkReader::batches_[2];

bool SeekImpl(PackageState& s, int component, int item, int startDisk) {
  if (startDisk < 0 || startDisk > kMaxDisk) return false;
  if (startDisk != s.currentDisk) {
    s.Close();
    s.currentDisk = startDisk;
    FileHandle h = startDisk == 0 ? OpenPackageDisk(s.path, 0) : OpenSealedDisk(s, startDisk);
    if (h == kInvalidHandle) return false;
    s.handle = h;
  }
  if (!s.IsOpen()) return false;
  if (s.currentDisk != 0) {
    if (SetFilePointer(s.handle, 0, SeekFrom::Begin) != 0) return false;
  } else if (!PositionThroughTrailer(s)) {
    return false;
  }
  pkg::DiskHeader header;
  if (!ReadDiskHeader(s, &header) || header.disk != s.currentDisk) return false;
  if (!SkipOnDisk(s, header.continuation)) return false;
  // Every pass moves forward by at least a record header, within one file: this ends.
  for (;;) {
    if (s.currentDisk == 0 && s.firstDiskLeft < pkg::kRecordHeaderSize) return false;
    std::uint8_t bytes[pkg::kRecordHeaderSize];
    std::uint32_t got = 0;
    if (!ReadDisk(s, bytes, sizeof bytes, &got) || got != sizeof bytes) return false;
    pkg::RecordHeader record = pkg::DecodeRecordHeader(bytes);
    if (record.component == component && record.item == item) {
      if (s.currentDisk == 0) s.firstDiskLeft += sizeof bytes;
      return SetFilePointer(s.handle, -static_cast<std::int64_t>(sizeof bytes),
                            SeekFrom::Current) >= 0;
    }
    // A record that runs off this disk cannot be followed by the one sought here.
    if (!SkipOnDisk(s, record.storedLength)) return false;
  }
}

}  // namespace

StartupOpen OpenPackageAtStartup(PackageState& s, const std::string& path, bool selfExtractor) {
  s.Close();
  s.path = path;
  s.currentDisk = 0;
  s.firstDiskLeft = 0;
  s.packageLength = 0;
  s.handle = PrepareFileForRead(path.c_str());
  if (!s.IsOpen()) return StartupOpen::Failed;
  std::uint8_t bytes[pkg::kDiskHeaderSize];
  std::uint32_t got = 0;
  bool read;
  if (selfExtractor) {
    read = PositionThroughTrailer(s) && ReadDisk(s, bytes, sizeof bytes, &got);
  } else {
    // A stand-alone first disk holds its header alone; bytes left stays 0.
    read = ReadFully(s.handle, bytes, sizeof bytes, &got);
  }
  if (!read || got != sizeof bytes) {
    s.Close();
    return StartupOpen::Failed;
  }
  pkg::DiskHeader header = pkg::DecodeDiskHeader(bytes);
  if (!header.VersionIs50()) {
    ShowMessage("Version incompatable!", kMbOk | kMbIconStop);
    s.Close();
    return StartupOpen::WrongVersion;
  }
  s.compressed = header.Compressed();
  return StartupOpen::Opened;
}

bool OpenInstalledPackage(PackageState& s, const std::string& path) {
  s.Close();
  s.path = path;
  s.currentDisk = 0;
  s.firstDiskLeft = 0;
  s.handle = PrepareFileForRead(path.c_str());
  s.packageMode = s.IsOpen();
  if (!s.packageMode) return false;
  pkg::DiskHeader header;
  if (PositionThroughTrailer(s) && ReadDiskHeader(s, &header)) s.compressed = header.Compressed();
  return true;
}

FileHandle OpenPackageDisk(const std::string& diskZeroPath, int disk) {
  std::string name = pkg::DiskFileName(diskZeroPath, disk);
  for (;;) {
    FileHandle h = PrepareFileForRead(name.c_str());
    if (h != kInvalidHandle) return h;
    Ui& ui = CurrentUi();
    ui.Beep();
    std::size_t cut = name.rfind('\\');
    std::string folder = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
    std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    std::string text = folder.size() <= 3
                           ? FillPlaceholders(LoadText(TextId::InsertDiskPrompt),
                                              {std::to_string(disk + 1), file, folder})
                           : FillPlaceholders(LoadText(TextId::FilePathPrompt), {file});
    std::string answer = folder;
    if (!ui.AskText("Insert Diskette", text, answer)) {
      NoteFailure("disk " + std::to_string(disk + 1) + " of the package (" + file +
                  ") was not given: the disk prompt was cancelled");
      return kInvalidHandle;
    }
    // A folder typed as a host path is taken by its Windows name.
    if (!answer.empty() && answer.front() == '/') answer = Machine::Current().FromOutside(answer);
    if (answer.empty() || answer.back() != '\\') answer += '\\';
    std::string tried = name;
    name = answer + file;
    // Without a display nobody can change a disk: the same answer again would loop forever.
    if (ui.IsHeadless() && winpath::EqualsNoCase(name, tried)) {
      NoteFailure("disk " + std::to_string(disk + 1) + " of the package is not at " + name);
      return kInvalidHandle;
    }
  }
}

bool SeekComponentRecord(PackageState& s, int component, int item, int startDisk) {
  if (SeekImpl(s, component, item, startDisk)) return true;
  s.Close();
  return false;
}

bool ReadRecordHeader(PackageState& s, pkg::RecordHeader& header) {
  if (!s.IsOpen()) return false;
  std::uint8_t bytes[pkg::kRecordHeaderSize];
  std::uint32_t got = 0;
  bool diskEnded = s.currentDisk == 0 && s.firstDiskLeft == 0;
  if (!diskEnded) {
    // A record header never breaks across disks.
    if (s.currentDisk == 0 && s.firstDiskLeft < sizeof bytes) return false;
    if (!ReadDisk(s, bytes, sizeof bytes, &got)) return false;
    if (got != 0 && got != sizeof bytes) return false;
    diskEnded = got == 0;
  }
  if (diskEnded) {
    if (!GoToNextDisk(s, false)) return false;
    if (!ReadDisk(s, bytes, sizeof bytes, &got) || got != sizeof bytes) return false;
  }
  header = pkg::DecodeRecordHeader(bytes);
  return true;
}

bool SkipRecordData(PackageState& s, const pkg::RecordHeader& header) {
  // Follows the stored length across disks, so a skipped record ends where an extracted one
  // would; in a sound package each later disk's continuation length counts the same bytes.
  std::uint64_t remaining = header.storedLength;
  for (;;) {
    if (!s.IsOpen()) return false;
    std::uint64_t here = 0;
    if (!BytesLeftOnDisk(s, &here)) return false;
    if (remaining <= here) return SkipOnDisk(s, remaining);
    remaining -= here;
    if (s.currentDisk == 0) s.firstDiskLeft = 0;
    if (!GoToNextDisk(s, false)) return false;
  }
}

bool SkipRecord(PackageState& s) {
  pkg::RecordHeader header;
  return ReadRecordHeader(s, header) && SkipRecordData(s, header);
}

// The record goes to a partial file beside the target, which takes the target's place only
// when the whole record was read, inflated and written.
bool WriteRecordData(PackageState& s, const pkg::RecordHeader& header, const std::string& target) {
  FileHandle out = CreatePartialFile(target);
  if (out == kInvalidHandle) {
    NoteFailure("cannot create " + target + ": " + SystemErrorText(GetLastError()));
    return false;
  }
  bool ok;
  writeFailure = kErrorSuccess;
  headSize = 0;
  if (s.compressed) {
    ChunkReader reader(s, header.storedLength, out);
    ok = reader.Run();
  } else {
    ok = CopyRaw(s, header.storedLength, out);
  }
  if (ok) {
    // A program for the host must run, as an installed Windows program does.
    MarkIfHostProgram(out, headBytes, headSize);
    FileTime t{header.fileTime};
    SetFileTime(out, &t, &t, &t);
    if (!CommitPartialFile(target, out)) {
      NoteFailure("cannot replace " + target + ": " + SystemErrorText(GetLastError()));
      return false;
    }
    return true;
  }
  CloseHandle(out);
  if (writeFailure != kErrorSuccess) {
    NoteFailure("cannot write " + target + ": " + SystemErrorText(writeFailure));
  } else {
    NoteFailure("the package record for " + target + " is damaged or cut short");
  }
  DiscardPartialFile(target);
  return false;
}

bool ExtractRecord(PackageState& s, const std::string& destination, bool skipChecks) {
  pkg::RecordHeader header;
  if (!ReadRecordHeader(s, header)) return false;
  DestinationCheck check;
  check.target = check.destination = destination;
  if (!skipChecks) {
    check = CheckDestination(destination, FileTime{header.fileTime});
    if (check.skip) return SkipRecordData(s, header);
  }
  if (!WriteRecordData(s, header, check.target)) return false;
  CommitStaged(check);
  return true;
}

}  // namespace vx
