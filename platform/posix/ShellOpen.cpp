// Opening a document with the host's opener, as the shell's "open" verb does.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/WinPath.h"
#include "platform/posix/ProcessTable.h"

namespace vx {

namespace {

std::string FindOnHostPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = getenv("PATH");
  if (!path) return {};
  std::string_view p(path);
  while (!p.empty()) {
    std::size_t colon = p.find(':');
    std::string dir(p.substr(0, colon));
    p = colon == std::string_view::npos ? std::string_view{} : p.substr(colon + 1);
    if (dir.empty()) continue;
    std::string full = dir + "/" + name;
    struct stat st;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) {
      return full;
    }
  }
  return {};
}

}  // namespace

bool ShellOpen(std::string_view file, int showWindow, ProcessHandle* process) {
  if (process) *process = kNoProcess;
  ReapOrphans();
  std::string opener;
  if (const char* custom = getenv("VX_OPEN_COMMAND"); custom && *custom) {
    opener = FindOnHostPath(custom);
  } else {
    opener = FindOnHostPath("xdg-open");
  }
  if (opener.empty()) {
    SetLastError(kErrorNoAssociation);
    return false;
  }
  std::string target;
  if (file.find("://") != std::string_view::npos || file.starts_with("mailto:")) {
    target = std::string(file);
  } else {
    target = HostPathOf(file);
    struct stat st;
    if (target.empty() || stat(target.c_str(), &st) != 0) {
      SetLastError(kErrorFileNotFound);
      return false;
    }
  }
  StartupInfo info;
  info.useShowWindow = true;
  info.showWindow = showWindow;
  pid_t pid;
  if (!Spawn(opener, {target}, {}, info, &pid)) return false;
  HandOver(pid, file, opener, info, process);
  return true;
}

}  // namespace vx
