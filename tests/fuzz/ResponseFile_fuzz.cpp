// Fuzz target for the unattended run's reading of a response file: the input is
// the install script, then (after the first 0 byte) the response file. However
// large the counts either states, the reading must end; each component line
// keeps its length and its text but for the last character, which becomes the
// selected flag, and the lines past the section's count stay as they were; nothing is written
// outside the machine.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/run/Driver.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/MainEvents.h"
#include "engine/base/Store.h"
#include "engine/ui/HeadlessUi.h"
#include "tests/fuzz/FuzzMachine.h"

namespace {
using vx::fuzz::Require;
constexpr int kLinesChecked = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static vx::fuzz::FuzzMachine machine("vxfuzz-response");
  static bool ready = [] {
    vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
    vx::FillFolderValues();
    return true;
  }();
  (void)ready;
  std::string input(reinterpret_cast<const char *>(data), size);
  const std::size_t cut = input.find('\0');
  // Macros could name other files; they are not what is tried here.
  for (char &c : input) {
    if (c == '{' || c == '}') c = '_';
  }
  for (const char *name : {"/App.inf", "/Orig.inf"})
    std::ofstream(machine.driveC + name, std::ios::binary | std::ios::trunc)
        << input.substr(0, cut);
  std::ofstream(machine.driveC + "/App.ini", std::ios::binary | std::ios::trunc)
      << (cut == std::string::npos ? std::string() : input.substr(cut + 1));
  vx::SetScriptFile("C:\\App.inf");
  vx::ResetRunFlags();
  vx::Events().Clear();

  vx::ReadResponseFile("C:\\App.ini");
  const std::string type = vx::ReadScriptString("<InstSummaryWnd>", "InstalledType");
  // Only the lines the section counts are components; the others stay as they were.
  const int counted = vx::ReadIniInt(type, "nItems", "C:\\Orig.inf");
  for (int i = 0; i < kLinesChecked; ++i) {
    const std::string key = std::to_string(i);
    const std::string line = vx::ReadScriptString(type, key);
    std::string before = vx::ReadIniString(type, key, "C:\\Orig.inf");
    if (before.empty() || before.find_first_of("\r\n") != std::string::npos) continue;
    if (i >= counted) {
      Require(line == before);
      continue;
    }
    Require(line.size() == before.size());
    Require(line.compare(0, line.size() - 1, before, 0, before.size() - 1) == 0);
    Require(line.back() == '0' || line.back() == '1');
  }
  vx::MainEvent e;
  Require(vx::Events().Poll(e) && e.message == vx::MainMessage::StartInstall);
  vx::SetScriptFile("");
  machine.CheckOutside();
  return 0;
}
