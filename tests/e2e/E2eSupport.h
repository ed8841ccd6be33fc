// Whole installations as a user runs them: products written by the test, built with vxpack,
// installed, modified and removed by the real programs in separate processes, each test on a
// fresh machine. The helpers here build products and read back what landed on the machine.
#pragma once
#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ShellLink.h"
#include "platform/Registry.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TestMachine.h"

namespace vx::test::e2e {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // the exit status; -1 when killed by a signal or never started
  bool timedOut = false;
  std::string err;  // standard error (headless dialogs are printed there)
  std::string out;  // standard output
};

// Runs a host program and waits for it (killing it after `timeoutSeconds`). `env` entries
// ("NAME=value") are added to this process's environment for the child; `cwd`, when given,
// is the child's current folder (a relative program is found from there).
Outcome RunProgram(const fs::path& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env = {}, int timeoutSeconds = 180,
                   const fs::path& cwd = {});

// A --disk-size for a spanned self-extractor whose first disk has room for `room` package
// bytes past the engine files: it follows the size of the built programs (instrumented
// builds are many times larger), so data sized from it spans the same disks in every build.
std::uintmax_t DiskSizeWithRoom(std::uintmax_t room);
// A self-extractor whose download stopped halfway through its payload. The extractor itself
// stays whole: its size differs between builds, and a program cut short would not start at all.
std::string CutHalfwayThroughPayload(const std::string& image);
void SetHostTime(const fs::path& p, std::int64_t unixSeconds);
std::int64_t HostTime(const fs::path& p);  // last-write time, whole seconds

// One component of a product: its list line flags, its items (file and action lines) and
// its shortcut lines.
struct Component {
  std::string name;
  bool enabled = true;
  bool selected = true;
  std::vector<std::string> items;
  std::vector<std::string> icons;
  std::vector<std::string> trees = {};  // TreeN lines
};

// An install script. Every wizard page is off, so the engine runs from a response file (or,
// in maintenance, shows only the component page).
struct Product {
  std::string project = "Demo";
  std::string product = "Demo Product";
  std::string vendor = "Acme";
  std::string version = "1.0";
  std::vector<std::string> general;  // further [<General>] lines ("HelpLink=...")
  std::vector<std::string> destinations = {"{ProgramFiles}\\Demo", "C:\\DemoData"};
  std::vector<std::string> temp;  // [{Temp}] lines
  std::vector<Component> components;
  std::vector<std::string> completion;  // completion action lines
  std::vector<std::string> pre, post;   // uninstall action lines
  bool askUser = false;                 // the user information page (name, company)
  bool registerUninstall = true;
  // Every page of the wizard shown: welcome, license ({Temp}\Readme.txt), user information,
  // components, destinations, summary and completion.
  bool wizard = false;
  std::string locale;  // DefLocale: a locale file's name, "" for none
  std::string Script() const;
};

// The product most tests install: Core (locked; a program, its configuration in a
// sub-folder, a registry value, an INI value, a shared library under {System}, a desktop
// shortcut), Docs (a guide and a shortcut in the program folder) and Extras (data under the
// second destination, off unless chosen). The completion writes an INI value.
Product Demo();

// Source times of the demo files (Unix seconds), all distinct.
inline constexpr std::int64_t kAppTime = 1000000000;
inline constexpr std::int64_t kCfgTime = 1000003600;
inline constexpr std::int64_t kGuideTime = 1000007200;
inline constexpr std::int64_t kDataTime = 1000010800;
inline constexpr std::int64_t kCommonTime = 1000014400;

class E2eTest : public ::testing::Test {
 protected:
  // `platform`: "NT" or "9x", the machine's.
  explicit E2eTest(const std::string& platform = "NT") : machine_(platform) {}
  void SetUp() override;

  // Host folders of this test: scratch space outside the machine's drives, and the source
  // tree of the product being built.
  fs::path Work() const { return work_; }
  fs::path Src() const { return work_ / "src"; }

  // A file of the source tree, with its last-write time.
  void Source(const std::string& relative, const std::string& content,
              std::int64_t unixTime = 1000000000);
  std::string SourceText(const std::string& relative) const { return ReadHost(Src() / relative); }
  // The source tree of Demo().
  void DemoSources();
  // Everything a finished installation of Demo() into the default destinations leaves, for
  // the components named (a subset of Core, Docs, Extras); a component not named must be
  // absent. `from` is the folder recorded as InstalledFrom.
  // `sharedCount`: the count the shared library must have (0: not checked).
  void ExpectDemoInstalled(const std::vector<std::string>& components, const std::string& from);
  // A machine with no trace of Demo() (its files, folders, values and registration).
  void ExpectDemoGone();
  // Builds `p` (its sources written already) as a self-extractor in C:\dist, or as a folder
  // installation in C:\cd, and installs it unattended into the default destinations with
  // the components of the list given (by index). Fails the test unless the run completes.
  // Returns the folder installed from.
  std::string Install(const Product& p, const std::vector<int>& selected, bool folder = false);
  // Writes the product's script into the source tree (as PROJECT.inf).
  void WriteScript(const Product& p);
  // vxpack with `options` on the source tree's script, output in the Windows folder `outWin`.
  Outcome Pack(const Product& p, const std::string& outWin,
               const std::vector<std::string>& options = {});

  // A response file in the scratch space: Component<N> (1-based) for each selected index of
  // the component list, and InstallPath<N> values; returns its host path.
  std::string Response(const std::vector<int>& selected, const std::vector<std::string>& paths,
                       const std::map<std::string, std::string>& more = {});
  // VX_ANSWERS=<a file holding the answers>.
  std::string Answers(const std::vector<std::string>& answers);

  // Runs a program that lies on the machine (a Windows path).
  Outcome RunWin(const std::string& winProgram, const std::vector<std::string>& args,
                 const std::vector<std::string>& env = {});
  // vxmachine with its arguments.
  Outcome Vxmachine(const std::vector<std::string>& args);

  // What is on the machine.
  fs::path Host(const std::string& win) const { return machine_.Host(win); }
  bool Exists(const std::string& win) const;
  std::string Read(const std::string& win) const { return machine_.ReadFile(win); }
  // The file on the machine holds the bytes of the source tree's file (said briefly when not:
  // the files are binary).
  void ExpectSame(const std::string& win, const std::string& relative) const;
  std::int64_t Time(const std::string& win) const { return HostTime(Host(win)); }
  std::optional<std::string> RegString(HKEY root, const std::string& key,
                                       const std::string& value) const;
  std::optional<std::uint32_t> RegDword(HKEY root, const std::string& key,
                                        const std::string& value) const;
  bool KeyExists(HKEY root, const std::string& key) const;
  std::string Ini(const std::string& winFile, const std::string& section,
                  const std::string& key) const;
  std::vector<std::string> InstalledComponents(const std::string& winScript) const;
  // Parses a shortcut file back; fails the test when it is missing or malformed.
  ShellLinkData Link(const std::string& win) const;
  // The number of lines of `err` (or any output) that contain `text`: headless dialogs print
  // one line each.
  static int Dialogs(const std::string& err, const std::string& text);

  TestMachine machine_;
  fs::path work_;
  int answerFiles_ = 0;
  int responseFiles_ = 0;
};

// The processes running a host program, found by their executable.
std::vector<pid_t> ProcessesOf(const fs::path& program);

// Kills every process of each program, looking again every 2 ms until none has shown for
// `quietLooks` looks in a row: a child forked just now may only show up on a later look, and
// a killed process drops its program before its open files (and their locks). Returns how
// many processes of each program were killed.
std::vector<int> KillUntilQuiet(const std::vector<fs::path>& programs, int quietLooks);

inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr char kSharedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

}  // namespace vx::test::e2e
