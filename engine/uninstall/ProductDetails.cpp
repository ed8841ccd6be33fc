#include "engine/uninstall/ProductDetails.h"

#include "engine/base/Macros.h"
#include "engine/base/PathOps.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/Store.h"

namespace vx {

namespace {

constexpr std::uint64_t kBytesPerKb = 1024;
constexpr char kGeneral[] = "<General>";

// Script key -> entry value, copied as strings.
struct TextField {
  const char* scriptKey;
  const char* valueName;
};
constexpr TextField kTextFields[] = {
    {"ProductVersion", "DisplayVersion"},
    {"URLInfoAbout", "URLInfoAbout"},
    {"HelpLink", "HelpLink"},
    {"DisplayIcon", "DisplayIcon"},
};
constexpr const char* kFlagFields[] = {"NoModify", "NoRepair"};

std::string ScriptText(const char* key) { return Trim(Expanded(ReadScriptString(kGeneral, key))); }

// The folder as Windows shows it: no trailing backslash, except at a drive's root.
std::string WithoutTrailingBackslash(std::string folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

// The silent form of the registered command: "-f" (no confirmation) in place of "-u",
// whatever quoting the registered command uses, and /S (no window).
std::string QuietCommand(const std::string& uninstall) {
  for (const char* option : {" -u ", " /u ", " -U ", " /U "}) {
    std::size_t at = uninstall.find(option);
    if (at != std::string::npos)
      return uninstall.substr(0, at) + " -f " + uninstall.substr(at + 4) + " /S";
  }
  return {};
}

}  // namespace

std::uint32_t KilobytesOf(std::uint64_t bytes) {
  std::uint64_t kb = bytes / kBytesPerKb + (bytes % kBytesPerKb != 0 ? 1 : 0);
  return kb > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(kb);
}

std::uint64_t InstalledBytes(const std::vector<std::string>& components) {
  std::uint64_t total = 0;
  for (const std::string& name : components) {
    std::string size = Trim(ReadScriptString(name, "ComponentSize"));
    std::uint64_t n = 0;
    for (char c : size) {
      if (c < '0' || c > '9') break;
      if (n > (UINT64_MAX - 9) / 10) break;  // a size beyond any disk stops growing
      n = n * 10 + std::uint64_t(c - '0');
    }
    total = total + n < total ? UINT64_MAX : total + n;
  }
  return total;
}

void WriteProductDetails(const std::string& key, const std::vector<std::string>& components) {
  for (const TextField& f : kTextFields)
    WriteRegistryString(kHkeyLocalMachine, key, f.valueName, ScriptText(f.scriptKey));
  std::string publisher = ScriptText("Publisher");
  if (publisher.empty()) publisher = ScriptText("VendorName");
  WriteRegistryString(kHkeyLocalMachine, key, "Publisher", publisher);
  WriteRegistryString(
      kHkeyLocalMachine, key, "InstallLocation",
      WithoutTrailingBackslash(Trim(Expanded(ReadScriptString("<Destinations>", "InstallPath1")))));
  SetRegistryDword(kHkeyLocalMachine, key, "EstimatedSize",
                   KilobytesOf(InstalledBytes(components)));
  std::string uninstall;
  ReadRegistryString(kHkeyLocalMachine, key, "UninstallString", uninstall);
  WriteRegistryString(kHkeyLocalMachine, key, "QuietUninstallString", QuietCommand(uninstall));
  for (const char* flag : kFlagFields) {
    if (ReadScriptInt(kGeneral, flag) == 1)
      SetRegistryDword(kHkeyLocalMachine, key, flag, 1);
    else
      WriteRegistryString(kHkeyLocalMachine, key, flag, "");  // an empty value deletes it
  }
}

}  // namespace vx
