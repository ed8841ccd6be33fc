// The process environment (SetEnvironmentVariable).
#include <stdlib.h>

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

}  // namespace vx
