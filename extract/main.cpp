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
#include "engine/base/Switches.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "platform/System.h"
#include "platform/Types.h"
#ifdef VX_WITH_QT
#include "extract/qt/QtExtractUi.h"
#endif
#ifdef VX_WITH_WIN32
#include "extract/win32/Win32ExtractUi.h"
#endif

namespace {

// A relative file of a switch, named from where the caller stands: the installer runs in
// the temporary folder.
std::string Anchored(const std::string& path) {
  if (path.empty() || path[0] == '/' || path[0] == '\\' || vx::winpath::DriveLetter(path))
    return path;
  return vx::Machine::Current().FromOutside(path);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vx::extract;
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += ' ';
    arguments += argv[i];
  }
  vx::Switches switches;
  std::string rest = vx::TakeSwitches(arguments, switches);
  if (switches.help) {
    std::fputs(vx::SwitchHelpText(), stdout);
    return 0;
  }
  // /MSICODES is this program's: the installer's status reaches it unmapped.
  const bool msiCodes = switches.msiCodes;
  switches.msiCodes = false;
  auto finish = [msiCodes](int status) { return msiCodes ? vx::MsiCodeOf(status) : status; };
  // Silent: no window here either, and the caller learns the installer's outcome.
  if (switches.silent) vx::SetEnvironmentVariable("VX_UI", "headless");
  switches.log = Anchored(switches.log);
  switches.saveInf = Anchored(switches.saveInf);
#ifdef VX_WITH_QT
  RegisterQtExtractUi();
#endif
#ifdef VX_WITH_WIN32
  RegisterWin32ExtractUi();
#endif
  // An explicit request for windows that cannot be met ends the run before it starts.
  if (std::string error = ExtractUiSelectionError(); !error.empty()) {
    std::fprintf(stderr, "Extract.exe: %s\n", error.c_str());
    return 1;
  }
  ExtractEnvironment env;
  env.commandLine = AnchorOutsidePaths(rest);
  if (switches.Any()) env.commandLine += (env.commandLine.empty() ? "" : " ") + switches.Text();
  env.ownPath = vx::GetModuleFileName();
  env.tempFolder = vx::GetTempPath();
  if (env.tempFolder.empty()) {
    // Entries would otherwise land in whatever folder the program was started from.
    std::fprintf(stderr, "Extract.exe: the machine has no temporary folder\n");
    return finish(kExitExtractionFailed);
  }
  if (env.tempFolder.back() != '\\') env.tempFolder += '\\';
  vx::ProcessHandle installer = vx::kNoProcess;
  const bool wait = WaitForInstallerRequested() || switches.silent;
  env.launch = [&installer, wait](const std::string& tempFolder, const std::string& commandLine) {
    return StartInstaller(tempFolder, commandLine, wait ? &installer : nullptr);
  };
  env.scheduleDeletion = ScheduleDeletionAtRestart;

  auto ui = CreateExtractUi();
  ExtractSession session(env, *ui);
  switch (session.Run()) {
    case ExtractOutcome::Launched:
      return finish(installer != vx::kNoProcess ? WaitForInstaller(installer) : 0);
    case ExtractOutcome::Cancelled:
      return finish(kExitCancelled);
    case ExtractOutcome::LaunchFailed:
      // The launch ran on this thread, so its error code is still there.
      std::fprintf(stderr, "Extract.exe: the installer could not be started from %s: %s\n",
                   env.tempFolder.c_str(), vx::SystemErrorText(vx::GetLastError()).c_str());
      return finish(kExitLaunchFailed);
    case ExtractOutcome::AnotherRun:
      return finish(kExitAnotherRun);
    case ExtractOutcome::Failed:
      break;
  }
  return finish(kExitExtractionFailed);
}
