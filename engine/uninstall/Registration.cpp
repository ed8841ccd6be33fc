#include "engine/uninstall/Registration.h"

#include <string>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Macros.h"
#include "engine/base/PathOps.h"

namespace vx {

bool RegisterUninstall() {
  std::string product = Trim(Expanded("{ProductName}"));
  // Without a product name the entry would land on the Uninstall key itself, and the
  // uninstall run would later delete that key with every other product's entry.
  if (product.empty() || product == "{ProductName}") return false;
  std::string key = Expanded(kUninstallKeyTemplate);
  WriteRegistryString(kHkeyLocalMachine, key, "DisplayName", Expanded(kDisplayNameTemplate));
  WriteRegistryString(kHkeyLocalMachine, key, "UninstallString",
                      Expanded(kUninstallStringTemplate));
  return true;
}

}  // namespace vx
