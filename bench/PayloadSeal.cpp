// What the integrity check of a self-extractor costs: the extractor and the engine each read
// the whole payload once and take its SHA-256 before anything is written (figures per
// 100 MB of payload; the file is in the page cache, as it is right after a download).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchMachine.h"
#include "engine/files/PayloadSeal.h"
#include "platform/Files.h"

namespace {

constexpr std::size_t kPayload = 100 * 1000 * 1000;

void BM_Sha256InMemory(benchmark::State& state) {
  const std::string data(kPayload, '\x5a');
  for (auto _ : state) benchmark::DoNotOptimize(vx::Sha256Of(data.data(), data.size()));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kPayload));
}
BENCHMARK(BM_Sha256InMemory)->Unit(benchmark::kMillisecond);

void BM_DigestOfPayloadFile(benchmark::State& state) {
  vx::bench::BenchMachine machine;
  std::string data(kPayload, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 2654435761u >> 24);
  machine.WriteFile("C:\\dl\\Setup.exe", data);
  vx::FileHandle h = vx::CreateFile("C:\\dl\\Setup.exe", vx::kGenericRead, vx::kShareRead,
                                    vx::Disposition::OpenExisting);
  for (auto _ : state) {
    vx::Sha256Digest digest;
    benchmark::DoNotOptimize(vx::pkg::DigestOfRange(h, 0, kPayload, &digest));
  }
  vx::CloseHandle(h);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kPayload));
}
BENCHMARK(BM_DigestOfPayloadFile)->Unit(benchmark::kMillisecond);

}  // namespace
