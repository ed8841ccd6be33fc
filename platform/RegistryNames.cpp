// The names of the registry root keys, as scripts and tools write them.
#include <string_view>

#include "platform/Registry.h"

namespace vx {

namespace {
struct RootName {
  const char* name;
  HKEY key;
};
constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},     {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},   {"HKEY_USERS", kHkeyUsers},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig}, {"HKEY_DYN_DATA", kHkeyDynData},
};
}  // namespace

HKEY RootKeyByName(std::string_view name) {
  for (const RootName& r : kRootNames) {
    if (name == r.name) return r.key;  // exact: "hkey_current_user" is no root
  }
  return 0;
}

const char* RootKeyName(HKEY root) {
  for (const RootName& r : kRootNames) {
    if (root == r.key) return r.name;
  }
  return nullptr;
}

}  // namespace vx
