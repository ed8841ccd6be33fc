// A request to restart the machine: the host is never restarted, the request is a marker file
// in the machine's folder.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

namespace {
std::string RestartMarker() { return Machine::Current().Dir() + "/restart-requested"; }
}  // namespace

bool ExitWindowsEx(std::uint32_t flags) {
  std::ofstream out(RestartMarker(), std::ios::binary | std::ios::trunc);
  out << "flags=" << flags << "\n";
  out.close();
  if (!out) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  return true;
}

bool RestartRequested() {
  struct stat st;
  return stat(RestartMarker().c_str(), &st) == 0;
}

void ClearRestartRequest() { unlink(RestartMarker().c_str()); }

}  // namespace vx
