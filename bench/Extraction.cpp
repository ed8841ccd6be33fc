// Extraction speed of the package reader against a plain chunk-by-chunk reader (one read
// of each length and stream, one uncompress() into a 4096-byte buffer and one write per
// chunk), `tar xzf` of the same files and `cp -r`, on tmpfs and on a disk folder. Every
// variant creates the same files; throughput is counted in source bytes.
//
// VX_BENCH_BYTES sets the size of the file set (default 200 MB). Each run extracts into a
// folder of its own, removed at the end: a location needs room for about 14 times the set.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/MixedFiles.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PackageWriter.h"
#include "library/Karvo.h"
#include "platform/Machine.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

const char* const kLocations[] = {"/dev/shm", "/var/tmp"};

std::string WinPath(std::string relative) {
  for (char& c : relative) {
    if (c == '/') c = '\\';
  }
  return relative;
}

// One machine per location, holding the source files, the package and a tarball of them.
struct Setup {
  std::string base;
  std::string machine;
  std::vector<vx::bench::MixedFile> files;
  std::vector<std::string> relative;      // Windows paths below the output folder
  std::vector<std::string> destinations;  // of the current run: C:\outN\...
  int run = 0;
  std::uint64_t bytes = 0;
  std::string package = "C:\\pkg\\Bench.exe";

  std::string Host(const std::string& win) const { return *vx::Machine::Current().ToHost(win); }
  std::string OutHost() const { return machine + "/drive_c/out" + std::to_string(run); }

  // A fresh output folder for each run. Nothing is deleted until the end: on ext4, files
  // created right after thousands were deleted pay for a scan of recently freed inodes,
  // which would measure the file system rather than the extraction.
  void NextRun() {
    ++run;
    fs::create_directories(OutHost());
    destinations.clear();
    std::string folder = "C:\\out" + std::to_string(run) + "\\";
    for (const std::string& r : relative) destinations.push_back(folder + r);
  }

  explicit Setup(const std::string& location) {
    std::string tmpl = location + "/vxbench-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no folder in " + location);
    base = tmpl;
    machine = base + "/machine";
    vx::Machine::SetCurrent(machine);
    const char* env = std::getenv("VX_BENCH_BYTES");
    std::uint64_t total = env ? std::strtoull(env, nullptr, 10) : 200ull << 20;
    std::string src = machine + "/drive_c/src";
    files = vx::bench::WriteMixedFiles(src, total);

    std::vector<vx::pkg::PackageItem> items;
    for (std::size_t i = 0; i < files.size(); ++i) {
      items.push_back(
          {0, static_cast<std::int32_t>(i), "C:\\src\\" + WinPath(files[i].relativePath)});
      relative.push_back(WinPath(files[i].relativePath));
      bytes += files[i].size;
    }
    vx::pkg::WriterOptions options;
    options.jobs = 2;
    vx::pkg::MemorySink sink;
    if (!vx::pkg::WritePackage(items, options, sink).ok) throw std::runtime_error("package");
    // A self-extractor: a program stub, the package, the payload trailer.
    const std::string stub(4096, 'P');
    std::uint8_t trailer[vx::pkg::kTrailerSize];
    vx::pkg::EncodeTrailer({static_cast<std::uint32_t>(stub.size()), 7,
                            static_cast<std::uint32_t>(sink.disks[0].size())},
                           trailer);
    fs::create_directories(machine + "/drive_c/pkg");
    std::ofstream out(Host(package), std::ios::binary);
    out << stub;
    out.write(reinterpret_cast<const char*>(sink.disks[0].data()),
              static_cast<std::streamsize>(sink.disks[0].size()));
    out.write(reinterpret_cast<const char*>(trailer), sizeof trailer);
    out.close();
    Shell("tar czf '" + base + "/src.tar.gz' -C '" + src + "' .");
  }
  ~Setup() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }

  static void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  }
};

Setup& SetupAt(int location) {
  static std::map<int, std::unique_ptr<Setup>> setups;
  auto& s = setups[location];
  if (!s) s = std::make_unique<Setup>(kLocations[location]);
  vx::Machine::SetCurrent(s->machine);
  return *s;
}

// Runs `extract` once per iteration into a new, empty output folder.
template <typename F>
void Measure(benchmark::State& state, F extract) {
  Setup& s = SetupAt(static_cast<int>(state.range(0)));
  state.SetLabel(kLocations[state.range(0)]);
  for (auto _ : state) {
    state.PauseTiming();
    s.NextRun();
    state.ResumeTiming();
    if (!extract(s)) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.bytes));
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(s.bytes) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PackageReader(benchmark::State& state) {
  Measure(state, [](Setup& s) {
    vx::PackageState package;
    package.totalDisks = 1;
    if (vx::OpenPackageAtStartup(package, s.package, true) != vx::StartupOpen::Opened) return false;
    for (const std::string& d : s.destinations) {
      if (!vx::ExtractRecord(package, d, true)) return false;
    }
    return true;
  });
}

// The straightforward reader: every length and stream read on its own, one uncompress()
// into a 4096-byte buffer and one write per chunk.
bool ReadFully(vx::FileHandle h, void* buffer, std::uint32_t size) {
  std::uint32_t got = 0;
  return vx::ReadFile(h, buffer, size, &got) && got == size;
}

void BM_PlainChunkReader(benchmark::State& state) {
  Measure(state, [](Setup& s) {
    vx::FileHandle in = PrepareFileForRead(s.package.c_str());
    if (in == vx::kInvalidHandle) return false;
    std::int64_t end = vx::GetFileSize(in);
    std::uint8_t trailer[vx::pkg::kTrailerSize];
    vx::SetFilePointer(in, end - vx::pkg::kTrailerSize, vx::SeekFrom::Begin);
    bool ok = ReadFully(in, trailer, sizeof trailer);
    std::uint32_t length = vx::pkg::DecodeTrailer(trailer).lastLength;
    vx::SetFilePointer(in, end - vx::pkg::kTrailerSize - length, vx::SeekFrom::Begin);
    std::uint8_t header[vx::pkg::kDiskHeaderSize];
    ok = ok && ReadFully(in, header, sizeof header);
    std::vector<std::uint8_t> stream(8192);
    std::uint8_t block[vx::pkg::kMaxChunkOutput];
    for (std::size_t i = 0; ok && i < s.destinations.size(); ++i) {
      std::uint8_t head[vx::pkg::kRecordHeaderSize];
      if (!ReadFully(in, head, sizeof head)) return false;
      vx::pkg::RecordHeader record = vx::pkg::DecodeRecordHeader(head);
      vx::FileHandle out = PrepareFileForWrite(s.destinations[i].c_str(), 1);
      if (out == vx::kInvalidHandle) return false;
      std::uint64_t left = record.storedLength;
      while (ok && left > 0) {
        std::uint8_t lengthField[4];
        ok = ReadFully(in, lengthField, 4);
        std::uint32_t c = vx::pkg::ReadLe32(lengthField);
        ok = ok && c <= stream.size() && ReadFully(in, stream.data(), c);
        uLongf n = sizeof block;
        ok = ok && uncompress(block, &n, stream.data(), c) == Z_OK;
        std::uint32_t written = 0;
        ok = ok && vx::WriteFile(out, block, static_cast<std::uint32_t>(n), &written) &&
             written == n;
        left -= 4 + std::uint64_t(c);
      }
      vx::FileTime t{record.fileTime};
      vx::SetFileTime(out, &t, &t, &t);
      vx::CloseHandle(out);
    }
    vx::CloseHandle(in);
    return ok;
  });
}

void BM_TarXzf(benchmark::State& state) {
  Measure(state, [](Setup& s) {
    Setup::Shell("tar xzf '" + s.base + "/src.tar.gz' -C '" + s.OutHost() + "'");
    return true;
  });
}

void BM_CpR(benchmark::State& state) {
  Measure(state, [](Setup& s) {
    Setup::Shell("cp -r '" + s.machine + "/drive_c/src/.' '" + s.OutHost() + "'");
    return true;
  });
}

// Side by side for each location: the reader, its baseline, then the system tools. The CPU
// column counts every thread of this process (the tools run in child processes: not there).
#define VX_EXTRACTION_BENCH(fn)                                                               \
  BENCHMARK(fn)->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime()->Unit( \
      benchmark::kMillisecond)

VX_EXTRACTION_BENCH(BM_PackageReader);
VX_EXTRACTION_BENCH(BM_PlainChunkReader);
VX_EXTRACTION_BENCH(BM_TarXzf);
VX_EXTRACTION_BENCH(BM_CpR);

}  // namespace
