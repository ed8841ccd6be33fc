#include "engine/run/Driver.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <unordered_set>
#include <vector>

#include "engine/actions/ActionLine.h"
#include "engine/actions/Bulletin.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/run/Application.h"
#include "engine/run/ResponseFileCheck.h"
#include "engine/run/SwitchAnswers.h"
#include "engine/base/EngineRun.h"
#include "engine/base/Flags.h"
#include "engine/base/FolderContent.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/MainEvents.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/FailureNotice.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunJournal.h"
#include "engine/base/RunReport.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/files/Component.h"
#include "engine/files/CountJournal.h"
#include "engine/files/FileCopy.h"
#include "engine/files/SharedFiles.h"
#include "engine/base/InstallRecord.h"
#include "engine/base/ProductRecord.h"
#include "engine/uninstall/Rollback.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardRunner.h"
#include "engine/ui/WizardSheet.h"
#include "engine/uninstall/ProductDetails.h"
#include "engine/uninstall/Registration.h"
#include "engine/uninstall/UninstallRun.h"
#include "library/Karvo.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/Interrupt.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

std::atomic<ProgressView*>& InstallProgressSlot() { return CurrentRun().installProgress; }
std::atomic<bool>& QuitConfirmed() { return CurrentRun().quitConfirmed; }

// How the install thread ended, for the exit status.
enum class InstallEnd { Completed, Failed, Stopped };

// Written by the interrupt's thread and the interface thread.
struct SetupEndFlags {
  std::atomic<bool> rolledBack{false};
  std::atomic<bool> interrupted{false};
};
SetupEndFlags& SetupEndSlot() {
  static SetupEndFlags end;
  return end;
}

std::string Exp(std::string text) {
  ExpandFully(text);
  return text;
}

bool ConfirmQuit() {
  if (ShowMessage(LoadText(TextId::QuitQuestion), kMbYesNo) == kIdNo) return false;
  Flags().stopRequest = true;
  Events().Post(MainMessage::Quit, 1);
  return true;
}

// True when this engine runs from `folder`: in maintenance the installed Install.exe and the
// Karvo.dll it loaded are the very files in the first install folder. Windows refuses to
// overwrite them; here a copy would rewrite the loaded library under the running process.
bool RunningFrom(const std::string& folder) {
  std::string running, target;
  return winpath::Normalize(winpath::Folder(GetModuleFileName()), running) &&
         winpath::Normalize(folder, target) && winpath::EqualsNoCase(running, target);
}

void Register(Application& app, const std::vector<std::string>& installed) {
  LogStep("phase", "registering the installation");
  WriteScriptString("<InstSummaryWnd>", "InstalledFrom", Folders().source);
  WriteInstalledComponents(installed);

  std::string target =
      EnsureTrailingBackslash(Exp(ReadScriptString("<Destinations>", "InstallPath1")));
  // Without a first install folder the copies would land in the current directory and the
  // uninstall entry would name no real engine: the product then stays unregistered.
  if (target.empty()) return;
  // The engine's files are the product's whatever stood there before (one an earlier
  // uninstall left queued for deletion at the restart, say): the record names them for the
  // uninstall. The copies are not checked: a failed one shows later as a missing file.
  auto place = [&target](const std::string& from, const std::string& name) {
    Journal().BeforeWrite(target + name);
    CreateDirectoryAtOnce(target.c_str());
    if (CopyFile(from, target + name, false)) Journal().Installed(target + name);
  };
  std::string locale = GetLocaleFile();
  std::string localeName = FileNameOfPath(locale);
  if (target + localeName != locale) {
    WriteScriptString("<PreActions>", "DefLocale", localeName);
    WriteScriptString(nullptr, nullptr, nullptr);
    if (!locale.empty()) place(locale, localeName);
  }
  const std::string& from = app.package.packageMode ? Folders().temp : Folders().source;
  const std::string script = ReadScriptString("<General>", "ProjectName") + ".inf";
  if (!RunningFrom(target)) {
    place(from + "Install.exe", "Install.exe");
    place(from + "Karvo.dll", "Karvo.dll");
  }
  if (RegisterUninstall()) WriteProductDetails(Exp(kUninstallKeyTemplate), installed);
  if (!app.maintenance) place(Folders().temp + script, script);
  // What this run made and overwrote joins the record beside the installed script; the
  // copies of replaced files are the rollback's alone.
  RecordAppender record;
  record.Open(InstalledRecordFile(target + script));
  const bool readBack = Journal().ForEachEntry([&record](const RecordEntry& e) {
    if (e.kind != RecordKind::Saved && e.kind != RecordKind::Component) record.Add(e);
  });
  // A file that was there and now holds the product's (not one the user kept, not one an
  // edit changed) is the product's to remove.
  for (std::string& path : Journal().ReplacedFiles())
    record.Add({RecordKind::File, {std::move(path)}});
  if (!record.Close() || !readBack)
    LogStep("result",
            "cannot add to the installation record " + InstalledRecordFile(target + script));
}

void RunCompletion(Application& app) {
  LogStep("phase", "completion");
  if (ReadScriptInt("<CompletionWnd>", "SkipThis") == 0 && !app.responseMode) {
    InstallWizard completion("Completion");
    completion.FillCompletion();
    CurrentUi().RunWizard(completion, [] { return false; });
  }
  for (int i :
       ScriptListItems("<CompletionWnd>", "", 0, ReadScriptInt("<CompletionWnd>", "nItems") - 1))
    RunActionLine(ReadScriptString("<CompletionWnd>", std::to_string(i)));
  if (Flags().restartPending) RunActionLine("? | If (1 == 1) | 16 | Reboot... | ");
}

// Before a first installation writes anything: each destination is stored with ".." and "."
// resolved, and one that already holds something is marked "PreExistingN=1", so that the
// uninstall takes only the product's files from it rather than the whole folder.
void RecordDestinations() {
  const int n = ReadScriptInt("<Destinations>", "nItems");
  for (int i : ScriptListItems("<Destinations>", "InstallPath", 1, n)) {
    const std::string key = "InstallPath" + std::to_string(i);
    const std::string path = Exp(ReadScriptString("<Destinations>", key));
    if (path.empty()) continue;
    std::string normal;
    if (winpath::IsAbsolute(path) && winpath::Normalize(path, normal) && normal != path)
      WriteScriptString("<Destinations>", key, normal);
    const std::string existed = "PreExisting" + std::to_string(i);
    if (FolderHasEntries(normal.empty() ? path : normal))
      WriteScriptString("<Destinations>", existed, "1");
  }
}

// Every install script names its project; a copy without the name is not the one the run
// started with.
bool WorkingCopyWhole() {
  return FileExists(GetScriptFile()) && !ReadScriptString("<General>", "ProjectName").empty();
}

InstallEnd InstallThread(Application& app, ProgressView* progress) {
  LogStep("phase", "installing the components");
  PacedWait(1000);
  InstallProgressSlot().store(progress);
  if (!app.maintenance) RecordDestinations();
  const std::string type = InstalledTypeSection();
  const std::vector<int> lines = ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1);
  std::unordered_set<std::string> already;  // upper case
  for (const std::string& name : InstalledComponentNames()) already.insert(winpath::ToUpper(name));
  std::vector<std::string> installed;
  bool ok = true;
  InstallEnd end = InstallEnd::Completed;
  ComponentContext context{app.package, progress, CheckStop};
  for (int i : lines) {
    if (CheckStop()) {
      ok = false;
      end = InstallEnd::Stopped;
      break;
    }
    std::string line = ReadScriptString(type, std::to_string(i));
    std::string name = NextField(line);
    NextField(line);
    std::string selected = NextField(line);
    // A line the section lacks (or an empty one) names no component: nothing to install
    // and no name to record.
    if (name.empty()) continue;
    const bool isInstalled = already.count(winpath::ToUpper(name)) != 0;
    if (selected == "0") {
      if (isInstalled) RemoveComponent(name, progress);
    } else if (isInstalled) {
      installed.push_back(name);
    } else {
      ok = InstallComponent(i, context);
      installed.push_back(name);
      if (!ok) end = Flags().stopRequest ? InstallEnd::Stopped : InstallEnd::Failed;
    }
    if (!ok) {
      // A failed run is rolled back as a stopped one is (whose check posted this already).
      if (end == InstallEnd::Failed) Events().Post(MainMessage::RunUninstall);
      Events().Post(MainMessage::Quit, 1);
      break;
    }
  }
  if (ok && CheckStop()) {
    ok = false;
    end = InstallEnd::Stopped;
  }
  // A working copy that vanished (or was replaced) during the run answered every later
  // question with nothing: the run cannot have done what the script asked.
  if (ok && !WorkingCopyWhole()) {
    NoteFailure("the working copy of the install script, " + GetScriptFile() +
                ", vanished during the run");
    ok = false;
    end = InstallEnd::Failed;
  }
  if (ok && ReadScriptInt("<Uninstall>", "SkipThis") == 0) Register(app, installed);
  // The counts raised now belong to the product (or stay, unregistered, as the script chose),
  // and so does everything else the journal noted.
  // The journal goes first: while it stands, a kill leaves a run that the next one rolls
  // back, counts and all; once it is gone the counts are the installation's.
  if (ok) {
    Journal().Discard();
    ForgetCountJournal();
  }
  PacedWait(1500);
  // After a confirmed stop the window stays: the rollback goes on in it.
  if (progress && end != InstallEnd::Stopped) progress->Show(false);
  if (ok) RunCompletion(app);
  InstallProgressSlot().store(nullptr);
  Events().Post(MainMessage::Quit, ok ? 0 : 1);
  return end;
}

}  // namespace

ProgressView* InstallProgress() { return InstallProgressSlot(); }

SetupEnd LastSetupEnd() { return SetupEnd{SetupEndSlot().rolledBack, SetupEndSlot().interrupted}; }

bool CheckStop() {
  if (!Flags().stopRequest) return false;
  if (QuitConfirmed().exchange(false) ||
      ShowMessage(LoadText(TextId::QuitQuestion), kMbYesNo | kMbIconQuestion) == kIdYes) {
    Events().Post(MainMessage::RunUninstall);
    return true;
  }
  Flags().stopRequest = false;
  return false;
}

void ReadResponseFile(const std::string& file) {
  ReadResponseAnswers(file);
  Events().Post(MainMessage::StartInstall);
}

void ReadResponseAnswers(const std::string& file) {
  if (ReadScriptInt("<UserInfoWnd>", "SkipThis") == 0) {
    std::string key = Exp("Software\\{VendorName}\\{ProductName}\\UserInfo");
    const char* pairs[3][2] = {{"AskUserName", "RegisteredOwner"},
                               {"AskCompany", "RegisteredOrganization"},
                               {"AskEmail", "UserEmail"}};
    for (auto& p : pairs)
      if (ReadScriptInt("<UserInfoWnd>", p[0]) == 1)
        WriteRegistryString(kHkeyCurrentUser, key, p[1], ReadIniString("ResponseFile", p[0], file));
  }
  if (ReadScriptInt("<InstTypeListWnd>", "nItems") != 0)
    WriteScriptString("<InstSummaryWnd>", "InstalledType",
                      ReadIniString("ResponseFile", "InstalledType", file));
  std::string type = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  // Lines the section does not hold read as empty and stay so: only those present are set.
  ScriptKeys lines;
  for (int i : ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1)) {
    std::string key = std::to_string(i);
    std::string line = ReadScriptString(type, key);
    // An empty line has no last character to set; it stays empty.
    if (line.empty()) continue;
    bool on = ReadIniInt("ResponseFile", "Component" + std::to_string(i + 1), file) == 1;
    line.back() = on ? '1' : '0';
    lines.emplace_back(std::move(key), std::move(line));
  }
  WriteScriptStrings(type, lines);
  // Every destination either file names, and the first that neither does (the rest would
  // all be written alike).
  int destinations = ReadScriptInt("<Destinations>", "nItems");
  std::vector<int> rows = ScriptListItems("<Destinations>", "InstallPath", 1, destinations);
  std::vector<int> answered = IniListItems("ResponseFile", "InstallPath", 1, destinations, file);
  rows.insert(rows.end(), answered.begin(), answered.end());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  ScriptKeys paths;
  for (int d : rows) {
    std::string key = "InstallPath" + std::to_string(d);
    paths.emplace_back(key, ReadIniString("ResponseFile", key, file));
  }
  WriteScriptStrings("<Destinations>", paths);
}

ExitStatus BeginSetup(Application& app) {
  Events().Clear();
  Journal().Clear();
  // The working-copy lock is held: a journal left now is a killed run's.
  GiveBackKilledRunCounts();
  FinishKilledRun(GetScriptFile());
  // Maintenance removes components as the installation record allows.
  if (app.maintenance) LoadedRecord().Load(ReadRecordFile(InstalledRecordFile(GetScriptFile())));
  // Nothing is written before the journal can note it.
  if (!Journal().Open(JournalFile(GetScriptFile()), SavedCopiesFolder(GetScriptFile()))) {
    NoteFailure("cannot write the installation journal " + JournalFile(GetScriptFile()) + ": " +
                SystemErrorText(GetLastError()));
    return ExitStatus::Failed;
  }
  SetupEndSlot().rolledBack = false;
  SetupEndSlot().interrupted = false;
  // An interrupt from outside (Ctrl-C, a request to end) is a confirmed stop: what the run
  // did is rolled back before the process ends.
  SetInterruptHandler([] {
    SetupEndSlot().interrupted = true;
    QuitConfirmed().store(true);
    Flags().stopRequest = true;
  });
  QuitConfirmed().store(false);
  // A refused scripted answer is a stop the user has confirmed already: the next check
  // rolls back whatever the run has installed.
  SetAnswerRefusalHandler([] {
    QuitConfirmed().store(true);
    Flags().stopRequest = true;
  });
  if (AnswersRefused()) return ExitStatus::Cancelled;  // refused before setup began
  std::thread installer;
  std::unique_ptr<ProgressView> progress;
  InstallEnd end = InstallEnd::Completed;
  bool quitByUser = false;
  bool handedOver = false;
  bool responseMissing = false;
  bool switchRefused = false;
  bool generated = false;  // the response file is the switches' own
  // A switch naming what the script lacks ends the run before anything is installed.
  auto applySwitches = [&app, &switchRefused] {
    std::string error;
    if (ApplySwitchAnswers(app.switches, error)) return true;
    ShowMessage(error, kMbOk | kMbIconStop);
    NoteFailure(error);
    switchRefused = true;
    Events().Post(MainMessage::Quit, 1);
    return false;
  };
  // The main window's messages are dispatched calls: each Post hands the queue to the
  // interface thread, whose main loop (the UI's) handles them in order.
  Dispatcher& dispatcher = UiDispatcher();
  dispatcher.BindToCurrentThread();
  bool running = true;
  std::atomic<bool> installDone{false};
  std::function<void()> handle = [&] {
    MainEvent e;
    while (running && Events().Poll(e)) {
      switch (e.message) {
        case MainMessage::BeginSetup:
          generated = app.responseMode && app.responseFile.empty();
          if (generated) {
            // /S without -s: the script's defaults plus the switches, through a response file
            // as an unattended run reads one.
            if (!applySwitches()) break;
            app.responseFile = Folders().temp + app.projectName + ".switches.ini";
            WriteResponseFile(app.responseFile, UserAnswers::Defaults);
            LogStep("phase", "answers of the switches " + app.switches.Text());
          } else if (!app.responseMode && !applySwitches()) {
            break;
          }
          if (app.responseMode) {
            // Without its answers an unattended run would install nothing and still report
            // success and run the completion: it ends here.
            if (std::string problem = ResponseFileProblem(app.responseFile); !problem.empty()) {
              if (!FileExists(app.responseFile))
                ShowMessage(app.responseFile + LoadText(TextId::ResponseFileMissing),
                            kMbOk | kMbIconStop);
              else
                ShowMessage(problem, kMbOk | kMbIconStop);
              NoteFailure(problem);
              responseMissing = true;
              Events().Post(MainMessage::Quit, 1);
              break;
            }
            LogStep("phase", "setup from the response file " + app.responseFile);
            ReadResponseAnswers(app.responseFile);
            if (generated) DeleteFile(app.responseFile);
            // Switches given beside a response file override its answers.
            if (app.switches.Any() && !applySwitches()) break;
            Events().Post(MainMessage::StartInstall);
          } else {
            LogStep("phase", app.fullWizard ? "setup wizard" : "maintenance wizard");
            InstallWizard wizard("Install Wizard Window");
            if (app.fullWizard)
              wizard.FillFull();
            else
              wizard.FillModify();
            switch (CurrentUi().RunWizard(wizard, ConfirmQuit)) {
              case WizardOutcome::StartInstall:
              case WizardOutcome::Finished:  // no page to show: install with the script's choices
                Events().Post(MainMessage::StartInstall);
                break;
              case WizardOutcome::Quit:
                quitByUser = true;
                if (AnswersRefused()) Events().Post(MainMessage::Quit, 1);
                break;
              case WizardOutcome::UninstallAll:
                CurrentUi().Beep();
                HandOverUnusedAnswers();
                RunActionLine(
                    "? | If(1 == 1) | 7 | Uninstall now | \"{InstallPath1}\\Install.exe\" | -u "
                    "\"{InstallPath1}\\{ProductInfFile}\" | 1 | 0");
                handedOver = true;
                Events().Post(MainMessage::Quit, 1);
                break;
            }
          }
          break;
        case MainMessage::StartInstall:
          if (installer.joinable()) break;
          // The answers given, as a response file for later unattended runs.
          if (!app.switches.saveInf.empty() &&
              !WriteResponseFile(app.switches.saveInf, UserAnswers::Given))
            ShowMessage("The response file " + app.switches.saveInf + " could not be written.",
                        kMbOk);
          progress = CurrentUi().CreateProgress("Install");
          progress->SetHeading("Start to transfer files...");
          progress->Show(true);
          installer = std::thread([&app, &end, &installDone, &dispatcher, view = progress.get()] {
            end = InstallThread(app, view);
            installDone = true;
            dispatcher.Post([] {});  // wakes a wait for this thread
          });
          break;
        case MainMessage::RunUninstall:
          if (SetupEndSlot().rolledBack) break;
          LogStep("phase", "rolling back what the run installed");
          RunUninstall(UninstallOptions{&Journal(), app.maintenance, progress.get()});
          SetupEndSlot().rolledBack = true;
          break;
        case MainMessage::Exit:
          if (installer.joinable()) {
            // The install thread stops at its next check, rolls back and ends the loop itself.
            if (ShowMessage(LoadText(TextId::QuitQuestion), kMbYesNo) != kIdNo) {
              QuitConfirmed().store(true);
              Flags().stopRequest = true;
            }
          } else if (ConfirmQuit()) {
            quitByUser = true;
          }
          break;
        case MainMessage::Quit:
          running = false;
          break;
      }
    }
  };
  Events().SetOnPost([&dispatcher, &handle] { dispatcher.Post([&handle] { handle(); }); });
  Events().Post(MainMessage::BeginSetup);
  CurrentUi().RunMainLoop(dispatcher, [&] { return !running; });
  Events().SetOnPost(nullptr);
  if (installer.joinable()) {
    // The install thread may still ask or report on its way out.
    CurrentUi().WaitModal(dispatcher, [&] { return installDone.load(); });
    installer.join();
  }
  // A failed installation says why before its windows close.
  if (end == InstallEnd::Failed && !handedOver) ShowFailureNotice(FailureReason());
  // Updates the install thread posted on its way out run before its window goes.
  dispatcher.Pump(0);
  SetInterruptHandler(nullptr);
  const bool completed =
      handedOver || (progress && end == InstallEnd::Completed && !quitByUser && !responseMissing);
  // A run that ended before its install thread (a quit wizard, a refused answer) may still
  // have written the user's answers: they go back too.
  if (!completed && !SetupEndSlot().rolledBack && !Journal().Empty()) {
    for (const std::string& path : Journal().CountedPaths()) LowerSharedFileCountOnly(path);
    RollBackEntries(Journal().Entries(), nullptr);
    SetupEndSlot().rolledBack = true;
  }
  // Whatever the end, the run's changes are registered, rolled back or meant to stay.
  Journal().Discard();
  ForgetCountJournal();
  if (SetupEndSlot().interrupted && !completed) return ExitStatus::Cancelled;
  if (handedOver) return ExitStatus::Completed;
  if (responseMissing) return ExitStatus::Failed;
  if (switchRefused) return ExitStatus::RejectedCommandLine;
  if (quitByUser || end == InstallEnd::Stopped) return ExitStatus::Cancelled;
  if (end == InstallEnd::Failed) return ExitStatus::Failed;
  if (!progress) return ExitStatus::Cancelled;  // the installation never started
  return (Flags().restartRequested || Flags().restartPending) ? ExitStatus::RestartNeeded
                                                              : ExitStatus::Completed;
}

StartupHooks EngineStartupHooks() {
  StartupHooks hooks = DefaultStartupHooks();
  hooks.runPreparation = RunPreparation;
  hooks.beginSetup = BeginSetup;
  hooks.runUninstall = [](Application&) { return RunUninstall(); };
  hooks.showSplash = [](Application&, const std::string& image) { CurrentUi().ShowSplash(image); };
  hooks.createMainWindow = [](Application&) {
    // Code 10's pictures go to the main window, synchronously from the action's thread.
    SetBulletinSink([](const std::string& image) { CurrentUi().SetBulletin(image); });
    return CurrentUi().CreateMainWindow();
  };
  hooks.layoutMainWindow = [](Application&) { CurrentUi().LayoutMainWindow(); };
  return hooks;
}

}  // namespace vx
