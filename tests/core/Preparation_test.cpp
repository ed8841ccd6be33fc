// The preparation: user variables, the pre-required files into the temp folder (from the
// package or the source folder's "$Temp" folder) and the pre-actions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/run/Application.h"
#include "engine/run/Driver.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PackageWriter.h"
#include "platform/Machine.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

class PreparationTest : public CoreTest {
 protected:
  PreparationTest() {
    machine.Reconfigure("Platform=NT\r\nAdmin=1\r\n");
    SetPaceFactor(0);
    FillFolderValues();
    Folders().source = "C:\\Setup\\";
  }

  // A stand-alone package of the given records, opened as start-up opens it.
  void UsePackage(const std::vector<std::tuple<int, int, std::string>>& records) {
    std::vector<pkg::PackageItem> items;
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string path = "C:\\PkgSrc\\r" + std::to_string(i);
      machine.WriteFile(path, std::get<2>(records[i]));
      items.push_back({std::get<0>(records[i]), std::get<1>(records[i]), path});
    }
    std::filesystem::create_directories(machine.Host("C:\\Setup"));
    pkg::WriterOptions options;
    options.headerOnlyFirstDisk = true;
    pkg::FileSink sink("C:\\Setup\\Prod.0");
    pkg::WriterResult written = pkg::WritePackage(items, options, sink);
    ASSERT_TRUE(written.ok) << written.error;
    app.package.totalDisks = written.diskCount;
    ASSERT_EQ(OpenPackageAtStartup(app.package, "C:\\Setup\\Prod.0", false), StartupOpen::Opened);
    app.package.packageMode = true;
  }

  // The lines the preparation dialog showed, in order.
  std::vector<std::string> Status() const { return ui->ProgressLog(); }

  std::vector<std::string> PendingDeletions() const {
    std::vector<std::string> out;
    for (const PendingOperation& op : ListPendingOperations())
      if (op.target.empty()) out.push_back(op.source);
    return out;
  }

  bool Exists(const std::string& path) const { return std::filesystem::exists(machine.Host(path)); }

  Application app;
};

TEST_F(PreparationTest, NothingToDoShowsTheThreePhasesAndSucceeds) {
  UseScript({"[<VariableList>]", "nItems=0"});
  EXPECT_TRUE(RunPreparation(app));
  EXPECT_EQ(Status(),
            (std::vector<std::string>{"Resolving variables...", "Copying pre-required files...",
                                      "Checking for pre-requisite..."}));
  EXPECT_TRUE(ui->Shown().empty());
  EXPECT_EQ(ui->Beeps(), 0);
  EXPECT_TRUE(ListPendingOperations().empty());
}

TEST_F(PreparationTest, VariablesAreExpandedAndWrittenBack) {
  UseScript({"[<General>]", "ProductName=Demo", "[<VariableList>]", "nItems=2", "Variable1=AppDir",
             "Value1=C:\\Apps\\{ProductName}", "Variable2=Data", "Value2={AppDir}\\data"});
  EXPECT_TRUE(RunPreparation(app));
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "C:\\Apps\\Demo");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "C:\\Apps\\Demo\\data");
}

TEST_F(PreparationTest, UnexpandableVariableBeepsFailsAndStillRunsThePreActions) {
  UseScript({"[<General>]", "ProductName=Demo", "[<VariableList>]", "nItems=3", "Variable1=Loop",
             "Value1=x{Loop}", "Variable2=Later", "Value2={ProductName}", "Variable3=Done",
             "Value3=no", "[<PreActions>]", "nItems=1",
             "0=? | If (1 == 1) | 2 | Marking | {Done} | yes"});
  EXPECT_FALSE(RunPreparation(app));
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "x{Loop}");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "{ProductName}");  // loop left
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value3"), "yes");
  auto status = Status();
  ASSERT_GE(status.size(), 4u);
  EXPECT_EQ(status[2], "Checking for pre-requisite...");
  EXPECT_EQ(status[3], "Marking");
}

TEST_F(PreparationTest, FolderInstallationCopiesFromTheTempFolderOfTheSource) {
  machine.WriteFile("C:\\Setup\\$Temp\\splash.bmp", "picture");
  machine.WriteFile("C:\\Setup\\$Temp\\Demo.txt", "notes");
  UseScript({"[<General>]", "ProductName=Demo", "[{Temp}]", "nItems=2",
             "0=splash.bmp | ignored | fields", "1={ProductName}.txt"});
  EXPECT_TRUE(RunPreparation(app));
  const std::string a = Folders().temp + "splash.bmp", b = Folders().temp + "Demo.txt";
  EXPECT_EQ(machine.ReadFile(a), "picture");
  EXPECT_EQ(machine.ReadFile(b), "notes");
  EXPECT_EQ(PendingDeletions(), (std::vector<std::string>{a, b}));
  auto status = Status();
  ASSERT_EQ(status.size(), 5u);
  EXPECT_EQ(status[2], a);
  EXPECT_EQ(status[3], b);
}

TEST_F(PreparationTest, PackageRecordsFillTheTempFolderAndPreActionsFollow) {
  UsePackage({{pkg::kTempNameOnly, 0, "dll bytes"},
              {pkg::kTempNameOnly, 1, "text"},
              {0, 0, "component file"}});
  UseScript({"[{Temp}]", "nItems=2", "0=helper.dll", "1=readme.txt", "[<PreActions>]", "nItems=1",
             "0=? | If (1 == 1) | 12 | Greeting | Ready | 0"});
  EXPECT_TRUE(RunPreparation(app));
  EXPECT_EQ(machine.ReadFile(Folders().temp + "helper.dll"), "dll bytes");
  EXPECT_EQ(machine.ReadFile(Folders().temp + "readme.txt"), "text");
  EXPECT_EQ(PendingDeletions(), (std::vector<std::string>{Folders().temp + "helper.dll",
                                                          Folders().temp + "readme.txt"}));
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_NE(ui->Shown()[0].find("Ready"), std::string::npos);
  // The package now stands at the first component's record.
  ASSERT_TRUE(ExtractRecord(app.package, "C:\\Out\\c0", false));
  EXPECT_EQ(machine.ReadFile("C:\\Out\\c0"), "component file");
}

TEST_F(PreparationTest, MissingPackageRecordSkipsThePreActions) {
  UsePackage({{pkg::kTempNameOnly, 0, "dll bytes"}});
  UseScript({"[{Temp}]", "nItems=2", "0=helper.dll", "1=absent.txt", "[<PreActions>]", "nItems=1",
             "0=? | If (1 == 1) | 12 | Greeting | Ready | 0"});
  EXPECT_FALSE(RunPreparation(app));
  // The reader looks for the record on a next disk; the prompt is cancelled by default.
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].substr(0, 16), "Insert Diskette ");
  // The failed preparation says why before its window goes.
  EXPECT_NE(shown[1].find("The installation could not be completed"), std::string::npos)
      << shown[1];
  for (const std::string& s : Status()) EXPECT_NE(s, "Checking for pre-requisite...");
  // What was written to the temp folder still goes at the next restart.
  auto pending = PendingDeletions();
  EXPECT_NE(std::find(pending.begin(), pending.end(), Folders().temp + "helper.dll"),
            pending.end());
}

}  // namespace
}  // namespace vx::test
