// Destinations that are already there: files in use (staged, applied at the machine's next
// start), read-only and newer files with remembered answers, and shared files that two
// products count.
#include "tests/e2e/E2eSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"

namespace vx::test::e2e {
namespace {

const char kApp[] = "C:\\Program Files\\Demo\\App.exe";
const char kCfg[] = "C:\\Program Files\\Demo\\Config\\App.cfg";
const char kGuide[] = "C:\\Program Files\\Demo\\Docs\\Guide.txt";
const char kData[] = "C:\\DemoData\\Data.bin";
constexpr std::int64_t kLongAgo = 600000000;    // 1989
constexpr std::int64_t kRecently = 1600000000;  // 2020, newer than every packaged file

class FileConflicts : public E2eTest {
 protected:
  void Existing(const std::string& win, const std::string& content, std::int64_t time,
                bool readOnly = false) {
    machine_.WriteFile(win, content);
    SetHostTime(Host(win), time);
    if (readOnly) {
      ASSERT_TRUE(SetFileAttributes(win, kAttrReadOnly));
    }
  }
  bool ReadOnly(const std::string& win) {
    std::uint32_t a = GetFileAttributes(win);
    return a != kInvalidAttributes && (a & kAttrReadOnly) != 0;
  }
};

TEST_F(FileConflicts, FilesInUseAreStagedAndReplacedAtTheNextStart) {
  DemoSources();
  Product p = Demo();
  // A second App.exe in use under another folder: the two staged files must not collide.
  p.components[2].items.push_back("App.exe | {InstallPath2} | bin | 0");
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  const std::string second = "C:\\DemoData\\App.exe";
  Existing(kApp, "old program", kLongAgo);
  Existing(second, "old second program", kLongAgo);
  // Held open by another program that shares nothing.
  FileHandle held =
      CreateFile(kApp, kGenericRead | kGenericWrite, kShareNone, Disposition::OpenExisting);
  FileHandle held2 = CreateFile(second, kGenericRead, kShareNone, Disposition::OpenExisting);
  ASSERT_NE(held, kInvalidHandle);
  ASSERT_NE(held2, kInvalidHandle);

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 4) << run.err;  // completed, restart needed
  EXPECT_EQ(Read(kApp), "old program");
  EXPECT_EQ(Read(second), "old second program");
  // Two replacements wait for the next start, from two distinct staged files.
  Outcome pending = Vxmachine({"pending"});
  EXPECT_EQ(pending.status, 0);
  EXPECT_EQ(Dialogs(pending.out, std::string("-> ") + kApp), 1) << pending.out;
  EXPECT_EQ(Dialogs(pending.out, "-> " + second), 1) << pending.out;
  EXPECT_EQ(Dialogs(pending.out, "restart requested"), 1) << pending.out;
  // The rest of the installation went through.
  ExpectSame(kGuide, "docs/Guide.txt");
  EXPECT_TRUE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));

  CloseHandle(held);
  CloseHandle(held2);
  Outcome boot = Vxmachine({"boot"});
  EXPECT_NE(boot.status, 2) << boot.err;
  ExpectSame(kApp, "bin/App.exe");
  EXPECT_EQ(Time(kApp), kAppTime);
  ExpectSame(second, "bin/App.exe");
  EXPECT_EQ(Time(second), kAppTime);
  // Nothing is left queued, and the restart the run asked for has happened.
  Outcome after = Vxmachine({"pending"});
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(Dialogs(after.out, "->"), 0) << after.out;
  EXPECT_EQ(Dialogs(after.out, "restart requested"), 0) << after.out;
  ExpectDemoInstalled({"Core", "Docs", "Extras"}, "C:\\dist\\");
}

TEST_F(FileConflicts, RunningProgramIsStagedInAFolderInstallationToo) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\cd", {"--folder"}).status, 0);
  // The installed program is running: a copy of a host program that waits.
  fs::create_directories(Host("C:\\Program Files\\Demo"));
  fs::copy_file("/bin/sleep", Host(kApp));
  pid_t pid = fork();
  if (pid == 0) {
    execl(Host(kApp).c_str(), "App.exe", "60", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // Until it runs the copy.
  const fs::path exe = "/proc/" + std::to_string(pid) + "/exe";
  std::error_code ec;
  for (int i = 0; i < 500 && fs::read_symlink(exe, ec) != Host(kApp); ++i) usleep(10 * 1000);
  ASSERT_EQ(fs::read_symlink(exe, ec), Host(kApp));
  std::string running = Read(kApp);

  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_EQ(Read(kApp), running);

  Vxmachine({"boot"});
  ExpectSame(kApp, "bin/App.exe");
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\cd\\");
}

TEST_F(FileConflicts, RestartOwedByAnEarlierRunIsNotTheOutcomeOfTheNext) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  Existing(kApp, "old program", kLongAgo);
  FileHandle held = CreateFile(kApp, kGenericRead, kShareNone, Disposition::OpenExisting);
  ASSERT_NE(held, kInvalidHandle);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome first = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  CloseHandle(held);
  EXPECT_EQ(first.status, 4) << first.err;

  // Another product, nothing of which needs a restart, before the machine has restarted.
  Source("other/Tool.exe", Noise(4000, 9));
  Product other;
  other.project = "Other";
  other.product = "Other Product";
  other.destinations = {"{ProgramFiles}\\Other"};
  other.components = {
      Component{"Main", false, true, {"Tool.exe | {InstallPath1} | other | 0"}, {}}};
  Install(other, {0});  // completes with status 0
  EXPECT_EQ(Dialogs(Vxmachine({"pending"}).out, "restart requested"), 1);
}

TEST_F(FileConflicts, ReadOnlyYesToAllAndNewerNoToAllHoldForEveryLaterFile) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  Existing(kApp, "read-only program", kLongAgo, true);
  Existing(kCfg, "read-only settings", kLongAgo, true);
  Existing(kGuide, "the user's newer guide", kRecently);
  Existing(kData, "the user's newer data", kRecently);

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run =
      RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"yes-all", "no-all"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  // One question each; the "to all" answers decided the later files.
  EXPECT_EQ(Dialogs(run.err, "with read-only attribute already exists on your computer"), 1)
      << run.err;
  EXPECT_EQ(Dialogs(run.err, "A newer version of"), 1) << run.err;
  ExpectSame(kApp, "bin/App.exe");
  ExpectSame(kCfg, "bin/App.cfg");
  EXPECT_FALSE(ReadOnly(kApp));
  EXPECT_FALSE(ReadOnly(kCfg));
  EXPECT_EQ(Read(kGuide), "the user's newer guide");
  EXPECT_EQ(Time(kGuide), kRecently);
  EXPECT_EQ(Read(kData), "the user's newer data");
  // Skipped files do not fail the run.
  EXPECT_EQ(InstalledComponents("C:\\Program Files\\Demo\\Demo.inf"),
            (std::vector<std::string>{"Core", "Docs", "Extras"}));
}

TEST_F(FileConflicts, ReadOnlyNoToAllAndNewerYesToAllInAFolderInstallation) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\cd", {"--folder"}).status, 0);
  Existing(kApp, "read-only program", kLongAgo, true);
  Existing(kCfg, "read-only settings", kLongAgo, true);
  Existing(kGuide, "the user's newer guide", kRecently);
  Existing(kData, "the user's newer data", kRecently);

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response}, {Answers({"no-all", "yes-all"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "with read-only attribute already exists on your computer"), 1)
      << run.err;
  EXPECT_EQ(Dialogs(run.err, "A newer version of"), 1) << run.err;
  EXPECT_EQ(Read(kApp), "read-only program");
  EXPECT_EQ(Read(kCfg), "read-only settings");
  EXPECT_TRUE(ReadOnly(kApp));
  ExpectSame(kGuide, "docs/Guide.txt");
  EXPECT_EQ(Time(kGuide), kGuideTime);
  ExpectSame(kData, "data/Data.bin");
}

TEST_F(FileConflicts, ReinstallOverItselfCountsASharedFileOnce) {
  DemoSources();
  const std::string common = "C:\\Windows\\System32\\Common.dll";
  Install(Demo(), {0, 1});
  Install(Demo(), {0, 1, 2});
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), 1u);
  // So its one uninstall asks about the library and takes it.
  Outcome removal =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-f", "C:\\Program Files\\Demo\\Demo.inf"},
             {"VX_WAIT=1", Answers({"yes"})});
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), std::nullopt);
  EXPECT_FALSE(Exists(common));
}

TEST_F(FileConflicts, SharedFileCountedByTwoProductsGoesWithTheLast) {
  DemoSources();
  Source("other/Tool.exe", Noise(4000, 9));
  Product other;
  other.project = "Other";
  other.product = "Other Product";
  other.destinations = {"{ProgramFiles}\\Other"};
  other.components = {
      Component{"Main",
                false,
                true,
                {"Tool.exe | {InstallPath1} | other | 0", "Common.dll | {System} | shared | 1"},
                {}}};
  const std::string common = "C:\\Windows\\System32\\Common.dll";
  Install(Demo(), {0, 1});
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), 1u);
  Install(other, {0});
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), 2u);
  ExpectSame("C:\\Program Files\\Other\\Tool.exe", "other/Tool.exe");

  // The first product goes: one count less, the library stays, nobody is asked.
  Outcome first =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-f", "C:\\Program Files\\Demo\\Demo.inf"},
             {"VX_WAIT=1", Answers({"yes"})});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(Dialogs(first.err, "The system indicates that the shared file"), 0) << first.err;
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), 1u);
  ExpectSame(common, "shared/Common.dll");
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));

  // The last one goes: asked once, Yes removes it.
  Outcome last =
      RunWin("C:\\Program Files\\Other\\Install.exe", {"-f", "C:\\Program Files\\Other\\Other.inf"},
             {"VX_WAIT=1", Answers({"yes"})});
  EXPECT_EQ(last.status, 0) << last.err;
  EXPECT_EQ(Dialogs(last.err, "The system indicates that the shared file \"" + common + "\""), 1)
      << last.err;
  EXPECT_FALSE(Exists(common));
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, common), std::nullopt);
  EXPECT_FALSE(Exists("C:\\Program Files\\Other"));
}

}  // namespace
}  // namespace vx::test::e2e
