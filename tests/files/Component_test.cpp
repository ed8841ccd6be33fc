// Installing one component: its file lines (from the package or as plain copies), its action
// lines with the step back of a key wait, the temp-folder deletions, its shortcuts and the
// InstalledComponents record.
#include "engine/files/Component.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/RunJournal.h"
#include "engine/base/Store.h"
#include "engine/files/FileCopy.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PackageWriter.h"
#include "platform/ShellLink.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/files/SharedFiles.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx::test {
namespace {

// Everything a component writes into its progress window, positions included.
class RecordingProgress : public ProgressView {
 public:
  void SetHeading(const std::string& t) override { Add("H:" + t); }
  void SetDetail(const std::string& t) override { Add("D:" + t); }
  void SetPosition(int p) override {
    std::lock_guard lock(m_);
    positions.push_back(p);
  }
  std::vector<std::string> lines;
  std::vector<int> positions;

 private:
  void Add(const std::string& s) {
    std::lock_guard lock(m_);
    lines.push_back(s);
  }
  std::mutex m_;
};

class ComponentTest : public FreshRunTest {
 protected:
  ComponentTest() {
    machine.Reconfigure("Platform=NT\r\nAdmin=1\r\n");
    ui = Headless();
    SetPaceFactor(0);
    FillFolderValues();
    Folders().source = "C:\\Setup\\";
  }
  ~ComponentTest() override { package.Close(); }

  // The script: a default component list naming `components`, InstallPath1 = C:\App, and
  // the given component sections.
  void UseScript(const std::vector<std::string>& components,
                 const std::vector<std::string>& sections) {
    std::string text = "[<InstSummaryWnd>]\r\nInstalledType=<CompListWnd>\r\n[<CompListWnd>]\r\n";
    text += "nItems=" + std::to_string(components.size()) + "\r\n";
    for (std::size_t i = 0; i < components.size(); ++i)
      text += std::to_string(i) + "=" + components[i] + " | 1 | 1\r\n";
    text +=
        "[<Destinations>]\r\nnItems=1\r\nInstallPath1=C:\\App\r\n[<General>]\r\n"
        "ProductName=Demo\r\nFolderName=Demo\r\n";
    for (const std::string& l : sections) text += l + "\r\n";
    machine.WriteFile("C:\\Setup\\App.inf", text);
    SetScriptFile("C:\\Setup\\App.inf");
  }

  // Writes a stand-alone package (records from disk 1 on) of the given records and opens it
  // as start-up would; package mode is on afterwards.
  pkg::WriterResult UsePackage(const std::vector<std::tuple<int, int, std::string>>& records,
                               std::uint64_t diskSize = 0) {
    std::vector<pkg::PackageItem> items;
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string path = "C:\\PkgSrc\\r" + std::to_string(i);
      machine.WriteFile(path, std::get<2>(records[i]));
      items.push_back({std::get<0>(records[i]), std::get<1>(records[i]), path});
    }
    pkg::WriterOptions options;
    options.headerOnlyFirstDisk = true;
    options.diskSize = diskSize;
    std::filesystem::create_directories(machine.Host("C:\\Setup"));
    pkg::FileSink sink("C:\\Setup\\Prod.0");
    pkg::WriterResult written = pkg::WritePackage(items, options, sink);
    EXPECT_TRUE(written.ok) << written.error;
    package.totalDisks = written.diskCount;
    EXPECT_EQ(OpenPackageAtStartup(package, "C:\\Setup\\Prod.0", false), StartupOpen::Opened);
    package.packageMode = true;
    return written;
  }

  bool Install(int index, std::function<bool()> checkStop = nullptr) {
    ComponentContext context{package, &progress, std::move(checkStop)};
    return InstallComponent(index, context);
  }

  bool Exists(const std::string& path) const { return std::filesystem::exists(machine.Host(path)); }

  // Descriptions of the actions run, in order, as the status display wrote them.
  std::vector<std::string> Headings(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& l : progress.lines)
      if (l.rfind("H:" + prefix, 0) == 0) out.push_back(l.substr(2));
    return out;
  }

  static std::optional<std::uint32_t> SharedCount(const std::string& path) {
    std::uint32_t n = 0xFFFFFFFF;
    ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, n);
    if (n == 0xFFFFFFFF) return std::nullopt;
    return n;
  }

  std::vector<PendingOperation> Pending() const { return ListPendingOperations(); }

  TestMachine machine;
  HeadlessUi* ui = nullptr;
  PackageState package;
  RecordingProgress progress;
};

TEST_F(ComponentTest, CopyModeInstallsEachFileLineAndCountsSharedOnes) {
  machine.WriteFile("C:\\Setup\\files\\a.txt", "alpha");
  machine.WriteFile("C:\\Setup\\files\\b.dll", "beta");
  machine.WriteFile("C:\\Other\\c.txt", "gamma");
  UseScript({"Base"}, {"[Base]", "nItems=3", "0=a.txt | {InstallPath1} | files",
                       "1= b.dll | {InstallPath1}sub | files\\ | 1 | ignored",
                       "2=c.txt|{InstallPath1}|C:\\Other|0"});
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(machine.ReadFile("C:\\App\\a.txt"), "alpha");
  EXPECT_EQ(machine.ReadFile("C:\\App\\sub\\b.dll"), "beta");
  EXPECT_EQ(machine.ReadFile("C:\\App\\c.txt"), "gamma");
  EXPECT_EQ(SharedCount("C:\\App\\sub\\b.dll"), 1u);
  EXPECT_EQ(SharedCount("C:\\App\\c.txt"), std::nullopt);
  EXPECT_EQ(SharedCount("C:\\App\\a.txt"), std::nullopt);
  ASSERT_FALSE(progress.lines.empty());
  EXPECT_EQ(progress.lines.front(), "H:Base");
  EXPECT_EQ(progress.positions, (std::vector<int>{33, 66, 100, 0}));
  // The destinations were shown in order as the detail line.
  std::vector<std::string> details;
  for (const std::string& l : progress.lines)
    if (l.rfind("D:C:", 0) == 0) details.push_back(l.substr(2));
  EXPECT_EQ(details,
            (std::vector<std::string>{"C:\\App\\a.txt", "C:\\App\\sub\\b.dll", "C:\\App\\c.txt"}));
  EXPECT_TRUE(Pending().empty());
}

TEST_F(ComponentTest, CopyFileKeptByTheUsersAnswerRaisesNoCount) {
  machine.WriteFile("C:\\Setup\\files\\s.dll", "new");
  machine.WriteFile("C:\\App\\s.dll", "old");
  ASSERT_TRUE(SetFileAttributes("C:\\App\\s.dll", kAttrReadOnly));
  UseScript({"Base"}, {"[Base]", "nItems=1", "0=s.dll | {InstallPath1} | files | 1"});
  ui->AddAnswer("no");
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(machine.ReadFile("C:\\App\\s.dll"), "old");
  EXPECT_EQ(SharedCount("C:\\App\\s.dll"), std::nullopt);
  // A skipped file makes no progress step.
  EXPECT_EQ(progress.positions, (std::vector<int>{0}));
}

TEST_F(ComponentTest, FailedFileStopsTheComponentWithoutShortcuts) {
  machine.WriteFile("C:\\Setup\\files\\a.txt", "alpha");
  machine.WriteFile("C:\\Setup\\files\\c.txt", "gamma");
  machine.WriteFile("C:\\Setup\\files\\t.tmp", "temp");
  UseScript({"Base"},
            {"[Base]", "nItems=4", "0=t.tmp | {Temp} | files", "1=a.txt | {InstallPath1} | files",
             "2=missing.txt | {InstallPath1} | files", "3=c.txt | {InstallPath1} | files",
             "nIcons=1", "Icon0=Tool | C:\\App\\a.txt | | | | {ProductFolder} |"});
  EXPECT_FALSE(Install(0));
  EXPECT_TRUE(Exists("C:\\App\\a.txt"));  // installed files stay
  EXPECT_FALSE(Exists("C:\\App\\c.txt"));
  EXPECT_FALSE(Exists(Expanded("{ProductFolder}\\Tool.lnk")));
  // The temp file's deletion at restart is dropped with the failure.
  EXPECT_TRUE(Pending().empty());
}

TEST_F(ComponentTest, ConfirmedStopEndsTheItemLoop) {
  for (const char* n : {"a", "b", "c"}) machine.WriteFile(std::string("C:\\Setup\\files\\") + n, n);
  UseScript({"Base"}, {"[Base]", "nItems=3", "0=a | {InstallPath1} | files",
                       "1=b | {InstallPath1} | files", "2=c | {InstallPath1} | files"});
  int calls = 0;
  EXPECT_FALSE(Install(0, [&] { return ++calls == 2; }));
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(Exists("C:\\App\\a"));
  EXPECT_FALSE(Exists("C:\\App\\b"));
  EXPECT_FALSE(Exists("C:\\App\\c"));
}

TEST_F(ComponentTest, FileIntoTheTempFolderIsDeletedAtRestart) {
  machine.WriteFile("C:\\Setup\\files\\t.dll", "temp");
  machine.WriteFile("C:\\Setup\\files\\k.txt", "keep");
  UseScript({"Base"},
            {"[Base]", "nItems=2", "0=t.dll | {Temp} | files", "1=k.txt | {InstallPath1} | files"});
  ASSERT_TRUE(Install(0));
  const std::string temp = Folders().temp + "t.dll";
  EXPECT_EQ(machine.ReadFile(temp), "temp");
  auto pending = Pending();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].source, temp);
  EXPECT_EQ(pending[0].target, "");
}

TEST_F(ComponentTest, PackageModeSeeksTheFirstFileLineBehindLeadingActions) {
  pkg::WriterResult written =
      UsePackage({{0, 0, "base zero"}, {0, 1, "base one"}, {1, 1, "docs one"}, {1, 2, "docs two"}});
  UseScript({"Base", "Docs"},
            {"[Base]", "nItems=2", "0=b0 | {InstallPath1}", "1=b1 | {InstallPath1}", "[Docs]",
             "StartDisk=" + std::to_string(written.startDisk.at(1)), "nItems=3",
             "0=? | If (1 == 1) | 10 | Remember | {Temp}x.bmp", "1=d1 | {InstallPath1}docs",
             "2=d2 | {InstallPath1}docs"});
  // The second component alone: its records are found past the first component's.
  ASSERT_TRUE(Install(1));
  EXPECT_EQ(machine.ReadFile("C:\\App\\docs\\d1"), "docs one");
  EXPECT_EQ(machine.ReadFile("C:\\App\\docs\\d2"), "docs two");
  EXPECT_FALSE(Exists("C:\\App\\b0"));
  EXPECT_EQ(Headings("Remember"), (std::vector<std::string>{"Remember"}));
}

TEST_F(ComponentTest, StartDiskNamesTheDiskOfTheFirstRecord) {
  // Random bytes do not compress: the first component spans several disks.
  std::mt19937 gen(7);
  std::string big(30000, '\0');
  for (char& c : big) c = static_cast<char>(gen());
  pkg::WriterResult written = UsePackage({{0, 0, big}, {1, 0, "docs zero"}}, pkg::kMinDiskSize);
  const int startDisk = written.startDisk.at(1);
  ASSERT_GT(startDisk, 1);
  UseScript({"Base", "Docs"},
            {"[Base]", "nItems=1", "0=b0 | {InstallPath1}", "[Docs]", "nItems=1",
             "StartDisk=" + std::to_string(startDisk), "0=d0 | {InstallPath1}docs"});
  ASSERT_TRUE(Install(1));
  EXPECT_EQ(machine.ReadFile("C:\\App\\docs\\d0"), "docs zero");
}

TEST_F(ComponentTest, PositioningFailureRunsNoItem) {
  UsePackage({{0, 0, "base zero"}});
  UseScript({"Base"}, {"[Base]", "nItems=2", "0=? | If (1 == 1) | 12 | Hello | Hi there | 0",
                       "1=b0 | {InstallPath1}", "StartDisk=3"});
  ui->AddAnswer("cancel");  // a disk prompt, should the reader ask for disk 3
  ui->AddAnswer("cancel");
  EXPECT_FALSE(Install(0));
  for (const std::string& s : ui->Shown()) EXPECT_EQ(s.find("Hi there"), std::string::npos) << s;
  EXPECT_FALSE(Exists("C:\\App\\b0"));
}

TEST_F(ComponentTest, ComponentOfOnlyActionsNeedsNoPackage) {
  // Package mode with nothing open: any positioning attempt would fail.
  package.packageMode = true;
  UseScript({"Base"},
            {"[Base]", "nItems=3", "0=? | If (1 == 1) | 12 | First | one | 0",
             "1=?|If (1 == 1)|12|Second|two|0", "2=? | If (1 == 2) | 12 | Skipped | three | 0",
             "nIcons=1", "Icon0=Tool | C:\\P\\a.exe | | C:\\P\\a.exe 0 | C:\\P\\ | {Desktop} |"});
  ASSERT_TRUE(Install(0));
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0].find("one"), std::string::npos);
  EXPECT_NE(shown[1].find("two"), std::string::npos);
  EXPECT_TRUE(Exists(Expanded("{Desktop}\\Tool.lnk")));
}

TEST_F(ComponentTest, ShortcutLineBecomesALinkFile) {
  UseScript({"Base"}, {"[Base]", "nItems=0", "nIcons=2",
                       "Icon0=Tool | C:\\P\\a.exe | -x | C:\\P\\a.exe 0 | C:\\P\\ | {Desktop} |",
                       "Icon1=Readme | {InstallPath1}readme.txt | | | | {ProductFolder} |"});
  ASSERT_TRUE(Install(0));
  std::ifstream in(machine.Host(Expanded("{Desktop}\\Tool.lnk")), std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  ShellLinkData link;
  ASSERT_TRUE(ParseShellLink(bytes.data(), bytes.size(), &link));
  EXPECT_EQ(link.target, "C:\\P\\a.exe");
  EXPECT_EQ(link.arguments, "-x");
  EXPECT_EQ(link.description, "Tool");
  EXPECT_EQ(link.workingDir, "C:\\P\\");
  EXPECT_EQ(link.iconFile, "C:\\P\\a.exe");
  EXPECT_EQ(link.iconIndex, 0);
  // The program folder did not exist: it is made with its parents.
  EXPECT_TRUE(Exists(Expanded("{ProductFolder}\\Readme.lnk")));
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 50, 100}));
}

TEST_F(ComponentTest, NoShortcutsLeaveTheBarAtZero) {
  machine.WriteFile("C:\\Setup\\files\\a.txt", "alpha");
  UseScript({"Base"}, {"[Base]", "nItems=1", "0=a.txt | {InstallPath1} | files", "nIcons=0"});
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(progress.positions, (std::vector<int>{100, 0}));
  EXPECT_FALSE(Exists(Expanded("{Desktop}\\Tool.lnk")));
}

// Items 0 to 6 and every odd item from 7 to 17 change the bulletin picture; every even item
// from 8 to 18 waits for an arrow key.
std::vector<std::string> SlideShow() {
  std::vector<std::string> s = {"[Show]", "nItems=19"};
  for (int i = 0; i < 19; ++i) {
    bool wait = i >= 8 && i % 2 == 0;
    s.push_back(
        std::to_string(i) + "=? | If (1 == 1) | " +
        (wait ? "14 | Wait " + std::to_string(i) + " | -1"
              : "10 | Slide " + std::to_string(i) + " | {Temp}s" + std::to_string(i) + ".bmp"));
  }
  return s;
}

TEST_F(ComponentTest, LeftAtAKeyWaitStepsBackThreeItems) {
  UseScript({"Show"}, SlideShow());
  ui->AddAnswer("right");   // at item 8
  ui->AddAnswer("left");    // at item 10: item 7 runs next
  ASSERT_TRUE(Install(0));  // later waits find no answer and go on forward
  std::vector<std::string> expected;
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 7, 9, 11, 13, 15, 17})
    expected.push_back("Slide " + std::to_string(i));
  EXPECT_EQ(Headings("Slide"), expected);
  // The bar shows the item chosen by the step back: (7 + 1) * 100 / 19.
  auto& p = progress.positions;
  ASSERT_GE(p.size(), 11u);
  EXPECT_EQ(p[9], 10 * 100 / 19);  // item 9 done
  EXPECT_EQ(p[10], 8 * 100 / 19);  // the step back to item 7
}

TEST_F(ComponentTest, StepBackNearTheStartRestartsAtTheFirstItem) {
  UseScript({"Show"},
            {"[Show]", "nItems=4", "0=? | If (1 == 1) | 10 | Slide 0 | a.bmp",
             "1=? | If (1 == 1) | 10 | Slide 1 | b.bmp", "2=? | If (1 == 1) | 14 | Wait 2 | -1",
             "3=? | If (1 == 1) | 10 | Slide 3 | c.bmp"});
  ui->AddAnswer("up");
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(Headings("Slide"),
            (std::vector<std::string>{"Slide 0", "Slide 1", "Slide 0", "Slide 1", "Slide 3"}));
}

// ---- the InstalledComponents record ----

TEST_F(ComponentTest, InstalledComponentsRecord) {
  UseScript({"Base"},
            {"[InstalledComponents]", "nItems=3", "0=Base", "1=Docs", "2=Old", "7=Stray"});
  EXPECT_EQ(InstalledComponentNames(), (std::vector<std::string>{"Base", "Docs", "Old"}));
  EXPECT_TRUE(IsComponentInstalled("Docs"));
  EXPECT_FALSE(IsComponentInstalled("docs"));  // whole names, with case
  EXPECT_FALSE(IsComponentInstalled("Doc"));
  WriteInstalledComponents({"Tools", "Base"});
  EXPECT_EQ(InstalledComponentNames(), (std::vector<std::string>{"Tools", "Base"}));
  EXPECT_EQ(ReadScriptString("InstalledComponents", "2"), "");
  EXPECT_EQ(ReadScriptString("InstalledComponents", "7"), "");
  WriteInstalledComponents({});
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems", -1), 0);
}

}  // namespace
}  // namespace vx::test
