// First installations as a vendor ships them: the self-extractor run unattended, a folder
// installation (a CD), and a self-extractor whose package spans three disks.
#include "engine/base/InstallRecord.h"
#include "engine/base/ProductRecord.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

class FirstInstall : public E2eTest {};

TEST_F(FirstInstall, SelfExtractorWithResponseFileInstallsAndRegisters) {
  Product demo = Demo();
  demo.askUser = true;
  DemoSources();
  Outcome pack = Pack(demo, "C:\\dist");
  ASSERT_EQ(pack.status, 0) << pack.err;

  std::string response = Response({0, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"},
                                  {{"AskUserName", "Ann Example"}, {"AskCompany", "Example Corp"}});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Extras"}, "C:\\dist\\");
  const std::string user = "Software\\Acme\\Demo Product\\UserInfo";
  EXPECT_EQ(RegString(kHkeyCurrentUser, user, "RegisteredOwner"), "Ann Example");
  EXPECT_EQ(RegString(kHkeyCurrentUser, user, "RegisteredOrganization"), "Example Corp");
  // The pre-required file was unpacked from the package into the temp folder.
  ExpectSame("C:\\Windows\\Temp\\Readme.txt", "$Temp/Readme.txt");
  // No dialog needed an answer in an unattended run.
  EXPECT_EQ(Dialogs(run.err, " | "), 0) << run.err;
  // The record names the engine's files as the run's own, so the uninstall knows them.
  RecordParse record = ReadRecordFile("C:\\Program Files\\Demo\\Demo.inf.record");
  ProductRecord product;
  product.Load(record);
  for (const char* file : {"Install.exe", "Karvo.dll", "Demo.inf"})
    EXPECT_TRUE(product.CreatedFile(std::string("C:\\Program Files\\Demo\\") + file)) << file;

  // The unpacked engine files go at the next start of the machine; the product stays.
  Outcome boot = Vxmachine({"boot"});
  EXPECT_EQ(boot.status, 0) << boot.err;
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Install.exe"));
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Demo.inf"));
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Readme.txt"));
  ExpectDemoInstalled({"Core", "Extras"}, "C:\\dist\\");
}

TEST_F(FirstInstall, WithoutWaitTheExtractorEndsAtOnceAndTheInstallerRunsOn) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response});
  EXPECT_EQ(run.status, 0) << run.err;
  // The installer finishes by itself; its last step is the completion action's INI value.
  for (int i = 0; i < 600 && Ini("C:\\Windows\\DemoRun.ini", "Run", "Finished").empty(); ++i)
    usleep(50 * 1000);
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\dist\\");
}

TEST_F(FirstInstall, InstallerStatusReachesTheCallerOfTheExtractor) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  // The extractor passes its arguments on; the installer rejects an option it does not know.
  Outcome rejected = RunWin("C:\\dist\\Demo.exe", {"-x", response}, {"VX_WAIT=1"});
  EXPECT_EQ(rejected.status, 3) << rejected.err;
  EXPECT_EQ(Dialogs(rejected.err, "An unknown command line has been passed to the Installer."), 1);
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
}

TEST_F(FirstInstall, FolderInstallationCopiesThePlainFiles) {
  DemoSources();
  Outcome pack = Pack(Demo(), "C:\\cd", {"--folder"});
  ASSERT_EQ(pack.status, 0) << pack.err;
  ASSERT_TRUE(Exists("C:\\cd\\Demo.0"));
  ASSERT_TRUE(Exists("C:\\cd\\bin\\App.exe"));

  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\cd\\");
  ExpectSame("C:\\Windows\\Temp\\Readme.txt", "$Temp/Readme.txt");
  // The folder installation is not changed by installing from it.
  ExpectSame("C:\\cd\\bin\\App.exe", "bin/App.exe");
}

TEST_F(FirstInstall, FolderInstallationWithAFileMissingIsRefusedBeforeAnyCopy) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\cd", {"--folder"}).status, 0);
  fs::remove(Host("C:\\cd\\docs\\Guide.txt"));
  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 10) << run.err;
  EXPECT_EQ(Dialogs(run.err, "the file C:\\cd\\docs\\Guide.txt is missing"), 2) << run.err;
  // The folder's seal lists the file: nothing is copied, registered or run.
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo\\App.exe"));
  EXPECT_FALSE(Exists("C:\\DemoData\\Data.bin"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo\\Install.exe"));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
  EXPECT_EQ(Ini("C:\\Windows\\DemoRun.ini", "Run", "Finished"), "");
}

TEST_F(FirstInstall, PackageOnThreeDisksWithOneMovedAsksForItsFolder) {
  DemoSources();
  Product demo = Demo();
  // Disk 0 has room for 200000 package bytes past the engine files; every later disk holds
  // as much as the whole self-extractor, so data of 1.2 disks spans disks 1 and 2.
  const std::uintmax_t diskSize = DiskSizeWithRoom(200000);
  for (int i = 0; i < 3; ++i) {
    std::string name = "Big" + std::to_string(i) + ".bin";
    Source("data/" + name, Noise(diskSize * 2 / 5, 10 + i), kDataTime + i);
    demo.components[2].items.push_back(name + " | {InstallPath2}\\Big | data | 0");
  }
  Outcome pack = Pack(demo, "C:\\dist", {"--disk-size", std::to_string(diskSize)});
  ASSERT_EQ(pack.status, 0) << pack.err;
  ASSERT_TRUE(Exists("C:\\dist\\Demo.1"));
  ASSERT_TRUE(Exists("C:\\dist\\Demo.2"));
  ASSERT_FALSE(Exists("C:\\dist\\Demo.3"));
  for (const char* f : {"Demo.exe", "Demo.1", "Demo.2"})
    EXPECT_LE(fs::file_size(Host(std::string("C:\\dist\\") + f)), diskSize) << f;

  fs::create_directories(Host("C:\\moved"));
  fs::rename(Host("C:\\dist\\Demo.2"), Host("C:\\moved") / "Demo.2");

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run =
      RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"text:C:\\moved"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err,
                    "Insert Diskette | Please specify the full path where file \"Demo.2\" exists."),
            1)
      << run.err;
  ExpectDemoInstalled({"Core", "Docs", "Extras"}, "C:\\dist\\");
  for (int i = 0; i < 3; ++i) {
    std::string name = "Big" + std::to_string(i) + ".bin";
    ExpectSame("C:\\DemoData\\Big\\" + name, "data/" + name);
    EXPECT_EQ(Time("C:\\DemoData\\Big\\" + name), kDataTime + i);
  }
}

TEST_F(FirstInstall, CancelledDiskPromptFailsTheRunWithoutRegistration) {
  DemoSources();
  Product demo = Demo();
  Source("data/Big.bin", Noise(400000, 20), kDataTime);
  demo.components[2].items.push_back("Big.bin | {InstallPath2} | data | 0");
  ASSERT_EQ(
      Pack(demo, "C:\\dist", {"--disk-size", std::to_string(DiskSizeWithRoom(200000))}).status, 0);
  ASSERT_TRUE(Exists("C:\\dist\\Demo.1"));
  fs::remove(Host("C:\\dist\\Demo.1"));

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"cancel"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Insert Diskette"), 1) << run.err;
  // No registration, no installed script, no completion.
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo\\Demo.inf"));
  EXPECT_FALSE(Exists("C:\\Windows\\DemoRun.ini"));
}

}  // namespace
}  // namespace vx::test::e2e
