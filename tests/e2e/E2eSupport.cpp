#include "tests/e2e/E2eSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/files/PackageFormat.h"
#include "engine/files/PackedEntry.h"
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "platform/WinPath.h"

extern char** environ;

namespace vx::test::e2e {

Outcome RunProgram(const fs::path& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, int timeoutSeconds, const fs::path& cwd) {
  Outcome run;
  // Standard error goes to a file: a pipe could fill up while the child waits on a dialog.
  char errName[] = "/tmp/vxe2e-err-XXXXXX";
  char outName[] = "/tmp/vxe2e-out-XXXXXX";
  int errFd = mkstemp(errName);
  int outFd = mkstemp(outName);
  if (errFd < 0 || outFd < 0) {
    if (errFd >= 0) close(errFd);
    if (outFd >= 0) close(outFd);
    return run;
  }
  unlink(errName);
  unlink(outName);

  std::vector<std::string> envStore;
  for (char** e = environ; e && *e; ++e) {
    std::string entry(*e);
    // The answers and the wait are each run's own, never inherited from the test's caller.
    bool replaced = entry.rfind("VX_ANSWERS=", 0) == 0 || entry.rfind("VX_WAIT=", 0) == 0;
    for (const std::string& extra : env)
      replaced =
          replaced || entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
    if (!replaced) envStore.push_back(entry);
  }
  envStore.insert(envStore.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& s : envStore) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStore{program.string()};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argStore) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    close(errFd);
    close(outFd);
    run.err = "cannot start " + program.string();
    return run;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!run.timedOut && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  char buf[4096];
  lseek(errFd, 0, SEEK_SET);
  for (ssize_t n; (n = read(errFd, buf, sizeof buf)) > 0;) run.err.append(buf, std::size_t(n));
  close(errFd);
  lseek(outFd, 0, SEEK_SET);
  for (ssize_t n; (n = read(outFd, buf, sizeof buf)) > 0;) run.out.append(buf, std::size_t(n));
  close(outFd);
  return run;
}

std::string CutHalfwayThroughPayload(const std::string& image) {
  if (image.size() < pkg::kTrailerSize) return image.substr(0, image.size() / 2);
  const std::size_t payload = pkg::ReadLe32(reinterpret_cast<const std::uint8_t*>(image.data()) +
                                            image.size() - pkg::kTrailerSize);
  if (payload >= image.size()) return image.substr(0, image.size() / 2);
  return image.substr(0, payload + (image.size() - payload) / 2);
}

std::uintmax_t DiskSizeWithRoom(std::uintmax_t room) {
  // The extractor as it is, the engine's files as the payload holds them (packed when that
  // makes them smaller).
  std::uintmax_t engine = fs::file_size(fs::path(BinDir()) / "Extract.exe");
  for (const char* f : {"Install.exe", "Karvo.dll", "Halvik.exe"}) {
    const std::string bytes = ReadHost(fs::path(BinDir()) / f);
    std::string packed;
    const bool shrinks =
        pkg::PackEntry({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                       &packed) &&
        packed.size() < bytes.size();
    engine += shrinks ? packed.size() : bytes.size();
  }
  return engine + room;
}

void SetHostTime(const fs::path& p, std::int64_t unixSeconds) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixSeconds);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::int64_t HostTime(const fs::path& p) {
  struct stat st;
  if (stat(p.c_str(), &st) != 0) return -1;
  return st.st_mtim.tv_sec;
}

std::string Product::Script() const {
  std::string s;
  auto line = [&s](const std::string& text) { s += text + "\r\n"; };
  line("[<General>]");
  line("ProductName=" + product);
  line("ProjectName=" + project);
  line("VendorName=" + vendor);
  line("FolderName=" + product);
  line("ProductVersion=" + version);
  for (const std::string& g : general) line(g);
  line("[<ScreenLayout>]");
  line("MsgBoxCaption=" + product + " Setup");
  line("[<PreActions>]");
  line("nItems=0");
  line("DefLocale=" + locale);
  line("[<Destinations>]");
  line(std::string("PathWndVisible=") + (wizard ? "1" : "0"));
  line("nItems=" + std::to_string(destinations.size()));
  for (std::size_t i = 0; i < destinations.size(); ++i) {
    line("InstallPath" + std::to_string(i + 1) + "=" + destinations[i]);
    line("PathEditable" + std::to_string(i + 1) + "=1");
  }
  const std::string shown = wizard ? "SkipThis=0" : "SkipThis=1";
  line("[<WelcomeWnd>]");
  line(shown);
  line("[<LicenseWnd>]");
  line(shown);
  line("LicenseFile={Temp}\\Readme.txt");
  line("[<UserInfoWnd>]");
  line(std::string("SkipThis=") + (askUser || wizard ? "0" : "1"));
  line("AskUserName=1");
  line("AskCompany=1");
  line("AskEmail=0");
  line("[<InstTypeListWnd>]");
  line("nItems=0");
  line("[<CompListWnd>]");
  line("nItems=" + std::to_string(components.size()));
  for (std::size_t i = 0; i < components.size(); ++i) {
    const Component& c = components[i];
    line(std::to_string(i) + "=" + c.name + " | " + (c.enabled ? "1" : "0") + " | " +
         (c.selected ? "1" : "0"));
  }
  line("[<InstSummaryWnd>]");
  line(shown);
  line("InstalledType=<CompListWnd>");
  line("[<CompletionWnd>]");
  line(shown);
  line("MoreInstruct=Start " + product + " from the desktop.");
  line("nItems=" + std::to_string(completion.size()));
  for (std::size_t i = 0; i < completion.size(); ++i) line(std::to_string(i) + "=" + completion[i]);
  line("[<Uninstall>]");
  line(std::string("SkipThis=") + (registerUninstall ? "0" : "1"));
  line("PrenItems=" + std::to_string(pre.size()));
  for (std::size_t i = 0; i < pre.size(); ++i) line("Pre" + std::to_string(i) + "=" + pre[i]);
  line("PostnItems=" + std::to_string(post.size()));
  for (std::size_t i = 0; i < post.size(); ++i) line("Post" + std::to_string(i) + "=" + post[i]);
  line("[{Temp}]");
  line("nItems=" + std::to_string(temp.size()));
  for (std::size_t i = 0; i < temp.size(); ++i) line(std::to_string(i) + "=" + temp[i]);
  for (const Component& c : components) {
    line("[" + c.name + "]");
    line("Description=The " + c.name + " component");
    line("nItems=" + std::to_string(c.items.size()));
    for (std::size_t i = 0; i < c.items.size(); ++i) line(std::to_string(i) + "=" + c.items[i]);
    line("nIcons=" + std::to_string(c.icons.size()));
    for (std::size_t i = 0; i < c.icons.size(); ++i)
      line("Icon" + std::to_string(i) + "=" + c.icons[i]);
    for (std::size_t i = 0; i < c.trees.size(); ++i)
      line("Tree" + std::to_string(i) + "=" + c.trees[i]);
  }
  return s;
}

void E2eTest::SetUp() {
  work_ = fs::path(machine_.Dir()) / "work";
  fs::create_directories(work_);
  for (const char* program : {"Install.exe", "Extract.exe", "Karvo.dll", "vxpack", "vxmachine"}) {
    if (!fs::exists(fs::path(BinDir()) / program)) GTEST_SKIP() << program << " is not built";
  }
}

void E2eTest::Source(const std::string& relative, const std::string& content,
                     std::int64_t unixTime) {
  fs::path p = Src() / relative;
  WriteHost(p, content);
  SetHostTime(p, unixTime);
}

void E2eTest::WriteScript(const Product& p) { WriteHost(Src() / (p.project + ".inf"), p.Script()); }

Outcome E2eTest::Pack(const Product& p, const std::string& outWin,
                      const std::vector<std::string>& options) {
  WriteScript(p);
  // Strict: every product the tests build must check clean.
  std::vector<std::string> args = options;
  args.insert(args.end(), {"--strict", "--out", Host(outWin).string(),
                           (Src() / (p.project + ".inf")).string()});
  return RunProgram(fs::path(BinDir()) / "vxpack", args, {"SOURCE_DATE_EPOCH=1700000000"});
}

std::string E2eTest::Install(const Product& p, const std::vector<int>& selected, bool folder) {
  const std::string from = folder ? "C:\\cd\\" : "C:\\dist\\";
  Outcome pack = folder ? Pack(p, "C:\\cd", {"--folder"}) : Pack(p, "C:\\dist");
  EXPECT_EQ(pack.status, 0) << pack.err;
  std::vector<std::string> paths;
  for (const std::string& d : p.destinations)
    paths.push_back(d == "{ProgramFiles}\\Demo" ? "C:\\Program Files\\Demo" : d);
  std::string response = Response(selected, paths);
  Outcome run = folder ? RunWin(from + "Install.exe", {"-s", response})
                       : RunWin(from + p.project + ".exe", {"-s", response}, {"VX_WAIT=1"});
  EXPECT_EQ(run.status, 0) << run.err;
  return from;
}

std::string E2eTest::Response(const std::vector<int>& selected,
                              const std::vector<std::string>& paths,
                              const std::map<std::string, std::string>& more) {
  std::string text = "[ResponseFile]\r\n";
  for (int i : selected) text += "Component" + std::to_string(i + 1) + "=1\r\n";
  for (std::size_t i = 0; i < paths.size(); ++i)
    text += "InstallPath" + std::to_string(i + 1) + "=" + paths[i] + "\r\n";
  for (const auto& [key, value] : more) text += key + "=" + value + "\r\n";
  fs::path p = work_ / ("response" + std::to_string(++responseFiles_) + ".ini");
  WriteHost(p, text);
  return p.string();
}

std::string E2eTest::Answers(const std::vector<std::string>& answers) {
  std::string text;
  for (const std::string& a : answers) text += a + "\n";
  fs::path p = work_ / ("answers" + std::to_string(++answerFiles_) + ".txt");
  WriteHost(p, text);
  return "VX_ANSWERS=" + p.string();
}

Outcome E2eTest::RunWin(const std::string& winProgram, const std::vector<std::string>& args,
                        const std::vector<std::string>& env) {
  return RunProgram(Host(winProgram), args, env);
}

Outcome E2eTest::Vxmachine(const std::vector<std::string>& args) {
  return RunProgram(fs::path(BinDir()) / "vxmachine", args);
}

void E2eTest::ExpectSame(const std::string& win, const std::string& relative) const {
  std::string got = Read(win), want = SourceText(relative);
  EXPECT_TRUE(got == want) << win << " holds " << got.size() << " bytes, not the " << want.size()
                           << " bytes of " << relative;
}

bool E2eTest::Exists(const std::string& win) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(Host(win), ec));
}

std::optional<std::string> E2eTest::RegString(HKEY root, const std::string& key,
                                              const std::string& value) const {
  HKEY h = 0;
  if (RegOpenKeyEx(root, key, kKeyRead, &h) != 0) return std::nullopt;
  std::string data(4096, '\0');
  std::uint32_t type = 0, size = static_cast<std::uint32_t>(data.size());
  std::int32_t rc = RegQueryValueEx(h, value, &type, data.data(), &size);
  RegCloseKey(h);
  if (rc != 0 || type != kRegSz) return std::nullopt;
  data.resize(size);
  while (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

std::optional<std::uint32_t> E2eTest::RegDword(HKEY root, const std::string& key,
                                               const std::string& value) const {
  HKEY h = 0;
  if (RegOpenKeyEx(root, key, kKeyRead, &h) != 0) return std::nullopt;
  std::uint32_t number = 0, type = 0, size = sizeof number;
  std::int32_t rc = RegQueryValueEx(h, value, &type, &number, &size);
  RegCloseKey(h);
  if (rc != 0 || type != kRegDword) return std::nullopt;
  return number;
}

bool E2eTest::KeyExists(HKEY root, const std::string& key) const {
  HKEY h = 0;
  if (RegOpenKeyEx(root, key, kKeyRead, &h) != 0) return false;
  RegCloseKey(h);
  return true;
}

std::string E2eTest::Ini(const std::string& winFile, const std::string& section,
                         const std::string& key) const {
  return GetPrivateProfileString(section, key, "", winFile);
}

std::vector<std::string> E2eTest::InstalledComponents(const std::string& winScript) const {
  std::vector<std::string> names;
  int n = GetPrivateProfileInt("InstalledComponents", "nItems", 0, winScript);
  for (int i = 0; i < n; ++i)
    names.push_back(
        GetPrivateProfileString("InstalledComponents", std::to_string(i), "", winScript));
  return names;
}

ShellLinkData E2eTest::Link(const std::string& win) const {
  ShellLinkData link;
  std::string bytes = ReadHost(Host(win));
  EXPECT_FALSE(bytes.empty()) << "no shortcut " << win;
  EXPECT_TRUE(
      ParseShellLink(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &link))
      << "malformed shortcut " << win;
  return link;
}

int E2eTest::Dialogs(const std::string& err, const std::string& text) {
  int count = 0;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);)
    if (line.find(text) != std::string::npos) ++count;
  return count;
}

Product Demo() {
  Product p;
  p.temp = {"Readme.txt"};
  Component core{"Core", false, true, {}, {}};
  core.items = {
      "App.exe | {InstallPath1} | bin | 0",
      "App.cfg | {InstallPath1}\\Config | bin | 0",
      "? | If (1 == 1) | 4 | Remember the folder | HKEY_LOCAL_MACHINE | Software\\Acme\\Demo | "
      "Path | {InstallPath1}",
      "? | If (1 == 1) | 3 | Write the settings | {Windows}\\Demo.ini | Settings | Home | "
      "{InstallPath1}",
      "Common.dll | {System} | shared | 1",
  };
  core.icons = {
      "Demo | {InstallPath1}\\App.exe | -start | {InstallPath1}\\App.exe 1 | {InstallPath1} | "
      "{Desktop} |"};
  Component docs{"Docs", true, true, {"Guide.txt | {InstallPath1}\\Docs | docs | 0"}, {}};
  docs.icons = {
      "Guide | {InstallPath1}\\Docs\\Guide.txt |  |  | {InstallPath1}\\Docs | {ProductFolder} |"};
  Component extras{"Extras", true, false, {"Data.bin | {InstallPath2} | data | 0"}, {}};
  p.components = {core, docs, extras};
  // Completion lines are not expanded as a whole: only the value is.
  p.completion = {
      "? | If (1 == 1) | 3 | Note the run | C:\\Windows\\DemoRun.ini | Run | Finished | "
      "{ProductName}"};
  return p;
}

void E2eTest::DemoSources() {
  Source("$Temp/Readme.txt", Lines(20, "readme"));
  Source("bin/App.exe", Noise(10000, 1), kAppTime);
  Source("bin/App.cfg", Lines(30, "setting"), kCfgTime);
  Source("docs/Guide.txt", Lines(2000, "guide"), kGuideTime);
  Source("data/Data.bin", Noise(5000, 2), kDataTime);
  Source("shared/Common.dll", Noise(3000, 3), kCommonTime);
}

namespace {

bool Has(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// The shared library of Demo(), in the system folder of the machine's platform.
std::string CommonDll() { return GetSystemDirectory() + "\\Common.dll"; }

std::string ProductFolder() { return GetSpecialFolder(kCsidlPrograms) + "\\Demo Product"; }

// Two Windows paths that name the same thing (doubled or trailing backslashes and case aside).
bool winpathEquals(const std::string& a, const std::string& b) {
  std::string na, nb;
  if (!winpath::Normalize(a, na) || !winpath::Normalize(b, nb)) return false;
  while (na.size() > 3 && na.back() == '\\') na.pop_back();
  while (nb.size() > 3 && nb.back() == '\\') nb.pop_back();
  return winpath::EqualsNoCase(na, nb);
}

}  // namespace

void E2eTest::ExpectDemoInstalled(const std::vector<std::string>& components,
                                  const std::string& from) {
  const std::string dir = "C:\\Program Files\\Demo\\";
  // Core is locked: it is always there.
  ExpectSame(dir + "App.exe", "bin/App.exe");
  EXPECT_EQ(Time(dir + "App.exe"), kAppTime);
  ExpectSame(dir + "Config\\App.cfg", "bin/App.cfg");
  EXPECT_EQ(Time(dir + "Config\\App.cfg"), kCfgTime);
  ExpectSame(CommonDll(), "shared/Common.dll");
  EXPECT_EQ(Time(CommonDll()), kCommonTime);
  EXPECT_EQ(RegString(kHkeyLocalMachine, "Software\\Acme\\Demo", "Path"), dir);
  EXPECT_EQ(Ini("C:\\Windows\\Demo.ini", "Settings", "Home"), dir);
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, CommonDll()), 1u);
  const std::string desktopLink = GetSpecialFolder(kCsidlDesktopDirectory) + "\\Demo.lnk";
  if (Exists(desktopLink)) {
    ShellLinkData link = Link(desktopLink);
    EXPECT_TRUE(winpathEquals(link.target, dir + "App.exe")) << link.target;
    EXPECT_EQ(link.arguments, "-start");
    EXPECT_EQ(link.description, "Demo");
    EXPECT_EQ(link.iconIndex, 1);
    EXPECT_TRUE(winpathEquals(link.iconFile, dir + "App.exe")) << link.iconFile;
    EXPECT_TRUE(winpathEquals(link.workingDir, dir)) << link.workingDir;
  } else {
    ADD_FAILURE() << "no desktop shortcut";
  }

  const std::string guide = dir + "Docs\\Guide.txt";
  const std::string guideLink = ProductFolder() + "\\Guide.lnk";
  if (Has(components, "Docs")) {
    ExpectSame(guide, "docs/Guide.txt");
    EXPECT_EQ(Time(guide), kGuideTime);
    if (Exists(guideLink)) {
      ShellLinkData link = Link(guideLink);
      EXPECT_TRUE(winpathEquals(link.target, guide)) << link.target;
      EXPECT_TRUE(link.iconFile.empty());
    } else {
      ADD_FAILURE() << "no shortcut " << guideLink;
    }
  } else {
    EXPECT_FALSE(Exists(guide));
    EXPECT_FALSE(Exists(guideLink));
  }
  if (Has(components, "Extras")) {
    ExpectSame("C:\\DemoData\\Data.bin", "data/Data.bin");
    EXPECT_EQ(Time("C:\\DemoData\\Data.bin"), kDataTime);
  } else {
    EXPECT_FALSE(Exists("C:\\DemoData\\Data.bin"));
  }

  // Registered for a later uninstall.
  EXPECT_EQ(Read(dir + "Install.exe"), ReadHost(fs::path(BinDir()) / "Install.exe"));
  EXPECT_EQ(Read(dir + "Karvo.dll"), ReadHost(fs::path(BinDir()) / "Karvo.dll"));
  const std::string script = dir + "Demo.inf";
  EXPECT_EQ(InstalledComponents(script), components);
  EXPECT_EQ(Ini(script, "<InstSummaryWnd>", "InstalledFrom"), from);
  EXPECT_EQ(
      RegString(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product", "DisplayName"),
      "Uninstall Demo Product");
  EXPECT_EQ(
      RegString(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product", "UninstallString"),
      "\"" + dir + "Install.exe\" -u \"" + dir + "Demo.inf\"");
  // The completion actions ran.
  EXPECT_EQ(Ini("C:\\Windows\\DemoRun.ini", "Run", "Finished"), "Demo Product");
}

std::vector<pid_t> ProcessesOf(const fs::path& program) {
  std::vector<pid_t> pids;
  std::error_code ec;
  const std::string want = fs::weakly_canonical(program, ec).string();
  for (const auto& e : fs::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code linkEc;
    std::string exe = fs::read_symlink(e.path() / "exe", linkEc).string();
    if (linkEc) continue;
    const std::string deleted = " (deleted)";
    if (exe.size() > deleted.size() &&
        exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
      exe.resize(exe.size() - deleted.size());
    if (exe == want) pids.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return pids;
}

std::vector<int> KillUntilQuiet(const std::vector<fs::path>& programs, int quietLooks) {
  std::vector<int> killed(programs.size(), 0);
  for (int look = 0, quiet = 0; quiet < quietLooks && look < 2000; ++look) {
    int found = 0;
    for (std::size_t i = 0; i < programs.size(); ++i) {
      for (pid_t pid : ProcessesOf(programs[i])) {
        const int hit = kill(pid, SIGKILL) == 0;
        killed[i] += hit;
        found += hit;
      }
    }
    quiet = found ? 0 : quiet + 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return killed;
}

void E2eTest::ExpectDemoGone() {
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_FALSE(Exists("C:\\DemoData"));
  EXPECT_FALSE(Exists(CommonDll()));
  EXPECT_FALSE(Exists(GetSpecialFolder(kCsidlDesktopDirectory) + "\\Demo.lnk"));
  EXPECT_FALSE(Exists(ProductFolder()));
  EXPECT_EQ(RegString(kHkeyLocalMachine, "Software\\Acme\\Demo", "Path"), std::nullopt);
  EXPECT_EQ(Ini("C:\\Windows\\Demo.ini", "Settings", "Home"), "");
  EXPECT_EQ(RegDword(kHkeyLocalMachine, kSharedKey, CommonDll()), std::nullopt);
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
}

}  // namespace vx::test::e2e
