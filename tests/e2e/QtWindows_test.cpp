// The real programs with their windows (VX_UI=qt on Qt's offscreen platform), answered
// through VX_ANSWERS: the example product from its self-extractor, a confirmed stop with
// rollback, a confirmed uninstall. The same checks as the headless runs.
#include <algorithm>
#include <map>
#include <set>

#include "platform/System.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

const std::vector<std::string> kQt = {"VX_UI=qt", "QT_QPA_PLATFORM=offscreen", "VX_WAIT=1"};

std::vector<std::string> With(std::vector<std::string> env, const std::string& more) {
  env.push_back(more);
  return env;
}

std::vector<std::string> SnapshotNames(const fs::path& folder) {
  std::vector<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class QtWindows : public E2eTest {
 protected:
  void SetUp() override {
#ifndef VX_WITH_QT
    GTEST_SKIP() << "built without the Qt interface";
#endif
    E2eTest::SetUp();
  }
};

TEST_F(QtWindows, ExampleProductThroughEveryWindowWithPictures) {
  const fs::path sample = fs::path(VX_SOURCE_DIR) / "examples" / "sample";
  Outcome pack =
      RunProgram(fs::path(BinDir()) / "vxpack",
                 {"--out", Host("C:\\dist").string(), "--splash",
                  (sample / "splash" / "Splash.bmp").string(), (sample / "Sample.inf").string()});
  ASSERT_EQ(pack.status, 0) << pack.err;
  fs::path pictures = Work() / "pictures";
  // Welcome, license (Yes), name, company; the rest take their defaults.
  Outcome run = RunWin("C:\\dist\\Sample.exe", {},
                       With(With(kQt, "VX_SNAPSHOTS=" + pictures.string()),
                            Answers({"ok", "yes", "text:Jane Doe", "text:Example Ltd"})));
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Information | Your name: | text:Jane Doe"), 1) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Completion | "), 1) << run.err;
  for (const char* file :
       {"C:\\Program Files\\Vx Sample\\Sample.exe", "C:\\Program Files\\Vx Sample\\Sample.cfg",
        "C:\\Program Files\\Vx Sample\\Docs\\Manual.txt",
        "C:\\Program Files\\Vx Sample\\Install.exe", "C:\\Program Files\\Vx Sample\\Sample.inf"})
    EXPECT_TRUE(Exists(file)) << file;
  EXPECT_FALSE(Exists("C:\\Program Files\\Vx Sample Data\\cities.csv"));  // off by default
  EXPECT_TRUE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Vx Sample"));
  EXPECT_EQ(RegString(kHkeyCurrentUser, "Software\\Example Vendor\\Vx Sample\\UserInfo",
                      "RegisteredOwner"),
            "Jane Doe");
  // A picture of each window as it came: the extractor, the splash, the backdrop, the
  // progress window, numbered in order across both programs.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(pictures))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front().substr(0, 12), "0001-extract");
  for (const char* kind :
       {"-splash-", "-backdrop-", "-preparation-", "-progress-", "-wizard-Welcome"})
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& n) {
      return n.find(kind) != std::string::npos;
    })) << kind;
}

TEST_F(QtWindows, WizardWindowsLeaveTheMachineTheHeadlessWizardLeaves) {
  const fs::path sample = fs::path(VX_SOURCE_DIR) / "examples" / "sample";
  Outcome pack =
      RunProgram(fs::path(BinDir()) / "vxpack",
                 {"--out", Host("C:\\dist").string(), "--splash",
                  (sample / "splash" / "Splash.bmp").string(), (sample / "Sample.inf").string()});
  ASSERT_EQ(pack.status, 0) << pack.err;
  const std::vector<std::string> answers = {"ok",
                                            "yes",
                                            "text:Ann Example",
                                            "text:Example Corp",
                                            "text:0,2",
                                            "text:C:\\Apps\\Sample",
                                            "text:D:\\Sample Data",
                                            "ok",
                                            "ok"};
  const std::string user = "Software\\Example Vendor\\Vx Sample\\UserInfo";
  const std::string uninstall = std::string(kUninstallKey) + "Vx Sample";
  // What an installation left: every file of both destinations with its bytes, the user's
  // values, the registration and the installed script's choices.
  auto state = [&] {
    std::map<std::string, std::string> s;
    for (const char* root : {"C:\\Apps\\Sample", "D:\\Sample Data"}) {
      fs::path host = Host(root);
      if (!fs::exists(host)) continue;
      for (const auto& e : fs::recursive_directory_iterator(host))
        // The installation record names what each run found before it, which differs.
        if (e.is_regular_file() && e.path().extension() != ".record")
          s[std::string(root) + "\\" + fs::relative(e.path(), host).string()] = ReadHost(e.path());
    }
    for (const char* v : {"RegisteredOwner", "RegisteredOrganization"})
      s[std::string("user ") + v] = RegString(kHkeyCurrentUser, user, v).value_or("-");
    s["uninstall"] = RegString(kHkeyLocalMachine, uninstall, "UninstallString").value_or("-");
    s["components"] = "";
    for (const std::string& c : InstalledComponents("C:\\Apps\\Sample\\Sample.inf"))
      s["components"] += c + ";";
    return s;
  };
  machine_.Reconfigure(
      "Platform=NT\r\nAdmin=1\r\n[Drives]\r\nC=fixed,drive_c\r\nD=fixed,drive_d\r\n");
  Outcome headless =
      RunWin("C:\\dist\\Sample.exe", {}, {"VX_UI=headless", "VX_WAIT=1", Answers(answers)});
  ASSERT_EQ(headless.status, 0) << headless.err;
  std::map<std::string, std::string> first = state();
  EXPECT_EQ(first["components"], "Program;Sample Data;");
  EXPECT_EQ(first["user RegisteredOwner"], "Ann Example");
  Outcome removal = RunWin("C:\\Apps\\Sample\\Install.exe", {"-u", "C:\\Apps\\Sample\\Sample.inf"},
                           {"VX_UI=headless", "VX_WAIT=1", Answers({"ok", "yes"})});
  ASSERT_EQ(removal.status, 0) << removal.err;
  ASSERT_FALSE(Exists("C:\\Apps\\Sample\\Sample.exe"));
  RegDeleteKey(kHkeyCurrentUser, user);

  Outcome windows = RunWin("C:\\dist\\Sample.exe", {}, With(kQt, Answers(answers)));
  ASSERT_FALSE(windows.timedOut);
  ASSERT_EQ(windows.status, 0) << windows.err;
  EXPECT_EQ(state(), first);
}

TEST_F(QtWindows, SameAnswersSameOutcomeAsHeadlessRefusalsIncluded) {
  DemoSources();
  Product demo = Demo();
  demo.wizard = true;
  ASSERT_EQ(Pack(demo, "C:\\dist").status, 0);
  // The refusal line, "" when there is none.
  auto refusal = [](const Outcome& run) {
    std::size_t at = run.err.find("VX_ANSWERS line ");
    return at == std::string::npos ? std::string()
                                   : run.err.substr(at, run.err.find('\n', at) - at);
  };
  const std::vector<std::vector<std::string>> cases = {
      {"ok", "maybe"},                                           // not a word of the license
      {"cancel", "bogus"},                                       // not a button of the quit box
      {"ok", "yes", "text:Ann", "text:Corp", "text:0,7"},        // a row that does not exist
      {"ok", "yes", "text:Ann", "text:Corp", "text:0,2", "ok"},  // every answer fits
  };
  for (const std::vector<std::string>& answers : cases) {
    Outcome headless =
        RunWin("C:\\dist\\Demo.exe", {}, {"VX_UI=headless", "VX_WAIT=1", Answers(answers)});
    bool installed = Exists("C:\\Program Files\\Demo\\App.exe");
    if (installed) {
      Outcome removal =
          RunWin("C:\\Program Files\\Demo\\Install.exe",
                 {"-f", "C:\\Program Files\\Demo\\Demo.inf"}, {"VX_UI=headless", "VX_WAIT=1"});
      ASSERT_EQ(removal.status, 0) << removal.err;
    }
    Outcome windows = RunWin("C:\\dist\\Demo.exe", {}, With(kQt, Answers(answers)));
    ASSERT_FALSE(windows.timedOut) << answers.back();
    EXPECT_EQ(windows.status, headless.status) << answers.back() << "\n" << windows.err;
    EXPECT_EQ(refusal(windows), refusal(headless)) << answers.back();
    EXPECT_EQ(Exists("C:\\Program Files\\Demo\\App.exe"), installed) << answers.back();
    if (answers.back() == "ok") {
      EXPECT_EQ(headless.status, 0) << headless.err;
      EXPECT_EQ(refusal(headless), "");
    } else {
      EXPECT_EQ(headless.status, 2) << headless.err;
      EXPECT_NE(refusal(headless).find("\"" + answers.back() + "\" does not fit"),
                std::string::npos)
          << headless.err;
    }
  }
}

TEST_F(QtWindows, ConfirmedStopRollsBackThroughTheQuestionWindow) {
  DemoSources();
  Product p = Demo();
  p.components[2].items = {"Data.bin | {InstallPath2} | data | 0",
                           "? | If (1 == 1) | 15 | Stop here |",
                           "More.bin | {InstallPath2} | data | 0"};
  Source("data/More.bin", Noise(3000, 7), kDataTime);
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  fs::path pictures = Work() / "pictures";
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response},
                       With(With(kQt, "VX_SNAPSHOTS=" + pictures.string()), Answers({"yes"})));
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Dialogs(run.err, "WARNING: The installation has not been completed yet."), 1)
      << run.err;
  ExpectDemoGone();
  EXPECT_FALSE(Exists("C:\\DemoData\\Data.bin"));
  // The rollback is shown in the install window itself: no second window comes up.
  std::vector<std::string> names = SnapshotNames(pictures);
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) {
    return n.find("-progress-") != std::string::npos;
  }));
  EXPECT_TRUE(std::none_of(names.begin(), names.end(), [](const std::string& n) {
    return n.find("-uninstall-") != std::string::npos;
  }));
}

TEST_F(QtWindows, UninstallWindowIsRepaintedWhileTheUninstallWaits) {
  DemoSources();
  Install(Demo(), {0, 1, 2});
  fs::path pictures = Work() / "pictures";
  // Paced waits a fifth of their length: each phase of the removal still waits a while.
  Outcome run =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-u", "C:\\Program Files\\Demo\\Demo.inf"},
             With(With(With(kQt, "VX_SNAPSHOTS=" + pictures.string()), "VX_PACE=0.2"),
                  Answers({"ok", "yes"})));
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoGone();
  // A picture is taken whenever the window is painted with new content; a window that
  // slept through the waits would have been painted once, at the end.
  std::set<std::string> contents;
  int pictured = 0;
  for (const std::string& name : SnapshotNames(pictures)) {
    if (name.find("-uninstall-") == std::string::npos) continue;
    ++pictured;
    contents.insert(ReadHost(pictures / name));
  }
  EXPECT_GE(pictured, 4);
  EXPECT_GE(contents.size(), 4u);  // its content changed between the pictures
}

TEST_F(QtWindows, ConfirmedUninstallRemovesEverything) {
  DemoSources();
  Install(Demo(), {0, 1, 2});
  Outcome run =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-u", "C:\\Program Files\\Demo\\Demo.inf"},
             With(kQt, Answers({"ok", "yes"})));
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Uninstall Demo Product | You have chosen to uninstall"), 1)
      << run.err;
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
