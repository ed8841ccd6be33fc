// What an uninstall must never take with it: a drive root, the Windows, system or program
// files folder, a shell folder (even when a destination names one), or anything a symbolic
// link inside a destination points to.
#include "tests/e2e/E2eSupport.h"

#include "platform/Profile.h"
#include "platform/System.h"

namespace vx::test::e2e {
namespace {

class UninstallSafety : public E2eTest {
 protected:
  Outcome Uninstall(const std::string& folder, const std::string& project) {
    return RunWin(folder + "Install.exe", {"-f", folder + project + ".inf"}, {"VX_WAIT=1"});
  }
};

TEST_F(UninstallSafety, AFolderThatHeldTheUsersFilesKeepsThemAndAFolderItMadeGoesWhole) {
  DemoSources();
  Product p = Demo();
  p.destinations = {"C:\\Docs\\..\\Docs\\jq", "C:\\DemoData"};
  machine_.WriteFile("C:\\Docs\\jq\\notes.txt", "the user's notes");
  machine_.WriteFile("C:\\Docs\\jq\\Config\\mine.cfg", "the user's settings");
  Install(p, {0, 1, 2});
  ASSERT_TRUE(Exists("C:\\Docs\\jq\\App.exe"));
  ASSERT_TRUE(Exists("C:\\DemoData\\Data.bin"));
  machine_.WriteFile("C:\\DemoData\\added.txt", "added after the installation");
  // The destination is kept as the folder it names.
  EXPECT_EQ(GetPrivateProfileString("<Destinations>", "InstallPath1", "", "C:\\Docs\\jq\\Demo.inf"),
            "C:\\Docs\\jq");

  Outcome removal = Uninstall("C:\\Docs\\jq\\", "Demo");
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_EQ(Read("C:\\Docs\\jq\\notes.txt"), "the user's notes");
  EXPECT_EQ(Read("C:\\Docs\\jq\\Config\\mine.cfg"), "the user's settings");
  for (const char* gone :
       {"App.exe", "Config\\App.cfg", "Docs", "Install.exe", "Karvo.dll", "Demo.inf"})
    EXPECT_FALSE(Exists(std::string("C:\\Docs\\jq\\") + gone)) << gone;
  // The folder the installation made goes with everything in it, as the warning says.
  EXPECT_FALSE(Exists("C:\\DemoData"));
}

TEST_F(UninstallSafety, DestinationsNamingSystemFoldersKeepEverythingElseInThem) {
  const std::string desktop = GetSpecialFolder(kCsidlDesktopDirectory);
  Product p;
  p.project = "Risky";
  p.product = "Risky Product";
  // The engine itself lands in the program files folder; the other destinations name the
  // drive root (twice, once through ".."), the Windows folder (in other case), the system
  // folder and the desktop.
  p.destinations = {"{ProgramFiles}", "C:\\",  "c:\\WINDOWS",
                    "{System}",       desktop, "C:\\Program Files\\Risky\\..\\.."};
  Component main{"Main", false, true, {}, {}};
  for (int i = 1; i <= 6; ++i) {
    std::string name = "Risky" + std::to_string(i) + ".txt";
    Source("files/" + name, "risky file " + std::to_string(i));
    main.items.push_back(name + " | {InstallPath" + std::to_string(i) + "} | files | 0");
  }
  p.components = {main};
  const std::vector<std::string> bystanders = {"C:\\Program Files\\Bystander.txt",
                                               "C:\\Program Files\\OtherApp\\Other.exe",
                                               "C:\\Bystander.txt",
                                               "C:\\Windows\\Bystander.txt",
                                               "C:\\Windows\\System32\\Bystander.dll",
                                               desktop + "\\Bystander.lnk"};
  for (const std::string& b : bystanders) machine_.WriteFile(b, "not the product's");

  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  std::string response = Response({0}, p.destinations);
  Outcome run = RunWin("C:\\dist\\Risky.exe", {"-s", response}, {"VX_WAIT=1"});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(Exists("C:\\Program Files\\Install.exe"));
  ASSERT_EQ(Read("C:\\Windows\\Risky3.txt"), "risky file 3");
  ASSERT_EQ(Read("C:\\Risky6.txt"), "risky file 6");

  Outcome removal = Uninstall("C:\\Program Files\\", "Risky");
  ASSERT_FALSE(removal.timedOut);
  EXPECT_EQ(removal.status, 0) << removal.err;
  // The product's own files went, the engine's included.
  EXPECT_FALSE(Exists("C:\\Program Files\\Risky1.txt"));
  EXPECT_FALSE(Exists("C:\\Risky2.txt"));
  EXPECT_FALSE(Exists("C:\\Windows\\Risky3.txt"));
  EXPECT_FALSE(Exists("C:\\Windows\\System32\\Risky4.txt"));
  EXPECT_FALSE(Exists(desktop + "\\Risky5.txt"));
  EXPECT_FALSE(Exists("C:\\Risky6.txt"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Install.exe"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Karvo.dll"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Risky.inf"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Risky Product"));
  // Nothing else did.
  for (const std::string& b : bystanders) EXPECT_EQ(Read(b), "not the product's") << b;
  for (const std::string& folder :
       {std::string("C:\\Windows\\Temp"), desktop, GetSpecialFolder(kCsidlPrograms)})
    EXPECT_TRUE(Exists(folder)) << folder;
}

TEST_F(UninstallSafety, SymbolicLinksInADestinationAreRemovedNotFollowed) {
  DemoSources();
  const fs::path outside = Work() / "outside";
  WriteHost(outside / "Precious.txt", "outside the product");
  WriteHost(outside / "deeper" / "Precious.txt", "deeper outside");
  const fs::path linked = Work() / "linked";
  WriteHost(linked / "Bystander.txt", "beside the product's data");
  // The second destination is itself a link to a folder elsewhere.
  fs::create_directory_symlink(linked, Host("C:\\") / "LinkedData");
  Product p = Demo();
  p.destinations[1] = "C:\\LinkedData";
  std::string from = Install(p, {0, 1, 2});
  ASSERT_EQ(Read("C:\\LinkedData\\Data.bin").size(), 5000u);

  // Links the user made inside the install folder, to a folder and to a file outside.
  fs::create_directory_symlink(outside, Host("C:\\Program Files\\Demo") / "Shortcut to outside");
  fs::create_directories(Host("C:\\Program Files\\Demo\\Docs\\Sub"));
  fs::create_symlink(outside / "Precious.txt",
                     Host("C:\\Program Files\\Demo\\Docs\\Sub") / "precious.txt");

  Outcome removal = Uninstall("C:\\Program Files\\Demo\\", "Demo");
  ASSERT_FALSE(removal.timedOut);
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_EQ(ReadHost(outside / "Precious.txt"), "outside the product");
  EXPECT_EQ(ReadHost(outside / "deeper" / "Precious.txt"), "deeper outside");
  // The product's file went through the link; the folder the link names keeps the rest.
  EXPECT_FALSE(fs::exists(linked / "Data.bin"));
  EXPECT_EQ(ReadHost(linked / "Bystander.txt"), "beside the product's data");
}

}  // namespace
}  // namespace vx::test::e2e
