#include "engine/run/Application.h"

#include <atomic>

#include "engine/actions/RestartSchedule.h"
#include "engine/base/EngineRun.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/InstallRecord.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunReport.h"
#include "engine/base/RunLockName.h"
#include "engine/base/SameContent.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/files/InstallerSeal.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/Ui.h"
#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::atomic<Application*>& Current() { return CurrentRun().application; }

// The locale file beside a script: its folder + DefLocale, or none when DefLocale is empty
// (a folder is no locale file).
std::string LocaleBeside(const std::string& folder, const std::string& defLocale) {
  if (defLocale.empty()) return {};
  return folder + defLocale;
}

// Paths handed over from outside may be host paths.
std::string Outside(const std::string& path) {
  if (path.empty()) return path;
  return Machine::Current().FromOutside(path);
}

// The engine that handed the uninstall over ends right after starting this copy, but it may
// still be running when the copy gets to removing its file. Give it a moment (at most five
// seconds) so that the installed engine does not stay behind.
void WaitForInstalledEngineToEnd() {
  std::string folder = ReadScriptString("<Destinations>", "InstallPath1");
  if (Trim(folder).empty()) return;
  std::string engine = EnsureTrailingBackslash(folder) + "Install.exe";
  if (winpath::EqualsNoCase(engine, GetModuleFileName())) return;
  constexpr std::uint32_t kStepMs = 50, kLimitMs = 5000;
  for (std::uint32_t waited = 0; waited < kLimitMs; waited += kStepMs) {
    std::uint32_t attributes = GetFileAttributes(engine);
    if (attributes == kInvalidAttributes || (attributes & (kAttrReadOnly | kAttrDirectory))) return;
    FileHandle h = CreateFile(engine, kGenericWrite, kShareRead | kShareWrite | kShareDelete,
                              Disposition::OpenExisting);
    if (h != kInvalidHandle) {
      CloseHandle(h);
      return;
    }
    Sleep(kStepMs);
  }
}

// Karvo.dll's own messages (a JPEG it cannot read) use the engine's message box; one with no
// caption of its own takes the script's.
int LibraryMessage(const char* text, const char* caption, unsigned type) {
  if (caption == nullptr) return ShowMessage(text, type);
  return CurrentUi().MessageBox(caption, text, type);
}

}  // namespace

Application::Application(StartupHooks hooks) : hooks_(std::move(hooks)) { Current() = this; }

Application::~Application() {
  Exit();
  Application* self = this;
  Current().compare_exchange_strong(self, nullptr);
}

Application* CurrentApplication() { return Current(); }

bool Application::End(ExitStatus status) {
  exitStatus = status;
  return false;
}

bool Application::Startup(std::string_view commandLine) {
  KarvoSetMessageBox(&LibraryMessage);
  // 1. Folder values; the source folder is first the folder of this program.
  package.packageMode = false;
  FillFolderValues();
  if (!enginePath.empty()) Folders().source = FolderOfPath(enginePath);

  // 2. The bootstrap file beside the engine names the project.
  SetBootstrapFile(Folders().source + "Install.ini");
  projectName = ReadIniString("<General>", "ProjectName");

  // 3. The engine's own private profile section is a Windows facility this platform does
  //    not keep; there is nothing to remove.

  // 4. The command line.
  switches = Switches{};
  CommandLine parsed = ParseCommandLine(TakeSwitches(commandLine, switches));
  runMode = parsed.runMode;
  responseFile = Outside(parsed.responseFile);
  responseMode = !responseFile.empty() || switches.silent;
  switches.saveInf = Outside(switches.saveInf);
  Flags().noRestart = switches.noRestart;
  if (runMode == kRunFromExtractor)
    extractorPath = Outside(parsed.argument);
  else
    scriptArgument = Outside(parsed.argument);
  // Another product's extractor may have written its own Install.ini here meanwhile: the
  // program that started this engine names the project.
  if (runMode == kRunFromExtractor) {
    if (std::string own = ProjectNameInPayload(extractorPath); !own.empty()) projectName = own;
  }

  // One run per product: a second run would share (or overwrite) the first one's copy.
  if (runMode != kRunRejected && !ClaimWorkingCopy()) return End(ExitStatus::AnotherRun);

  // 5. By run mode.
  switch (runMode) {
    case kRunInstall:
      if (!FileExists(GetBootstrapFile())) {
        ShowMessage(LoadText(TextId::BootstrapMissing), kMbOk | kMbIconStop);
        NoteFailure("there is no " + GetBootstrapFile());
        return End(ExitStatus::Failed);
      }
      StartFromFolder();
      break;
    case kRunFromExtractor:
      StartFromExtractor();
      break;
    case kRunMaintenance:
      StartMaintenance();
      break;
    case kRunUninstall:
      if (!StartUninstall(true)) return End(ExitStatus::Cancelled);
      break;
    case kRunUninstallSilent:
      StartUninstall(false);
      break;
    case kRunUninstallCopy:
      SetScriptFile(scriptArgument);
      runState = kStateUninstallRun;
      break;
    default:
      ShowMessage(LoadText(TextId::UnknownCommandLine), kMbOk | kMbIconStop);
      return End(ExitStatus::RejectedCommandLine);
  }

  // 6. The main window.
  if (hooks_.createMainWindow && !hooks_.createMainWindow(*this)) return End(ExitStatus::Failed);

  // 7. Hand the uninstall over to the copy in the temp folder, so that the installed engine
  //    and library can be removed, and end.
  if (runState == kStateHandOverUninstall) {
    std::string engine = Folders().temp + "Install.exe";
    // The copy takes the lock over: it must be free by the time the copy starts.
    workingCopyLock_.reset();
    if (hooks_.startProgram)
      hooks_.startProgram("\"" + engine + "\" -r \"" + GetScriptFile() + "\"");
    return End(ExitStatus::Completed);
  }

  // 8. The uninstall run, in this thread.
  if (runState == kStateUninstallRun) {
    SetCurrentDirectory(Folders().temp);
    WaitForInstalledEngineToEnd();
    bool ok = hooks_.runUninstall && hooks_.runUninstall(*this);
    return End(ok ? ExitStatus::Completed : ExitStatus::Failed);
  }

  // 9. to 11. The package.
  package.totalDisks = ReadScriptInt("<General>", "TotalDisks");
  if (runState == kStateMaintenance) {
    if (hooks_.openPackage) hooks_.openPackage(*this);
  } else {
    if (!hooks_.openPackage || !hooks_.openPackage(*this))
      return End(package.damaged ? ExitStatus::Damaged : ExitStatus::Failed);
    // 12. The preparation.
    if (hooks_.runPreparation && !hooks_.runPreparation(*this)) return End(ExitStatus::Failed);
  }

  // 13. Lay out the main window and let setup begin.
  if (hooks_.layoutMainWindow) hooks_.layoutMainWindow(*this);
  fullWizard = runState != kStateMaintenance;
  return true;
}

bool Application::ClaimWorkingCopy() {
  std::string copy;
  switch (runMode) {
    case kRunMaintenance:
    case kRunUninstallCopy:
      copy = scriptArgument;
      break;
    case kRunUninstall:
    case kRunUninstallSilent:
      copy = Folders().temp + FileNameOfPath(scriptArgument);
      break;
    default:
      copy = Folders().temp + projectName + ".inf";
      break;
  }
  workingCopyLock_ = NamedLock::TryTake(WorkingCopyLockName(copy));
  // A share only keeps a restart of the machine away; a restart under way does not stop
  // this run.
  if (workingCopyLock_) runAliveLock_ = NamedLock::TryTakeShared(kRunAliveLockName);
  if (workingCopyLock_) return true;
  ShowMessage(kTextAnotherRun, kMbOk | kMbIconStop);
  return false;
}

void Application::StartFromFolder() {
  const std::string& source = Folders().source;
  const std::string& temp = Folders().temp;
  std::string script = temp + projectName + ".inf";
  // Made new: whatever lay under the name (a link, say) must not receive the copy.
  CopyFileFresh(source + projectName + ".inf", script);
  SetScriptFile(script);
  tempList.push_back(script);
  SetLocaleFile(LocaleBeside(source, ReadScriptString("<PreActions>", "DefLocale")));
  ScheduleAtRestart(tempList, "");
  package.path = source + projectName + ".0";
  runState = kStateInstallFromFolder;
  if (!responseMode) {
    std::string splash = ReadIniString("<General>", "SplashImg");
    if (!splash.empty() && hooks_.showSplash) hooks_.showSplash(*this, source + "$Temp\\" + splash);
  }
}

void Application::StartFromExtractor() {
  Folders().source = FolderOfPath(extractorPath);
  const std::string& temp = Folders().temp;
  // The self-extractor has unpacked the script already; it schedules its own files.
  SetScriptFile(temp + projectName + ".inf");
  SetLocaleFile(LocaleBeside(temp, ReadScriptString("<PreActions>", "DefLocale")));
  if (!responseMode) {
    std::string splash = ReadIniString("<General>", "SplashImg");
    if (!splash.empty() && hooks_.showSplash) hooks_.showSplash(*this, temp + splash);
  }
  package.path = extractorPath;
  runState = kStateInstallFromExtractor;
  package.packageMode = true;
}

void Application::StartMaintenance() {
  SetScriptFile(scriptArgument);
  SetLocaleFile(
      LocaleBeside(FolderOfPath(scriptArgument), ReadScriptString("<PreActions>", "DefLocale")));
  Folders().source = EnsureTrailingBackslash(ReadScriptString("<InstSummaryWnd>", "InstalledFrom"));
  // The self-extractor of the project, in the folder the product was installed from.
  package.path = ReplaceExtension(Folders().source + FileNameOfPath(scriptArgument), "exe");
  runState = kStateMaintenance;
  maintenance = true;
}

bool Application::StartUninstall(bool confirm) {
  const std::string& installed = scriptArgument;
  std::string folder = FolderOfPath(installed);
  if (confirm) {
    // The installed script is read, never written, until the copy is made: it answers the
    // macros of the locale's texts ({ProductName} ...) in the confirmation.
    SetScriptFile(installed);
    SetLocaleFile(LocaleBeside(folder, ReadIniString("<PreActions>", "DefLocale", installed)));
    // Nothing is copied before the user agrees.
    if (!ConfirmUninstall(ReadIniString("<General>", "ProductName", installed))) {
      SetScriptFile("");
      return false;
    }
  }
  const std::string& temp = Folders().temp;
  std::string script = temp + FileNameOfPath(installed);
  // A copy that holds the same bytes already stays: another uninstall of the product may be
  // starting from it this very moment, and must not find it half rewritten.
  auto copy = [](const std::string& from, const std::string& to) {
    if (!SameContent(from, to)) CopyFileFresh(from, to);
  };
  copy(installed, script);
  SetScriptFile(script);
  // The installation record goes with the script (the run removes only what it names); a
  // record left from another run must not stand in for a missing one.
  const std::string record = InstalledRecordFile(script);
  if (FileExists(InstalledRecordFile(installed))) {
    copy(InstalledRecordFile(installed), record);
    tempList.push_back(record);
  } else {
    DeleteFile(record);
  }
  copy(folder + "Install.exe", temp + "Install.exe");
  copy(Folders().source + "Karvo.dll", temp + "Karvo.dll");
  tempList.push_back(script);
  tempList.push_back(temp + "Install.exe");
  tempList.push_back(temp + "Karvo.dll");
  ScheduleAtRestart(tempList, "");
  runState = kStateHandOverUninstall;
  return true;
}

ExitStatus Application::Run() {
  if (!hooks_.beginSetup) return exitStatus = ExitStatus::Failed;
  return exitStatus = hooks_.beginSetup(*this);
}

void Application::Exit() { package.Close(); }

bool ConfirmUninstall(const std::string& productName) {
  return CurrentUi().ConfirmUninstall(
             LoadText(TextId::UninstallCaption) + productName,
             {LoadText(TextId::UninstallChosen), LoadText(TextId::UninstallRemovesAll),
              LoadText(TextId::UninstallCannotStop)}) &&
         !AnswersRefused();
}

}  // namespace vx
