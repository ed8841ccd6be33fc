// The fields of the uninstall entry beyond its name and command, from optional keys of
// [<General>]: what Add/Remove Programs and update tools show and use.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// Estimated size in KB (rounded up) of `bytes`.
std::uint32_t KilobytesOf(std::uint64_t bytes);

// The bytes of the installed components: the sum of their ComponentSize keys.
std::uint64_t InstalledBytes(const std::vector<std::string>& components);

// Writes DisplayVersion, Publisher, InstallLocation, DisplayIcon, EstimatedSize,
// URLInfoAbout, HelpLink, QuietUninstallString (the registered command with -f and /S), NoModify
// and NoRepair where the script gives them (or the run knows them) into the entry `key` under
// HKEY_LOCAL_MACHINE; a key the script no longer gives is removed, so a maintenance run leaves no
// stale value. Values are macro-expanded.
void WriteProductDetails(const std::string& key, const std::vector<std::string>& components);

}  // namespace vx
