// Fuzz target for the queue of file operations that the machine's restart
// applies: the input is the NT value's multi-string data, then (after a byte FE
// and "WININIT") the text of Wininit.ini. Listing and applying must end, touch
// nothing outside the machine, account for every operation listed and leave
// both queues empty.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "platform/RestartQueue.h"
#include "platform/Types.h"
#include "tests/fuzz/FuzzMachine.h"

namespace {
namespace fs = std::filesystem;
using vx::fuzz::Require;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static vx::fuzz::FuzzMachine machine("vxfuzz-restart");
  std::string_view input(reinterpret_cast<const char *>(data), size);
  const std::string_view marker = "\xFEWININIT";
  const std::size_t cut = input.find(marker);
  const std::string_view nt = input.substr(0, cut);
  const std::string_view wininit =
      cut == std::string_view::npos ? std::string_view() : input.substr(cut + marker.size());

  // A few files and folders for the operations to move about.
  const fs::path c = machine.driveC;
  std::error_code ec;
  fs::remove_all(c / "d", ec);
  fs::create_directories(c / "d" / "e");
  std::ofstream(c / "d" / "a.txt") << "a";
  std::ofstream(c / "d" / "e" / "b.txt") << "b";
  const std::string windows = *vx::Machine::Current().ToHost(vx::GetWindowsDirectory());
  fs::create_directories(windows);
  if (wininit.data() != nullptr) {
    std::ofstream(*vx::Machine::Current().ToHost(vx::WininitPath()), std::ios::binary)
        .write(wininit.data(), static_cast<std::streamsize>(wininit.size()));
  }
  vx::HKEY key = 0;
  Require(vx::RegCreateKeyEx(vx::kHkeyLocalMachine, vx::kSessionManagerKey, "", vx::kKeyAllAccess,
                             &key) == vx::kErrorSuccess);
  vx::RegSetValueEx(key, vx::kPendingRenameValue, vx::kRegMultiSz, nt.data(),
                    static_cast<std::uint32_t>(nt.size()));
  vx::RegCloseKey(key);

  const std::size_t listed = vx::ListPendingOperations().size();
  for (const auto &op : vx::ListPendingOperations()) Require(!op.source.empty() || !op.fromWininit);
  vx::BootReport report = vx::ApplyPendingOperations();
  Require(static_cast<std::size_t>(report.applied) + report.failures.size() == listed);
  Require(vx::ListPendingOperations().empty());
  machine.CheckOutside();
  return 0;
}
