// An installed product changed and removed through the engine it left behind: maintenance
// (-m) adding and removing components, the uninstall with confirmation (-u, confirmed and
// cancelled) and without it (-f).
#include "tests/e2e/E2eSupport.h"

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

TEST_F(Maintenance, ConfirmedUninstallRemovesEverythingAndWaitsWithVxWait) {
  DemoSources();
  Install(Demo(), {0, 1, 2});
  // OK to the confirmation, then Yes to removing the shared library nobody else uses: the
  // second answer is the copy's, which does the removal in a process of its own.
  Outcome run = RunWin(kEngine, {"-u", kScript}, {"VX_WAIT=1", Answers({"ok", "yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Uninstall Demo Product | You have chosen to uninstall"), 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "The system indicates that the shared file \"C:\\Windows\\System32\\Common.dll\""), 1)
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
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, "C:\\Windows\\System32\\Common.dll"), std::nullopt);
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
}

}  // namespace
}  // namespace vx::test::e2e
