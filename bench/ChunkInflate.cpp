// What inflating a large file's chunks costs on one core, with nothing read or written: the
// floor under its installation. Packages cut files into 2048-byte blocks, each its own zlib
// stream, so a file of N bytes starts the decoder N / 2048 times, building its codes each
// time. Two cores can at best halve this; the payload's digest and the writing come on top.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/MixedFiles.h"
#include "engine/files/InflatePool.h"
#include "engine/files/PackageFormat.h"
#include "engine/files/PackageWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileBytes = 64 << 20;

struct Chunks {
  std::vector<std::uint8_t> stored;  // length fields and streams, as in a record
  std::size_t count = 0;
};

// The machine's own libraries and documents, as the install-vs-cp bench packs them (about
// 1.5:1); the bench's generated files where there are too few of them.
std::string FileBytes() {
  std::string data;
  std::vector<fs::path> files;
  for (const char* root : {"/usr/lib/x86_64-linux-gnu", "/usr/share/doc"}) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec) && !it->is_symlink(ec)) files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    data.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (data.size() >= kFileBytes) break;
  }
  vx::bench::detail::Rng rng(23);
  std::string part;
  while (data.size() < kFileBytes) {
    part.clear();
    vx::bench::detail::FillStructured(rng, part, 64 << 10);
    data += part;
  }
  data.resize(kFileBytes);
  return data;
}

const Chunks& PackedFile() {
  static const Chunks chunks = [] {
    const std::string data = FileBytes();
    Chunks c;
    for (std::size_t at = 0; at < kFileBytes; at += vx::pkg::kBlockSize, ++c.count) {
      vx::pkg::AppendChunk(reinterpret_cast<const std::uint8_t*>(data.data()) + at,
                           vx::pkg::kBlockSize, c.stored);
    }
    return c;
  }();
  return chunks;
}

void BM_InflateChunksOnOneCore(benchmark::State& state) {
  const Chunks& chunks = PackedFile();
  std::vector<std::uint8_t> out(vx::pkg::kMaxChunkOutput);
  for (auto _ : state) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < chunks.count; ++i) {
      const std::uint32_t length = vx::pkg::ReadLe32(chunks.stored.data() + at);
      at += vx::pkg::kChunkLengthSize;
      std::uint32_t inflated = 0;
      if (!vx::InflateChunk(chunks.stored.data() + at, length, out.data(), &inflated,
                            vx::pkg::kMaxChunkOutput)) {
        state.SkipWithError("a chunk did not inflate");
        return;
      }
      at += length;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kFileBytes));
  state.counters["packed_ratio"] = double(kFileBytes) / double(chunks.stored.size());
}
BENCHMARK(BM_InflateChunksOnOneCore)->Unit(benchmark::kMillisecond);

}  // namespace
