// The steps of start-up that belong to other modules (package reader, installation driver,
// main window, uninstall run), as replaceable hooks. DefaultStartupHooks() does what the
// engine can do without those modules and says so plainly where it cannot: it never reports
// an installation or an uninstall that did not happen.
#pragma once
#include <functional>
#include <string>

namespace vx {

class Application;
enum class ExitStatus : int;

struct StartupHooks {
  // The splash image at start-up (modes 0 and 1, not in response mode). Default: nothing.
  std::function<void(Application&, const std::string& image)> showSplash;
  // Run states 0 and 1: the start-up open of disk 0 (false ends the process; the version
  // message is the hook's own). Run state 2: opens the recorded package, setting package
  // mode on success, and returns true either way. Default: the package reader's opens.
  std::function<bool(Application&)> openPackage;
  // The modal preparation (user variables, pre-required files, pre-actions); false ends
  // the process. Default: resolves and stores the user variables only (a beep and false
  // when one cannot be expanded).
  std::function<bool(Application&)> runPreparation;
  // The backdrop window; false ends the process. Default: true (nothing to create).
  std::function<bool(Application&)> createMainWindow;
  // Lays out the backdrop from the script before setup begins. Default: nothing.
  std::function<void(Application&)> layoutMainWindow;
  // MSG_BEGIN_SETUP and everything after it: the wizard or the response-file run, the
  // installation, the completion; returns when the interface ends. Default: reports on
  // standard error that this build has no installation driver and returns a failure.
  std::function<ExitStatus(Application&)> beginSetup;
  // The uninstall run (-r), in this thread; true on success. Default: reports that this
  // build has no uninstall run and returns false.
  std::function<bool(Application&)> runUninstall;
  // Starts a program with a command line and does not wait (the -r hand-over). Default:
  // a new process shown normally with the title "Uninstall"; the result is not checked.
  // With VX_WAIT=1 in the environment the default runs the copy in place of this process
  // instead (same process id), so that the caller's wait ends with the copy's exit status.
  std::function<void(const std::string& commandLine)> startProgram;
};

StartupHooks DefaultStartupHooks();

// Before this engine hands its run over to another engine process (the -r copy, or the -u
// engine that "Uninstall all" starts): the VX_ANSWERS answers no dialog of this process has
// taken go to that process, which would otherwise read the file from its first line again.
void HandOverUnusedAnswers();

}  // namespace vx
