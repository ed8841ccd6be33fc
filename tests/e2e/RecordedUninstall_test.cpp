// The uninstall removes what the installation record says the product put there, and only
// that: not through links put in place of its folders, not what an edited installed script
// names, not a file the user kept; and after a repair install, nothing is left behind.
#include "engine/base/InstallRecord.h"
#include "engine/base/ProductRecord.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

const char kDir[] = "C:\\Program Files\\Demo\\";

class RecordedUninstall : public E2eTest {
 protected:
  Outcome Uninstall() {
    return RunWin(std::string(kDir) + "Install.exe", {"-f", std::string(kDir) + "Demo.inf"},
                  {"VX_WAIT=1", Answers({"yes"})});
  }
  // The Windows name through Z: (the host's root) of a host path.
  std::string OnZ(const fs::path& host) const {
    return *Machine::Current().ToWindows(host.string());
  }
  // A host folder outside the machine holding files named like the product's.
  fs::path HostFolder(const std::string& name, const std::vector<std::string>& files) {
    const fs::path folder = Work() / name;
    for (const std::string& f : files) WriteHost(folder / f, "the host's " + f);
    return folder;
  }
  void ExpectHostFolder(const fs::path& folder, const std::vector<std::string>& files) {
    for (const std::string& f : files)
      EXPECT_EQ(ReadHost(folder / f), "the host's " + f) << folder / f;
  }
};

TEST_F(RecordedUninstall, LinksPutInPlaceOfItsFoldersAreRemovedAsLinks) {
  DemoSources();
  std::string from = Install(Demo(), {0, 1, 2});
  ExpectDemoInstalled({"Core", "Docs", "Extras"}, from);
  // A component folder, the shortcut folder and the data folder, each replaced by a link to a
  // host folder holding files of the product's names.
  const std::string programs = GetSpecialFolder(kCsidlPrograms) + "\\Demo Product";
  const std::vector<std::pair<std::string, std::vector<std::string>>> replaced = {
      {std::string(kDir) + "Docs", {"Guide.txt", "notes.txt"}},
      {programs, {"Guide.lnk"}},
      {"C:\\DemoData", {"Data.bin"}}};
  for (const auto& [win, files] : replaced) {
    fs::remove_all(Host(win));
    fs::create_directory_symlink(HostFolder(fs::path(Host(win)).filename().string(), files),
                                 Host(win));
  }

  Outcome removal = Uninstall();
  EXPECT_EQ(removal.status, 0) << removal.err;
  for (const auto& [win, files] : replaced) {
    ExpectHostFolder(Work() / fs::path(Host(win)).filename(), files);
    EXPECT_FALSE(Exists(win)) << win << ": the link stays";
  }
  ExpectDemoGone();
}

TEST_F(RecordedUninstall, AnEditedScriptNamingHostFoldersRemovesNothingThere) {
  DemoSources();
  std::string from = Install(Demo(), {0, 1, 2});
  const std::vector<std::string> names = {"App.cfg", "Data.bin", "unrelated.txt"};
  const fs::path data = HostFolder("data", names);
  const fs::path config = HostFolder("config", names);
  // The second destination and Core's configuration file line now name host folders.
  const std::string script = std::string(kDir) + "Demo.inf";
  WritePrivateProfileString("<Destinations>", "InstallPath2", OnZ(data).c_str(), script);
  WritePrivateProfileString("Core", "1", ("App.cfg | " + OnZ(config) + " | bin | 0").c_str(),
                            script);
  WritePrivateProfileString("Extras", "0", ("Data.bin | " + OnZ(data) + " | data | 0").c_str(),
                            script);

  Outcome removal = Uninstall();
  EXPECT_EQ(removal.status, 0) << removal.err;
  ExpectHostFolder(data, names);
  ExpectHostFolder(config, names);
  // What the product did put on the machine went all the same.
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, GetSystemDirectory() + "\\Common.dll"),
            std::nullopt);
}

TEST_F(RecordedUninstall, AFileTheUserKeptStaysAndARepairLeavesNothingBehind) {
  DemoSources();
  // The user's own, newer guide where the product puts its guide: kept at the question.
  machine_.WriteFile(std::string(kDir) + "Docs\\Guide.txt", "the user's guide");
  SetHostTime(Host(std::string(kDir) + "Docs\\Guide.txt"), kGuideTime + 86400);
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"no"})});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "A newer version of"), 1) << run.err;
  Outcome removal = Uninstall();
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_EQ(Read(std::string(kDir) + "Docs\\Guide.txt"), "the user's guide");
  EXPECT_FALSE(Exists(std::string(kDir) + "App.exe"));
  EXPECT_FALSE(Exists(std::string(kDir) + "Install.exe"));

  // A first installation, then the same again over it (a repair), then the uninstall.
  fs::remove_all(Host("C:\\Program Files\\Demo"));
  Install(Demo(), {0, 1, 2});
  Install(Demo(), {0, 1, 2});
  removal = Uninstall();
  EXPECT_EQ(removal.status, 0) << removal.err;
  ExpectDemoGone();
  EXPECT_FALSE(Exists(std::string(kDir) + "Demo.inf.record"));
}

TEST_F(RecordedUninstall, AReinstallBeforeTheRestartKeepsTheEngineFilesTheUninstallQueued) {
  DemoSources();
  Install(Demo(), {0, 1});
  // The uninstall meets its engine files in use: they wait for the restart.
  const std::vector<std::string> engine = {"Install.exe", "Karvo.dll"};
  std::vector<FileHandle> held;
  for (const std::string& f : engine)
    held.push_back(
        CreateFile(std::string(kDir) + f, kGenericRead, kShareRead, Disposition::OpenExisting));
  Outcome removal = Uninstall();
  for (FileHandle h : held) CloseHandle(h);
  EXPECT_EQ(removal.status, 0) << removal.err;
  ASSERT_TRUE(Exists(std::string(kDir) + "Install.exe"));
  EXPECT_EQ(Dialogs(Vxmachine({"pending"}).out, "Demo\\Install.exe"), 1);

  // The same product again, before the restart: the files are its own, in its record and
  // out of the queue.
  std::string from = Install(Demo(), {0, 1});
  ProductRecord record;
  record.Load(ReadRecordFile(std::string(kDir) + "Demo.inf.record"));
  for (const std::string& f : {engine[0], engine[1], std::string("Demo.inf")})
    EXPECT_TRUE(record.CreatedFile(std::string(kDir) + f)) << f;
  EXPECT_EQ(Dialogs(Vxmachine({"pending"}).out, "Demo\\"), 0);
  EXPECT_EQ(Vxmachine({"boot"}).status, 0);
  ExpectDemoInstalled({"Core", "Docs"}, from);
  EXPECT_EQ(Uninstall().status, 0);
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
