// ReadScriptString on a 2,000-line install script that does not change between lookups.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchMachine.h"
#include "engine/base/Store.h"

namespace {

using vx::bench::BenchMachine;

void BM_ReadScriptStringUnchanged(benchmark::State& state) {
  BenchMachine machine;
  std::string text;
  // 40 sections of 49 keys each, plus their section lines: 2,000 lines.
  for (int s = 0; s < 40; ++s) {
    text += "[Component " + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 49; ++k)
      text += std::to_string(k) + "=File" + std::to_string(k) +
              ".dll | {InstallPath1}\\Bin | Bin | 0\r\n";
  }
  machine.WriteFile("C:\\Setup\\Large.inf", text);
  vx::SetScriptFile("C:\\Setup\\Large.inf");
  int i = 0;
  for (auto _ : state) {
    std::string section = "Component " + std::to_string(i % 40);
    std::string key = std::to_string((i * 7) % 49);
    benchmark::DoNotOptimize(vx::ReadScriptString(section, key));
    ++i;
  }
  vx::SetScriptFile("");
}
BENCHMARK(BM_ReadScriptStringUnchanged);

}  // namespace
