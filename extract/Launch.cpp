#include "extract/Launch.h"

#include <cstdlib>
#include <string_view>

#include "platform/Files.h"
#include "platform/Interrupt.h"

namespace vx::extract {

bool StartInstaller(const std::string& tempFolder, const std::string& commandLine,
                    ProcessHandle* keep) {
  if (keep) *keep = kNoProcess;
  SetCurrentDirectory(tempFolder);
  std::string program, arguments;
  SplitProgram(commandLine, &program, &arguments);
  std::string installer = tempFolder + program;
  if (installer.find(' ') != std::string::npos) installer = "\"" + installer + "\"";
  StartupInfo info;
  info.title = "Selfish";
  info.useShowWindow = true;
  info.showWindow = kSwShowNormal;
  info.currentDirectory = tempFolder;
  ProcessHandle process = kNoProcess;
  if (!CreateProcess(installer + " " + arguments, info, &process)) return false;
  if (keep)
    *keep = process;
  else
    CloseProcessHandle(process);  // not waited for; the installer runs on by itself
  return true;
}

bool WaitForInstallerRequested() {
  const char* wait = std::getenv("VX_WAIT");
  return wait && std::string_view(wait) == "1";
}

int WaitForInstaller(ProcessHandle installer) {
  // The installer runs in a process group of its own, out of reach of the caller's Ctrl-C:
  // a stop asked of this waiting process is passed on, and the installer's status (that of
  // its rollback) is still this process's.
  SetInterruptHandler([installer] { InterruptProcess(installer); });
  std::uint32_t code = kExitStatusUnknown;
  if (WaitForSingleObject(installer, kInfinite) != kWaitObject0 ||
      !GetExitCodeProcess(installer, &code)) {
    code = kExitStatusUnknown;
  }
  SetInterruptHandler(nullptr);
  CloseProcessHandle(installer);
  return static_cast<int>(code);
}

}  // namespace vx::extract
