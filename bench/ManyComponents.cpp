// A product of many small components, each with one file and the whole list selected in the
// response file: vxpack builds it into a folder of disks, then Install.exe installs it
// unattended (VX_PACE=0) on a fresh machine. Both are timed separately and reported as the
// counters pack_s and install_s; the goal is 10,000 components packed in under 10 s and
// installed in under 60 s. The argument is the number of components.
//
// VX_BENCH_DIR picks the folder the machines go in (default /var/tmp).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/Spawn.h"
#include "platform/Machine.h"

namespace {

namespace fs = std::filesystem;
using vx::bench::Spawn;

struct Product {
  std::string base, machine, src;
  std::string bin = fs::read_symlink("/proc/self/exe").parent_path().string();

  std::vector<std::string> Env() const {
    return {"VX_MACHINE=" + machine, "VX_PACE=0", "VX_UI=headless"};
  }
  std::string Host(const std::string& win) const { return *vx::Machine::Current().ToHost(win); }

  explicit Product(int components) {
    const char* where = std::getenv("VX_BENCH_DIR");
    std::string tmpl = std::string(where ? where : "/var/tmp") + "/vxmany-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no bench folder");
    base = tmpl;
    machine = base + "/machine";
    src = base + "/src";
    fs::create_directories(src + "/files");
    vx::Machine::SetCurrent(machine);
    std::string script =
        "[<General>]\r\nProductName=Many\r\nProjectName=Many\r\nVendorName=Bench\r\n"
        "[<PreActions>]\r\nnItems=0\r\n"
        "[<Destinations>]\r\nPathWndVisible=0\r\nnItems=1\r\nInstallPath1={ProgramFiles}\\Many\r\n"
        "[<WelcomeWnd>]\r\nSkipThis=1\r\n[<LicenseWnd>]\r\nSkipThis=1\r\n"
        "[<UserInfoWnd>]\r\nSkipThis=1\r\n[<InstTypeListWnd>]\r\nnItems=0\r\n"
        "[<CompListWnd>]\r\nnItems=" +
        std::to_string(components) + "\r\n";
    for (int i = 0; i < components; ++i)
      script += std::to_string(i) + "=C" + std::to_string(i) + " | 1 | 1\r\n";
    script +=
        "[<InstSummaryWnd>]\r\nSkipThis=1\r\nInstalledType=<CompListWnd>\r\n"
        "[<CompletionWnd>]\r\nSkipThis=1\r\nnItems=0\r\n"
        "[<Uninstall>]\r\nSkipThis=0\r\nPrenItems=0\r\nPostnItems=0\r\n[{Temp}]\r\nnItems=0\r\n";
    std::string response = "[ResponseFile]\r\nInstallPath1=C:\\Program Files\\Many\r\n";
    for (int i = 0; i < components; ++i) {
      const std::string name = "f" + std::to_string(i) + ".txt";
      std::ofstream(src + "/files/" + name, std::ios::binary) << "component " << i << "\r\n";
      script += "[C" + std::to_string(i) + "]\r\nDescription=Component " + std::to_string(i) +
                "\r\nnItems=1\r\n0=" + name +
                " | {InstallPath1}\\files | files | 0\r\nnIcons=0\r\n";
      response += "Component" + std::to_string(i + 1) + "=1\r\n";
    }
    std::ofstream(src + "/Many.inf", std::ios::binary) << script;
    std::ofstream(base + "/response.ini", std::ios::binary) << response;
    if (Spawn(bin + "/vxmachine", {"init"}, Env()).status != 0)
      throw std::runtime_error("vxmachine init");
  }
  ~Product() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_ManyComponents(benchmark::State& state) {
  double pack = 0, install = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Product p(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    const int packed = Spawn(p.bin + "/vxpack",
                             {"--folder", "--out", p.Host("C:\\cd"), p.src + "/Many.inf"}, p.Env())
                           .status;
    pack += Seconds(start);
    start = std::chrono::steady_clock::now();
    const int installed =
        packed == 0
            ? Spawn(p.Host("C:\\cd\\Install.exe"), {"-s", p.base + "/response.ini"}, p.Env()).status
            : -1;
    install += Seconds(start);
    state.PauseTiming();
    const bool last = fs::exists(
        p.Host("C:\\Program Files\\Many\\files\\f" + std::to_string(state.range(0) - 1) + ".txt"));
    state.ResumeTiming();
    if (packed != 0 || installed != 0 || !last) {
      state.SkipWithError(packed != 0 ? "vxpack failed" : "the installation failed");
      break;
    }
  }
  state.counters["pack_s"] = benchmark::Counter(pack, benchmark::Counter::kAvgIterations);
  state.counters["install_s"] = benchmark::Counter(install, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_ManyComponents)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
