// Package building speed: the writer with one and with two compression threads against
// `tar czf` of the same files, all on tmpfs. Throughput is counted in source bytes; the
// two-thread run also reports its speed-up over one thread and over tar.
//
// VX_BENCH_BYTES sets the size of the file set (default 200 MB).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/MixedFiles.h"
#include "engine/files/PackageWriter.h"
#include "platform/Machine.h"

namespace {

namespace fs = std::filesystem;

struct Setup {
  std::string base;     // host folder holding everything
  std::string machine;  // the machine directory; sources under C:\src
  std::vector<vx::pkg::PackageItem> items;
  std::uint64_t bytes = 0;

  Setup() {
    std::string tmpl = "/dev/shm/vxbench-pack-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no folder in /dev/shm");
    base = tmpl;
    machine = base + "/machine";
    vx::Machine::SetCurrent(machine);
    const char* env = std::getenv("VX_BENCH_BYTES");
    const std::uint64_t total = env ? std::strtoull(env, nullptr, 10) : 200ull << 20;
    const auto files = vx::bench::WriteMixedFiles(Source(), total);
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::string win = "C:\\src\\" + files[i].relativePath;
      for (char& c : win)
        if (c == '/') c = '\\';
      items.push_back(
          {static_cast<std::int32_t>(i / 100), static_cast<std::int32_t>(i % 100), win});
      bytes += files[i].size;
    }
    fs::create_directories(machine + "/drive_c/pkg");
  }
  ~Setup() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }
  std::string Source() const { return machine + "/drive_c/src"; }
};

Setup& TheSetup() {
  static std::unique_ptr<Setup> setup = std::make_unique<Setup>();
  return *setup;
}

// MB/s of the runs so far, by name, for the comparisons.
std::map<std::string, double>& Speeds() {
  static std::map<std::string, double> speeds;
  return speeds;
}

// CPU seconds of this process and its finished children.
double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

template <typename F>
void Measure(benchmark::State& state, const std::string& name, F build) {
  Setup& s = TheSetup();
  double seconds = 0;
  double cpu = 0;
  for (auto _ : state) {
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (!build(s)) {
      state.SkipWithError("build failed");
      return;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += CpuSeconds() - cpuStart;
  }
  // Cores kept busy on average: shows whether a slow run lacked work or lacked cores.
  state.counters["cores"] = cpu / seconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.bytes));
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(s.bytes) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  const double speed =
      static_cast<double>(s.bytes) * static_cast<double>(state.iterations()) / 1e6 / seconds;
  Speeds()[name] = speed;
  auto ratio = [&](const char* key, const char* other) {
    auto it = Speeds().find(other);
    if (it != Speeds().end() && it->second > 0) state.counters[key] = speed / it->second;
  };
  ratio("x_1thread", "pack1");
  ratio("x_tar", "tar");
}

bool Pack(Setup& s, unsigned jobs) {
  vx::pkg::WriterOptions options;
  options.jobs = jobs;
  options.created = 1;
  vx::pkg::FileSink sink("C:\\pkg\\Bench.0");
  const vx::pkg::WriterResult r = vx::pkg::WritePackage(s.items, options, sink);
  if (!r.ok) std::fprintf(stderr, "%s\n", r.error.c_str());
  return r.ok;
}

void BM_TarCzf(benchmark::State& state) {
  Measure(state, "tar", [](Setup& s) {
    const std::string command = "tar czf '" + s.base + "/src.tar.gz' -C '" + s.Source() + "' .";
    return std::system(command.c_str()) == 0;
  });
}

void BM_PackageWriter(benchmark::State& state) {
  const auto jobs = static_cast<unsigned>(state.range(0));
  Measure(state, "pack" + std::to_string(jobs), [jobs](Setup& s) { return Pack(s, jobs); });
}

}  // namespace

BENCHMARK(BM_TarCzf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PackageWriter)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
