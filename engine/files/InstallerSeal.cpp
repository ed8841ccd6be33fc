#include "engine/files/InstallerSeal.h"

#include "engine/files/PackageReader.h"
#include "platform/Files.h"

namespace vx {

std::string DamagedDiskText(const std::string& diskZeroPath, int disk) {
  return pkg::DamagedInstallerText(
      diskZeroPath, "its disk " + std::to_string(disk + 1) + ", " +
                        pkg::DiskFileName(diskZeroPath, disk) +
                        ", differs from the digest recorded when it was built");
}

bool CheckInstallerSeal(PackageState& state, const std::string& path, std::string* why) {
  state.diskSeals.clear();
  state.diskChecked.clear();
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return true;  // the open that follows says why
  const pkg::SealCheck check = pkg::CheckPayloadSeal(h);
  CloseHandle(h);
  if (check.state == pkg::SealState::Damaged) {
    state.damaged = true;
    *why = pkg::DamagedInstallerText(path, check.why);
    return false;
  }
  if (check.state == pkg::SealState::Unsealed) return true;
  state.diskSeals = check.seal.disks;
  state.diskChecked.assign(state.diskSeals.size(), false);
  // Disks at hand are checked now; one that must be asked for is checked when it comes.
  for (std::size_t i = 0; i < state.diskSeals.size(); ++i) {
    const int disk = int(i) + 1;
    FileHandle d = CreateFile(pkg::DiskFileName(path, disk), kGenericRead, kShareRead,
                              Disposition::OpenExisting);
    if (d == kInvalidHandle) continue;
    const bool sound = pkg::DiskMatchesSeal(d, state.diskSeals[i]);
    CloseHandle(d);
    if (!sound) {
      state.damaged = true;
      *why = DamagedDiskText(path, disk);
      return false;
    }
    state.diskChecked[i] = true;
  }
  return true;
}

}  // namespace vx
