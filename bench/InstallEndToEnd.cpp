// A whole unattended installation of a large mixed product, as a user runs it: vxpack builds
// the self-extractor once, then every iteration starts the extracted Install.exe with
// "-e <self-extractor> | -s <response file>" (VX_PACE=0) on a machine whose install folder
// is empty again. Beside it, in the same run and on the same package, the package reader
// extracting the same records in-process: the installation should take at most 1.3 times as
// long. The engine's peak memory (ru_maxrss of the Install.exe child, from wait4) is reported
// as a counter; it should stay under 64 MB whatever the package size. x_reader is the
// installation's time over the reader's, measured side by side in each iteration.
//
// The argument is the product size in MB. VX_BENCH_DIR picks the folder the machines go in
// (default /var/tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/MixedFiles.h"
#include "bench/Spawn.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PackageState.h"
#include "platform/Machine.h"

namespace {

namespace fs = std::filesystem;
using vx::bench::Child;
using vx::bench::Spawn;

std::string Backslashes(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

// One machine holding the product's source tree, its self-extractor and the engine files the
// extractor unpacked, ready for repeated installations.
struct Product {
  std::string base, machine;
  // The programs are built beside the benchmarks.
  std::string bin = fs::read_symlink("/proc/self/exe").parent_path().string();
  std::uint64_t bytes = 0;
  std::vector<std::string> records;  // reader destinations, in package order
  std::string pristineScript;        // the unpacked script before any run wrote to it

  std::string Host(const std::string& win) const { return *vx::Machine::Current().ToHost(win); }
  std::vector<std::string> Env() const {
    return {"VX_MACHINE=" + machine, "VX_PACE=0", "VX_UI=headless"};
  }

  explicit Product(std::uint64_t megabytes) {
    const char* where = std::getenv("VX_BENCH_DIR");
    std::string tmpl = std::string(where ? where : "/var/tmp") + "/vxinstall-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no bench folder");
    base = tmpl;
    machine = base + "/machine";
    vx::Machine::SetCurrent(machine);
    std::string src = base + "/src";
    std::vector<vx::bench::MixedFile> files = vx::bench::WriteMixedFiles(src, megabytes << 20);

    std::ostringstream script;
    script << "[<General>]\r\nProductName=Big Product\r\nProjectName=Big\r\nVendorName=Bench\r\n"
              "[<PreActions>]\r\nnItems=0\r\n"
              "[<Destinations>]\r\nPathWndVisible=0\r\nnItems=1\r\nInstallPath1={ProgramFiles}"
              "\\Big\r\n"
              "[<WelcomeWnd>]\r\nSkipThis=1\r\n[<LicenseWnd>]\r\nSkipThis=1\r\n"
              "[<UserInfoWnd>]\r\nSkipThis=1\r\n[<InstTypeListWnd>]\r\nnItems=0\r\n"
              "[<CompListWnd>]\r\nnItems=1\r\n0=All | 0 | 1\r\n"
              "[<InstSummaryWnd>]\r\nSkipThis=1\r\nInstalledType=<CompListWnd>\r\n"
              "[<CompletionWnd>]\r\nSkipThis=1\r\nnItems=0\r\n"
              "[<Uninstall>]\r\nSkipThis=0\r\nPrenItems=0\r\nPostnItems=0\r\n"
              "[{Temp}]\r\nnItems=0\r\n[All]\r\nnItems="
           << files.size() << "\r\n";
    for (std::size_t i = 0; i < files.size(); ++i) {
      fs::path rel(files[i].relativePath);
      std::string folder = Backslashes(rel.parent_path().string());
      std::string dest = "{InstallPath1}" + (folder.empty() ? "" : "\\" + folder);
      script << i << "=" << rel.filename().string() << " | " << dest << " | " << folder
             << " | 0\r\n";
      records.push_back("C:\\out\\" + Backslashes(files[i].relativePath));
      bytes += files[i].size;
    }
    script << "nIcons=0\r\n";
    std::ofstream(src + "/Big.inf", std::ios::binary) << script.str();

    Check(Spawn(bin + "/vxmachine", {"init"}, Env()), "vxmachine init");
    Check(
        Spawn(bin + "/vxpack", {"--jobs", "2", "--out", Host("C:\\dist"), src + "/Big.inf"}, Env()),
        "vxpack");
    std::ofstream(base + "/response.ini", std::ios::binary)
        << "[ResponseFile]\r\nComponent1=1\r\nInstallPath1=C:\\Program Files\\Big\r\n";
    // The first installation unpacks the engine files into the temp folder and checks that
    // the product installs at all.
    Check(Spawn(Host("C:\\dist\\Big.exe"), {"-s", base + "/response.ini"},
                [&] {
                  auto e = Env();
                  e.push_back("VX_WAIT=1");
                  return e;
                }()),
          "first installation");
    std::ifstream in(Host("C:\\Windows\\Temp\\Big.inf"), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    pristineScript = ss.str();
    // The run wrote InstalledComponents into the working copy; start each one without it.
    pristineScript = pristineScript.substr(0, pristineScript.find("[InstalledComponents]"));
  }
  ~Product() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }

  static void Check(const Child& c, const char* what) {
    if (c.status != 0) throw std::runtime_error(std::string(what) + " failed");
  }

  // An empty install folder and the unpacked script as the extractor left it.
  void Reset() {
    std::error_code ec;
    fs::remove_all(Host("C:\\Program Files\\Big"), ec);
    fs::remove_all(Host("C:\\out"), ec);
    std::ofstream(Host("C:\\Windows\\Temp\\Big.inf"), std::ios::binary | std::ios::trunc)
        << pristineScript;
    // Both contenders start with nothing of the last one's writing still on its way to disk.
    ::sync();
  }
};

Product& ProductOf(std::uint64_t megabytes) {
  static std::map<std::uint64_t, std::unique_ptr<Product>> products;
  auto& p = products[megabytes];
  if (!p) p = std::make_unique<Product>(megabytes);
  vx::Machine::SetCurrent(p->machine);
  return *p;
}

// The reader extracting every record of the product in this process, with the checks the
// engine makes; seconds taken, or a negative number when it failed.
double ReaderRun(Product& p) {
  auto start = std::chrono::steady_clock::now();
  vx::PackageState package;
  bool ok = vx::OpenPackageAtStartup(package, "C:\\dist\\Big.exe", true) == vx::StartupOpen::Opened;
  package.packageMode = true;
  ok = ok && vx::SeekComponentRecord(package, 0, 0, 0);
  for (std::size_t i = 0; ok && i < p.records.size(); ++i)
    ok = vx::ExtractRecord(package, p.records[i], /*skipChecks=*/false);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return ok ? seconds : -1;
}

void BM_ReaderExtractsThePackage(benchmark::State& state) {
  Product& p = ProductOf(static_cast<std::uint64_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    p.Reset();
    state.ResumeTiming();
    if (ReaderRun(p) < 0) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.bytes));
}

// Each iteration also runs the reader (untimed) right before, so that the ratio compares
// runs that met the same state of the machine and its file system.
void BM_InstallEndToEnd(benchmark::State& state) {
  Product& p = ProductOf(static_cast<std::uint64_t>(state.range(0)));
  double installSeconds = 0, readerSeconds = 0;
  long peakKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    p.Reset();
    double reader = ReaderRun(p);
    p.Reset();
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    Child c = Spawn(p.Host("C:\\Windows\\Temp\\Install.exe"),
                    {"-e", "C:\\dist\\Big.exe", "|", "-s", p.base + "/response.ini"}, p.Env(),
                    p.Host("C:\\Windows\\Temp"));
    installSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (c.status != 0 || reader < 0) {
      state.SkipWithError(c.status != 0 ? "the installation failed" : "extraction failed");
      break;
    }
    readerSeconds += reader;
    peakKb = std::max(peakKb, c.maxRssKb);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.bytes));
  state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
  if (readerSeconds > 0) state.counters["x_reader"] = installSeconds / readerSeconds;
}

BENCHMARK(BM_ReaderExtractsThePackage)
    ->Arg(20)
    ->Arg(200)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstallEndToEnd)
    ->Arg(20)
    ->Arg(200)
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
