#include "engine/actions/FileSearch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Dispatcher.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// A machine with extra drives: D: a CD-ROM, E: fixed, F: network, G: removable, each a folder
// inside the machine directory. Z: (the host root, type unknown) stays as by default.
class FileSearchTest : public test::FreshRunTest {
 protected:
  FileSearchTest() {
    std::ofstream ini(machine.Dir() + "/machine.ini", std::ios::binary | std::ios::trunc);
    ini << "[Machine]\r\nPlatform=NT\r\n[Drives]\r\nC=fixed,drive_c\r\nD=cdrom,cd\r\n"
           "E=fixed,drive_e\r\nF=network,share\r\nG=removable,floppy\r\nZ=unknown,/\r\n";
    ini.close();
    Machine::SetCurrent(machine.Dir());
    ui = Headless();
    SetPaceFactor(0);
  }

  void Put(const std::string& winPath) { machine.WriteFile(winPath, "data"); }

  test::TestMachine machine;
  HeadlessUi* ui = nullptr;
};

TEST_F(FileSearchTest, OneHitIsTakenWithoutAQuestion) {
  Put("C:\\Tools\\Deep\\er\\target.dll");
  Put("C:\\Tools\\other.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "C:\\Tools\\Deep\\er\\");
  EXPECT_TRUE(ui->Shown().empty());
  EXPECT_EQ(ui->Beeps(), 0);
  // The value-source entry point runs the same search.
  EXPECT_EQ(RunFileSearch("target.dll"), "C:\\Tools\\Deep\\er\\");
}

TEST_F(FileSearchTest, NothingFoundBeepsAndGivesEmpty) {
  Put("C:\\Tools\\other.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "");
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(FileSearchTest, DotFoldersAreNotSearched) {
  Put("C:\\.cache\\target.dll");
  Put("C:\\A\\.git\\target.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "");
}

TEST_F(FileSearchTest, OnlyFixedAndNetworkDrivesAreSearched) {
  Put("D:\\Setup\\target.dll");  // CD-ROM
  Put("G:\\target.dll");         // removable
  EXPECT_EQ(SearchForFile("target.dll"), "");
  Put("F:\\Shared\\target.dll");  // network
  EXPECT_EQ(SearchForFile("target.dll"), "F:\\Shared\\");
}

TEST_F(FileSearchTest, TheComparisonKeepsTheCaseAsWritten) {
  Put("C:\\A\\Target.DLL");
  EXPECT_EQ(SearchForFile("target.dll"), "");
  EXPECT_EQ(SearchForFile("Target.DLL"), "C:\\A\\");
  // A folder with the name is no hit.
  fs::create_directories(machine.Host("C:\\B") + "/target.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "");
}

TEST_F(FileSearchTest, SeveralHitsAreOfferedInDriveOrderFirstSelected) {
  Put("C:\\A\\target.dll");
  Put("E:\\B\\target.dll");
  // No answer: the list closes with its preselected first entry.
  EXPECT_EQ(SearchForFile("target.dll"), "C:\\A\\");
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_NE(ui->Shown()[0].find(LoadText(TextId::SearchSeveralFound)), std::string::npos)
      << ui->Shown()[0];
  EXPECT_NE(ui->Shown()[0].find(LoadText(TextId::SearchingForFile)), std::string::npos)
      << ui->Shown()[0];

  ui->AddAnswer("1");
  EXPECT_EQ(SearchForFile("target.dll"), "E:\\B\\");
  ui->AddAnswer("cancel");
  EXPECT_EQ(SearchForFile("target.dll"), "");
}

TEST_F(FileSearchTest, ProgressShowsTheRequestAndEachFolder) {
  Put("C:\\A\\target.dll");
  SearchForFile("target.dll");
  std::vector<std::string> log = ui->ProgressLog();
  std::string heading = FormatText(LoadText(TextId::SearchWait), "target.dll");
  auto has = [&](const std::string& s) {
    for (const std::string& l : log)
      if (l.find(s) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(heading));
  EXPECT_TRUE(has("C:\\A"));
  EXPECT_TRUE(has("E:\\"));
  EXPECT_FALSE(has("D:\\")) << "the CD-ROM is never walked";
}

// A progress view that raises the stop request the first time it shows a folder, as the
// Stop button does through the main window's exit command.
class StoppingUi : public HeadlessUi {
 public:
  StoppingUi() : HeadlessUi({}, false) {}
  std::unique_ptr<ProgressView> CreateProgress(const std::string& title) override {
    struct View : ProgressView {
      void SetHeading(const std::string&) override {}
      void SetDetail(const std::string& text) override {
        if (!text.empty()) Flags().stopRequest = true;
      }
      void SetPosition(int) override {}
    };
    return std::make_unique<View>();
  }
};

TEST_F(FileSearchTest, AStopEndsTheSearchBeforeTheNextDrive) {
  Put("C:\\Windows\\Z\\target.dll");
  Put("E:\\B\\target.dll");
  auto stopping = std::make_unique<StoppingUi>();
  HeadlessUi* view = stopping.get();
  SetUi(std::move(stopping));
  // The view runs on the interface thread while the worker walks on: hold the worker at the
  // first folder it shows until the view has raised the stop, as a user pressing Stop then.
  UiDispatcher().SetWakeup([] {
    if (UiDispatcher().OnInterfaceThread()) return;
    for (int i = 0; i < 2000 && !Flags().stopRequest.load(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  });
  // The drive being walked is finished (its hit lies in its last folders), E: is never
  // started: one hit, taken without a list.
  EXPECT_EQ(SearchForFile("target.dll"), "C:\\Windows\\Z\\");
  UiDispatcher().SetWakeup({});
  EXPECT_TRUE(view->Shown().empty());
  EXPECT_TRUE(Flags().stopRequest.load()) << "the request stays for the driver to confirm";
}

TEST_F(FileSearchTest, FoldersTooLongToEnterArePassedOver) {
  // "C:\\" + 200 + "\\" + 54 + "\\" = 259 characters: still entered; one more is not.
  std::string a(200, 'a');
  Put("C:\\" + a + "\\" + std::string(54, 'b') + "\\target.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "C:\\" + a + "\\" + std::string(54, 'b') + "\\");
  std::filesystem::remove_all(machine.Host("C:\\" + a));
  Put("C:\\" + a + "\\" + std::string(55, 'c') + "\\target.dll");
  EXPECT_EQ(SearchForFile("target.dll"), "");
}

TEST_F(FileSearchTest, LinkedFoldersAreNotEntered) {
  Put("C:\\A\\target.dll");
  std::error_code ec;
  fs::create_directory_symlink(machine.Host("C:\\"), machine.Host("C:\\A") + "/loop", ec);
  ASSERT_FALSE(ec) << ec.message();
  fs::create_directory_symlink(machine.Host("C:\\A"), machine.Host("C:\\A") + "/again", ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(SearchForFile("target.dll"), "C:\\A\\");
}

}  // namespace
}  // namespace vx
