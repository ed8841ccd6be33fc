// The installation driver in-process: the response-file and wizard runs, the component loop
// with installed and deselected components, the stop question, registration, the locale
// file, completion, and the rollback of a confirmed stop.
#include "engine/run/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/base/RegistryHelpers.h"
#include "engine/run/Application.h"
#include "engine/base/Flags.h"
#include "engine/base/MainEvents.h"
#include "engine/base/RunJournal.h"
#include "engine/files/FileCopy.h"
#include "engine/files/SharedFiles.h"
#include "engine/uninstall/UninstallRun.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/RestartQueue.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";
constexpr char kQuitQuestion[] = "WARNING: The installation has not been completed yet.";

class DriverTest : public CoreTest {
 protected:
  DriverTest() {
    machine.Reconfigure("Platform=NT\r\nAdmin=1\r\n");
    SetPaceFactor(0);
    FillFolderValues();
    Folders().source = "C:\\Setup\\";
    machine.WriteFile("C:\\Setup\\Install.exe", "engine");
    machine.WriteFile("C:\\Setup\\Karvo.dll", "library");
    machine.WriteFile("C:\\Setup\\files\\a.txt", "alpha");
    machine.WriteFile("C:\\Setup\\files\\a2.txt", "alpha two");
    machine.WriteFile("C:\\Setup\\files\\b.txt", "beta");
    sections = {
        {"<General>",
         {"ProductName=Demo", "VendorName=Acme", "ProjectName=Demo", "FolderName=Demo"}},
        {"<InstSummaryWnd>", {"InstalledType=<CompListWnd>", "SkipThis=1"}},
        {"<WelcomeWnd>", {"SkipThis=1"}},
        {"<LicenseWnd>", {"SkipThis=1"}},
        {"<UserInfoWnd>", {"SkipThis=1"}},
        {"<InstTypeListWnd>", {"nItems=0"}},
        {"<CompListWnd>", {"nItems=2", "0=Base | 0 | 1", "1=Extra | 1 | 1"}},
        {"Base", {"nItems=1", "0=a.txt | {InstallPath1} | files"}},
        {"Extra", {"nItems=1", "0=b.txt | {InstallPath1}extra | files"}},
        {"<Destinations>", {"nItems=1", "InstallPath1=C:\\App", "PathWndVisible=0"}},
        {"<Uninstall>", {"SkipThis=0"}},
        {"<PreActions>", {"nItems=0"}},
        {"<CompletionWnd>",
         {"SkipThis=0", "nItems=1", "0=? | If (1 == 1) | 12 | Done | All done | 0"}},
    };
    app.package.packageMode = false;
  }

  // Writes `sections` as the working copy in the temp folder.
  void WriteScript() {
    std::vector<std::string> lines;
    for (const auto& [name, keys] : sections) {
      lines.push_back("[" + name + "]");
      lines.insert(lines.end(), keys.begin(), keys.end());
    }
    UseScript(lines, Script());
  }
  std::string Script() const { return Folders().temp + "Demo.inf"; }

  ExitStatus RunWithResponses(const std::vector<std::string>& answers) {
    std::string text = "[ResponseFile]\r\n";
    for (const std::string& a : answers) text += a + "\r\n";
    machine.WriteFile("C:\\Setup\\answers.ini", text);
    WriteScript();
    app.responseMode = true;
    app.responseFile = "C:\\Setup\\answers.ini";
    return BeginSetup(app);
  }
  ExitStatus RunAll() {
    return RunWithResponses({"Component1=1", "Component2=1", "InstallPath1=C:\\App"});
  }

  bool Exists(const std::string& path) const { return std::filesystem::exists(machine.Host(path)); }

  int CountShown(const std::string& piece) const {
    auto shown = ui->Shown();
    return static_cast<int>(std::count_if(shown.begin(), shown.end(), [&](const std::string& s) {
      return s.find(piece) != std::string::npos;
    }));
  }
  int CountProgress(const std::string& line) const {
    auto log = ui->ProgressLog();
    return static_cast<int>(std::count(log.begin(), log.end(), line));
  }

  static std::optional<std::string> MachineString(const std::string& key, const std::string& name) {
    HKEY h = 0;
    if (RegOpenKeyEx(kHkeyLocalMachine, key, kKeyRead, &h) != kErrorSuccess) return std::nullopt;
    char buffer[1024];
    std::uint32_t type = 0, size = sizeof buffer;
    std::int32_t rc = RegQueryValueEx(h, name, &type, buffer, &size);
    RegCloseKey(h);
    if (rc != kErrorSuccess) return std::nullopt;
    std::string text(buffer, size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }

  void ExpectNothingRegistered() {
    EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledFrom"), "");
    EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems", -1), -1);
    EXPECT_FALSE(Exists("C:\\App\\Install.exe"));
    EXPECT_FALSE(Exists("C:\\App\\Karvo.dll"));
    EXPECT_FALSE(Exists("C:\\App\\Demo.inf"));
    EXPECT_EQ(MachineString(kUninstallKey, "UninstallString"), std::nullopt);
  }

  std::map<std::string, std::vector<std::string>> sections;
  Application app;
};

TEST_F(DriverTest, ResponseRunInstallsRegistersAndCompletesWithoutThePage) {
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_EQ(machine.ReadFile("C:\\App\\a.txt"), "alpha");
  EXPECT_EQ(machine.ReadFile("C:\\App\\extra\\b.txt"), "beta");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledFrom"), "C:\\Setup\\");
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems"), 2);
  EXPECT_EQ(ReadScriptString("InstalledComponents", "0"), "Base");
  EXPECT_EQ(ReadScriptString("InstalledComponents", "1"), "Extra");
  EXPECT_EQ(machine.ReadFile("C:\\App\\Install.exe"), "engine");
  EXPECT_EQ(machine.ReadFile("C:\\App\\Karvo.dll"), "library");
  // The installed script is the working copy with everything written into it.
  std::string installed = machine.ReadFile("C:\\App\\Demo.inf");
  EXPECT_NE(installed.find("InstalledComponents"), std::string::npos);
  EXPECT_NE(installed.find("InstalledFrom=C:\\Setup\\"), std::string::npos);
  EXPECT_EQ(MachineString(kUninstallKey, "DisplayName"), "Uninstall Demo");
  EXPECT_EQ(MachineString(kUninstallKey, "UninstallString"),
            "\"C:\\App\\Install.exe\" -u \"C:\\App\\Demo.inf\"");
  // Completion actions ran; the completion page was never shown.
  EXPECT_EQ(CountShown("All done"), 1);
  EXPECT_EQ(CountShown("Completion |"), 0);
  EXPECT_EQ(CountShown(kQuitQuestion), 0);
}

TEST_F(DriverTest, WizardRunShowsTheCompletionPageBeforeTheCompletionActions) {
  sections["<InstSummaryWnd>"] = {"InstalledType=<CompListWnd>", "SkipThis=0"};
  WriteScript();
  app.fullWizard = true;
  ui->AddAnswer("ok");  // components: as they are
  ui->AddAnswer("ok");  // summary: Start
  ui->AddAnswer("ok");  // completion: Finish
  EXPECT_EQ(BeginSetup(app), ExitStatus::Completed);
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].substr(0, 13), "Components | ");
  EXPECT_EQ(shown[1].substr(0, 10), "Summary | ");
  EXPECT_EQ(shown[2].substr(0, 13), "Completion | ");
  EXPECT_NE(shown[3].find("All done"), std::string::npos);
  EXPECT_TRUE(Exists("C:\\App\\extra\\b.txt"));
}

TEST_F(DriverTest, WizardWithoutPagesInstallsWithTheScriptsChoices) {
  WriteScript();
  EXPECT_EQ(BeginSetup(app), ExitStatus::Completed);
  EXPECT_TRUE(Exists("C:\\App\\a.txt"));
  EXPECT_TRUE(Exists("C:\\App\\extra\\b.txt"));
}

TEST_F(DriverTest, CancelInTheWizardConfirmedQuitsBeforeInstalling) {
  sections["<InstSummaryWnd>"] = {"InstalledType=<CompListWnd>", "SkipThis=0"};
  WriteScript();
  ui->AddAnswer("ok");      // components: as they are
  ui->AddAnswer("cancel");  // summary: Cancel
  ui->AddAnswer("yes");     // quit
  EXPECT_EQ(BeginSetup(app), ExitStatus::Cancelled);
  EXPECT_TRUE(Flags().stopRequest.load());
  EXPECT_EQ(CountShown(kQuitQuestion), 1);
  EXPECT_FALSE(Exists("C:\\App"));
  ExpectNothingRegistered();
}

TEST_F(DriverTest, UninstallAllInTheModifyWizardHandsOverAndWritesNothing) {
  sections["<InstSummaryWnd>"] = {"InstalledType=<CompListWnd>", "SkipThis=0"};
  sections["InstalledComponents"] = {"nItems=2", "0=Base", "1=Extra"};
  WriteScript();
  app.fullWizard = false;
  app.maintenance = true;
  ui->AddAnswer("text:uninstall-all");
  EXPECT_EQ(BeginSetup(app), ExitStatus::Completed);
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Extra | 1 | 1");
  EXPECT_FALSE(Exists("C:\\App\\a.txt"));
  EXPECT_EQ(CountShown("All done"), 0);
}

TEST_F(DriverTest, SkipThisOfUninstallRegistersNothing) {
  sections["<Uninstall>"] = {"SkipThis=1"};
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_TRUE(Exists("C:\\App\\a.txt"));
  ExpectNothingRegistered();
  EXPECT_EQ(CountShown("All done"), 1);
}

TEST_F(DriverTest, DeselectedComponentIsSkippedOnAFirstInstall) {
  EXPECT_EQ(RunWithResponses({"Component1=1", "Component2=0", "InstallPath1=C:\\App"}),
            ExitStatus::Completed);
  EXPECT_FALSE(Exists("C:\\App\\extra\\b.txt"));
  EXPECT_EQ(CountProgress("Removing file for Extra"), 0);
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems"), 1);
  EXPECT_EQ(ReadScriptString("InstalledComponents", "0"), "Base");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Extra | 1 | 0");
}

TEST_F(DriverTest, MaintenanceKeepsInstalledAndRemovesDeselected) {
  machine.WriteFile("C:\\App\\a.txt", "installed earlier");
  machine.WriteFile("C:\\App\\extra\\b.txt", "installed earlier");
  // Names are matched without regard to case.
  sections["InstalledComponents"] = {"nItems=2", "0=base", "1=Extra"};
  app.maintenance = true;
  EXPECT_EQ(RunWithResponses({"Component1=1", "Component2=0", "InstallPath1=C:\\App"}),
            ExitStatus::Completed);
  EXPECT_EQ(machine.ReadFile("C:\\App\\a.txt"), "installed earlier");  // not installed again
  EXPECT_FALSE(Exists("C:\\App\\extra\\b.txt"));
  EXPECT_EQ(CountProgress("Removing file for Extra"), 1);
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems"), 1);
  EXPECT_EQ(ReadScriptString("InstalledComponents", "0"), "Base");
  EXPECT_EQ(ReadScriptString("InstalledComponents", "1"), "");
  // In maintenance the working copy already is the installed script.
  EXPECT_FALSE(Exists("C:\\App\\Demo.inf"));
}

TEST_F(DriverTest, LocaleFileIsCopiedToTheInstallFolder) {
  machine.WriteFile(Folders().temp + "Fr.lng", "[TEXT]\r\n");
  SetLocaleFile(Folders().temp + "Fr.lng");
  sections["<PreActions>"] = {"nItems=0", "DefLocale=Other.lng"};
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_EQ(ReadScriptString("<PreActions>", "DefLocale"), "Fr.lng");
  EXPECT_EQ(machine.ReadFile("C:\\App\\Fr.lng"), "[TEXT]\r\n");
  EXPECT_NE(machine.ReadFile("C:\\App\\Demo.inf").find("DefLocale=Fr.lng"), std::string::npos);
}

TEST_F(DriverTest, LocaleFileAlreadyInTheInstallFolderIsLeftAlone) {
  machine.WriteFile("C:\\App\\Fr.lng", "[TEXT]\r\n");
  SetLocaleFile("C:\\App\\Fr.lng");
  sections["<PreActions>"] = {"nItems=0", "DefLocale=Other.lng"};
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_EQ(ReadScriptString("<PreActions>", "DefLocale"), "Other.lng");
}

TEST_F(DriverTest, WithoutALocaleFileDefLocaleIsWrittenEmpty) {
  sections["<PreActions>"] = {"nItems=0", "DefLocale=Other.lng"};
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_NE(machine.ReadFile(Script()).find("DefLocale=\r\n"), std::string::npos);
  for (auto& e : std::filesystem::directory_iterator(machine.Host("C:\\App")))
    EXPECT_NE(e.path().extension(), ".lng");
}

TEST_F(DriverTest, StopAnsweredNoGoesOnWithTheNextItem) {
  sections["Base"] = {"nItems=2", "0=? | If (1 == 1) | 15 | Stop | ",
                      "1=a.txt | {InstallPath1} | files"};
  ui->AddAnswer("no");
  EXPECT_EQ(RunAll(), ExitStatus::Completed);
  EXPECT_EQ(CountShown(kQuitQuestion), 1);
  EXPECT_FALSE(Flags().stopRequest.load());
  EXPECT_TRUE(Exists("C:\\App\\a.txt"));
  EXPECT_TRUE(Exists("C:\\App\\extra\\b.txt"));
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems"), 2);
  EXPECT_EQ(CountShown("All done"), 1);
}

TEST_F(DriverTest, StopAnsweredYesAsksOnceAndRollsBackWhatThisRunMade) {
  machine.WriteFile("C:\\App\\keep.txt", "the user's");
  sections["Base"] = {"nItems=3", "0=a.txt | {InstallPath1} | files",
                      "1=? | If (1 == 1) | 15 | Stop | ", "2=a2.txt | {InstallPath1} | files"};
  ui->AddAnswer("yes");
  EXPECT_EQ(RunAll(), ExitStatus::Cancelled);
  EXPECT_EQ(CountShown(kQuitQuestion), 1);
  EXPECT_EQ(CountProgress("Rolling back: Removing file for Base"), 1);
  EXPECT_EQ(CountProgress("Rolling back: Removing file for Extra"), 0);
  EXPECT_FALSE(Exists("C:\\App\\a.txt"));
  EXPECT_FALSE(Exists("C:\\App\\a2.txt"));
  EXPECT_FALSE(Exists("C:\\App\\extra\\b.txt"));
  EXPECT_EQ(machine.ReadFile("C:\\App\\keep.txt"), "the user's");
  ExpectNothingRegistered();
  EXPECT_EQ(CountShown("All done"), 0);
}

TEST_F(DriverTest, StopRaisedByTheLastItemIsAskedBeforeRegistering) {
  sections["Extra"] = {"nItems=2", "0=b.txt | {InstallPath1}extra | files",
                       "1=? | If (1 == 1) | 15 | Stop | "};
  ui->AddAnswer("yes");
  EXPECT_EQ(RunAll(), ExitStatus::Cancelled);
  EXPECT_EQ(CountShown(kQuitQuestion), 1);
  ExpectNothingRegistered();
  // Both components were made by this run: the rollback takes both back.
  EXPECT_FALSE(Exists("C:\\App\\a.txt"));
  EXPECT_FALSE(Exists("C:\\App\\extra\\b.txt"));
  EXPECT_FALSE(Exists("C:\\App"));
}

TEST_F(DriverTest, FailedComponentEndsTheRunWithoutRegistrationOrCompletion) {
  sections["Base"] = {"nItems=1", "0=missing.txt | {InstallPath1} | files"};
  EXPECT_EQ(RunAll(), ExitStatus::Failed);
  EXPECT_FALSE(Exists("C:\\App\\extra\\b.txt"));
  ExpectNothingRegistered();
  EXPECT_EQ(CountShown("All done"), 0);
  // What the failed run made is rolled back, in the install window.
  EXPECT_EQ(CountProgress("Rolling back: Removing file for Base"), 1);
  // The reason is told in a message box before the windows go.
  EXPECT_EQ(CountShown("Reason: component Base: "), 1);
}

TEST_F(DriverTest, FileInUseIsReplacedAtRestartWhichEndsTheRun) {
  machine.WriteFile("C:\\App\\a.txt", "old");
  FileHandle h = CreateFile("C:\\App\\a.txt", kGenericWrite, kShareNone, Disposition::OpenExisting);
  ASSERT_NE(h, kInvalidHandle);
  FileTime old{1};
  ASSERT_TRUE(SetFileTime(h, &old, &old, &old));
  CloseHandle(h);
  // Another program holds the file: it may be read but not replaced now.
  FileHandle held =
      CreateFile("C:\\App\\a.txt", kGenericRead, kShareRead, Disposition::OpenExisting);
  ASSERT_NE(held, kInvalidHandle);
  ExitStatus status = RunAll();
  CloseHandle(held);
  EXPECT_EQ(status, ExitStatus::RestartNeeded);
  EXPECT_EQ(machine.ReadFile("C:\\App\\a.txt"), "old");
  bool replacement = false;
  for (const PendingOperation& op : ListPendingOperations())
    replacement = replacement || op.target == "C:\\App\\a.txt";
  EXPECT_TRUE(replacement);
  // The completion ran the restart, which took the pending flag.
  EXPECT_FALSE(Flags().restartPending.load());
  EXPECT_EQ(CountShown("All done"), 1);
}

TEST_F(DriverTest, MissingResponseFileEndsTheRun) {
  WriteScript();
  app.responseMode = true;
  app.responseFile = "C:\\Setup\\none.ini";
  EXPECT_EQ(BeginSetup(app), ExitStatus::Failed);
  EXPECT_EQ(CountShown("C:\\Setup\\none.ini: The required response file is missing."), 1);
  EXPECT_FALSE(Exists("C:\\App"));
  EXPECT_FALSE(Exists("C:\\Install.exe"));
  ExpectNothingRegistered();
  EXPECT_EQ(CountShown("All done"), 0);
}

TEST_F(DriverTest, ProductWithoutInstallFolderLeavesTheEngineWhereItIs) {
  sections["Base"] = {"nItems=1", "0=a.txt | {Windows} | files"};
  sections["<CompListWnd>"] = {"nItems=1", "0=Base | 0 | 1"};
  sections["<Destinations>"] = {"nItems=0"};
  EXPECT_EQ(RunWithResponses({"Component1=1"}), ExitStatus::Completed);
  EXPECT_EQ(machine.ReadFile(Folders().windows + "a.txt"), "alpha");
  EXPECT_EQ(ReadScriptString("InstalledComponents", "0"), "Base");
  // Nothing lands in the current directory, and no uninstall entry names a missing engine.
  EXPECT_FALSE(Exists("C:\\Install.exe"));
  EXPECT_FALSE(Exists("C:\\Karvo.dll"));
  EXPECT_FALSE(Exists("C:\\Demo.inf"));
  EXPECT_EQ(MachineString(kUninstallKey, "UninstallString"), std::nullopt);
  EXPECT_EQ(CountShown("All done"), 1);
}

// ---- the response file alone ----

TEST_F(DriverTest, ResponseFileWritesTheAnswersWhereTheWizardWould) {
  sections["<UserInfoWnd>"] = {"SkipThis=0", "AskUserName=1", "AskCompany=0", "AskEmail=1"};
  sections["<InstTypeListWnd>"] = {"nItems=2", "0=Typical", "1=Custom"};
  sections["Custom"] = {"nItems=3", "0=Base | 0 | 1", "1=Extra | 1 | 1", "2=Odd | 1 | 0"};
  sections["<Destinations>"] = {"nItems=2", "InstallPath1=C:\\App", "InstallPath2=C:\\Data"};
  WriteScript();
  machine.WriteFile("C:\\Setup\\answers.ini",
                    "[ResponseFile]\r\nAskUserName=Alice\r\nAskCompany=Acme Corp\r\n"
                    "AskEmail=a@b\r\nInstalledType=Custom\r\nComponent1=1\r\nComponent2=2\r\n"
                    "Component3=1\r\nInstallPath1=D:\\Prog\r\n");
  ReadResponseFile("C:\\Setup\\answers.ini");
  const std::string key = "Software\\Acme\\Demo\\UserInfo";
  std::string owner, org, mail;
  ReadRegistryString(kHkeyCurrentUser, key, "RegisteredOwner", owner);
  ReadRegistryString(kHkeyCurrentUser, key, "RegisteredOrganization", org);
  ReadRegistryString(kHkeyCurrentUser, key, "UserEmail", mail);
  EXPECT_EQ(owner, "Alice");
  EXPECT_EQ(org, "");  // not asked
  EXPECT_EQ(mail, "a@b");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "Custom");
  EXPECT_EQ(ReadScriptString("Custom", "0"), "Base | 0 | 1");
  EXPECT_EQ(ReadScriptString("Custom", "1"), "Extra | 1 | 0");  // only 1 selects
  EXPECT_EQ(ReadScriptString("Custom", "2"), "Odd | 1 | 1");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Prog");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath2"), "");
  MainEvent e{};
  ASSERT_TRUE(Events().Poll(e));
  EXPECT_EQ(e.message, MainMessage::StartInstall);
  EXPECT_FALSE(Events().Poll(e));
}

TEST_F(DriverTest, ResponseFileLeavesTheTypeWithoutTypeListAndUserDataWhenSkipped) {
  sections["<InstSummaryWnd>"] = {"InstalledType=<CompListWnd>"};
  sections["<UserInfoWnd>"] = {"SkipThis=1", "AskUserName=1"};
  WriteScript();
  machine.WriteFile("C:\\Setup\\answers.ini",
                    "[ResponseFile]\r\nAskUserName=Alice\r\nInstalledType=Custom\r\n");
  ReadResponseFile("C:\\Setup\\answers.ini");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "<CompListWnd>");
  std::string owner = "unset";
  ReadRegistryString(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo", "RegisteredOwner", owner);
  EXPECT_EQ(owner, "unset");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Base | 0 | 0");
}

// ---- the stop question ----

TEST_F(DriverTest, CheckStopAsksOnlyWhenRaised) {
  WriteScript();
  EXPECT_FALSE(CheckStop());
  EXPECT_TRUE(ui->Shown().empty());

  Flags().stopRequest = true;
  ui->AddAnswer("no");
  EXPECT_FALSE(CheckStop());
  EXPECT_FALSE(Flags().stopRequest.load());
  MainEvent e{};
  EXPECT_FALSE(Events().Poll(e));

  Flags().stopRequest = true;
  ui->AddAnswer("yes");
  EXPECT_TRUE(CheckStop());
  EXPECT_TRUE(Flags().stopRequest.load());
  ASSERT_TRUE(Events().Poll(e));
  EXPECT_EQ(e.message, MainMessage::RunUninstall);
  EXPECT_FALSE(Events().Poll(e));
  EXPECT_EQ(CountShown(kQuitQuestion), 2);
}

}  // namespace
}  // namespace vx::test

namespace vx::test {
namespace {

// A UI on which an action's message box makes the user choose Exit in the main window; the
// box returns once the main window's quit question has been answered.
class ExitDuringInstallUi : public HeadlessUi {
 public:
  ExitDuringInstallUi() : HeadlessUi({}, false) {}
  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override {
    if (text.find("Quit from the menu now") != std::string::npos) {
      Events().Post(MainMessage::Exit);
      // The main window raises the stop request once the user has answered its question;
      // like any modal box, this one keeps the interface thread's dispatched calls running.
      for (int i = 0; i < 5000 && !Flags().stopRequest; ++i) UiDispatcher().Pump(1);
    }
    return HeadlessUi::MessageBox(caption, text, type);
  }
};

TEST_F(DriverTest, ExitChosenDuringTheInstallationStopsItOnceAndRollsBack) {
  auto exitUi = std::make_unique<ExitDuringInstallUi>();
  ui = exitUi.get();
  SetUi(std::move(exitUi));
  ui->AddAnswer("yes");
  sections["Base"] = {"nItems=3", "0=a.txt | {InstallPath1} | files",
                      "1=? | If (1 == 1) | 12 | Ask | Quit from the menu now | 0",
                      "2=a2.txt | {InstallPath1} | files"};
  EXPECT_EQ(RunAll(), ExitStatus::Cancelled);
  // The install thread takes the main window's answer; it does not ask a second time.
  EXPECT_EQ(CountShown(kQuitQuestion), 1);
  EXPECT_EQ(CountProgress("Rolling back: Removing file for Base"), 1);
  EXPECT_FALSE(Exists("C:\\App\\a.txt"));
  EXPECT_FALSE(Exists("C:\\App\\a2.txt"));
  ExpectNothingRegistered();
}

}  // namespace
}  // namespace vx::test
