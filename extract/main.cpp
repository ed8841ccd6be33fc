// Extract.exe: the self-extractor. It copies the payload appended to itself (all entries
// but the data package) into the machine's temporary folder and starts the extracted
// Install.exe with "-e <its own path>", followed by " | <its arguments>" when it has any.
//
// Exit status: 0 the installer was started. Its own failures use values that Install.exe
// never exits with, so that a caller with VX_WAIT=1 can tell who failed: 10 the extraction
// failed, 11 the user cancelled the extraction, 12 everything was extracted but the
// installer could not be started, 13 the installer's exit status could not be learned, 14
// another run of the same product was using its files in the temporary folder (nothing was
// written).
//
// With VX_WAIT=1 in the environment the extractor waits for the installer it started and
// ends with the installer's exit status instead of 0 (Install.exe: 0 completed, 1 failed,
// 2 cancelled, 3 command line rejected, 4 completed but a restart is needed), so that an
// unattended script learns the outcome of the installation. Without it nothing waits.
//
// Relative paths the caller gives (the -s response file, VX_ANSWERS, VX_LOG) are made
// absolute before the installer starts in the temporary folder.
#include <cstdio>
#include <string>

#include "engine/base/RunLockName.h"
#include "extract/ExtractSession.h"
#include "extract/ExtractUi.h"
#include "extract/Launch.h"
#include "extract/OutsidePaths.h"
#include "extract/RestartDeletion.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/Types.h"
#ifdef VX_WITH_QT
#include "extract/qt/QtExtractUi.h"
#endif

int main(int argc, char** argv) {
  using namespace vx::extract;
#ifdef VX_WITH_QT
  RegisterQtExtractUi();
#endif
  // An explicit request for windows that cannot be met ends the run before it starts.
  if (std::string error = ExtractUiSelectionError(); !error.empty()) {
    std::fprintf(stderr, "Extract.exe: %s\n", error.c_str());
    return 1;
  }
  ExtractEnvironment env;
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += ' ';
    arguments += argv[i];
  }
  env.commandLine = AnchorOutsidePaths(arguments);
  env.ownPath = vx::GetModuleFileName();
  env.tempFolder = vx::GetTempPath();
  if (env.tempFolder.empty()) {
    // Entries would otherwise land in whatever folder the program was started from.
    std::fprintf(stderr, "Extract.exe: the machine has no temporary folder\n");
    return kExitExtractionFailed;
  }
  if (env.tempFolder.back() != '\\') env.tempFolder += '\\';
  vx::ProcessHandle installer = vx::kNoProcess;
  const bool wait = WaitForInstallerRequested();
  env.launch = [&installer, wait](const std::string& tempFolder, const std::string& commandLine) {
    return StartInstaller(tempFolder, commandLine, wait ? &installer : nullptr);
  };
  env.scheduleDeletion = ScheduleDeletionAtRestart;

  auto ui = CreateExtractUi();
  ExtractSession session(env, *ui);
  switch (session.Run()) {
    case ExtractOutcome::Launched:
      return installer != vx::kNoProcess ? WaitForInstaller(installer) : 0;
    case ExtractOutcome::Cancelled:
      return kExitCancelled;
    case ExtractOutcome::LaunchFailed:
      // The launch ran on this thread, so its error code is still there.
      std::fprintf(stderr, "Extract.exe: the installer could not be started from %s: %s\n",
                   env.tempFolder.c_str(), vx::SystemErrorText(vx::GetLastError()).c_str());
      return kExitLaunchFailed;
    case ExtractOutcome::AnotherRun:
      return kExitAnotherRun;
    case ExtractOutcome::Failed:
      break;
  }
  return kExitExtractionFailed;
}
