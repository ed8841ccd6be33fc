// vxpack's check of a 2,000-line install script (goal: under 100 ms), the path every build
// takes before it writes anything.
#include "tools/vxpack/ScriptCheck.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 40 components of 40 file and action lines and 6 shortcuts each, and the engine's own
// sections: a little over 2,000 lines, all sound.
std::string LargeScript() {
  std::string s =
      "[<General>]\r\nProductName=Large\r\nProjectName=Large\r\nVendorName=V\r\nProductVersion=1."
      "0\r\n"
      "[<Destinations>]\r\nPathWndVisible=1\r\nnItems=2\r\nInstallPath1={ProgramFiles}\\Large\r\n"
      "InstallPath2=C:\\Data\r\n"
      "[<VariableList>]\r\nnItems=1\r\nVariable1=SubKey\r\nValue1=Software\\{VendorName}\r\n"
      "[<PreActions>]\r\nnItems=1\r\n0=? | If (1 == 1) | 12 | Hi | Welcome | 0\r\n"
      "[<InstSummaryWnd>]\r\nInstalledType=<CompListWnd>\r\n[<CompListWnd>]\r\nnItems=40\r\n";
  for (int c = 0; c < 40; ++c)
    s += std::to_string(c) + "=Part " + std::to_string(c) + " | 1 | 1\r\n";
  for (int c = 0; c < 40; ++c) {
    s += "[Part " + std::to_string(c) + "]\r\nnItems=40\r\n";
    for (int i = 0; i < 40; ++i) {
      s += std::to_string(i) + "=";
      s += i % 8 == 7 ? "? | If ({YesNoResponse} == YES) .AND. (1 == 1) | 4 | Key | "
                        "HKEY_CURRENT_USER | {SubKey}\\P | V" +
                            std::to_string(i) + " | {InstallPath1}\r\n"
                      : "File" + std::to_string(i) + ".dll | {InstallPath1}\\Bin | bin | 0\r\n";
    }
    s += "nIcons=6\r\n";
    for (int i = 0; i < 6; ++i)
      s += "Icon" + std::to_string(i) +
           "=Tool | {InstallPath1}\\Bin\\File0.dll |  |  | "
           "{InstallPath1} | {ProductFolder} |\r\n";
  }
  return s;
}

void BM_CheckLargeScript(benchmark::State& state) {
  const std::string script = LargeScript();
  int lines = 0;
  for (char c : script) lines += c == '\n';
  for (auto _ : state) {
    vx::pack::Diagnostics found;
    vx::pack::CheckScript("Large.inf", script, found);
    if (!found.All().empty()) {
      state.SkipWithError(vx::pack::FormatDiagnostic(found.All()[0], false).c_str());
      break;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["lines"] = lines;
}
BENCHMARK(BM_CheckLargeScript)->Unit(benchmark::kMillisecond);

}  // namespace
