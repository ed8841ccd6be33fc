// The package writer: byte layout, spanning over disks as the reader takes them, identical
// output for any number of threads, the file sink's disk names.
#include "engine/files/PackageWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/files/PackageFormat.h"
#include "library/Karvo.h"
#include "platform/Files.h"
#include "tests/support/TestMachine.h"

namespace {

using namespace vx::pkg;
using vx::test::TestMachine;
using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------
// A model of the package reader's rules, strict where the real reader would read garbage:
// it reads records in order across disks exactly as the reader does (bytes left on disk 0,
// a new disk without applying its continuation, a chunk's rest on the next disk once), and
// fails where the reader would fail or misread.

struct ModelRecord {
  RecordHeader header;
  Bytes data;      // inflated (or raw) file bytes
  int headerDisk;  // where the record header lies
  int lastDisk;    // where its data ends
};

class ModelReader {
 public:
  ModelReader(const std::vector<Bytes>& disks, int totalDisks)
      : disks_(disks), totalDisks_(totalDisks) {}

  // Reads `count` records from the start, as start-up and the installation do. Every record
  // in `skip` is passed over with the reader's skip rule instead of being extracted.
  std::optional<std::vector<ModelRecord>> ReadAll(std::size_t count,
                                                  const std::vector<bool>& skip = {}) {
    disk_ = 0;
    pos_ = kDiskHeaderSize;
    if (!Header(0, &first_)) return Fail("disk 0 header");
    bytesLeft_ = disks_[0].size() - kDiskHeaderSize;
    compressed_ = first_.Compressed();
    std::vector<ModelRecord> out;
    for (std::size_t i = 0; i < count; ++i) {
      ModelRecord r;
      if (!RecordHead(&r)) return std::nullopt;
      if (i < skip.size() && skip[i]) {
        if (!Skip(r.header.storedLength)) return std::nullopt;
      } else if (!Data(&r)) {
        return std::nullopt;
      }
      r.lastDisk = disk_;
      out.push_back(std::move(r));
    }
    return out;
  }

  // Positions on `startDisk` as SeekComponentRecord does and reports whether the record
  // (component, item) is found there.
  bool Seek(int component, int item, int startDisk) {
    if (startDisk < 0 || startDisk >= static_cast<int>(disks_.size())) return false;
    const Bytes& d = disks_[static_cast<std::size_t>(startDisk)];
    DiskHeader h;
    disk_ = startDisk;
    if (!Header(startDisk, &h)) return false;
    std::uint64_t p = kDiskHeaderSize + h.continuation;
    for (;;) {
      if (p + kRecordHeaderSize > d.size()) return false;
      RecordHeader r = DecodeRecordHeader(d.data() + p);
      if (r.component == component && r.item == item) return true;
      p += kRecordHeaderSize + r.storedLength;
    }
  }

  // True when every byte of every disk was consumed by the last ReadAll.
  bool AtEnd() const {
    return disk_ == static_cast<int>(disks_.size()) - 1 && pos_ == disks_.back().size() &&
           (disk_ != 0 || bytesLeft_ == 0);
  }

  const std::string& Error() const { return error_; }

 private:
  std::nullopt_t Fail(const std::string& what) {
    error_ = what + " (disk " + std::to_string(disk_) + ", offset " + std::to_string(pos_) + ")";
    return std::nullopt;
  }
  bool FailB(const std::string& what) {
    Fail(what);
    return false;
  }

  std::uint64_t Avail() const {
    const std::uint64_t inFile = disks_[static_cast<std::size_t>(disk_)].size() - pos_;
    return disk_ == 0 ? std::min<std::uint64_t>(inFile, bytesLeft_) : inFile;
  }

  bool Header(int disk, DiskHeader* h) {
    const Bytes& d = disks_[static_cast<std::size_t>(disk)];
    if (d.size() < kDiskHeaderSize) return false;
    *h = DecodeDiskHeader(d.data());
    return h->VersionIs50() && h->disk == disk;
  }

  bool NextDisk() {
    ++disk_;
    if (disk_ >= static_cast<int>(disks_.size())) return FailB("no next disk");
    DiskHeader h;
    if (!Header(disk_, &h)) return FailB("bad disk header");
    pos_ = kDiskHeaderSize;
    return true;
  }

  // Takes n bytes that must be on the current disk (within bytes left on disk 0).
  bool Take(std::uint64_t n, Bytes* out) {
    if (Avail() < n) return FailB("read past the data of the disk");
    const Bytes& d = disks_[static_cast<std::size_t>(disk_)];
    if (out)
      out->insert(out->end(), d.begin() + static_cast<std::ptrdiff_t>(pos_),
                  d.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    if (disk_ == 0) bytesLeft_ -= n;
    return true;
  }

  bool RecordHead(ModelRecord* r) {
    if ((disk_ == 0 && bytesLeft_ == 0) || (disk_ != 0 && Avail() == 0)) {
      if (!NextDisk()) return false;
    }
    Bytes head;
    if (!Take(kRecordHeaderSize, &head)) return FailB("record header split");
    r->header = DecodeRecordHeader(head.data());
    r->headerDisk = disk_;
    return true;
  }

  bool Data(ModelRecord* r) {
    std::uint64_t left = r->header.storedLength;
    while (left > 0) {
      if (disk_ == 0 && bytesLeft_ == 0 && !NextDisk()) return false;
      if (!compressed_) {
        const std::uint64_t n = std::min<std::uint64_t>(kBlockSize, left);
        const std::uint64_t got = std::min(n, Avail());
        if (!Take(got, &r->data)) return false;
        left -= got;
        if (got < n) {
          if (disk_ + 1 >= totalDisks_) return FailB("raw data beyond the total disks");
          if (!NextDisk()) return false;
        }
        continue;
      }
      Bytes len;
      if (!Take(kChunkLengthSize, &len)) return FailB("chunk length split");
      const std::uint32_t c = ReadLe32(len.data());
      if (c > left - kChunkLengthSize || c > kMaxChunkOutput) return FailB("chunk length wrong");
      left -= kChunkLengthSize;
      Bytes stream;
      const std::uint64_t here = std::min<std::uint64_t>(c, Avail());
      if (!Take(here, &stream)) return false;
      if (here < c) {
        if (!NextDisk()) return false;
        if (!Take(c - here, &stream)) return FailB("chunk spans more than two disks");
      }
      Bytes out(kMaxChunkOutput);
      uLongf n = kMaxChunkOutput;
      if (uncompress(out.data(), &n, stream.data(), static_cast<uLong>(stream.size())) != Z_OK)
        return FailB("chunk does not inflate");
      r->data.insert(r->data.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
      left -= c;
    }
    return true;
  }

  bool Skip(std::uint64_t stored) {
    const Bytes& d = disks_[static_cast<std::size_t>(disk_)];
    const bool fits = disk_ == 0 ? stored <= bytesLeft_ : pos_ + stored <= d.size();
    if (fits) {
      pos_ += stored;
      if (disk_ == 0) bytesLeft_ -= stored;
      return true;
    }
    if (!NextDisk()) return false;
    DiskHeader h;
    Header(disk_, &h);
    pos_ += h.continuation;
    return pos_ <= disks_[static_cast<std::size_t>(disk_)].size() || FailB("continuation too long");
  }

  const std::vector<Bytes>& disks_;
  int totalDisks_;
  int disk_ = 0;
  std::uint64_t pos_ = 0;
  std::uint64_t bytesLeft_ = 0;
  bool compressed_ = true;
  DiskHeader first_;
  std::string error_;
};

// ---------------------------------------------------------------------------------------
// Source files

Bytes Generate(std::size_t n, int kind, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  static const char* words[] = {"install ", "the ", "files\r\n", "Program ", "setup ", "0x1F "};
  std::size_t i = 0;
  while (i < n) {
    if (kind == 0) {  // text
      for (const char* w = words[rng() % 6]; *w && i < n; ++w)
        b[i++] = static_cast<std::uint8_t>(*w);
    } else if (kind == 1) {  // noise
      b[i++] = static_cast<std::uint8_t>(rng());
    } else {  // runs
      const std::uint8_t v = static_cast<std::uint8_t>(rng() % 4);
      for (std::size_t k = rng() % 300; k > 0 && i < n; --k) b[i++] = v;
    }
  }
  return b;
}

struct Source {
  PackageItem item;
  Bytes content;
  std::uint64_t fileTime;
};

class WriterTest : public ::testing::Test {
 protected:
  // Writes the file and gives it a known last-write time.
  Source Add(std::int32_t component, std::int32_t item, Bytes content) {
    const std::string path = "C:\\src\\f" + std::to_string(sources_.size()) + ".bin";
    m_.WriteFile(path, std::string(content.begin(), content.end()));
    vx::FileHandle h =
        vx::CreateFile(path, vx::kGenericWrite, vx::kShareRead, vx::Disposition::OpenExisting);
    EXPECT_NE(h, vx::kInvalidHandle);
    const vx::FileTime t =
        vx::FileTimeFromUnix(1600000000 + static_cast<std::int64_t>(sources_.size()) * 61);
    EXPECT_TRUE(vx::SetFileTime(h, nullptr, nullptr, &t));
    vx::CloseHandle(h);
    Source s{{component, item, path}, std::move(content), t.ticks};
    sources_.push_back(s);
    return s;
  }

  // A mixed set: temp files, then three components, sizes around block and piece borders.
  void AddMixed() {
    Add(kTempNameOnly, 0, Generate(700, 0, 1));
    Add(kTempFileLine, 3, Generate(0, 0, 2));
    const std::size_t sizes[] = {1, 2047,   2048,   2049, 9000,  40000,
                                 0, 131072, 131073, 5000, 70000, 3};
    int n = 0;
    for (std::size_t size : sizes) {
      Add(n / 4, 1 + n % 4 * 2, Generate(size, n % 3, static_cast<std::uint32_t>(100 + n)));
      ++n;
    }
  }

  std::vector<PackageItem> Items() const {
    std::vector<PackageItem> items;
    for (const Source& s : sources_) items.push_back(s.item);
    return items;
  }

  WriterResult Write(WriterOptions o, MemorySink& sink) { return WritePackage(Items(), o, sink); }

  // Reads the package back with the model and checks every record and every disk.
  void Verify(const MemorySink& sink, const WriterResult& r, const WriterOptions& o) {
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(static_cast<int>(sink.disks.size()), r.diskCount);
    ASSERT_EQ(r.diskBytes.size(), sink.disks.size());
    for (std::size_t d = 0; d < sink.disks.size(); ++d) {
      const Bytes& disk = sink.disks[d];
      EXPECT_EQ(r.diskBytes[d], disk.size());
      ASSERT_GE(disk.size(), kDiskHeaderSize);
      const DiskHeader h = DecodeDiskHeader(disk.data());
      EXPECT_EQ(h.disk, d);
      EXPECT_EQ(h.created, o.created);
      EXPECT_EQ(h.Compressed(), o.compress);
      EXPECT_TRUE(h.VersionIs50());
      EXPECT_EQ(0, std::memcmp(disk.data(), kMagic, 4));
      const std::uint64_t limit = d == 0 && o.firstDiskBudget ? o.firstDiskBudget : o.diskSize;
      if (limit) {
        EXPECT_LE(disk.size(), limit) << "disk " << d;
      }
      if (d == 0) {
        EXPECT_EQ(h.continuation, 0u);
      }
    }
    ModelReader reader(sink.disks, r.diskCount);
    auto records = reader.ReadAll(sources_.size());
    ASSERT_TRUE(records) << reader.Error();
    EXPECT_TRUE(reader.AtEnd());
    std::map<std::int32_t, int> firstDisk;
    for (std::size_t i = 0; i < sources_.size(); ++i) {
      const ModelRecord& rec = (*records)[i];
      EXPECT_EQ(rec.header.component, sources_[i].item.component);
      EXPECT_EQ(rec.header.item, sources_[i].item.item);
      EXPECT_EQ(rec.header.fileTime, sources_[i].fileTime);
      EXPECT_EQ(rec.data, sources_[i].content) << "record " << i;
      firstDisk.emplace(rec.header.component, rec.headerDisk);
    }
    EXPECT_EQ(firstDisk, r.startDisk);
    for (const auto& [component, disk] : r.startDisk) {
      for (const Source& s : sources_) {
        if (s.item.component != component) continue;
        EXPECT_TRUE(reader.Seek(component, s.item.item, disk)) << "component " << component;
        break;
      }
    }
    // Every continuation length counts exactly the bytes of the record begun before.
    CheckContinuations(sink, *records);
  }

  void CheckContinuations(const MemorySink& sink, const std::vector<ModelRecord>& records) {
    std::vector<std::uint64_t> expected(sink.disks.size(), 0);
    // Walk the disks again by offsets: a record that ends on a later disk than its header
    // contributes to the continuation of every disk after its header's.
    std::size_t d = 0;
    std::uint64_t pos = kDiskHeaderSize;
    for (const ModelRecord& rec : records) {
      if (rec.headerDisk != static_cast<int>(d)) {
        d = static_cast<std::size_t>(rec.headerDisk);
        pos = kDiskHeaderSize + DecodeDiskHeader(sink.disks[d].data()).continuation;
      }
      pos += kRecordHeaderSize;
      std::uint64_t left = rec.header.storedLength;
      while (true) {
        const std::uint64_t here = std::min<std::uint64_t>(left, sink.disks[d].size() - pos);
        if (d != static_cast<std::size_t>(rec.headerDisk)) expected[d] = here;
        left -= here;
        pos += here;
        if (left == 0) break;
        ++d;
        pos = kDiskHeaderSize;
      }
    }
    for (std::size_t k = 0; k < sink.disks.size(); ++k)
      EXPECT_EQ(DecodeDiskHeader(sink.disks[k].data()).continuation, expected[k]) << "disk " << k;
  }

  TestMachine m_;
  std::vector<Source> sources_;
};

TEST_F(WriterTest, SmallRawPackageHasTheExactLayout) {
  Add(0, 1, Bytes{'h', 'e', 'l', 'l', 'o'});
  Add(2, 7, Bytes{});
  WriterOptions o;
  o.compress = false;
  o.created = 0x01020304;
  MemorySink sink;
  WriterResult r = Write(o, sink);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(sink.disks.size(), 1u);
  Bytes expect = {0x72, 0x61, 0x2B, 0x01, '5',  '.',  '0',  0,    0, 0, 0, 0,
                  0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,
                  0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0};
  auto record = [&](std::int32_t c, std::int32_t i, std::uint64_t t, std::uint32_t len) {
    std::uint8_t h[kRecordHeaderSize];
    EncodeRecordHeader({c, i, t, len}, h);
    expect.insert(expect.end(), h, h + kRecordHeaderSize);
  };
  record(0, 1, sources_[0].fileTime, 5);
  expect.insert(expect.end(), {'h', 'e', 'l', 'l', 'o'});
  record(2, 7, sources_[1].fileTime, 0);
  EXPECT_EQ(sink.disks[0], expect);
  EXPECT_EQ(r.diskCount, 1);
  EXPECT_EQ(r.startDisk, (std::map<std::int32_t, int>{{0, 0}, {2, 0}}));
  EXPECT_EQ(r.sourceBytes, 5u);
  EXPECT_EQ(r.storedBytes, 5u);
}

TEST_F(WriterTest, CompressedRecordIsChunksOfDeflateDataToFile) {
  const Source s = Add(0, 0, Generate(5000, 0, 9));
  WriterOptions o;
  MemorySink sink;
  ASSERT_TRUE(Write(o, sink).ok);

  // The same blocks through the library export, one call per 2048 bytes.
  vx::FileHandle h = PrepareFileForWrite("C:\\ref.bin", 1);
  std::uint32_t total = 0;
  for (std::size_t at = 0; at < s.content.size(); at += kBlockSize) {
    std::uint32_t written = 0;
    const auto n = static_cast<std::uint32_t>(std::min(kBlockSize, s.content.size() - at));
    ASSERT_EQ(DeflateDataToFile(h, s.content.data() + at, n, &written, 2), 1);
    total += written;
  }
  vx::CloseHandle(h);
  const std::string ref = m_.ReadFile("C:\\ref.bin");

  const Bytes& disk = sink.disks[0];
  ASSERT_EQ(disk.size(), kDiskHeaderSize + kRecordHeaderSize + total);
  EXPECT_EQ(DecodeDiskHeader(disk.data()).compression, 1u);
  EXPECT_EQ(DecodeRecordHeader(disk.data() + kDiskHeaderSize).storedLength, total);
  EXPECT_EQ(std::string(disk.begin() + kDiskHeaderSize + kRecordHeaderSize, disk.end()), ref);
}

TEST_F(WriterTest, OneDiskPackageReadsBack) {
  AddMixed();
  for (bool compress : {true, false}) {
    WriterOptions o;
    o.compress = compress;
    o.created = 42;
    MemorySink sink;
    WriterResult r = Write(o, sink);
    Verify(sink, r, o);
    EXPECT_EQ(r.diskCount, 1);
  }
}

TEST_F(WriterTest, SpanningKeepsEveryReaderRuleAtManyDiskSizes) {
  AddMixed();
  std::vector<std::uint64_t> sizes;
  for (std::uint64_t s = kMinDiskSize; s < kMinDiskSize + 2100; s += 37) sizes.push_back(s);
  for (std::uint64_t s : {10000, 12345, 16384, 33333, 65536, 100000}) sizes.push_back(s);
  for (bool compress : {true, false}) {
    for (std::uint64_t size : sizes) {
      SCOPED_TRACE("disk size " + std::to_string(size) + (compress ? " zlib" : " raw"));
      WriterOptions o;
      o.compress = compress;
      o.diskSize = size;
      MemorySink sink;
      WriterResult r = Write(o, sink);
      Verify(sink, r, o);
      if (HasFailure()) return;
      EXPECT_GT(r.diskCount, 1);
    }
  }
}

TEST_F(WriterTest, FirstDiskBudgetOfASelfExtractor) {
  AddMixed();
  // Disk 0 takes what the program and entries leave; every budget from "header only" up.
  for (bool compress : {true, false}) {
    for (std::uint64_t budget = kDiskHeaderSize; budget < 2400; budget += 11) {
      SCOPED_TRACE("budget " + std::to_string(budget));
      WriterOptions o;
      o.compress = compress;
      o.diskSize = 20000;
      o.firstDiskBudget = budget;
      MemorySink sink;
      WriterResult r = Write(o, sink);
      Verify(sink, r, o);
      if (HasFailure()) return;
    }
  }
}

TEST_F(WriterTest, StandAloneFirstDiskHoldsOnlyItsHeader) {
  AddMixed();
  for (std::uint64_t size : {0, 50000}) {
    WriterOptions o;
    o.headerOnlyFirstDisk = true;
    o.diskSize = size;
    MemorySink sink;
    WriterResult r = Write(o, sink);
    Verify(sink, r, o);
    ASSERT_GE(sink.disks.size(), 2u);
    EXPECT_EQ(sink.disks[0].size(), kDiskHeaderSize);
    for (const auto& [component, disk] : r.startDisk) EXPECT_GE(disk, 1) << component;
  }
}

TEST_F(WriterTest, SkippedRecordsResumeAfterTheContinuation) {
  // Records no larger than a disk span at most two disks, which the skip rule handles.
  for (int n = 0; n < 14; ++n)
    Add(n, 0,
        Generate(1500 + 2711 * static_cast<std::size_t>(n % 5), n % 3,
                 static_cast<std::uint32_t>(n)));
  for (bool compress : {true, false}) {
    WriterOptions o;
    o.compress = compress;
    o.diskSize = 16384;
    o.firstDiskBudget = 9000;
    MemorySink sink;
    WriterResult r = Write(o, sink);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_GT(r.diskCount, 2);
    for (int pattern = 0; pattern < 3; ++pattern) {
      std::vector<bool> skip(sources_.size());
      for (std::size_t i = 0; i < skip.size(); ++i)
        skip[i] = pattern == 0 ? i % 2 == 0 : pattern == 1 ? i % 3 != 1 : i + 1 < skip.size();
      ModelReader reader(sink.disks, r.diskCount);
      auto records = reader.ReadAll(sources_.size(), skip);
      ASSERT_TRUE(records) << reader.Error();
      for (std::size_t i = 0; i < skip.size(); ++i) {
        EXPECT_EQ((*records)[i].header.component, sources_[i].item.component) << i;
        if (!skip[i]) {
          EXPECT_EQ((*records)[i].data, sources_[i].content) << i;
        }
      }
    }
  }
}

TEST_F(WriterTest, ThreadCountDoesNotChangeABit) {
  AddMixed();
  Add(5, 0, Generate(600000, 0, 77));  // several pieces of one file
  Add(5, 2, Generate(300000, 1, 78));
  std::vector<std::uint64_t> progress;
  auto build = [&](unsigned jobs, std::uint64_t diskSize) {
    WriterOptions o;
    o.jobs = jobs;
    o.diskSize = diskSize;
    o.created = 7;
    progress.clear();
    o.progress = [&](std::uint64_t done, std::uint64_t total) {
      progress.push_back(done);
      EXPECT_LE(done, total);
    };
    MemorySink sink;
    WriterResult r = Write(o, sink);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(progress.back(), r.sourceBytes);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    return sink.disks;
  };
  for (std::uint64_t diskSize : {0, 100000}) {
    const auto one = build(1, diskSize);
    EXPECT_EQ(build(2, diskSize), one);
    EXPECT_EQ(build(5, diskSize), one);
  }
}

TEST_F(WriterTest, MissingSourceIsNamedAndNothingIsWritten) {
  AddMixed();
  std::vector<PackageItem> items = Items();
  items.insert(items.begin() + 3, PackageItem{1, 9, "C:\\src\\absent.bin"});
  MemorySink sink;
  WriterResult r = WritePackage(items, WriterOptions{}, sink);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedItem, 3);
  EXPECT_NE(r.error.find("C:\\src\\absent.bin"), std::string::npos);
  EXPECT_TRUE(sink.disks.empty());
}

TEST_F(WriterTest, RefusesDisksTooSmallToHoldAChunk) {
  AddMixed();
  WriterOptions o;
  o.diskSize = kMinDiskSize - 1;
  MemorySink sink;
  WriterResult r = Write(o, sink);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  o.diskSize = 0;
  o.firstDiskBudget = kDiskHeaderSize - 1;
  EXPECT_FALSE(Write(o, sink).ok);
}

TEST_F(WriterTest, EmptyItemListGivesAHeaderOnlyPackage) {
  MemorySink sink;
  WriterOptions o;
  o.created = 99;
  WriterResult r = WritePackage({}, o, sink);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(sink.disks.size(), 1u);
  EXPECT_EQ(sink.disks[0].size(), kDiskHeaderSize);
  EXPECT_EQ(DecodeDiskHeader(sink.disks[0].data()).created, 99u);
  EXPECT_TRUE(r.startDisk.empty());
}

TEST_F(WriterTest, FileSinkWritesDiskZeroIntoAnOpenFileAndNamesTheOthers) {
  AddMixed();
  // Disk 0 continues a file that already holds other bytes, as a self-extractor does.
  vx::FileHandle host = vx::CreateFile("C:\\out\\Setup.exe", vx::kGenericWrite, vx::kShareNone,
                                       vx::Disposition::CreateAlways);
  ASSERT_EQ(host, vx::kInvalidHandle);  // the folder is missing
  ASSERT_TRUE(vx::CreateDirectory("C:\\out"));
  host = vx::CreateFile("C:\\out\\Setup.exe", vx::kGenericWrite, vx::kShareNone,
                        vx::Disposition::CreateAlways);
  ASSERT_NE(host, vx::kInvalidHandle);
  std::uint32_t n = 0;
  ASSERT_TRUE(vx::WriteFile(host, "PROGRAM", 7, &n));
  m_.WriteFile("C:\\out\\Setup.9", "stale");

  WriterOptions o;
  o.diskSize = 30000;
  o.firstDiskBudget = 12000;
  FileSink files("C:\\out\\Setup.exe", host);
  WriterResult r = WritePackage(Items(), o, files);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_TRUE(vx::WriteFile(host, "TRAILER", 7, &n));
  vx::CloseHandle(host);

  MemorySink memory;
  ASSERT_TRUE(WritePackage(Items(), o, memory).ok);
  const std::string exe = m_.ReadFile("C:\\out\\Setup.exe");
  EXPECT_EQ(exe,
            "PROGRAM" + std::string(memory.disks[0].begin(), memory.disks[0].end()) + "TRAILER");
  for (int d = 1; d < r.diskCount; ++d) {
    const std::string disk = m_.ReadFile("C:\\out\\Setup." + std::to_string(d));
    EXPECT_EQ(disk, std::string(memory.disks[static_cast<std::size_t>(d)].begin(),
                                memory.disks[static_cast<std::size_t>(d)].end()));
  }

  // A sink that cannot create its disk reports it by name.
  FileSink nowhere("C:\\missing\\Setup.0");
  WriterResult bad = WritePackage(Items(), o, nowhere);
  EXPECT_FALSE(bad.ok);
  EXPECT_NE(bad.error.find("C:\\missing\\Setup.0"), std::string::npos);
}

}  // namespace

namespace {

// The compressor kept by each thread writes, chunk after chunk, the stream that a one-call
// compress2 at level 9 writes: packages stay the same bytes whoever compresses them.
TEST(ChunkStreams, AreTheStreamsOfAOneCallCompression) {
  std::mt19937 random(7);
  std::vector<Bytes> blocks = {Bytes{}, Bytes(2048, 'a'), Bytes(100, 'b'), Bytes(2048), Bytes(37)};
  for (auto& b : {3, 4})
    for (auto& byte : blocks[b]) byte = static_cast<std::uint8_t>(random());
  for (int round = 0; round < 2; ++round) {
    for (const Bytes& block : blocks) {
      Bytes chunk;
      ASSERT_TRUE(AppendChunk(block.data(), block.size(), chunk));
      uLongf length = compressBound(static_cast<uLong>(block.size()));
      Bytes expected(length);
      static const std::uint8_t kEmpty = 0;
      ASSERT_EQ(compress2(expected.data(), &length, block.empty() ? &kEmpty : block.data(),
                          static_cast<uLong>(block.size()), 9),
                Z_OK);
      expected.resize(length);
      ASSERT_EQ(chunk.size(), kChunkLengthSize + length);
      EXPECT_EQ(Bytes(chunk.begin() + kChunkLengthSize, chunk.end()), expected) << block.size();
    }
  }
}

}  // namespace
