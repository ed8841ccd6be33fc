// Ordinary accidents and simple attacks against a real installation: a damaged package over a
// good installation, links planted in the temp folder, two runs of one product at once, and
// runs killed at any moment.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <sstream>
#include <thread>

#include "platform/Registry.h"
#include "platform/System.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

// Every file under a host folder with its bytes (relative names).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_regular_file())
      files[fs::relative(it->path(), root).string()] = ReadHost(it->path());
  }
  return files;
}

// The zlib stream of `data` as one stored block.
std::string StoredStream(const std::string& data) {
  std::string s = "\x78\x01";
  s += '\x01';
  const auto n = static_cast<std::uint16_t>(data.size());
  s += static_cast<char>(n & 0xFF);
  s += static_cast<char>(n >> 8);
  s += static_cast<char>(~n & 0xFF);
  s += static_cast<char>((~n >> 8) & 0xFF);
  s += data;
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  const std::uint32_t sum = b << 16 | a;
  for (int i = 3; i >= 0; --i) s += static_cast<char>(sum >> (8 * i));
  return s;
}

class NothingLost : public E2eTest {
 protected:
  // The demo installed, then the package at C:\dist\Demo.exe changed by `damage` and the
  // same installation run over the first one. Returns the second run.
  template <class Damage>
  Outcome InstallDamagedOverGood(Damage damage, std::map<std::string, std::string>* before) {
    DemoSources();
    Install(Demo(), {0, 1, 2});
    *before = Snapshot(Host("C:\\"));
    std::string exe = ReadHost(Host("C:\\dist\\Demo.exe"));
    damage(exe);
    WriteHost(Host("C:\\dist\\Demo.exe"), exe);
    std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
    return RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  }

  // Two runs of one product, the second started `delay` after the first.
  void TwoRuns(std::chrono::milliseconds delay, Outcome* first, Outcome* second) {
    std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
    // Paced, so that each run lasts long enough for the other to start meanwhile.
    auto run = [&] {
      return RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1", "VX_PACE=0.2"});
    };
    auto a = std::async(std::launch::async, run);
    std::this_thread::sleep_for(delay);
    auto b = std::async(std::launch::async, run);
    *first = a.get();
    *second = b.get();
  }

  // Every file of the first installation is as it was; only the engine's own temp files
  // and the damaged package differ.
  void ExpectUntouched(const std::map<std::string, std::string>& before) {
    std::map<std::string, std::string> after = Snapshot(Host("C:\\"));
    for (const auto& [name, bytes] : before) {
      if (name.rfind("Windows/Temp/", 0) == 0 || name == "dist/Demo.exe") continue;
      ASSERT_TRUE(after.count(name)) << name << " is gone";
      EXPECT_TRUE(after[name] == bytes) << name << " changed";
    }
    for (const auto& [name, bytes] : after)
      EXPECT_EQ(name.find("~vx-"), std::string::npos) << "partial file left: " << name;
  }
};

TEST_F(NothingLost, FlippedByteInThePackageLeavesEveryEarlierFileAsItWas) {
  std::map<std::string, std::string> before;
  Outcome run = InstallDamagedOverGood(
      [&](std::string& exe) {
        // The program's third block is stored as it is; one byte of it breaks its checksum.
        std::size_t at = exe.find(SourceText("bin/App.exe").substr(2 * 2048 + 100, 64));
        ASSERT_NE(at, std::string::npos);
        exe[at + 10] ^= 0x01;
      },
      &before);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 10) << run.err;  // refused before the first file
  ExpectUntouched(before);
}

TEST_F(NothingLost, ChunkWithASecondStreamFailsItsRecord) {
  std::map<std::string, std::string> before;
  Outcome run = InstallDamagedOverGood(
      [&](std::string& exe) {
        // The program's second block: a stored chunk of 2059 bytes becomes two streams of
        // the same total length. Read as one, the file would silently lose its tail.
        std::string block = SourceText("bin/App.exe").substr(2048, 2048);
        std::size_t at = exe.find(block);
        ASSERT_NE(at, std::string::npos);
        ASSERT_EQ(exe[at - 7], '\x78');
        std::string two =
            StoredStream(block.substr(0, 100)) + StoredStream(block.substr(100, 1937));
        ASSERT_EQ(two.size(), 2059u);
        exe.replace(at - 7, two.size(), two);
      },
      &before);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 10) << run.err;  // refused before the first file
  ExpectUntouched(before);
}

TEST_F(NothingLost, LinksPlantedInTheTempFolderAreNeverWrittenThrough) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  const fs::path outside = Work() / "outside";
  fs::create_directories(outside);
  const std::vector<std::string> names = {"Install.exe", "Install.ini", "Demo.inf", "Halvik.exe",
                                          "Readme.txt"};
  fs::create_directories(Host("C:\\Windows\\Temp"));
  for (const std::string& name : names) {
    WriteHost(outside / name, "precious " + name);
    fs::permissions(outside / name, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(outside / name, Host("C:\\Windows\\Temp") / name);
  }
  // A dangling link: writing through it would create a file outside the machine.
  fs::create_symlink(outside / "created-outside", Host("C:\\Windows\\Temp") / "Karvo.dll");

  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\dist\\");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadHost(outside / name), "precious " + name);
    EXPECT_EQ(fs::status(outside / name).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Host("C:\\Windows\\Temp") / name)));
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(outside / "created-outside")));
  EXPECT_EQ(Snapshot(outside).size(), names.size());
}

TEST_F(NothingLost, TwoRunsOfOneProductEndWithOneInstallationAndOneRefusal) {
  DemoSources();
  Product demo = Demo();
  ASSERT_EQ(Pack(demo, "C:\\dist").status, 0);
  for (int delay : {0, 300}) {
    SCOPED_TRACE(delay);
    Outcome a, b;
    TwoRuns(std::chrono::milliseconds(delay), &a, &b);
    ASSERT_FALSE(a.timedOut || b.timedOut);
    std::vector<int> statuses = {a.status, b.status};
    std::sort(statuses.begin(), statuses.end());
    // Refused by the second engine (5, passed on by its extractor) or by the second
    // extractor itself (14).
    EXPECT_EQ(statuses[0], 0) << a.err << "\n----\n" << b.err;
    EXPECT_TRUE(statuses[1] == 5 || statuses[1] == 14) << a.err << "\n----\n" << b.err;
    const std::string refused = a.status != 0 ? a.err : b.err;
    EXPECT_EQ(Dialogs(refused, "Another run of the Installer is already using"), 1) << refused;
    ExpectDemoInstalled({"Core", "Docs"}, "C:\\dist\\");
    EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, "C:\\Windows\\System32\\Common.dll"), 1u);
    // Away again for the next round.
    // Yes: the shared library goes too.
    Outcome removed =
        RunWin("C:\\Program Files\\Demo\\Install.exe", {"-f", "C:\\Program Files\\Demo\\Demo.inf"},
               {"VX_WAIT=1", Answers({"yes"})});
    ASSERT_EQ(removed.status, 0) << removed.err;
    ExpectDemoGone();
    ASSERT_EQ(Vxmachine({"boot"}).status, 0);
  }
}

// Every line of a profile text is a section, a key, a comment or blank: nothing torn.
bool ProfileLinesWhole(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' ? line.back() != ']' : line.find('=') == std::string::npos) return false;
  }
  return text.empty() || text.back() == '\n';
}

TEST_F(NothingLost, InstallationKilledAtTwentyMomentsLeavesAMachineThatRecovers) {
  DemoSources();
  Product demo = Demo();
  // A larger program makes the copying a good part of the run.
  Source("bin/Big.bin", Noise(3'000'000, 9), kAppTime);
  demo.components[0].items.insert(demo.components[0].items.begin() + 1,
                                  "Big.bin | {InstallPath1} | bin | 0");
  ASSERT_EQ(Pack(demo, "C:\\dist").status, 0);
  const std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  const std::string common = GetSystemDirectory() + "\\Common.dll";
  auto install = [&] { return RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"}); };
  auto uninstall = [&] {
    return RunWin("C:\\Program Files\\Demo\\Install.exe",
                  {"-f", "C:\\Program Files\\Demo\\Demo.inf"}, {"VX_WAIT=1", Answers({"yes"})});
  };

  // How long a whole run takes here.
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(install().status, 0);
  const auto whole = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(uninstall().status, 0);
  ASSERT_EQ(Vxmachine({"boot"}).status, 0);

  int killedRuns = 0, countsLeft = 0;
  for (int moment = 1; moment <= 20; ++moment) {
    SCOPED_TRACE(moment);
    auto run = std::async(std::launch::async, install);
    std::this_thread::sleep_for(whole * moment / 21);
    // The extractor and the engine it starts (a process of its own).
    const std::vector<int> hits =
        KillUntilQuiet({Host("C:\\dist\\Demo.exe"), Host("C:\\Windows\\Temp\\Install.exe")}, 100);
    const int killed = hits[0] + hits[1], enginesKilled = hits[1];
    Outcome cut = run.get();
    killedRuns += killed > 0;

    // What the kill left opens and reads whole.
    Outcome reg = Vxmachine({"reg", "export", "HKEY_LOCAL_MACHINE\\Software"});
    EXPECT_EQ(reg.status, 0) << reg.err;
    if (Exists("C:\\Windows\\win.ini")) {
      EXPECT_TRUE(ProfileLinesWhole(Read("C:\\Windows\\win.ini")));
    }
    // The engine starts only once the extractor wrote every file, so its working copy was
    // whole then and only its own writes touched it since. A kill while the extractor was
    // still writing leaves a cut copy, which the next extractor sees differs and replaces.
    if (enginesKilled > 0 && Exists("C:\\Windows\\Temp\\Demo.inf")) {
      EXPECT_TRUE(ProfileLinesWhole(Read("C:\\Windows\\Temp\\Demo.inf")));
      EXPECT_EQ(Ini("C:\\Windows\\Temp\\Demo.inf", "<General>", "ProjectName"), "Demo");
    }

    // The same installation again, then its uninstall, complete.
    Outcome again = install();
    ASSERT_EQ(again.status, 0) << cut.err << "\n----\n" << again.err;
    // A count the killed run raised was given back before the new run counted.
    ExpectDemoInstalled({"Core", "Docs", "Extras"}, "C:\\dist\\");
    Outcome removed = uninstall();
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_FALSE(RegDword(kHkeyLocalMachine, kSharedKey, common).has_value());
    countsLeft += RegDword(kHkeyLocalMachine, kSharedKey, common).has_value();
    ASSERT_EQ(Vxmachine({"boot"}).status, 0);
  }
  std::printf(
      "[ crash   ] whole run %lld ms; %d of 20 moments killed a running installation; "
      "%d left a shared count\n",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(whole).count()),
      killedRuns, countsLeft);
}

}  // namespace
}  // namespace vx::test::e2e
