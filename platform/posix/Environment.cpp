// The process environment (SetEnvironmentVariable).
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

bool SetEnvironmentVariable(std::string_view name, std::string_view value) {
  if (name.empty() || name.find('=') != std::string_view::npos) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  return setenv(std::string(name).c_str(), std::string(value).c_str(), 1) == 0;
}

void AnchorPathVariable(std::string_view name) {
  std::string key(name);
  const char* value = getenv(key.c_str());
  if (!value || !*value || value[0] == '/') return;
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) return;
  std::string absolute = std::string(cwd) + "/" + value;
  free(cwd);
  setenv(key.c_str(), absolute.c_str(), 1);
}

}  // namespace vx
