#include "engine/core/StartupHooks.h"

#include <cstdio>

#include "engine/core/Application.h"
#include "engine/core/Macros.h"
#include "engine/core/Store.h"
#include "engine/files/PackageReader.h"
#include "engine/ui/Ui.h"
#include "platform/Process.h"

namespace vx {

namespace {

bool OpenPackage(Application& app) {
  PackageState& package = app.package;
  if (app.runState == kStateMaintenance) {
    package.packageMode = OpenInstalledPackage(package, package.path);
    return true;
  }
  bool fromExtractor = app.runState == kStateInstallFromExtractor;
  bool packageMode = package.packageMode;
  std::string path = package.path;
  bool opened = OpenPackageAtStartup(package, path, fromExtractor) == StartupOpen::Opened;
  package.packageMode = packageMode;
  return opened;
}

// The part of the preparation that needs no other module: each user variable is expanded
// and stored back expanded. A variable that cannot be expanded beeps and fails the run.
bool ResolveUserVariables(Application&) {
  constexpr char kVariables[] = "<VariableList>";
  for (int n : ScriptListItems(kVariables, "Value", 1, ReadScriptInt(kVariables, "nItems"))) {
    std::string key = "Value" + std::to_string(n);
    std::string value = ReadScriptString(kVariables, key);
    if (!ExpandFully(value)) {
      CurrentUi().Beep();
      return false;
    }
    WriteScriptString(kVariables, key, value);
  }
  return true;
}

ExitStatus NoDriver(Application&) {
  std::fprintf(stderr,
               "Install.exe: this build has no installation driver yet; nothing was installed.\n");
  return ExitStatus::Failed;
}

bool NoUninstallRun(Application&) {
  std::fprintf(stderr, "Install.exe: this build has no uninstall run yet; nothing was removed.\n");
  return false;
}

void StartDetached(const std::string& commandLine) {
  StartupInfo info;
  info.title = "Uninstall";
  info.useShowWindow = true;
  info.showWindow = kSwShowNormal;
  ProcessHandle process = kNoProcess;
  if (CreateProcess(commandLine, info, &process)) CloseProcessHandle(process);
}

}  // namespace

StartupHooks DefaultStartupHooks() {
  StartupHooks hooks;
  hooks.showSplash = [](Application&, const std::string&) {};
  hooks.openPackage = OpenPackage;
  hooks.runPreparation = ResolveUserVariables;
  hooks.createMainWindow = [](Application&) { return true; };
  hooks.layoutMainWindow = [](Application&) {};
  hooks.beginSetup = NoDriver;
  hooks.runUninstall = NoUninstallRun;
  hooks.startProgram = StartDetached;
  return hooks;
}

}  // namespace vx
