// Fuzz target for the self-extractor's walk of its own payload: the input is a
// whole extractor file. Whatever its trailer and entry heads claim, the run
// must end, create files only in the temporary folder (each no longer than the
// bytes the file holds), hand exactly those over for deletion at restart, and
// start the installer only after a complete walk.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "extract/ExtractSession.h"
#include "tests/fuzz/FuzzMachine.h"

namespace {

namespace fs = std::filesystem;
using vx::fuzz::Require;

class QuietUi : public vx::extract::ExtractUi {
 public:
  void Open() override {}
  void Close() override {}
  void SetLabel(const std::string &) override {}
  void SetProgress(int position) override { Require(position >= 1 && position <= 100); }
  void ShowMessage(const std::string &) override {}
  bool AskYesNo(const std::string &) override { return false; }
  void Beep() override {}
  bool TakeCancelClick() override { return false; }
  bool CanWaitForUser() const override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static vx::fuzz::FuzzMachine machine("vxfuzz-extract");
  std::error_code ec;
  fs::remove_all(machine.driveC, ec);
  fs::create_directories(fs::path(machine.driveC) / "dl");
  fs::create_directories(fs::path(machine.driveC) / "tmp");
  std::ofstream(fs::path(machine.driveC) / "dl" / "Prod.exe", std::ios::binary)
      .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));

  std::vector<std::string> scheduled;
  int launches = 0;
  vx::extract::ExtractEnvironment env;
  env.ownPath = "C:\\dl\\Prod.exe";
  env.tempFolder = "C:\\tmp\\";
  env.commandLine = "-s";
  env.launch = [&](const std::string &folder, const std::string &) {
    Require(folder == "C:\\tmp\\");
    ++launches;
    return true;
  };
  env.scheduleDeletion = [&](const std::vector<std::string> &files) { scheduled = files; };
  QuietUi ui;
  vx::extract::ExtractOutcome outcome;
  {
    vx::extract::ExtractSession session(env, ui);
    outcome = session.Run();
  }
  Require((outcome == vx::extract::ExtractOutcome::Launched) == (launches == 1));
  Require(launches <= 1);

  std::size_t created = 0;
  for (auto it = fs::recursive_directory_iterator(machine.driveC, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_directory()) continue;
    const std::string rel = fs::relative(it->path(), machine.driveC).generic_string();
    if (rel == "dl/Prod.exe") continue;
    Require(rel.rfind("tmp/", 0) == 0 && rel.find('/', 4) == std::string::npos);
    Require(fs::file_size(it->path()) <= size);
    ++created;
  }
  // Every file made is on the list; a name given twice is one file.
  Require(created <= scheduled.size());
  for (const std::string &f : scheduled) Require(f.rfind("C:\\tmp\\", 0) == 0);
  machine.CheckOutside();
  return 0;
}
