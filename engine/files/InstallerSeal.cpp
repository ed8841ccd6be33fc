#include "engine/files/InstallerSeal.h"

#include <cstdlib>

#include "engine/files/FolderSeal.h"
#include "engine/files/PackageReader.h"
#include "platform/Files.h"
#include "platform/ProfileParse.h"
#include "platform/System.h"

namespace vx {

namespace {
constexpr std::uint32_t kMaxBootstrapSize = 64 * 1024;
constexpr std::int64_t kMaxFolderSeal = 256 << 20;
}  // namespace

std::string ProjectNameInPayload(const std::string& path) {
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return {};
  const std::string text = pkg::PayloadEntryData(h, "Install.ini", kMaxBootstrapSize);
  CloseHandle(h);
  profile::Document document(text.data(), text.size());
  const profile::KeyLine* key = document.FindKey("<General>", "ProjectName");
  return key ? std::string(key->value) : std::string();
}

bool CheckFolderSeal(PackageState& state, const std::string& diskZeroPath,
                     const std::string& folder, std::string* why) {
  FileHandle h = CreateFile(diskZeroPath, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return true;  // the open that follows says why
  const std::int64_t size = GetFileSize(h);
  std::string bytes;
  bool read = size >= 0 && size <= kMaxFolderSeal + std::int64_t(pkg::kDiskHeaderSize);
  if (read && size > std::int64_t(pkg::kDiskHeaderSize)) {
    bytes.resize(std::size_t(size) - pkg::kDiskHeaderSize);
    std::uint32_t got = 0;
    read = SetFilePointer(h, pkg::kDiskHeaderSize, SeekFrom::Begin) ==
               std::int64_t(pkg::kDiskHeaderSize) &&
           ReadFile(h, bytes.data(), std::uint32_t(bytes.size()), &got) && got == bytes.size();
  }
  CloseHandle(h);
  if (read && bytes.empty()) return true;  // written without a seal
  std::vector<pkg::SealedFile> files;
  auto damaged = [&](const std::string& what) {
    state.damaged = true;
    *why = pkg::DamagedInstallerText(folder, what);
    return false;
  };
  if (!read || !pkg::DecodeFolderSeal(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size(), &files))
    return damaged("its first disk, " + diskZeroPath + ", is damaged");
  for (const pkg::SealedFile& f : files) {
    const std::string path = folder + f.name;
    FileHandle file = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
    if (file == kInvalidHandle) return damaged("the file " + path + " is missing");
    Sha256Digest digest;
    const bool sound = GetFileSize(file) == std::int64_t(f.length) &&
                       pkg::DigestOfRange(file, 0, f.length, &digest) && digest == f.digest;
    CloseHandle(file);
    if (!sound)
      return damaged("the file " + path + " differs from the digest recorded when it was built");
  }
  return true;
}

std::string DamagedDiskText(const std::string& diskZeroPath, int disk) {
  return pkg::DamagedInstallerText(diskZeroPath,
                                   "its disk " + std::to_string(disk + 1) + ", " +
                                       pkg::DiskFileName(diskZeroPath, disk) +
                                       ", differs from the digest recorded when it was built");
}

bool CheckInstallerSeal(PackageState& state, const std::string& path, std::string* why) {
  state.diskSeals.clear();
  state.diskChecked.clear();
  // What the extractor that started this engine found sound; for this program alone.
  std::string witness;
  if (const char* w = std::getenv(pkg::kSealWitnessVariable)) {
    witness = w;
    SetEnvironmentVariable(pkg::kSealWitnessVariable, "");
  }
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return true;  // the open that follows says why
  const pkg::SealCheck check = pkg::CheckPayloadSeal(h, witness);
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
