// What vendors and administrators use around the engine: whole folders in one Tree line, the
// switches deployment tools give, the full uninstall entry, and a build signed by the
// vendor's own command.
#include <set>

#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

class VendorToolkit : public E2eTest {
 protected:
  // Every file below a host folder, as "relative/path" with its bytes, and the registry as
  // text: what two installations must share to have left the same machine. The temporary
  // folder holds the run's own leftovers and is not compared.
  std::map<std::string, std::string> Files(const fs::path& root) const {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
      std::string rel = fs::relative(it->path(), root).string();
      if (rel.rfind("Windows/Temp", 0) == 0) continue;
      if (it->is_regular_file()) files[rel] = ReadHost(it->path());
    }
    return files;
  }
  std::string Registry() { return Vxmachine({"reg", "export"}).out; }
};

TEST_F(VendorToolkit, TreeLineInstallsExactlyTheFolderFilesItMatches) {
  Product p;
  p.destinations = {"{ProgramFiles}\\Demo"};
  Component core{"Core", false, true, {"App.exe | {InstallPath1} | bin | 0"}, {}};
  core.trees = {"Manual | {InstallPath1}Manual | 0 | *.html;*.TXT | old*"};
  p.components = {core};
  Source("bin/App.exe", Noise(1000, 1));
  Source("manual/index.html", "index");
  Source("manual/ReadMe.txt", "readme");
  Source("manual/oldpage.html", "excluded by name");
  Source("manual/logo.png", "not included");
  Source("manual/Guide/Part One.HTML", "part one");
  Source("manual/Guide/deep/notes.txt", "notes");
  Source("other/stray.html", "another folder");
  Install(p, {0});

  fs::path manual = Host("C:\\Program Files\\Demo\\Manual");
  std::map<std::string, std::string> want = {{"index.html", "index"},
                                             {"ReadMe.txt", "readme"},
                                             {"Guide/Part One.HTML", "part one"},
                                             {"Guide/deep/notes.txt", "notes"}};
  EXPECT_EQ(Files(manual), want);
  // The installed script holds the ordinary file lines the Tree line became, sorted by
  // their path below the folder, after the lines the component had.
  std::string script = Read("C:\\Program Files\\Demo\\Demo.inf");
  EXPECT_NE(
      script.find("1=notes.txt | {InstallPath1}Manual\\Guide\\deep | Manual\\Guide\\deep | 0"),
      std::string::npos)
      << script;
  EXPECT_NE(script.find("2=Part One.HTML | {InstallPath1}Manual\\Guide | Manual\\Guide | 0"),
            std::string::npos)
      << script;
  EXPECT_EQ(script.find("Tree0="), std::string::npos);

  // Removing the product removes what the Tree line brought.
  Outcome un = RunWin("C:\\Program Files\\Demo\\Install.exe",
                      {"-f", "C:\\Program Files\\Demo\\Demo.inf"}, {"VX_WAIT=1"});
  EXPECT_EQ(un.status, 0) << un.err;
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo\\Manual"));
}

TEST_F(VendorToolkit, TreeLineFaultsStopTheBuildNamingTheLine) {
  Product p;
  Component core{"Core", false, true, {}, {}};
  core.trees = {"missing | {InstallPath1} | 0", "bin | {InstallPath1} | 7"};
  p.components = {core};
  Source("bin/App.exe", "x");
  Outcome pack = Pack(p, "C:\\dist");
  EXPECT_EQ(pack.status, 1);
  EXPECT_NE(pack.err.find("Demo.inf:"), std::string::npos) << pack.err;
  EXPECT_NE(pack.err.find(": error: no such folder"), std::string::npos) << pack.err;
  EXPECT_NE(pack.err.find(": error: the shared flag \"7\" of a Tree line must be 0 or 1"),
            std::string::npos)
      << pack.err;
  EXPECT_FALSE(Exists("C:\\dist\\Demo.exe"));
}

TEST_F(VendorToolkit, SilentSwitchesInstallIntoTheFolderWithTheComponentsGiven) {
  machine_.Reconfigure(
      "Platform=NT\r\nAdmin=1\r\n[Drives]\r\nC=fixed,drive_c\r\nD=fixed,drive_d\r\n");
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);

  // /? lists the switches and extracts nothing.
  Outcome help = RunWin("C:\\dist\\Demo.exe", {"/?"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("/SAVEINF=FILE"), std::string::npos) << help.out;
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Install.exe"));

  // A component the product lacks is refused before anything is installed.
  Outcome refused = RunWin("C:\\dist\\Demo.exe", {"/S", "/DIR=D:\\X", "/COMPONENTS=Extras,Nope"});
  EXPECT_EQ(refused.status, 3) << refused.err;
  EXPECT_NE(refused.err.find("\"Nope\", which is no component"), std::string::npos) << refused.err;
  EXPECT_FALSE(Exists("D:\\X"));

  // No VX_WAIT: /S makes the extractor wait and end with the installer's status.
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"/s", "-DIR=D:\\X", "/components=Extras"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, " | "), 0) << run.err;
  ExpectSame("D:\\X\\App.exe", "bin/App.exe");            // Core: locked, always there
  ExpectSame("C:\\DemoData\\Data.bin", "data/Data.bin");  // Extras: chosen
  EXPECT_FALSE(Exists("D:\\X\\Docs"));                    // Docs: on by default, not chosen
  EXPECT_EQ(InstalledComponents("D:\\X\\Demo.inf"), (std::vector<std::string>{"Core", "Extras"}));
  EXPECT_EQ(
      RegString(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product", "InstallLocation"),
      "D:\\X");
}

TEST_F(VendorToolkit, NoRestartReportsTheRestartInsteadOfDoingIt) {
  Product p = Demo();
  p.completion.push_back("? | If (1 == 1) | 16 | Reboot | ");
  DemoSources();
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"/S", "/NORESTART"});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_FALSE(fs::exists(fs::path(machine_.Dir()) / "restart-requested"));
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\dist\\");

  // The host keeps the low 8 bits of an exit status: 3010 arrives as 194, 1603 as 67.
  Outcome mapped = RunWin("C:\\dist\\Demo.exe", {"/S", "/NORESTART", "/MSICODES"});
  EXPECT_EQ(mapped.status, 3010 & 0xFF) << mapped.err;
  // A switch the product cannot meet is a failed installation to deployment tools.
  Outcome rejected = RunWin("C:\\dist\\Demo.exe", {"/S", "/MSICODES", "/TYPE=Nothing"});
  EXPECT_EQ(rejected.status, 1603 & 0xFF) << rejected.err;
  EXPECT_FALSE(fs::exists(fs::path(machine_.Dir()) / "restart-requested"));
}

TEST_F(VendorToolkit, SaveInfFromTheWizardThenResponseFileLeavesTheSameMachine) {
  Product p = Demo();
  p.wizard = true;
  DemoSources();
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  const fs::path saved = Work() / "answers.ini";
  Outcome wizard = RunWin(
      "C:\\dist\\Demo.exe", {"/SAVEINF=" + saved.string()},
      {"VX_WAIT=1", Answers({"ok", "yes", "text:Ann Example", "text:Example Corp", "text:0,2",
                             "text:C:\\Apps\\Demo", "text:C:\\Data\\Demo", "ok", "ok"})});
  ASSERT_EQ(wizard.status, 0) << wizard.err;
  std::string text = ReadHost(saved);
  EXPECT_NE(text.find("AskUserName=Ann Example"), std::string::npos) << text;
  EXPECT_NE(text.find("InstallPath1=C:\\Apps\\Demo"), std::string::npos) << text;
  std::map<std::string, std::string> files = Files(Host("C:\\"));
  std::string registry = Registry();
  std::string dist = ReadHost(Host("C:\\dist\\Demo.exe"));

  // A fresh machine, the same self-extractor, the saved answers.
  TestMachine second;
  WriteHost(second.Host("C:\\dist\\Demo.exe"), dist);
  fs::permissions(second.Host("C:\\dist\\Demo.exe"), fs::perms::owner_exec, fs::perm_options::add);
  Outcome replay =
      RunProgram(second.Host("C:\\dist\\Demo.exe"), {"-s", saved.string()}, {"VX_WAIT=1"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(Files(second.Host("C:\\")), files);
  EXPECT_EQ(Vxmachine({"reg", "export"}).out, registry);
}

TEST_F(VendorToolkit, UninstallEntryHoldsEveryFieldAndGoesWithTheProduct) {
  Product p = Demo();
  p.version = "2.5.1";
  p.general = {"Publisher=Acme Tools Ltd",
               "URLInfoAbout=https://acme.invalid/demo",
               "HelpLink=https://acme.invalid/help",
               "DisplayIcon={InstallPath1}App.exe,0",
               "NoModify=1",
               "NoRepair=1"};
  DemoSources();
  Install(p, {0, 1});
  const std::string key = std::string(kUninstallKey) + "Demo Product";
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "DisplayVersion"), "2.5.1");
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "Publisher"), "Acme Tools Ltd");
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "InstallLocation"), "C:\\Program Files\\Demo");
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "DisplayIcon"), "C:\\Program Files\\Demo\\App.exe,0");
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "URLInfoAbout"), "https://acme.invalid/demo");
  EXPECT_EQ(RegString(kHkeyLocalMachine, key, "HelpLink"), "https://acme.invalid/help");
  EXPECT_EQ(RegDword(kHkeyLocalMachine, key, "NoModify"), 1u);
  EXPECT_EQ(RegDword(kHkeyLocalMachine, key, "NoRepair"), 1u);
  // Core and Docs: the bytes of their files, in KB rounded up.
  std::uintmax_t bytes = 0;
  for (const char* f : {"bin/App.exe", "bin/App.cfg", "shared/Common.dll", "docs/Guide.txt"})
    bytes += fs::file_size(Src() / f);
  EXPECT_EQ(RegDword(kHkeyLocalMachine, key, "EstimatedSize"),
            std::uint32_t((bytes + 1023) / 1024));

  // The quiet command removes the product without a window, entry and all; its one question
  // (whether to remove the shared library no other product uses) takes its default, No.
  std::optional<std::string> quiet = RegString(kHkeyLocalMachine, key, "QuietUninstallString");
  ASSERT_TRUE(quiet.has_value());
  std::string program, arguments;
  if (!quiet->empty() && (*quiet)[0] == '"') {
    std::size_t close = quiet->find('"', 1);
    program = quiet->substr(1, close - 1);
    arguments = quiet->substr(close + 2);
  } else {
    std::size_t blank = quiet->find(" -f ");
    program = quiet->substr(0, blank);
    arguments = quiet->substr(blank + 1);
  }
  Outcome un = RunWin(program, {arguments}, {"VX_WAIT=1"});
  EXPECT_EQ(un.status, 0) << un.err;
  EXPECT_EQ(Dialogs(un.err, "is no longer used by any other product"), 1) << un.err;
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, key));
  EXPECT_FALSE(Exists("C:\\Program Files\\Demo"));
  EXPECT_TRUE(Exists("C:\\Windows\\System32\\Common.dll"));
}

TEST_F(VendorToolkit, SignedBuildInstallsWithEveryProgramSigned) {
  DemoSources();
  const std::string source = SourceText("bin/App.exe");
  // A stand-in for the vendor's signing tool: it notes each file and appends a certificate
  // to it. This platform's self-extractor is no PE program, whose certificate table the
  // extractor would step over, so the finished program is only noted.
  const fs::path log = Work() / "signed.txt";
  const fs::path signer = Work() / "sign.sh";
  WriteHost(signer,
            "#!/bin/sh\necho \"$1\" >> '" + log.string() +
                "'\n"
                "case \"$1\" in *Demo.exe) ;; *) printf '\\nFAKE CERTIFICATE' >> \"$1\";; esac\n");
  fs::permissions(signer, fs::perms::owner_all);
  Outcome pack = Pack(Demo(), "C:\\dist", {"--sign", signer.string() + " {file}"});
  ASSERT_EQ(pack.status, 0) << pack.err;
  std::string signedFiles = ReadHost(log);
  for (const char* name :
       {"/Install.exe\n", "/Karvo.dll\n", "/Halvik.exe\n", "/App.exe\n", "/Common.dll\n"})
    EXPECT_NE(signedFiles.find(name), std::string::npos) << name << " was not signed:\n"
                                                         << signedFiles;
  EXPECT_EQ(signedFiles.find("Guide.txt"), std::string::npos);  // no program
  EXPECT_EQ(signedFiles.substr(signedFiles.rfind('/', signedFiles.size() - 2)), "/Demo.exe\n");
  // The vendor's tree and the output folder hold no signed copies.
  EXPECT_EQ(SourceText("bin/App.exe"), source);
  EXPECT_FALSE(fs::exists(Host("C:\\dist\\.vxpack-signing")));

  Outcome run = RunWin("C:\\dist\\Demo.exe", {"/S"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Read("C:\\Program Files\\Demo\\App.exe"), source + "\nFAKE CERTIFICATE");
  EXPECT_EQ(Time("C:\\Program Files\\Demo\\App.exe"), kAppTime);
  std::string engine = Read("C:\\Program Files\\Demo\\Install.exe");
  EXPECT_EQ(engine.substr(engine.size() - 16), "FAKE CERTIFICATE");

  // A signing command that fails stops the build, and leaves no unsigned program behind.
  fs::remove(Host("C:\\dist\\Demo.exe"));
  Outcome failed = Pack(Demo(), "C:\\dist", {"--sign", "false {file}"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("the signing command failed on"), std::string::npos) << failed.err;
  EXPECT_FALSE(Exists("C:\\dist\\Demo.exe"));
}

TEST_F(VendorToolkit, SuppressedMessageBoxesTakeTheirDefaults) {
  Product p = Demo();
  p.completion = {
      "? | If (1 == 1) | 12 | Ask | Open the guide now? | 1 | 1",
      "? | If ({YesNoResponse} == YES) | 3 | Note | C:\\Windows\\Ask.ini | Asked | Answer | yes"};
  DemoSources();
  ASSERT_EQ(Pack(p, "C:\\dist").status, 0);
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  // The scripted answer would say No; the suppressed box takes its default, Yes.
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response, "/SUPPRESSMSGBOXES"},
                       {"VX_WAIT=1", Answers({"no"})});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dialogs(run.err, "Open the guide now? | default (/SUPPRESSMSGBOXES)"), 1) << run.err;
  EXPECT_EQ(Ini("C:\\Windows\\Ask.ini", "Asked", "Answer"), "yes");
}

}  // namespace
}  // namespace vx::test::e2e
