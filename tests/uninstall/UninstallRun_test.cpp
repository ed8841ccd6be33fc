// The uninstall run and the removal of single components: read-only and shared files, the
// undo actions of component sections, the pre and post lists, folders and registration,
// protected folders, and the rollback that keeps what was there before the run.
#include "engine/uninstall/UninstallRun.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <filesystem>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Macros.h"
#include "engine/base/RunJournal.h"
#include "engine/ui/Ui.h"
#include "platform/Files.h"
#include "platform/RestartQueue.h"
#include "tests/uninstall/UninstallFixture.h"

#include "platform/Machine.h"

namespace vx::test {
namespace {

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class RecordingProgress : public ProgressView {
 public:
  void SetHeading(const std::string& t) override { lines.push_back("H:" + t); }
  void SetDetail(const std::string& t) override { lines.push_back("D:" + t); }
  void SetPosition(int p) override { positions.push_back(p); }
  void HideCancel() override { cancelHidden = true; }
  void Show(bool visible) override { shown = visible; }
  bool cancelHidden = false, shown = false;
  std::vector<std::string> lines;
  std::vector<int> positions;
};

class UninstallRunTest : public UninstallTest {
 protected:
  UninstallRunTest() {
    Reconfigure("Platform=NT\r\nAdmin=1\r\n");
    FillFolderValues();
  }

  // The script of a product "Demo" of vendor "Acme" with the given lines after its general
  // sections, as the "-r" run finds it: copied into the temp folder from the install folder.
  void UseScript(const std::vector<std::string>& lines) {
    std::string text =
        "[<General>]\r\nProductName=Demo\r\nVendorName=Acme\r\nProjectName=Demo\r\n"
        "FolderName=Demo\r\n[<InstSummaryWnd>]\r\nInstalledType=<CompListWnd>\r\n";
    for (const std::string& l : lines) text += l + "\r\n";
    machine.WriteFile(Folders().temp + "Demo.inf", text);
    SetScriptFile(Folders().temp + "Demo.inf");
  }
  void Put(const std::string& path, bool readOnly = false) {
    machine.WriteFile(path, "x");
    if (readOnly) {
      ASSERT_TRUE(SetFileAttributes(path, kAttrReadOnly));
    }
  }
  bool Exists(const std::string& path) const { return std::filesystem::exists(machine.Host(path)); }
  int Questions(const std::string& piece) const {
    auto shown = ui->Shown();
    return static_cast<int>(std::count_if(shown.begin(), shown.end(), [&](const std::string& s) {
      return s.find(piece) != std::string::npos;
    }));
  }
  void Register(const std::string& product) {
    WriteRegistryString(kHkeyLocalMachine, kUninstallRoot + product, "DisplayName",
                        "Uninstall " + product);
  }
  bool Registered(const std::string& product) const {
    return String(kUninstallRoot + product, "DisplayName").has_value();
  }
};

// ---- removing one component ----

TEST_F(UninstallRunTest, ReadOnlyAnswersYesNoAndNoToAll) {
  UseScript({"[Base]", "nItems=5", "0=r1 | C:\\App", "1=r2 | C:\\App", "2=plain | C:\\App",
             "3=r3 | C:\\App\\", "4=r4 | C:\\App"});
  for (const char* n : {"r1", "r2", "r3", "r4"}) Put(std::string("C:\\App\\") + n, true);
  Put("C:\\App\\plain");
  UseUi({"yes", "no", "no-all"});
  RecordingProgress progress;
  RemoveComponent("Base", &progress);
  EXPECT_FALSE(Exists("C:\\App\\r1"));
  EXPECT_TRUE(Exists("C:\\App\\r2"));
  EXPECT_FALSE(Exists("C:\\App\\plain"));
  EXPECT_TRUE(Exists("C:\\App\\r3"));
  EXPECT_TRUE(Exists("C:\\App\\r4"));  // no question after No to all
  EXPECT_EQ(Questions("to be deleted has the read-only attribute"), 3);
  EXPECT_EQ(Questions("The file \"C:\\App\\r1\" to be deleted has the read-only attribute. Do "
                      "you want to delete it anyway?"),
            1);
  EXPECT_EQ(ReadOnlyRemovalAnswer(), 3);
  // The bar counts down from 100; the skipped files make no step.
  EXPECT_EQ(progress.positions, (std::vector<int>{100, 100, 60, 100}));
}

TEST_F(UninstallRunTest, ReadOnlyYesToAllDeletesTheRestWithoutAsking) {
  UseScript({"[Base]", "nItems=3", "0=r1 | C:\\App", "1=r2 | C:\\App", "2=r3 | C:\\Other"});
  for (const char* p : {"C:\\App\\r1", "C:\\App\\r2", "C:\\Other\\r3"}) Put(p, true);
  UseUi({"yes-all"});
  RemoveComponent("Base", nullptr);
  EXPECT_FALSE(Exists("C:\\App\\r1"));
  EXPECT_FALSE(Exists("C:\\App\\r2"));
  EXPECT_FALSE(Exists("C:\\Other\\r3"));
  EXPECT_EQ(ui->Shown().size(), 1u);
}

TEST_F(UninstallRunTest, SharedFileCountedTwiceLosesOneAndStays) {
  UseScript({"[Base]", "nItems=2", "0=s.dll | C:\\Shared | x | 1", "1=t.dll | C:\\Shared | x | 0"});
  Put("C:\\Shared\\s.dll");
  Put("C:\\Shared\\t.dll");
  SetCount("C:\\Shared\\s.dll", 2);
  RemoveComponent("Base", nullptr);
  EXPECT_TRUE(Exists("C:\\Shared\\s.dll"));
  EXPECT_EQ(Dword(kSharedDllsKey, "C:\\Shared\\s.dll"), 1u);
  EXPECT_FALSE(Exists("C:\\Shared\\t.dll"));  // not shared: deleted outright
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(UninstallRunTest, ComponentActionsAreUndoneAndOtherCodesSkipped) {
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "Y", "Z");
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "Keep", "1");
  UseScript({"[Base]", "nItems=3",
             "0=? | If (1 == 1) | 4 | t | HKEY_CURRENT_USER | Software\\X | Y | Z",
             "1=? | If (1 == 1) | 6 | Run | echo hi > C:\\ran.txt | 0 | -1",
             "2=? | If (1 == 1) | 12 | Box | Should not show | 0"});
  RemoveComponent("Base", nullptr);
  std::string value = "gone";
  ReadRegistryString(kHkeyCurrentUser, "Software\\X", "Y", value);
  EXPECT_EQ(value, "gone");
  ReadRegistryString(kHkeyCurrentUser, "Software\\X", "Keep", value);
  EXPECT_EQ(value, "1");
  EXPECT_FALSE(Exists("C:\\ran.txt"));
  EXPECT_TRUE(ui->Shown().empty());
}

// ---- the whole run ----

// Two components, the second one not installed; two destinations; a shortcut in the
// program folder; pre and post lists.
std::vector<std::string> Product() {
  return {"[<CompListWnd>]",
          "nItems=2",
          "0=Base | 0 | 1",
          "1=Extra | 1 | 0",
          "[Base]",
          "nItems=2",
          "0=a.txt | {InstallPath1}",
          "1=w.dll | {Windows}",
          "nIcons=1",
          "Icon0=Demo | {InstallPath1}a.txt | | | | {ProductFolder} |",
          "[Extra]",
          "nItems=1",
          "0=e.txt | C:\\Keep",
          "[<Destinations>]",
          "nItems=2",
          "InstallPath1=C:\\App",
          "InstallPath2=C:\\Data",
          "[<UserInfoWnd>]",
          "SkipThis=0",
          "[<Uninstall>]",
          "PrenItems=1",
          "Pre0=? | If (1 == 1) | 6 | Before | echo pre > C:\\pre.txt | 0 | -1",
          "PostnItems=1",
          "Post0=? | If (1 == 1) | 12 | After | Removed {ProductName} | 0"};
}

TEST_F(UninstallRunTest, RunRemovesTheProductAndLeavesTheRest) {
  UseScript(Product());
  for (const char* p :
       {"C:\\App\\a.txt", "C:\\App\\Install.exe", "C:\\App\\Karvo.dll", "C:\\App\\Demo.inf",
        "C:\\App\\user notes.txt", "C:\\Data\\sub\\d.bin", "C:\\Keep\\e.txt"})
    Put(p);
  Put(Folders().windows + "w.dll");
  Put(Expanded("{ProductFolder}\\Demo.lnk"));
  Register("Demo");
  Register("Other");
  WriteRegistryString(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo", "RegisteredOwner", "A");
  WriteRegistryString(kHkeyCurrentUser, "Software\\Acme\\Tool", "Kept", "1");

  EXPECT_TRUE(RunUninstall());
  EXPECT_FALSE(Exists("C:\\App"));  // with the file the user added
  EXPECT_FALSE(Exists("C:\\Data"));
  EXPECT_FALSE(Exists(Folders().windows + "w.dll"));
  EXPECT_TRUE(Exists("C:\\Keep\\e.txt"));  // its component was not installed
  EXPECT_FALSE(Exists(Expanded("{ProductFolder}")));
  EXPECT_FALSE(Registered("Demo"));
  EXPECT_TRUE(Registered("Other"));
  HKEY h = 0;
  EXPECT_NE(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Acme\\Demo", kKeyRead, &h), kErrorSuccess);
  std::string kept;
  ReadRegistryString(kHkeyCurrentUser, "Software\\Acme\\Tool", "Kept", kept);
  EXPECT_EQ(kept, "1");
  // Both lists ran with the main runner, which also runs codes 6 and 12.
  EXPECT_TRUE(Exists("C:\\pre.txt"));
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_NE(ui->Shown()[0].find("Removed Demo"), std::string::npos);
  // Pre list, components, post list: in this order.
  auto log = ui->ProgressLog();
  auto at = [&](const std::string& s) {
    return std::find(log.begin(), log.end(), s) - log.begin();
  };
  EXPECT_LT(at("Before"), at("Removing file for Base"));
  EXPECT_LT(at("Removing file for Base"), at("After"));
  EXPECT_EQ(at("Removing file for Extra"), static_cast<long>(log.size()));
}

TEST_F(UninstallRunTest, EngineFilesStillInUseGoAtTheNextRestart) {
  UseScript(Product());
  for (const char* p : {"C:\\App\\Install.exe", "C:\\App\\Karvo.dll", "C:\\App\\Demo.inf"}) Put(p);
  // The engine that started the uninstall copy waits for it, its library loaded.
  FileHandle held =
      CreateFile("C:\\App\\Karvo.dll", kGenericRead, kShareRead, Disposition::OpenExisting);
  ASSERT_NE(held, kInvalidHandle);
  EXPECT_TRUE(RunUninstall());
  CloseHandle(held);
  EXPECT_FALSE(Exists("C:\\App\\Install.exe"));
  std::vector<std::string> queued;
  for (const PendingOperation& op : ListPendingOperations())
    if (op.target.empty()) queued.push_back(op.source);
  EXPECT_EQ(queued, (std::vector<std::string>{"C:\\App\\Karvo.dll", "C:\\App"}));
}

TEST_F(UninstallRunTest, ProgramFolderHoldingAnotherProductsShortcutStays) {
  UseScript(Product());
  Put(Expanded("{ProductFolder}\\Demo.lnk"));
  Put(Expanded("{ProductFolder}\\Other.lnk"));
  EXPECT_TRUE(RunUninstall());
  EXPECT_FALSE(Exists(Expanded("{ProductFolder}\\Demo.lnk")));
  EXPECT_TRUE(Exists(Expanded("{ProductFolder}\\Other.lnk")));
}

TEST_F(UninstallRunTest, DestinationNamingASystemFolderIsNotEmptied) {
  UseScript({"[<CompListWnd>]", "nItems=1", "0=Base | 0 | 1", "[Base]", "nItems=1",
             "0=a.txt | {ProgramFiles}", "[<Destinations>]", "nItems=3",
             "InstallPath1={ProgramFiles}", "InstallPath2=C:\\", "InstallPath3={Windows}"});
  Put(Folders().programFiles + "\\a.txt");
  Put(Folders().programFiles + "\\Other Product\\o.exe");
  Put("C:\\boot.ini");
  Put(Folders().windows + "win.com");
  EXPECT_TRUE(RunUninstall());
  EXPECT_FALSE(Exists(Folders().programFiles + "\\a.txt"));  // the product's own file goes
  EXPECT_TRUE(Exists(Folders().programFiles + "\\Other Product\\o.exe"));
  EXPECT_TRUE(Exists("C:\\boot.ini"));
  EXPECT_TRUE(Exists(Folders().windows + "win.com"));
}

TEST_F(UninstallRunTest, ProtectedFolders) {
  UseScript({});
  const FolderValues& f = Folders();
  for (const std::string& p :
       {std::string("C:\\"), std::string("C:"), std::string("c:\\"), std::string(""), f.windows,
        f.system, f.temp, f.programFiles, f.programFiles + "\\", Expanded("{Desktop}"),
        Expanded("{Programs}"), Expanded("{StartUp}"), Expanded("{Start}")})
    EXPECT_TRUE(IsProtectedFolder(p)) << p;
  // A folder that holds one of them.
  std::string windowsUpper = f.windows;
  std::transform(windowsUpper.begin(), windowsUpper.end(), windowsUpper.begin(), ::toupper);
  EXPECT_TRUE(IsProtectedFolder(windowsUpper));
  std::string desktop = Expanded("{Desktop}");
  EXPECT_TRUE(IsProtectedFolder(desktop.substr(0, desktop.rfind('\\', desktop.size() - 2))));
  for (const std::string& p :
       {std::string("C:\\App"), f.programFiles + "\\Demo", Expanded("{ProductFolder}"),
        f.windows + "..\\App", f.windows.substr(0, f.windows.size() - 1) + "Old"})
    EXPECT_FALSE(IsProtectedFolder(p)) << p;
  // ".." that climbs to a drive root is the root.
  EXPECT_TRUE(IsProtectedFolder("C:\\App\\.."));
  // The host user's home, and the folders that hold it, through the drive of the host root.
  std::string home = *Machine::Current().ToWindows(std::getenv("HOME"));
  EXPECT_TRUE(IsProtectedFolder(home));
  EXPECT_TRUE(IsProtectedFolder(home.substr(0, home.rfind('\\'))));
  EXPECT_FALSE(IsProtectedFolder(home + "\\Apps\\Demo"));
}

TEST_F(UninstallRunTest, ProductWithoutANameKeepsOtherProductsEntries) {
  Reconfigure("Platform=9x\r\nAdmin=1\r\n");
  FillFolderValues();
  machine.WriteFile(Folders().temp + "Demo.inf",
                    "[<General>]\r\nProjectName=Demo\r\n[<Destinations>]\r\nnItems=1\r\n"
                    "InstallPath1=C:\\App\r\n");
  SetScriptFile(Folders().temp + "Demo.inf");
  Put("C:\\App\\Install.exe");
  Register("Other");
  EXPECT_TRUE(RunUninstall());
  EXPECT_TRUE(Registered("Other"));
  EXPECT_FALSE(Exists("C:\\App"));
}

// ---- rollback ----

class RollbackTest : public UninstallRunTest {
 protected:
  // A product whose component New this run installed over a folder that held old.txt and
  // the files of a component Prior installed earlier.
  void Prepare() {
    UseScript({"[<CompListWnd>]",
               "nItems=2",
               "0=Prior | 0 | 1",
               "1=New | 1 | 1",
               "[Prior]",
               "nItems=1",
               "0=p.txt | C:\\App",
               "[New]",
               "nItems=4",
               "0=old.txt | C:\\App",
               "1=new.txt | C:\\App",
               "2=n.txt | C:\\App\\newdir\\deep",
               "3=s.dll | C:\\Shared | x | 1",
               "nIcons=1",
               "Icon0=New | C:\\App\\new.txt | | | | {ProductFolder} |",
               "[<Destinations>]",
               "nItems=1",
               "InstallPath1=C:\\App",
               "[<Uninstall>]",
               "PrenItems=1",
               "Pre0=? | If (1 == 1) | 12 | Before | Pre list ran | 0"});
    for (const char* p :
         {"C:\\App\\old.txt", "C:\\App\\p.txt", "C:\\App\\Install.exe", "C:\\Shared\\s.dll"})
      Put(p);
    SetCount("C:\\Shared\\s.dll", 1);
    Register("Demo");
    // What the run wrote, as the component installation records it.
    journal.ComponentInstalled("New");
    for (const char* p : {"C:\\App\\old.txt", "C:\\App\\new.txt", "C:\\App\\newdir\\deep\\n.txt",
                          "C:\\Shared\\s.dll"})
      journal.BeforeWrite(p);
    journal.BeforeWrite(Expanded("{ProductFolder}\\New.lnk"));
    journal.SharedCountRaised("C:\\Shared\\s.dll");
    for (const char* p : {"C:\\App\\new.txt", "C:\\App\\newdir\\deep\\n.txt"}) Put(p);
    Put(Expanded("{ProductFolder}\\New.lnk"));
    SetCount("C:\\Shared\\s.dll", 2);
  }
  RunJournal journal;
};

TEST_F(RollbackTest, TakesBackOnlyWhatTheRunMade) {
  Prepare();
  EXPECT_TRUE(RunUninstall(UninstallOptions{&journal, false}));
  EXPECT_FALSE(Exists("C:\\App\\new.txt"));
  EXPECT_FALSE(Exists("C:\\App\\newdir"));
  EXPECT_FALSE(Exists(Expanded("{ProductFolder}")));
  EXPECT_TRUE(Exists("C:\\App\\old.txt"));      // was there before the run
  EXPECT_TRUE(Exists("C:\\App\\p.txt"));        // another component's
  EXPECT_TRUE(Exists("C:\\App\\Install.exe"));  // the engine of the installed product
  EXPECT_TRUE(Exists("C:\\Shared\\s.dll"));
  EXPECT_EQ(Dword(kSharedDllsKey, "C:\\Shared\\s.dll"), 1u);
  EXPECT_TRUE(Registered("Demo"));
  EXPECT_EQ(Questions("Pre list ran"), 1);
  EXPECT_EQ(Questions("read-only"), 0);
}

TEST_F(RollbackTest, IsShownInTheInstallWindowSayingItRollsBack) {
  Prepare();
  RecordingProgress installWindow;
  EXPECT_TRUE(RunUninstall(UninstallOptions{&journal, false, &installWindow}));
  EXPECT_FALSE(Exists("C:\\App\\new.txt"));
  EXPECT_TRUE(installWindow.cancelHidden);
  EXPECT_TRUE(installWindow.shown);
  int headings = 0;
  for (const std::string& l : installWindow.lines) {
    if (l.rfind("H:", 0) != 0) continue;
    ++headings;
    EXPECT_EQ(l.rfind("H:Rolling back: ", 0), 0u) << l;
  }
  EXPECT_GE(headings, 2);  // the pre list's action, then what the journal says the run made
  EXPECT_NE(std::find(installWindow.lines.begin(), installWindow.lines.end(),
                      "H:Rolling back: Removing file for New"),
            installWindow.lines.end());
}

TEST_F(UninstallRunTest, TheLastWordSaysTheProductIsGone) {
  UseScript({"[<CompListWnd>]", "nItems=0"});
  RecordingProgress window;
  EXPECT_TRUE(RunUninstall(UninstallOptions{nullptr, false, &window}));
  ASSERT_FALSE(window.lines.empty());
  EXPECT_EQ(window.lines[window.lines.size() - 2].rfind("H:The uninstall has been completed.", 0),
            0u);
  EXPECT_EQ(window.positions.back(), 100);
}

TEST_F(RollbackTest, MaintenanceRollbackLeavesTheProductsListsAlone) {
  Prepare();
  EXPECT_TRUE(RunUninstall(UninstallOptions{&journal, true}));
  EXPECT_FALSE(Exists("C:\\App\\new.txt"));
  EXPECT_TRUE(Exists("C:\\App\\old.txt"));
  EXPECT_EQ(Questions("Pre list ran"), 0);
  EXPECT_TRUE(Registered("Demo"));
}

}  // namespace
}  // namespace vx::test
