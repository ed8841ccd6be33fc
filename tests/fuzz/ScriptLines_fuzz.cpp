// Fuzz target for an install script's component-list, file and shortcut lines:
// each input line starting with L, F or I becomes a line of [<CompListWnd>], or
// a file line or an icon line of the component "Base". Every listed component
// is installed as from a folder and removed again; the run must end and nothing
// may be written outside the machine. Action lines and macros are left out:
// they are other targets' inputs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/files/Component.h"
#include "engine/files/FileCopy.h"
#include "engine/files/PackageState.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/uninstall/UninstallRun.h"
#include "tests/fuzz/FuzzMachine.h"

namespace {
namespace fs = std::filesystem;
using vx::fuzz::Require;
constexpr std::size_t kMaxLines = 16;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static vx::fuzz::FuzzMachine machine("vxfuzz-lines");
  static bool ready = [] {
    vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
    return true;
  }();
  (void)ready;
  std::string input(reinterpret_cast<const char *>(data), size);
  for (char &c : input) {
    if (c == '?' || c == '{' || c == '}' || c == '\0') c = '_';
  }
  std::vector<std::string> list, files, icons;
  for (std::size_t at = 0; at < input.size();) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line.find('\r') != std::string::npos) continue;
    std::vector<std::string> *into = line[0] == 'L'   ? &list
                                     : line[0] == 'F' ? &files
                                     : line[0] == 'I' ? &icons
                                                      : nullptr;
    if (into != nullptr && into->size() < kMaxLines) into->push_back(line.substr(1));
  }

  const fs::path c = machine.driveC;
  std::error_code ec;
  for (const auto &e : fs::directory_iterator(c, ec)) fs::remove_all(e.path(), ec);
  fs::create_directories(c / "src" / "sub");
  std::ofstream(c / "src" / "a.txt") << "a";
  std::ofstream(c / "src" / "sub" / "b.txt") << "b";
  std::string script =
      "[<InstSummaryWnd>]\r\nInstalledType=<CompListWnd>\r\n[<"
      "CompListWnd>]\r\n";
  script += "nItems=" + std::to_string(list.size()) + "\r\n";
  for (std::size_t i = 0; i < list.size(); ++i)
    script += std::to_string(i) + "=" + list[i] + "\r\n";
  script += "[Base]\r\nnItems=" + std::to_string(files.size()) + "\r\n";
  for (std::size_t i = 0; i < files.size(); ++i)
    script += std::to_string(i) + "=" + files[i] + "\r\n";
  script += "nIcons=" + std::to_string(icons.size()) + "\r\n";
  for (std::size_t i = 0; i < icons.size(); ++i)
    script += "Icon" + std::to_string(i) + "=" + icons[i] + "\r\n";
  std::ofstream(c / "App.inf", std::ios::binary) << script;

  vx::FillFolderValues();
  vx::Folders().source = "C:\\src\\";
  vx::SetScriptFile("C:\\App.inf");
  vx::ResetRunFlags();
  vx::ResetFileCopyState();
  vx::ResetUninstallAnswers();
  vx::PackageState package;
  vx::ComponentContext context{package, nullptr, {}};
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string name = vx::ComponentNameAt(static_cast<int>(i));
    vx::InstallComponent(static_cast<int>(i), context);
    vx::RemoveComponent(name, nullptr);
  }
  vx::SetScriptFile("");
  machine.CheckOutside();
  return 0;
}
