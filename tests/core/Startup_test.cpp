#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "engine/run/Application.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/files/PackageFormat.h"
#include "platform/Files.h"
#include "platform/RestartQueue.h"
#include "platform/WinPath.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

// Records the full type of every message box besides answering it.
class RecordingUi : public HeadlessUi {
 public:
  RecordingUi() : HeadlessUi({}, false) {}
  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override {
    types.push_back(type);
    return HeadlessUi::MessageBox(caption, text, type);
  }
  std::vector<std::uint32_t> types;
};

class StartupTest : public CoreTest {
 protected:
  StartupTest() {
    auto recording = std::make_unique<RecordingUi>();
    rui = recording.get();
    ui = recording.get();
    SetUi(std::move(recording));
  }

  // Hooks that record what start-up asks of the other modules and succeed.
  StartupHooks Fakes() {
    StartupHooks h;
    h.showSplash = [this](Application&, const std::string& image) {
      calls.push_back("splash " + image);
    };
    h.openPackage = [this](Application& a) {
      calls.push_back("open " + a.package.path);
      return openResult;
    };
    h.runPreparation = [this](Application&) {
      calls.push_back("prepare");
      return prepareResult;
    };
    h.createMainWindow = [this](Application&) {
      calls.push_back("window");
      return windowResult;
    };
    h.layoutMainWindow = [this](Application&) { calls.push_back("layout"); };
    h.beginSetup = [this](Application&) {
      calls.push_back("setup");
      return ExitStatus::Completed;
    };
    h.runUninstall = [this](Application&) {
      calls.push_back("uninstall in " + GetCurrentDirectory());
      return uninstallResult;
    };
    h.startProgram = [this](const std::string& line) { calls.push_back("start " + line); };
    return h;
  }

  // A folder installation: C:\Src with the engine's bootstrap file, script and first disk.
  void FolderInstallation() {
    WriteIni("C:\\Src\\Install.ini", {"[<General>]", "ProjectName=Demo", "SplashImg=Splash.bmp"});
    WriteIni("C:\\Src\\Demo.inf",
             {"[<General>]", "ProductName=Demo Suite", "TotalDisks=2", "[<PreActions>]",
              "DefLocale=Lang.ini", "[<ScreenLayout>]", "MsgBoxCaption=Demo Setup"});
    machine.WriteFile("C:\\Src\\Demo.0", "disk");
  }

  // An installed product: the script in C:\Apps\Demo with the engine beside it.
  void InstalledProduct() {
    WriteIni("C:\\Apps\\Demo\\Demo.inf",
             {"[<General>]", "ProductName=Demo Suite", "ProjectName=Demo", "[<PreActions>]",
              "DefLocale=Lang.ini", "[<InstSummaryWnd>]", "InstalledFrom=C:\\Cd",
              "[<ScreenLayout>]", "MsgBoxCaption=Demo Setup"});
    WriteIni("C:\\Apps\\Demo\\Lang.ini", {"[TEXT]", "Res40039=Remove:"});
    machine.WriteFile("C:\\Apps\\Demo\\Install.exe", "engine");
    machine.WriteFile("C:\\Apps\\Demo\\Karvo.dll", "library");
  }

  std::set<std::string> TempNames() {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(machine.Host(Folders().temp)))
      names.insert(e.path().filename().string());
    return names;
  }

  RecordingUi* rui = nullptr;
  std::vector<std::string> calls;
  bool openResult = true, prepareResult = true, windowResult = true, uninstallResult = true;
};

TEST_F(StartupTest, NoBootstrapFileShowsTheMissingFileText) {
  Application app(Fakes());
  app.enginePath = "C:\\Empty\\Install.exe";
  EXPECT_FALSE(app.Startup(""));
  EXPECT_EQ(app.exitStatus, ExitStatus::Failed);
  ASSERT_EQ(rui->types.size(), 1u);
  EXPECT_EQ(rui->types[0], kMbOk | kMbIconStop);
  EXPECT_EQ(ui->Shown()[0].rfind(" | File Install.ini is missing!\\n\\nTo uninstall", 0), 0u);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(GetBootstrapFile(), "C:\\Empty\\Install.ini");
}

TEST_F(StartupTest, ARejectedCommandLineShowsTheUnknownCommandText) {
  FolderInstallation();
  for (const char* line : {"-x C:\\a", "-e", "-e C:\\a | -q b", "Demo.exe"}) {
    Application app(Fakes());
    app.enginePath = "C:\\Src\\Install.exe";
    EXPECT_FALSE(app.Startup(line)) << line;
    EXPECT_EQ(app.exitStatus, ExitStatus::RejectedCommandLine);
    EXPECT_EQ(rui->types.back(), kMbOk | kMbIconStop);
    EXPECT_EQ(ui->Shown().back(),
              " | An unknown command line has been passed to the Installer. | ok");
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(StartupTest, FolderInstallationCopiesTheScriptIntoTemp) {
  FolderInstallation();
  Application app(Fakes());
  app.enginePath = "C:\\Src\\Install.exe";
  ASSERT_TRUE(app.Startup(""));
  std::string temp = Folders().temp;
  EXPECT_EQ(app.projectName, "Demo");
  EXPECT_EQ(app.runState, kStateInstallFromFolder);
  EXPECT_EQ(GetScriptFile(), temp + "Demo.inf");
  EXPECT_EQ(machine.ReadFile(temp + "Demo.inf"), machine.ReadFile("C:\\Src\\Demo.inf"));
  EXPECT_EQ(GetLocaleFile(), "C:\\Src\\Lang.ini");
  EXPECT_EQ(app.tempList, std::vector<std::string>{temp + "Demo.inf"});
  EXPECT_EQ(app.package.path, "C:\\Src\\Demo.0");
  EXPECT_FALSE(app.package.packageMode);
  EXPECT_EQ(app.package.totalDisks, 2);
  EXPECT_TRUE(app.fullWizard);
  EXPECT_FALSE(app.responseMode);
  EXPECT_EQ(calls, (std::vector<std::string>{"splash C:\\Src\\$Temp\\Splash.bmp", "window",
                                             "open C:\\Src\\Demo.0", "prepare", "layout"}));
  // The copy is deleted at the next restart.
  bool queued = false;
  for (const PendingOperation& op : ListPendingOperations())
    if (winpath::EqualsNoCase(op.source, temp + "Demo.inf") && op.target.empty()) queued = true;
  EXPECT_TRUE(queued);
  EXPECT_EQ(app.Run(), ExitStatus::Completed);
  EXPECT_EQ(calls.back(), "setup");
}

TEST_F(StartupTest, AResponseFileAloneMeansNoSplash) {
  FolderInstallation();
  Application app(Fakes());
  app.enginePath = "C:\\Src\\Install.exe";
  ASSERT_TRUE(app.Startup("/S C:\\Answers\\resp.ini"));
  EXPECT_EQ(app.runMode, kRunInstall);
  EXPECT_TRUE(app.responseMode);
  EXPECT_EQ(app.responseFile, "C:\\Answers\\resp.ini");
  for (const std::string& c : calls) EXPECT_EQ(c.rfind("splash", 0), std::string::npos);
}

TEST_F(StartupTest, FromTheExtractorTheSourceIsTheExtractorsFolder) {
  std::string temp = Folders().temp;
  WriteIni(temp + "Install.ini", {"[<General>]", "ProjectName=Demo", "SplashImg=Logo.bmp"});
  WriteIni(temp + "Demo.inf", {"[<PreActions>]", "DefLocale=Lang.ini"});
  machine.WriteFile("C:\\Down\\Demo.exe", "sfx");
  Application app(Fakes());
  app.enginePath = temp + "Install.exe";
  // Handed over as a host path, with extra blanks.
  ASSERT_TRUE(app.Startup("/E    " + machine.Host("C:\\Down\\Demo.exe") + "   "));
  EXPECT_EQ(app.runState, kStateInstallFromExtractor);
  EXPECT_TRUE(winpath::EqualsNoCase(app.extractorPath, "C:\\Down\\Demo.exe")) << app.extractorPath;
  EXPECT_TRUE(winpath::EqualsNoCase(Folders().source, "C:\\Down\\")) << Folders().source;
  EXPECT_EQ(GetScriptFile(), temp + "Demo.inf");
  EXPECT_EQ(GetLocaleFile(), temp + "Lang.ini");
  EXPECT_TRUE(app.tempList.empty());
  EXPECT_TRUE(app.package.packageMode);
  EXPECT_EQ(app.package.path, app.extractorPath);
  EXPECT_FALSE(app.responseMode);
  EXPECT_EQ(calls, (std::vector<std::string>{"splash " + temp + "Logo.bmp", "window",
                                             "open " + app.extractorPath, "prepare", "layout"}));
}

TEST_F(StartupTest, MaintenanceWorksOnTheInstalledScriptInPlace) {
  InstalledProduct();
  Application app;  // the real package open: the recorded self-extractor is missing
  app.Hooks().createMainWindow = [](Application&) { return true; };
  bool prepared = false;
  app.Hooks().runPreparation = [&](Application&) { return prepared = true; };
  app.enginePath = "C:\\Apps\\Demo\\Install.exe";
  ASSERT_TRUE(app.Startup("-m C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_EQ(app.runState, kStateMaintenance);
  EXPECT_TRUE(app.maintenance);
  EXPECT_FALSE(app.fullWizard);
  EXPECT_EQ(GetScriptFile(), "C:\\Apps\\Demo\\Demo.inf");
  EXPECT_EQ(GetLocaleFile(), "C:\\Apps\\Demo\\Lang.ini");
  EXPECT_EQ(Folders().source, "C:\\Cd\\");
  EXPECT_EQ(app.package.path, "C:\\Cd\\Demo.exe");
  EXPECT_FALSE(app.package.packageMode);
  EXPECT_FALSE(prepared);  // maintenance has no preparation
}

TEST_F(StartupTest, MaintenanceOpensTheRecordedPackageWhenItIsThere) {
  InstalledProduct();
  machine.WriteFile("C:\\Cd\\Demo.exe", "not really an extractor");
  Application app;
  app.Hooks().createMainWindow = [](Application&) { return true; };
  app.enginePath = "C:\\Apps\\Demo\\Install.exe";
  ASSERT_TRUE(app.Startup("-m C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_TRUE(app.package.packageMode);
  EXPECT_TRUE(app.package.IsOpen());
  app.Exit();
  EXPECT_FALSE(app.package.IsOpen());
}

TEST_F(StartupTest, UninstallCancelLeavesTempUntouched) {
  InstalledProduct();
  std::set<std::string> before = TempNames();
  ui->AddAnswer("cancel");
  Application app(Fakes());
  app.enginePath = "C:\\Apps\\Demo\\Install.exe";
  EXPECT_FALSE(app.Startup("-u C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_EQ(app.exitStatus, ExitStatus::Cancelled);
  EXPECT_EQ(TempNames(), before);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(GetScriptFile(), "");
  ASSERT_EQ(ui->Shown().size(), 1u);
  // The caption's first text comes from the locale file beside the installed script.
  EXPECT_EQ(ui->Shown()[0].rfind("Remove:Demo Suite | You have chosen to uninstall", 0), 0u);
  EXPECT_NE(ui->Shown()[0].find("cannot be stopped once it is started. Do you still want to "
                                "proceed now? | cancel"),
            std::string::npos);
  EXPECT_EQ(rui->types[0] & kMbTypeMask, kMbOkCancel);
}

TEST_F(StartupTest, UninstallConfirmedHandsOverToTheTempCopy) {
  InstalledProduct();
  ui->AddAnswer("ok");
  Application app(Fakes());
  app.enginePath = "C:\\Apps\\Demo\\Install.exe";
  EXPECT_FALSE(app.Startup("-u C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_EQ(app.exitStatus, ExitStatus::Completed);
  std::string temp = Folders().temp;
  EXPECT_EQ(GetScriptFile(), temp + "Demo.inf");
  EXPECT_EQ(machine.ReadFile(temp + "Demo.inf"), machine.ReadFile("C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_EQ(machine.ReadFile(temp + "Install.exe"), "engine");
  EXPECT_EQ(machine.ReadFile(temp + "Karvo.dll"), "library");
  EXPECT_EQ(app.tempList, (std::vector<std::string>{temp + "Demo.inf", temp + "Install.exe",
                                                    temp + "Karvo.dll"}));
  EXPECT_EQ(app.runState, kStateHandOverUninstall);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "window", "start \"" + temp + "Install.exe\" -r \"" + temp + "Demo.inf\""}));
}

TEST_F(StartupTest, SilentUninstallAsksNothing) {
  InstalledProduct();
  Application app(Fakes());
  app.enginePath = "C:\\Apps\\Demo\\Install.exe";
  EXPECT_FALSE(app.Startup("/f C:\\Apps\\Demo\\Demo.inf"));
  EXPECT_EQ(app.exitStatus, ExitStatus::Completed);
  EXPECT_TRUE(ui->Shown().empty());
  EXPECT_EQ(GetLocaleFile(), "");
  std::string temp = Folders().temp;
  EXPECT_EQ(calls.back(), "start \"" + temp + "Install.exe\" -r \"" + temp + "Demo.inf\"");
}

TEST_F(StartupTest, UninstallRunHappensInTempAndEndsWithItsResult) {
  std::string temp = Folders().temp;
  WriteIni(temp + "Demo.inf", {"[<General>]", "ProductName=Demo"});
  for (bool result : {true, false}) {
    uninstallResult = result;
    calls.clear();
    Application app(Fakes());
    app.enginePath = temp + "Install.exe";
    EXPECT_FALSE(app.Startup("-r " + temp + "Demo.inf"));
    EXPECT_EQ(app.exitStatus, result ? ExitStatus::Completed : ExitStatus::Failed);
    EXPECT_EQ(app.runState, kStateUninstallRun);
    EXPECT_EQ(GetScriptFile(), temp + "Demo.inf");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(winpath::EqualsNoCase(calls[1], "uninstall in " + temp.substr(0, temp.size() - 1)))
        << calls[1];
  }
}

TEST_F(StartupTest, FailingStepsEndStartup) {
  FolderInstallation();
  struct Step {
    bool* flag;
    const char* last;
  } steps[] = {{&windowResult, "window"},
               {&openResult, "open C:\\Src\\Demo.0"},
               {&prepareResult, "prepare"}};
  for (Step& s : steps) {
    *s.flag = false;
    calls.clear();
    Application app(Fakes());
    app.enginePath = "C:\\Src\\Install.exe";
    EXPECT_FALSE(app.Startup("-s C:\\r.ini"));
    EXPECT_EQ(app.exitStatus, ExitStatus::Failed);
    EXPECT_EQ(calls.back(), s.last);
    *s.flag = true;
  }
}

TEST_F(StartupTest, TheFirstDiskMustCarryVersion50) {
  FolderInstallation();
  auto disk = [&](const char* version) {
    pkg::DiskHeader header;
    std::fill(std::begin(header.version), std::end(header.version), '\0');
    std::copy(version, version + std::strlen(version), header.version);
    std::uint8_t bytes[pkg::kDiskHeaderSize];
    pkg::EncodeDiskHeader(header, bytes);
    machine.WriteFile("C:\\Src\\Demo.0", std::string(reinterpret_cast<char*>(bytes), sizeof bytes));
  };
  auto start = [&] {
    StartupHooks hooks = Fakes();
    hooks.openPackage = DefaultStartupHooks().openPackage;
    auto app = std::make_unique<Application>(hooks);
    app->enginePath = "C:\\Src\\Install.exe";
    bool ok = app->Startup("-s C:\\r.ini");
    return std::make_pair(ok, std::move(app));
  };

  disk("5.0");
  auto [opened, app] = start();
  EXPECT_TRUE(opened);
  EXPECT_TRUE(app->package.IsOpen());
  EXPECT_FALSE(app->package.packageMode);  // a folder installation copies plain files
  EXPECT_TRUE(ui->Shown().empty());
  app.reset();

  disk("4.0");
  auto [wrong, app2] = start();
  EXPECT_FALSE(wrong);
  EXPECT_EQ(app2->exitStatus, ExitStatus::Failed);
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_EQ(ui->Shown()[0], "Demo Setup | Version incompatable! | ok");
  EXPECT_EQ(rui->types.back(), kMbOk | kMbIconStop);
  app2.reset();

  // A missing or short first disk ends start-up without a word.
  machine.WriteFile("C:\\Src\\Demo.0", "short");
  auto [shortDisk, app3] = start();
  EXPECT_FALSE(shortDisk);
  app3.reset();
  fs::remove(machine.Host("C:\\Src\\Demo.0"));
  auto [missing, app4] = start();
  EXPECT_FALSE(missing);
  EXPECT_EQ(app4->exitStatus, ExitStatus::Failed);
  EXPECT_EQ(ui->Shown().size(), 1u);
}

TEST_F(StartupTest, DefaultPreparationResolvesTheUserVariables) {
  FolderInstallation();
  WriteIni("C:\\Src\\Demo.inf",
           {"[<General>]", "ProductName=Demo Suite", "[<Destinations>]", "InstallPath1=C:\\Demo",
            "[<VariableList>]", "nItems=2", "Variable1=Bin", "Value1={InstallPath1}Bin",
            "Variable2=Name", "Value2={ProductName} 1.0"});
  StartupHooks hooks = Fakes();
  hooks.runPreparation = DefaultStartupHooks().runPreparation;
  Application app(hooks);
  app.enginePath = "C:\\Src\\Install.exe";
  ASSERT_TRUE(app.Startup(""));
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "C:\\Demo\\Bin");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "Demo Suite 1.0");
  // The source script is left as it was.
  EXPECT_NE(machine.ReadFile("C:\\Src\\Demo.inf").find("Value1={InstallPath1}Bin"),
            std::string::npos);
}

TEST_F(StartupTest, AVariableThatCannotBeExpandedBeepsAndEnds) {
  FolderInstallation();
  WriteIni("C:\\Src\\Demo.inf", {"[<VariableList>]", "nItems=2", "Variable1=A", "Value1=ok",
                                 "Variable2=B", "Value2={Undefined}"});
  StartupHooks hooks = Fakes();
  hooks.runPreparation = DefaultStartupHooks().runPreparation;
  Application app(hooks);
  app.enginePath = "C:\\Src\\Install.exe";
  EXPECT_FALSE(app.Startup(""));
  EXPECT_EQ(app.exitStatus, ExitStatus::Failed);
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(StartupTest, WithoutADriverTheRunFailsHonestly) {
  FolderInstallation();
  StartupHooks hooks = Fakes();
  hooks.beginSetup = DefaultStartupHooks().beginSetup;
  Application app(hooks);
  app.enginePath = "C:\\Src\\Install.exe";
  ASSERT_TRUE(app.Startup(""));
  EXPECT_EQ(app.Run(), ExitStatus::Failed);
}

}  // namespace
}  // namespace vx::test
