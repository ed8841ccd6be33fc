// The application object of Install.exe: the command-line results, the run state, the
// package state and the start-up sequence that decides what this process does.
//
// Exit status of Install.exe:
//   0  the run completed (an installation, a maintenance run, an uninstall, or the hand-over
//      of an uninstall to its copy in the temp folder)
//   1  the run failed (missing Install.ini, package not opened or of another version,
//      preparation failed, a component failed, ...)
//   2  the user cancelled (the uninstall confirmation, or quitting the installation)
//   3  the command line was rejected
//   4  the run completed and the computer must be restarted to finish it
//   5  another run of the same product was using its working copy; nothing was done
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/Switches.h"
#include "engine/run/CommandLine.h"
#include "engine/run/StartupHooks.h"
#include "engine/files/PackageState.h"
#include "platform/NamedLock.h"

namespace vx {

enum class ExitStatus : int {
  Completed = 0,
  Failed = 1,
  Cancelled = 2,
  RejectedCommandLine = 3,
  RestartNeeded = 4,
  AnotherRun = 5,
  // The installer is damaged or cut short (the same meaning as Extract.exe's 10); nothing
  // was done.
  Damaged = 10,
};

// Run states: what this process does, decided once by start-up.
enum RunState : int {
  kStateInstallFromFolder = 0,
  kStateInstallFromExtractor = 1,
  kStateMaintenance = 2,
  kStateHandOverUninstall = 3,
  kStateUninstallRun = 4,
};

class Application {
 public:
  explicit Application(StartupHooks hooks = DefaultStartupHooks());
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the start-up steps; true when the interface is to run (then call Run()), false
  // when the process is to end with exitStatus.
  bool Startup(std::string_view commandLine);
  // Begin setup and everything after it; returns the exit status of the run.
  ExitStatus Run();
  // Closes the package when it is open.
  void Exit();

  StartupHooks& Hooks() { return hooks_; }

  // Command-line results.
  int runMode = kRunInstall;
  bool responseMode = false;
  std::string responseFile;
  std::string extractorPath;
  std::string scriptArgument;
  // The administrator's switches (/S, /DIR= ...); a silent run without -s FILE is in
  // response mode with an empty response file until setup writes one from the defaults.
  Switches switches;

  int runState = kStateInstallFromFolder;
  bool maintenance = false;
  bool fullWizard = true;
  std::string projectName;
  PackageState package;
  // Files start-up put into the temp folder; deleted at the next restart.
  std::vector<std::string> tempList;
  ExitStatus exitStatus = ExitStatus::Completed;

  // The Windows path of the running engine; "" means the module's own name. Tests start an
  // engine "from" a folder of their choosing through it.
  std::string enginePath;

 private:
  bool End(ExitStatus status);
  void StartFromFolder();
  void StartFromExtractor();
  void StartMaintenance();
  bool StartUninstall(bool confirm);
  // The working copy this run will use; false (with the message shown) when another run of
  // the product holds it.
  bool ClaimWorkingCopy();

  StartupHooks hooks_;
  std::unique_ptr<NamedLock> workingCopyLock_;
  std::unique_ptr<NamedLock> runAliveLock_;  // a share: no restart of the machine meanwhile
};

// The application object of this process (the last one constructed), or null.
Application* CurrentApplication();

// The -u confirmation: caption UninstallCaption + product name, texts UninstallChosen to
// UninstallCannotStop, OK and Cancel. True when the user chose OK.
bool ConfirmUninstall(const std::string& productName);

}  // namespace vx
