// Full macro expansion of a script line with five script-backed macros, each read from the
// working copy at every use.
#include <benchmark/benchmark.h>

#include "bench/BenchMachine.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/Store.h"

namespace {

using vx::bench::BenchMachine;

void BM_ExpandFullyFiveScriptMacros(benchmark::State& state) {
  BenchMachine machine;
  machine.WriteFile(
      "C:\\Setup\\Bench.inf",
      "[<General>]\r\nProductName=Bench Suite\r\nVendorName=Acme\r\nProjectName=Bench\r\n"
      "[<Destinations>]\r\nnItems=1\r\nInstallPath1=C:\\Program Files\\Bench\r\n"
      "[<VariableList>]\r\nnItems=2\r\nVariable1=Data\r\nValue1=D:\\Data\r\n"
      "Variable2=Mode\r\nValue2=full\r\n");
  vx::SetScriptFile("C:\\Setup\\Bench.inf");
  vx::FillFolderValues();
  const std::string line =
      "? | If ({Mode} == full) | 4 | Register {ProductName} | HKEY_CURRENT_USER | "
      "Software\\{VendorName}\\{ProductName} | Path | {InstallPath1}\\Bin;{Data}";
  for (auto _ : state) {
    std::string text = line;
    benchmark::DoNotOptimize(vx::ExpandFully(text));
    benchmark::DoNotOptimize(text);
  }
  vx::SetScriptFile("");
}
BENCHMARK(BM_ExpandFullyFiveScriptMacros);

}  // namespace
