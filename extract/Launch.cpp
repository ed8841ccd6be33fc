#include "extract/Launch.h"

#include "platform/Files.h"
#include "platform/Process.h"

namespace vx::extract {

bool StartInstaller(const std::string& tempFolder, const std::string& commandLine) {
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
  CloseProcessHandle(process);  // not waited for; the installer runs on by itself
  return true;
}

}  // namespace vx::extract
