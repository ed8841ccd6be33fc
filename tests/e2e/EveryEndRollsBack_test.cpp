// Every run that does not complete is rolled back: a confirmed stop, a failure, an interrupt
// (to the engine, or Ctrl-C to a waiting extractor), and a rollback killed half-way is
// finished by the next run. Only what ran is undone, and what it overwrote comes back.
#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

const char kPutBack[] = "what the run had changed was put back as it was before";

class EveryEndRollsBack : public E2eTest {
 protected:
  // The user's own values that the product's lines overwrite, or would.
  void UserValues() {
    machine_.WriteFile("C:\\Windows\\User.ini", "[Paths]\r\nDataDir=D:\\Mine\r\n");
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyEx(kHkeyCurrentUser, "Software\\Mine", "", kKeyAllAccess, &h), 0);
    RegSetValueEx(h, "Kept", kRegSz, "mine", 4);
    RegCloseKey(h);
  }
  void ExpectUserValues() {
    EXPECT_EQ(Ini("C:\\Windows\\User.ini", "Paths", "DataDir"), "D:\\Mine");
    EXPECT_EQ(RegString(kHkeyCurrentUser, "Software\\Mine", "Kept"), "mine");
  }
  // Demo() whose Core overwrites the user's INI value, and whose Extras installs a file,
  // then runs `middle`, then (if it gets there) overwrites the user's registry value.
  Product Overwriting(const std::string& middle) {
    Product p = Demo();
    p.components[0].items.push_back(
        "? | If (1 == 1) | 3 | Paths | C:\\Windows\\User.ini | Paths | DataDir | {InstallPath1}");
    p.components[2].items = {
        "Data.bin | {InstallPath2} | data | 0", middle,
        "? | If (1 == 1) | 4 | Mine | HKEY_CURRENT_USER | Software\\Mine | Kept | product"};
    return p;
  }
  std::string DemoResponse(const std::string& data = "C:\\DemoData") {
    return Response({0, 1, 2}, {"C:\\Program Files\\Demo", data});
  }
  void ExpectNoEngineLeft() {
    EXPECT_TRUE(ProcessesOf(Host("C:\\Windows\\Temp\\Install.exe")).empty());
    EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Demo.inf.journal"));
  }
};

TEST_F(EveryEndRollsBack, AStopPutsBackTheUsersValueAndUndoesOnlyWhatRan) {
  DemoSources();
  ASSERT_EQ(Pack(Overwriting("? | If (1 == 1) | 15 | Stop here |"), "C:\\dist").status, 0);
  UserValues();
  Outcome run =
      RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse()}, {"VX_WAIT=1", Answers({"yes"})});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Dialogs(run.err, kPutBack), 1) << run.err;
  ExpectUserValues();
  ExpectDemoGone();
  ExpectNoEngineLeft();
}

TEST_F(EveryEndRollsBack, AFailedRunRollsBackAndLeavesAnOlderVersionAsItWas) {
  DemoSources();
  // The data folder cannot be made: a file holds its parent's name.
  machine_.WriteFile("C:\\Blocked", "a file, not a folder");
  Product p = Overwriting("Big.bin | {InstallPath2} | data | 0");
  Source("data/Big.bin", Noise(2000, 5), kDataTime);
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  UserValues();
  Outcome run =
      RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse("C:\\Blocked\\Data")}, {"VX_WAIT=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Install.exe: the run failed:"), 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, kPutBack), 1) << run.err;
  ExpectUserValues();
  ExpectDemoGone();
  ExpectNoEngineLeft();

  // Version 1 installed, then version 2 (another program) fails over it.
  std::string from = Install(p, {0, 1});
  const std::string v1 = SourceText("bin/App.exe");
  Source("bin/App.exe", Noise(12000, 8), kAppTime + 60);
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  run = RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse("C:\\Blocked\\Data")}, {"VX_WAIT=1"});
  EXPECT_EQ(run.status, 1) << run.err;
  Source("bin/App.exe", v1, kAppTime);
  ExpectDemoInstalled({"Core", "Docs"}, from);
  EXPECT_EQ(Ini("C:\\Windows\\User.ini", "Paths", "DataDir"), "C:\\Program Files\\Demo\\");
}

TEST_F(EveryEndRollsBack,
       AnInterruptStopsAndRollsBackWhetherItReachesTheEngineOrTheWaitingExtractor) {
  DemoSources();
  // Docs waits a little, so that the interrupt comes while the run is installing.
  Product p = Overwriting(
      "? | If (1 == 1) | 4 | Mine | HKEY_CURRENT_USER | Software\\Mine | Kept | product");
  p.components[1].items.push_back("? | If (1 == 1) | 14 | Wait | 4");
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  UserValues();
  const std::string shortcut = GetSpecialFolder(kCsidlDesktopDirectory) + "\\Demo.lnk";
  for (bool toExtractor : {true, false}) {
    SCOPED_TRACE(toExtractor ? "Ctrl-C to the extractor" : "SIGTERM to the engine");
    auto run = std::async(std::launch::async, [&] {
      return RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse()}, {"VX_WAIT=1", "VX_PACE=0.5"});
    });
    // Core is in place once its shortcut is.
    for (int i = 0; i < 3000 && !Exists(shortcut); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(Exists(shortcut));
    const fs::path program =
        toExtractor ? Host("C:\\dist\\Demo.exe") : Host("C:\\Windows\\Temp\\Install.exe");
    for (pid_t pid : ProcessesOf(program)) kill(pid, toExtractor ? SIGINT : SIGTERM);
    Outcome out = run.get();
    ASSERT_FALSE(out.timedOut);
    EXPECT_EQ(out.status, 2) << out.err;
    EXPECT_EQ(Dialogs(out.err, "Install.exe: the run was interrupted"), 1) << out.err;
    EXPECT_EQ(Dialogs(out.err, kPutBack), 1) << out.err;
    ExpectUserValues();
    ExpectDemoGone();
    ExpectNoEngineLeft();
  }
}

TEST_F(EveryEndRollsBack, ARollbackKilledHalfWayIsFinishedByTheNextRun) {
  DemoSources();
  Product p = Demo();
  // The user's file is replaced first and so put back last; several files follow it.
  p.destinations[1] = "C:\\Existing";
  p.components[2].items = {"Old.txt | {InstallPath2} | data | 0"};
  for (int i = 0; i < 8; ++i) {
    Source("data/M" + std::to_string(i) + ".bin", Noise(500, 20 + i), kDataTime);
    p.components[2].items.push_back("M" + std::to_string(i) + ".bin | {InstallPath2} | data | 0");
  }
  p.components[2].items.push_back("? | If (1 == 1) | 15 | Stop here |");
  Source("data/Old.txt", "the product's version", kDataTime);
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  machine_.WriteFile("C:\\Existing\\Old.txt", "the user's version");
  SetHostTime(Host("C:\\Existing\\Old.txt"), kDataTime - 86400);
  const fs::path log = Work() / "run.log";
  const std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\Existing"});

  auto run = std::async(std::launch::async, [&] {
    return RunWin("C:\\dist\\Demo.exe", {"-s", response},
                  {"VX_WAIT=1", "VX_PACE=2", "VX_LOG=" + log.string(), Answers({"yes"})});
  });
  for (int i = 0; i < 6000 && ReadHost(log).find("rolling back") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // The next run must not find the share locks of an engine still on its way out.
  KillUntilQuiet({Host("C:\\dist\\Demo.exe"), Host("C:\\Windows\\Temp\\Install.exe")}, 50);
  run.get();
  ASSERT_TRUE(Exists("C:\\Windows\\Temp\\Demo.inf.journal")) << "the rollback was not cut";
  const bool cutEarly = Read("C:\\Existing\\Old.txt") == "the product's version";

  // The next run finishes that rollback before it begins, then is stopped and rolled back
  // itself: what it found first is the machine as the user had it.
  Outcome next = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"yes"})});
  EXPECT_EQ(next.status, 2) << next.err;
  EXPECT_EQ(Read("C:\\Existing\\Old.txt"), "the user's version");
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(Exists("C:\\Existing\\M" + std::to_string(i) + ".bin"));
  ExpectDemoGone();
  ExpectNoEngineLeft();
  std::printf("[ rollback ] killed %s the user's file was put back\n",
              cutEarly ? "before" : "after");
}

}  // namespace
}  // namespace vx::test::e2e
