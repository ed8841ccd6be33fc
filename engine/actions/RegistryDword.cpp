#include "engine/actions/RegistryDword.h"

#include "engine/base/RegistryHelpers.h"
#include "engine/base/RunReport.h"
#include "engine/ui/MessageBox.h"
#include "engine/ui/Ui.h"

namespace vx {

const char kRegistryPermissionMessage[] =
    "You have no permission to modify the system registry. Please\r\nre-login as the "
    "administrator and install this product again to make it fully working.";

void WriteRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                        std::uint32_t number) {
  const char* rootName = RootKeyName(root);
  LogStep("registry", std::string(rootName ? rootName : "(open key)") + "\\" + std::string(subkey) +
                          " " + std::string(valueName) + "=dword:" + std::to_string(number));
  // An unknown root name is a script fault, not a missing permission: it stays silent.
  if (!SetRegistryDword(root, subkey, valueName, number) && root != 0)
    ShowMessage(kRegistryPermissionMessage, kMbOk);
}

}  // namespace vx
