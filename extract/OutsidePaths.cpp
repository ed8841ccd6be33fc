#include "extract/OutsidePaths.h"

#include "platform/Machine.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx::extract {

std::string AnchorResponseFile(const std::string &arguments) {
  std::size_t at = arguments.find_first_not_of(" \t");
  if (at == std::string::npos || arguments.size() - at < 3) return arguments;
  if ((arguments[at] != '-' && arguments[at] != '/') ||
      (arguments[at + 1] != 's' && arguments[at + 1] != 'S')) {
    return arguments;
  }
  std::size_t begin = arguments.find_first_not_of(" \t", at + 2);
  if (begin == std::string::npos) return arguments;
  std::size_t end = arguments.find_last_not_of(" \t") + 1;
  std::string path = arguments.substr(begin, end - begin);
  // Host absolute paths and Windows paths with a drive or a root mean the same
  // anywhere.
  if (path[0] == '/' || path[0] == '\\' || winpath::DriveLetter(path)) return arguments;
  return arguments.substr(0, begin) + Machine::Current().FromOutside(path) + arguments.substr(end);
}

std::string AnchorOutsidePaths(const std::string &arguments) {
  AnchorPathVariable("VX_ANSWERS");
  AnchorPathVariable("VX_LOG");
  return AnchorResponseFile(arguments);
}

}  // namespace vx::extract
