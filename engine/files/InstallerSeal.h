// The engine's side of the self-extractor's seal (PayloadSeal.h): the payload and the disks
// beside it are checked at start-up, before anything is installed.
#pragma once
#include <string>

#include "engine/files/PackageState.h"

namespace vx {

// The text for disk `disk` of the package whose disk 0 is `diskZeroPath` when it does not
// match its digest.
std::string DamagedDiskText(const std::string& diskZeroPath, int disk);

// Self-extractors (run state 1): checks the seal of the payload and every disk it names
// that lies beside the program; keeps the disks' digests so that a disk found only later
// is checked when it is opened. False (with package.damaged set and the reason noted) when
// something does not match; a payload without a seal passes unchecked.
bool CheckInstallerSeal(PackageState& state, const std::string& path, std::string* why);

// Folder installations (run state 0): when the first disk `diskZeroPath` carries a seal after
// its header, every file it lists (relative to `folder`, which ends with a backslash) must be
// there with its length and digest. False (with state.damaged set) and the reason otherwise;
// a first disk holding its header alone passes unchecked.
bool CheckFolderSeal(PackageState& state, const std::string& diskZeroPath,
                     const std::string& folder, std::string* why);

// The project that the self-extractor at `path` carries (ProjectName of its own Install.ini
// entry); empty when it cannot be read. The Install.ini in the temporary folder may already
// be another product's, written by that product's extractor meanwhile.
std::string ProjectNameInPayload(const std::string& path);

}  // namespace vx
