// A stop confirmed in the middle of the component loop: the rollback takes back what this
// run installed and nothing else.
#include "tests/e2e/E2eSupport.h"

#include "platform/System.h"

namespace vx::test::e2e {
namespace {

const char kStopQuestion[] = "WARNING: The installation has not been completed yet.";

class Rollback : public E2eTest {
 protected:
  // Demo() whose Extras component stops the run after its first file, with its data in a
  // folder that already holds files of the user's.
  Product Stopping() {
    Product p = Demo();
    p.destinations[1] = "C:\\Existing";
    p.components[2].items = {
        "Data.bin | {InstallPath2} | data | 0", "Old.txt | {InstallPath2} | data | 0",
        "? | If (1 == 1) | 15 | Stop here |", "More.bin | {InstallPath2} | data | 0"};
    Source("data/Old.txt", "the product's version", kDataTime);
    Source("data/More.bin", Noise(3000, 7), kDataTime);
    return p;
  }
  void UserFolder() {
    machine_.WriteFile("C:\\Existing\\Keep.txt", "the user's own file");
    // A file of the same name as one the product installs, there before the run.
    machine_.WriteFile("C:\\Existing\\Old.txt", "the user's version");
    SetHostTime(Host("C:\\Existing\\Old.txt"), kDataTime - 86400);
  }
};

TEST_F(Rollback, ConfirmedStopInAFirstInstallationRemovesOnlyWhatItInstalled) {
  DemoSources();
  Product p = Stopping();
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  UserFolder();
  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\Existing"});
  // Yes to quitting. The rollback gives the shared library's count back without asking.
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Dialogs(run.err, kStopQuestion), 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "The system indicates that the shared file"), 0) << run.err;

  // Everything the run made is gone: files, folders, shortcuts, values, counts.
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(Exists("C:\\Windows\\System32\\Common.dll"));
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, "C:\\Windows\\System32\\Common.dll"),
            std::nullopt);
  EXPECT_FALSE(Exists(GetSpecialFolder(kCsidlDesktopDirectory) + "\\Demo.lnk"));
  EXPECT_FALSE(Exists(GetSpecialFolder(kCsidlPrograms) + "\\Demo Product"));
  EXPECT_EQ(RegString(kHkeyLocalMachine, "Software\\Acme\\Demo", "Path"), std::nullopt);
  EXPECT_EQ(Ini("C:\\Windows\\Demo.ini", "Settings", "Home"), "");
  EXPECT_FALSE(Exists("C:\\Existing\\Data.bin"));
  EXPECT_FALSE(Exists("C:\\Existing\\More.bin"));
  // Nothing was registered and the completion did not run.
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
  EXPECT_EQ(Ini("C:\\Windows\\DemoRun.ini", "Run", "Finished"), "");
  // What was there before stays, the folder included.
  EXPECT_EQ(Read("C:\\Existing\\Keep.txt"), "the user's own file");
  EXPECT_TRUE(Exists("C:\\Existing\\Old.txt"));
  EXPECT_TRUE(Exists(GetSpecialFolder(kCsidlDesktopDirectory)));
}

TEST_F(Rollback, DeclinedStopGoesOnWithTheNextItem) {
  DemoSources();
  Product p = Stopping();
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  UserFolder();
  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\Existing"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"no"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, kStopQuestion), 1) << run.err;
  ExpectSame("C:\\Existing\\More.bin", "data/More.bin");
  EXPECT_EQ(Read("C:\\Existing\\Old.txt"), "the product's version");
  EXPECT_EQ(InstalledComponents("C:\\Program Files\\Demo\\Demo.inf"),
            (std::vector<std::string>{"Core", "Docs", "Extras"}));
  EXPECT_EQ(Ini("C:\\Windows\\DemoRun.ini", "Run", "Finished"), "Demo Product");
}

TEST_F(Rollback, ConfirmedStopInMaintenanceKeepsTheInstalledProduct) {
  DemoSources();
  Product p = Stopping();
  p.destinations[1] = "C:\\DemoData";
  std::string from = Install(p, {0, 1});
  ExpectDemoInstalled({"Core", "Docs"}, from);

  // Add Extras, which stops after its first file; Yes to quitting.
  Outcome run =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-m", "C:\\Program Files\\Demo\\Demo.inf"},
             {Answers({"text:0,1,2", "yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Dialogs(run.err, kStopQuestion), 1) << run.err;
  // The product as it was: components, files, values, registration, engine.
  ExpectDemoInstalled({"Core", "Docs"}, from);
  EXPECT_FALSE(Exists("C:\\DemoData"));
  EXPECT_EQ(Read("C:\\Program Files\\Demo\\Install.exe"),
            ReadHost(fs::path(BinDir()) / "Install.exe"));

  // And it can still be removed.
  Outcome uninstall =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-f", "C:\\Program Files\\Demo\\Demo.inf"},
             {"VX_WAIT=1", Answers({"yes"})});
  EXPECT_EQ(uninstall.status, 0) << uninstall.err;
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
