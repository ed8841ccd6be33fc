#include "engine/actions/ValueSource.h"

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/actions/FileSearch.h"
#include "platform/Profile.h"

namespace vx {

bool ResolveValue(std::string& value) {
  ExpandFully(value);
  std::string rest = value;
  std::string head = NextField(rest, ':');
  // "C:\Tools" splits into "C" and is an ordinary value.
  if (head.empty() || head[0] != '?') return true;
  char source = head.size() > 1 ? head[1] : '\0';
  switch (source) {
    case '1': {
      std::string root = NextField(rest);
      std::string subkey = NextField(rest);
      std::string name = NextField(rest);
      // A key or value that cannot be read leaves the "?1:" text as the value.
      ReadRegistryString(RootKeyFromName(root), subkey, name, value);
      return true;
    }
    case '2': {
      std::string file = NextField(rest);
      std::string section = NextField(rest);
      std::string key = NextField(rest);
      // Read from the named file only: an empty name must not fall back to another file.
      value = file.empty() ? std::string()
                           : GetPrivateProfileString(section, key, "", file, kProfileBuffer);
      return true;
    }
    case '3':
      value = RunFileSearch(NextField(rest));
      return true;
    default:
      return false;
  }
}

void AssignVariable(std::string arguments) {
  std::string target = NextField(arguments);
  std::string value = arguments;
  if (!ResolveValue(value)) return;
  StoreVariable(target, value);
}

}  // namespace vx
