// An installed product changed and removed through the engine it left behind: maintenance
// (-m) adding and removing components, the uninstall with confirmation (-u, confirmed and
// cancelled) and without it (-f).
#include "tests/e2e/E2eSupport.h"

#include <unistd.h>

namespace vx::test::e2e {
namespace {

const char kDir[] = "C:\\Program Files\\Demo\\";
const char kEngine[] = "C:\\Program Files\\Demo\\Install.exe";
const char kScript[] = "C:\\Program Files\\Demo\\Demo.inf";

class Maintenance : public E2eTest {};

TEST_F(Maintenance, ComponentPageAddsOneComponentAndRemovesAnother) {
  DemoSources();
  std::string from = Install(Demo(), {0, 1});
  ExpectDemoInstalled({"Core", "Docs"}, from);

  // The headless component page takes the rows to tick: Core (locked) and Extras.
  Outcome run = RunWin(kEngine, {"-m", kScript}, {Answers({"text:0,2"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Extras"}, from);
  // The shared library was not counted again: Core stayed installed.
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, "C:\\Windows\\System32\\Common.dll"), 1u);
  // The Docs folder went with the guide, the program folder with its only shortcut.
  EXPECT_FALSE(Exists(std::string(kDir) + "Docs\\Guide.txt"));
}

TEST_F(Maintenance, ResponseFileOnAFolderInstallationCopiesFromTheFolder) {
  DemoSources();
  std::string from = Install(Demo(), {0, 2}, /*folder=*/true);
  ExpectDemoInstalled({"Core", "Extras"}, from);

  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin(kEngine, {"-m", kScript, "|", "-s", response});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, from);
}

TEST_F(Maintenance, AddsAComponentFromTheLaterDisksOfASpannedPackage) {
  DemoSources();
  Product p = Demo();
  const std::uintmax_t diskSize = DiskSizeWithRoom(200000);
  for (int i = 0; i < 3; ++i) {
    std::string name = "Big" + std::to_string(i) + ".bin";
    Source("data/" + name, Noise(diskSize * 2 / 5, 30 + i), kDataTime + i);
    p.components[2].items.push_back(name + " | {InstallPath2} | data | 0");
  }
  ASSERT_EQ(Pack(p, "C:\\dist", {"--disk-size", std::to_string(diskSize)}).status, 0);
  ASSERT_TRUE(Exists("C:\\dist\\Demo.2"));
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  ASSERT_EQ(RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"}).status, 0);

  // The package of the installation is found again beside the recorded self-extractor.
  Outcome run = RunWin(kEngine, {"-m", kScript}, {Answers({"text:0,1,2"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Docs", "Extras"}, "C:\\dist\\");
  for (int i = 0; i < 3; ++i)
    ExpectSame("C:\\DemoData\\Big" + std::to_string(i) + ".bin",
               "data/Big" + std::to_string(i) + ".bin");
}

TEST_F(Maintenance, UninstallAllOnTheComponentPageHandsOverToTheUninstall) {
  DemoSources();
  Install(Demo(), {0, 1});
  // The component page's "Uninstall all", then OK to the uninstall's confirmation and Yes to
  // the shared library: each process takes the answers where the last one stopped.
  Outcome run =
      RunWin(kEngine, {"-m", kScript}, {"VX_WAIT=1", Answers({"text:uninstall-all", "ok", "yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  // The uninstall runs on by itself.
  for (int i = 0;
       i < 600 && KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"); ++i)
    usleep(50 * 1000);
  for (int i = 0; i < 100 && Exists("C:\\Program Files\\Demo"); ++i) usleep(50 * 1000);
  ExpectDemoGone();
}

TEST_F(Maintenance, ConfirmedUninstallRemovesEverythingAndWaitsWithVxWait) {
  DemoSources();
  Install(Demo(), {0, 1, 2});
  // OK to the confirmation, then Yes to removing the shared library nobody else uses: the
  // second answer is the copy's, which does the removal in a process of its own.
  Outcome run = RunWin(kEngine, {"-u", kScript}, {"VX_WAIT=1", Answers({"ok", "yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Uninstall Demo Product | You have chosen to uninstall"), 1)
      << run.err;
  EXPECT_EQ(
      Dialogs(run.err,
              "The system indicates that the shared file \"C:\\Windows\\System32\\Common.dll\""),
      1)
      << run.err;
  ExpectDemoGone();
  // The copy that did the work waits in the temp folder for the next start of the machine.
  EXPECT_TRUE(Exists("C:\\Windows\\Temp\\Install.exe"));
  Vxmachine({"boot"});
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Install.exe"));
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Karvo.dll"));
}

TEST_F(Maintenance, CancelledUninstallTouchesNothing) {
  DemoSources();
  std::string from = Install(Demo(), {0, 1}, /*folder=*/true);
  Outcome run = RunWin(kEngine, {"-u", kScript}, {"VX_WAIT=1", Answers({"cancel"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, from);
  // Nothing was copied for a second engine.
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Install.exe"));
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Karvo.dll"));
}

TEST_F(Maintenance, SilentUninstallAsksNothingButTheSharedFileQuestion) {
  DemoSources();
  Install(Demo(), {0, 1});
  // The shared-file question's default (closed) keeps the library; its count still goes.
  Outcome run = RunWin(kEngine, {"-f", kScript}, {"VX_WAIT=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "You have chosen to uninstall"), 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "The system indicates that the shared file"), 1) << run.err;
  EXPECT_TRUE(Exists("C:\\Windows\\System32\\Common.dll"));
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, "C:\\Windows\\System32\\Common.dll"),
            std::nullopt);
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
}

}  // namespace
}  // namespace vx::test::e2e
