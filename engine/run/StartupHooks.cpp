#include "engine/run/StartupHooks.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/actions/RestartSchedule.h"
#include "engine/run/Application.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/RunReport.h"
#include "engine/base/Store.h"
#include "engine/files/FileCopy.h"
#include "engine/files/InstallerSeal.h"
#include "engine/files/PackageReader.h"
#include "engine/ui/MessageBox.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/ui/Ui.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Types.h"

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
  // Nothing is read from a self-extractor that is not the one that was built.
  std::string damage;
  const bool sound = fromExtractor ? CheckInstallerSeal(package, path, &damage)
                                   : CheckFolderSeal(package, path, Folders().source, &damage);
  if (!sound) {
    ShowMessage(damage, kMbOk | kMbIconStop);
    NoteFailure(damage);
    return false;
  }
  StartupOpen open = OpenPackageAtStartup(package, path, fromExtractor);
  package.packageMode = packageMode;
  if (open == StartupOpen::WrongVersion)
    NoteFailure("the package " + path + " is of another version");
  if (open == StartupOpen::Failed) {
    std::uint32_t error = GetLastError();
    NoteFailure(FileOrFolderExists(path)
                    ? "the package " + path + " is cut short or no package"
                    : "cannot open the package " + path + ": " + SystemErrorText(error));
  }
  return open == StartupOpen::Opened;
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

}  // namespace

// The next engine is a process of its own; the answers this one did not use (those after
// the uninstall confirmation, say) belong to its dialogs, so they go to it in a file of
// their own in the temp folder.
void HandOverUnusedAnswers() {
  std::shared_ptr<Ui> ui = UiImplementation();
  if (AnswerFileNamed().empty() || !ui) return;
  std::string text;
  for (const std::string& answer : ui->UnusedAnswers()) text += answer + "\n";
  std::string path = Folders().temp + "VxAnswers.txt";
  FileHandle h = CreateFreshFile(path);
  if (h == kInvalidHandle) return;
  std::uint32_t written = 0;
  bool ok = WriteFile(h, text.data(), static_cast<std::uint32_t>(text.size()), &written) &&
            written == text.size();
  CloseHandle(h);
  if (!ok) return;
  ScheduleAtRestart({path}, "");
  SetEnvironmentVariable("VX_ANSWERS", HostPathOf(path));
}

namespace {

// VX_WAIT=1: whoever started the -u/-f engine waits for the outcome of the whole uninstall.
// This engine cannot simply wait for the copy: it runs from the installed Install.exe, which
// the copy is about to remove, and a running program cannot be removed. It becomes the copy
// instead, keeping its process id, so that its caller gets the copy's exit status.
void BecomeUninstallCopy(const std::string& commandLine) {
  ReplaceProcess(commandLine);
  std::fprintf(stderr, "Install.exe: the uninstall copy could not be started: %s: %s\n",
               commandLine.c_str(), SystemErrorText(GetLastError()).c_str());
  std::fflush(stderr);
  std::exit(static_cast<int>(ExitStatus::Failed));
}

void StartDetached(const std::string& commandLine) {
  HandOverUnusedAnswers();
  if (const char* wait = std::getenv("VX_WAIT"); wait && std::string_view(wait) == "1") {
    BecomeUninstallCopy(commandLine);
  }
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
