// Starting the extracted installer.
#pragma once
#include <string>

#include "platform/Process.h"

namespace vx::extract {

// Exit statuses of the extractor's own outcomes; Install.exe uses 0 to 4.
enum : int {
  kExitExtractionFailed = 10,
  kExitCancelled = 11,
  kExitLaunchFailed = 12,
  kExitStatusUnknown = 13,
  kExitAnotherRun = 14,
};

// Makes `tempFolder` the current directory and starts the Install.exe extracted there with
// `commandLine` ("Install.exe -e ..."). The program part is the temporary folder's
// Install.exe itself, so that a program of that name beside the extractor is never started
// instead. False when the process could not be created. The installer is not waited for:
// its handle is closed, unless `keep` is given, which then receives it (the caller waits
// and closes it).
bool StartInstaller(const std::string& tempFolder, const std::string& commandLine,
                    ProcessHandle* keep = nullptr);

// True when the environment asks the extractor to wait for the installer and end with its
// exit status (VX_WAIT=1), for unattended scripts that need the outcome.
bool WaitForInstallerRequested();

// Waits for the installer started with `keep` and returns its exit status
// (kExitStatusUnknown when it cannot be read); closes the handle.
int WaitForInstaller(ProcessHandle installer);

}  // namespace vx::extract
