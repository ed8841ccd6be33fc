// An installation led through every page of the wizard (answered through VX_ANSWERS), with a
// locale file that follows the product into its install folder.
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

class Wizard : public E2eTest {
 protected:
  Product Full() {
    DemoSources();
    Source("$Temp/Words.ini", "[TEXT]\r\nRes40035=Words for {ProductName}: it goes.\r\n");
    Source("art/Side.txt", "side text");
    Product p = Demo();
    p.wizard = true;
    p.locale = "Words.ini";
    p.temp = {"Readme.txt", "Words.ini", "Side.txt | {Temp} | art"};
    return p;
  }
};

TEST_F(Wizard, EveryPageAnsweredInstallsWhereTheUserSaid) {
  ASSERT_EQ(Pack(Full(), "C:\\dist").status, 0);
  Outcome run = RunWin("C:\\dist\\Demo.exe", {},
                       {"VX_WAIT=1", Answers({"ok",   // welcome
                                              "yes",  // license
                                              "text:Ann Example", "text:Example Corp",
                                              "text:0,2",  // Core and Extras
                                              "text:C:\\Apps\\Demo", "text:C:\\Data\\Demo",
                                              "ok",      // summary
                                              "ok"})});  // completion
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  // The license page showed the license file unpacked into the temp folder.
  EXPECT_EQ(Dialogs(run.err, "readme line 19"), 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Start Demo Product from the desktop. | ok"), 1) << run.err;
  EXPECT_EQ(Read("C:\\Windows\\Temp\\Side.txt"), "side text");

  const std::string dir = "C:\\Apps\\Demo\\";
  ExpectSame(dir + "App.exe", "bin/App.exe");
  EXPECT_EQ(Time(dir + "App.exe"), kAppTime);
  EXPECT_FALSE(Exists(dir + "Docs\\Guide.txt"));
  ExpectSame("C:\\Data\\Demo\\Data.bin", "data/Data.bin");
  EXPECT_EQ(
      RegString(kHkeyCurrentUser, "Software\\Acme\\Demo Product\\UserInfo", "RegisteredOwner"),
      "Ann Example");
  EXPECT_EQ(
      RegString(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product", "UninstallString"),
      "\"" + dir + "Install.exe\" -u \"" + dir + "Demo.inf\"");
  EXPECT_EQ(InstalledComponents(dir + "Demo.inf"), (std::vector<std::string>{"Core", "Extras"}));
  // The locale file went with the installed script, which names it.
  EXPECT_EQ(Read(dir + "Words.ini"), SourceText("$Temp/Words.ini"));
  EXPECT_EQ(Ini(dir + "Demo.inf", "<PreActions>", "DefLocale"), "Words.ini");

  // The uninstall speaks with the locale's words.
  Outcome cancel =
      RunWin(dir + "Install.exe", {"-u", dir + "Demo.inf"}, {"VX_WAIT=1", Answers({"cancel"})});
  EXPECT_EQ(cancel.status, 2) << cancel.err;
  EXPECT_EQ(Dialogs(cancel.err, "Words for Demo Product: it goes."), 1) << cancel.err;
  Outcome removal =
      RunWin(dir + "Install.exe", {"-u", dir + "Demo.inf"}, {"VX_WAIT=1", Answers({"ok", "yes"})});
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_FALSE(Exists("C:\\Apps\\Demo"));
  EXPECT_FALSE(Exists("C:\\Data\\Demo"));
  // Made by the installation as its destination's parent and left empty: it goes too.
  EXPECT_FALSE(Exists("C:\\Apps"));
}

TEST_F(Wizard, CancelConfirmedOnTheFirstPageInstallsNothing) {
  ASSERT_EQ(Pack(Full(), "C:\\dist").status, 0);
  Outcome run = RunWin("C:\\dist\\Demo.exe", {}, {"VX_WAIT=1", Answers({"cancel", "yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Dialogs(run.err, "WARNING: The installation has not been completed yet."), 1)
      << run.err;
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
}

TEST_F(Wizard, DeclinedLicenseThenNoToQuittingKeepsThePage) {
  ASSERT_EQ(Pack(Full(), "C:\\dist").status, 0);
  // No to the license, No to quitting: the license page again; then Yes and on to the end.
  Outcome run = RunWin("C:\\dist\\Demo.exe", {},
                       {"VX_WAIT=1", Answers({"ok", "no", "no", "yes", "text:A", "text:B",
                                              "text:0,1", "", "", "ok", "ok"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "readme line 19"), 2) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\dist\\");
}

}  // namespace
}  // namespace vx::test::e2e
