// The uninstall entry that a finished installation writes under HKEY_LOCAL_MACHINE, so that
// the product can be removed later from the control panel.
#pragma once

namespace vx {

inline constexpr char kUninstallKeyTemplate[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ProductName}";
inline constexpr char kDisplayNameTemplate[] = "Uninstall {ProductName}";
// Both paths are quoted: an unquoted path with blanks lets Windows try "C:\Program.exe" first.
inline constexpr char kUninstallStringTemplate[] =
    "\"{InstallPath1}\\Install.exe\" -u \"{InstallPath1}\\{ProductInfFile}\"";

// Writes the key with DisplayName and UninstallString, every text macro-expanded. Failures
// are silent. Returns false (and writes nothing) when the product has no name.
bool RegisterUninstall();

}  // namespace vx
