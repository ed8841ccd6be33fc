// Install.exe: the installer engine. Its command line is read as one Windows command-line
// text (the arguments joined with single blanks); the exit status is that of
// engine/run/Application.h (0 completed, 1 failed, 2 cancelled, 3 rejected command line,
// 4 completed but a restart is needed, 5 another run, 10 a damaged installer). A failed run ends
// with one line on standard error that names what failed; VX_LOG=FILE appends the run's steps to
// FILE.
#include <cstdio>
#include <string>

#include "engine/base/RunReport.h"
#include "engine/base/Switches.h"
#include "engine/ui/QuietQuestions.h"
#include "engine/run/Application.h"
#include "engine/run/CommandLine.h"
#include "engine/run/Driver.h"
#include "engine/run/LibraryBoundary.h"
#include "engine/ui/Ui.h"
#ifdef VX_WITH_QT
#include "engine/ui/qt/QtUi.h"
#endif
#ifdef VX_WITH_QT_WIZARD
#include "engine/ui/qt/wizard/QtWizardHook.h"
#endif
#ifdef VX_WITH_WIN32
#include "engine/ui/win32/RegisterWin32Ui.h"
#endif
#ifdef VX_WITH_WIN32_WIZARD
#include "engine/ui/win32/wizard/RegisterWin32Wizard.h"
#endif
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace {

// /LOG=FILE names a host file, or a file of the machine by its Windows name.
std::string LogFileOf(const std::string& file) {
  return vx::winpath::DriveLetter(file) ? vx::HostPathOf(file) : file;
}

}  // namespace

int main(int argc, char** argv) {
  // A library that kept its own platform state would write to another machine and refuse
  // the engine's handles: nothing is to run then.
  if (!vx::KarvoSharesThePlatform()) {
    std::fputs("Install.exe: Karvo.dll does not share the program's machine and file handles\n",
               stderr);
    return 1;
  }
  const std::string commandLine = vx::JoinArguments(argc, argv);
  vx::Switches switches;
  vx::TakeSwitches(commandLine, switches);
  if (switches.help) {
    std::fputs(vx::SwitchHelpText(), stdout);
    return 0;
  }
  // A silent run shows no window at all: its questions take their answers as the headless
  // interface gives them.
  if (switches.silent) vx::SetEnvironmentVariable("VX_UI", "headless");
  if (!switches.log.empty()) vx::SetEnvironmentVariable("VX_LOG", LogFileOf(switches.log));
  // Copies of the engine started later (the uninstall's) run in another folder.
  vx::AnchorPathVariable("VX_ANSWERS");
  vx::AnchorPathVariable("VX_LOG");
#ifdef VX_WITH_QT
  vx::qt::RegisterQtUi();
#endif
#ifdef VX_WITH_QT_WIZARD
  vx::RegisterQtWizard();
#endif
#ifdef VX_WITH_WIN32
  vx::win32::RegisterWin32Ui();
#endif
#ifdef VX_WITH_WIN32_WIZARD
  vx::win32::RegisterWin32Wizard();
#endif
  // An explicit request for windows that cannot be met ends the run before it starts.
  if (std::string error = vx::UiSelectionError(); !error.empty()) {
    std::fprintf(stderr, "Install.exe: %s\n", error.c_str());
    return static_cast<int>(vx::ExitStatus::Failed);
  }
  // The interface is made on this thread, which becomes the interface thread.
  vx::CurrentUi();
  if (switches.suppressMsgBoxes) vx::SetUi(vx::QuietQuestions(vx::UiImplementation()));
  vx::LogStep("phase", "start-up: Install.exe " + commandLine);
  int status;
  {
    vx::Application app(vx::EngineStartupHooks());
    if (app.Startup(commandLine))
      status = static_cast<int>(app.Run());
    else
      status = static_cast<int>(app.exitStatus);
    app.Exit();
  }
  // Windows go before the process does, while Qt is still whole.
  vx::SetUi(nullptr);
  if (status == static_cast<int>(vx::ExitStatus::Failed) ||
      status == static_cast<int>(vx::ExitStatus::Damaged)) {
    std::string reason = vx::FailureReason();
    if (reason.empty()) reason = "no step said why (see the messages above)";
    std::fprintf(stderr, "Install.exe: the run failed: %s\n", reason.c_str());
  }
  const vx::SetupEnd end = vx::LastSetupEnd();
  if (end.interrupted && status == static_cast<int>(vx::ExitStatus::Cancelled))
    std::fputs("Install.exe: the run was interrupted\n", stderr);
  if (end.rolledBack)
    std::fputs("Install.exe: what the run had changed was put back as it was before\n", stderr);
  vx::LogStep("result", "Install.exe ends with status " + std::to_string(status));
  return switches.msiCodes ? vx::MsiCodeOf(status) : status;
}
