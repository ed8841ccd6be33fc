// The installation driver: preparation, the wizard or the response-file run, the install
// thread with its component loop, registration, completion and the stop request.
#pragma once
#include <string>

#include "engine/run/StartupHooks.h"

namespace vx {

class Application;
class ProgressView;

// The preparation dialog's work: user variables, pre-required files, pre-actions. False when
// a variable could not be expanded or a pre-required file could not be copied.
bool RunPreparation(Application& app);

// MSG_BEGIN_SETUP and everything after it, until the interface ends.
ExitStatus BeginSetup(Application& app);

// Writes the answers of a response file where the wizard would.
void ReadResponseFile(const std::string& responseFile);
// The same without starting the installation.
void ReadResponseAnswers(const std::string& responseFile);

// True when the run is to end: the stop request is raised and the user confirmed quitting
// (QuitQuestion); No clears the request.
bool CheckStop();

// The progress window of the install thread, for the status display of component actions.
ProgressView* InstallProgress();

// Start-up hooks with the whole engine behind them (package, preparation, setup, uninstall).
StartupHooks EngineStartupHooks();

}  // namespace vx
