// What a user sees when a run does not go as meant: paths and answers taken from where the
// user stands, answers that do not fit refused, a reason line for each failure, the run log,
// the two programs' statuses told apart, and the small faults that changed what was installed.
#include <sys/stat.h>

#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

class NothingSilent : public E2eTest {
 protected:
  // The line the engine ends a failed run with.
  static std::string Reason(const Outcome& run) {
    std::size_t at = run.err.find("Install.exe: the run failed: ");
    if (at == std::string::npos) return "(no reason line)";
    return run.err.substr(at, run.err.find('\n', at) - at);
  }
  bool Executable(const std::string& win) const {
    struct stat st;
    return ::stat(Host(win).c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0;
  }
  Outcome Wizard(const std::vector<std::string>& answers) {
    return RunWin("C:\\dist\\Demo.exe", {}, {"VX_WAIT=1", Answers(answers)});
  }
};

TEST_F(NothingSilent, TheReadmeExampleAndARelativeResponseFileWorkFromWhereTheUserStands) {
  // The repository's layout in miniature: the example product packed into build/dist, the
  // answers file written beside it, everything started from that folder with relative names.
  fs::path root = Work() / "root";
  fs::create_directories(root);
  const fs::path sample = fs::path(VX_SOURCE_DIR) / "examples" / "sample";
  Outcome pack =
      RunProgram(fs::path(BinDir()) / "vxpack",
                 {"--out", (root / "build" / "dist").string(), "--splash",
                  (sample / "splash" / "Splash.bmp").string(), (sample / "Sample.inf").string()});
  ASSERT_EQ(pack.status, 0) << pack.err;
  WriteHost(root / "answers.txt", "ok\nyes\ntext:Ada\ntext:Example Works\ntext:0,1\nok\nok\n");
  Outcome run =
      RunProgram("build/dist/Sample.exe", {}, {"VX_ANSWERS=answers.txt", "VX_WAIT=1"}, 180, root);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Information | Your name: | text:Ada"), 1) << run.err;
  EXPECT_EQ(RegString(kHkeyCurrentUser, "Software\\Example Vendor\\Vx Sample\\UserInfo",
                      "RegisteredOwner")
                .value_or(""),
            "Ada");

  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string response = Response({0, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  fs::path caller = Work() / "caller";
  fs::create_directories(caller / "sub");
  fs::copy_file(response, caller / "sub" / "answers.ini");
  Outcome silent =
      RunProgram(Host("C:\\dist\\Demo.exe"), {"-ssub/answers.ini"}, {"VX_WAIT=1"}, 180, caller);
  EXPECT_EQ(silent.status, 0) << silent.err;
  ExpectDemoInstalled({"Core", "Extras"}, "C:\\dist\\");
}

TEST_F(NothingSilent, AnAnswerThatDoesNotFitCancelsWithItsLineAndInstallsNothing) {
  DemoSources();
  Product demo = Demo();
  demo.wizard = true;
  ASSERT_EQ(Pack(demo, "C:\\dist").status, 0);
  struct Case {
    std::vector<std::string> answers;
    std::string says;
  };
  const Case cases[] = {
      {{"ok", "maybe"}, "VX_ANSWERS line 2: \"maybe\" does not fit the dialog \"License Agreement"},
      {{"ok", "yes", "text:Ann", "text:Corp", "text:7,foo"},
       "VX_ANSWERS line 5: \"text:7,foo\" does not fit the dialog \"Components\", which accepts "
       "text: followed by row indexes from 0 to 2"},
      {{"ok", "yes", "text:Ann", "text:Corp", "text:0", "text:"},
       "VX_ANSWERS line 6: \"text:\" does not fit the dialog"},
  };
  for (const Case& c : cases) {
    Outcome run = Wizard(c.answers);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the run is cancelled"), std::string::npos) << run.err;
    // No quit question: the run ends at once.
    EXPECT_EQ(Dialogs(run.err, "Do you want to quit now?"), 0) << run.err;
    ExpectDemoGone();
  }
}

TEST_F(NothingSilent, EachFailureEndsWithALineNamingWhatFailed) {
  DemoSources();
  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  ASSERT_EQ(Pack(Demo(), "C:\\cd", {"--folder"}).status, 0);
  fs::rename(Host("C:\\cd\\docs\\Guide.txt"), Work() / "Guide.txt");
  Outcome missingFile = RunWin("C:\\cd\\Install.exe", {"-s", response});
  EXPECT_EQ(missingFile.status, 10);  // the folder's seal lists it: refused before any copy
  EXPECT_EQ(
      Reason(missingFile),
      "Install.exe: the run failed: The installer C:\\cd\\ is damaged or cut short: the file "
      "C:\\cd\\docs\\Guide.txt is missing. Nothing was installed; please get a new copy of it.");
  fs::remove(Host("C:\\cd\\Demo.0"));
  Outcome missingDisk = RunWin("C:\\cd\\Install.exe", {"-s", response});
  EXPECT_EQ(missingDisk.status, 1);
  EXPECT_EQ(
      Reason(missingDisk),
      "Install.exe: the run failed: cannot open the package C:\\cd\\Demo.0: The system cannot "
      "find the file specified.");

  // A destination that cannot be written: a file stands where the program folder goes.
  Vxmachine({"boot"});
  fs::remove_all(Host("C:\\Program Files\\Demo"));
  WriteHost(Host("C:\\Program Files\\Demo"), "in the way");
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  Outcome blocked = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(
      Reason(blocked).find("component Core: cannot create C:\\Program Files\\Demo\\App.exe: "),
      std::string::npos)
      << Reason(blocked);
  // The person at the screen reads the same reason in a message box before the windows go.
  EXPECT_EQ(Dialogs(blocked.err,
                    "The installation could not be completed and has stopped."
                    "\\r\\n\\r\\nReason: component Core: cannot create "),
            1)
      << blocked.err;
  fs::remove(Host("C:\\Program Files\\Demo"));

  // A package on two disks: the second one damaged, then missing with its prompt cancelled.
  Product big = Demo();
  Source("data/Big.bin", Noise(400000, 20), kDataTime);
  big.components[2].items.push_back("Big.bin | {InstallPath2} | data | 0");
  ASSERT_EQ(Pack(big, "C:\\dist", {"--disk-size", std::to_string(DiskSizeWithRoom(200000))}).status,
            0);
  std::string disk1 = Read("C:\\dist\\Demo.1");
  ASSERT_GT(disk1.size(), 100000u);
  std::string damaged = disk1;
  for (std::size_t i = 60000; i < 60400; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  WriteHost(Host("C:\\dist\\Demo.1"), damaged);
  Outcome bad = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  EXPECT_EQ(bad.status, 10);
  EXPECT_NE(Reason(bad).find("its disk 2, C:\\dist\\Demo.1, differs from the digest"),
            std::string::npos)
      << Reason(bad);
  fs::remove(Host("C:\\dist\\Demo.1"));
  fs::remove_all(Host("C:\\DemoData"));  // the half-written file would be newer
  Outcome cancelled =
      RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", Answers({"cancel"})});
  EXPECT_EQ(cancelled.status, 1) << cancelled.err;
  EXPECT_NE(Reason(cancelled).find(
                "disk 2 of the package (Demo.1) was not given: the disk prompt was cancelled"),
            std::string::npos)
      << Reason(cancelled);
}

TEST_F(NothingSilent, TheRunLogShowsTheStepsOfAWholeInstallation) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunProgram(Host("C:\\dist\\Demo.exe"), {"-s", response},
                           {"VX_WAIT=1", "VX_LOG=run.log"}, 180, Work());
  ASSERT_EQ(run.status, 0) << run.err;
  std::string log = ReadHost(Work() / "run.log");
  for (const char* step :
       {"phase: start-up: Install.exe -e C:\\dist\\Demo.exe", "phase: setup from the response file",
        "phase: installing the components", "component: install Core",
        "file: C:\\Program Files\\Demo\\App.exe installed",
        "action: ? | If (1 == 1) | 4 | Remember the folder",
        "registry: HKEY_LOCAL_MACHINE\\Software\\Acme\\Demo Path=C:\\Program Files\\Demo",
        "ini: C:\\Windows\\Demo.ini [Settings] Home=C:\\Program Files\\Demo",
        "component: install Docs", "phase: registering the installation", "phase: completion",
        "result: Install.exe ends with status 0"}) {
    EXPECT_NE(log.find(step), std::string::npos) << step << "\n" << log;
  }
  EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

TEST_F(NothingSilent, TheExtractorsOwnFailuresAreToldApartFromTheEngines) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  std::string image = Read("C:\\dist\\Demo.exe");
  WriteHost(Host("C:\\dist\\Cut.exe"), CutHalfwayThroughPayload(image));
  ::chmod(Host("C:\\dist\\Cut.exe").c_str(), 0755);
  Outcome cut = RunWin("C:\\dist\\Cut.exe", {}, {"VX_WAIT=1"});
  EXPECT_EQ(cut.status, 10) << cut.err;
  // The engine's failure passes through as its own status.
  std::string response = Response({0}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  WriteHost(Host("C:\\Program Files\\Demo"), "in the way");
  Outcome failed = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  EXPECT_EQ(failed.status, 1) << failed.err;
}

TEST_F(NothingSilent, BareIniNamesTextLinesAndHostProgramsLandAsMeant) {
  DemoSources();
  Source("bin/orbit", "#!/bin/sh\necho orbit\n");
  Product demo = Demo();
  demo.components[0].items.push_back("orbit | {InstallPath1} | bin | 0");
  demo.components[0].items.push_back(
      "? | If (1 == 1) | 3 | Bare name | orbitrel.ini | Orbit | Home | {InstallPath1}");
  demo.components[0].items.push_back(
      "? | If (1 == 1) | 5 | Start line | {InstallPath1}\\Start.bat |  |  | orbit -d |  | 0, 1, 0, "
      "0, 0");
  for (bool folder : {false, true}) {
    std::string from = Install(demo, {0}, folder);
    EXPECT_TRUE(Executable("C:\\Program Files\\Demo\\orbit")) << from;
    EXPECT_EQ(Ini("C:\\Windows\\orbitrel.ini", "Orbit", "Home"), "C:\\Program Files\\Demo\\")
        << from;
    EXPECT_EQ(Read("C:\\Program Files\\Demo\\Start.bat"), "orbit -d\r\n") << from;
    Outcome removal = RunWin("C:\\Program Files\\Demo\\Install.exe",
                             {"-f", "C:\\Program Files\\Demo\\Demo.inf"}, {"VX_WAIT=1"});
    EXPECT_EQ(removal.status, 0) << removal.err;
    // The undo found the line it added; the file itself is no file of the component.
    EXPECT_EQ(Read("C:\\Program Files\\Demo\\Start.bat"), "") << from;
    Vxmachine({"boot"});
    fs::remove_all(Host("C:\\Program Files\\Demo"));
  }
}

}  // namespace
}  // namespace vx::test::e2e
