// Fuzz target for the package reader. The input is a set of disk files: the first byte picks
// the layout (self-extractor or stand-alone first disk, checks on or off, the start disk to
// position at), the rest is cut into disks at each marker (byte FD, then "DISK"). Every operation
// must end, never write anything but its one destination, and never read past the package.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/Folders.h"
#include "engine/files/FileCopy.h"
#include "engine/files/PackageReader.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

namespace fs = std::filesystem;

std::string machineDir;
std::string driveC;

using vx::fuzz::Require;

void Prepare() {
  if (!machineDir.empty()) return;
  std::string tmpl = (fs::temp_directory_path() / "vxfuzz-reader-XXXXXX").string();
  Require(mkdtemp(tmpl.data()) != nullptr);
  machineDir = tmpl;
  vx::Machine::SetCurrent(machineDir);
  vx::SetPaceFactor(0);
  driveC = *vx::Machine::Current().ToHost("C:\\");
  vx::Folders().temp = "C:\\Temp\\";
}

// Only the package folder, the one destination and staged copies may exist on C:.
void CheckDriveC() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(driveC, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    std::string rel = fs::relative(it->path(), driveC).string();
    bool allowed = rel.rfind("pkg/", 0) == 0 || rel == "out/f" || rel.rfind("Temp/", 0) == 0;
    Require(allowed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Prepare();
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

  std::error_code ec;
  fs::remove_all(driveC, ec);
  fs::create_directories(driveC + "/pkg");
  std::vector<std::string> disks;
  const std::string_view marker =
      "\xFD"
      "DISK";
  while (disks.size() < 4) {
    std::size_t cut = rest.find(marker);
    disks.emplace_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + marker.size());
  }
  const std::string diskZero = "C:\\pkg\\setup.exe";
  for (std::size_t i = 0; i < disks.size(); ++i) {
    std::string win = vx::pkg::DiskFileName(diskZero, static_cast<int>(i));
    std::ofstream(*vx::Machine::Current().ToHost(win), std::ios::binary) << disks[i];
  }

  // A prompt for a missing disk is cancelled (no answers are queued).
  vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
  vx::ResetFileCopyState();
  vx::PackageState package;
  package.totalDisks = static_cast<int>(disks.size());
  const bool selfExtractor = (flags & 1) != 0;
  const bool skipChecks = (flags & 2) != 0;
  const int startDisk = (flags >> 2) & 3;
  if (vx::OpenPackageAtStartup(package, diskZero, selfExtractor) != vx::StartupOpen::Opened) {
    Require(!package.IsOpen());
    return 0;
  }
  if (selfExtractor) {
    Require(package.packageLength + vx::pkg::kTrailerSize <= disks[0].size());
    Require(package.firstDiskLeft + vx::pkg::kDiskHeaderSize == package.packageLength);
  } else {
    Require(package.firstDiskLeft == 0);
  }
  // The start-up records, then a component from its start disk, skipping every other record.
  for (int i = 0; i < 4 && vx::ExtractRecord(package, "C:\\out\\f", skipChecks); ++i) {
  }
  CheckDriveC();
  if (vx::SeekComponentRecord(package, (flags >> 4) & 1, 0, startDisk)) {
    for (int i = 0; i < 8; ++i) {
      bool ok =
          (i & 1) ? vx::SkipRecord(package) : vx::ExtractRecord(package, "C:\\out\\f", skipChecks);
      if (!ok) break;
      // On disk 0 the reader never passes the end of the package.
      Require(package.currentDisk != 0 || package.firstDiskLeft <= package.packageLength);
    }
  } else {
    Require(!package.IsOpen());
  }
  CheckDriveC();
  return 0;
}
