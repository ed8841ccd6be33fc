// vxpack's reading of install scripts: which lines become records, with which indexes,
// where their files are found, and the size keys written back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "engine/files/PackageFormat.h"
#include "tools/vxpack/Options.h"
#include "tools/vxpack/PackScript.h"
#include "tools/vxpack/ShippedScript.h"
#include "tools/vxpack/SizeKeys.h"
#include "tools/vxpack/SourceTree.h"

namespace vx::pack {
namespace {

namespace fs = std::filesystem;

const char* const kScript =
    "[<General>]\r\nProductName=P\r\n"
    "[<VariableList>]\r\nnItems=2\r\nVariable1=Data\r\nValue1={InstallPath2}\\data\r\n"
    "Variable2=Loop\r\nValue2={Loop}\r\n"
    "[<Destinations>]\r\nnItems=2\r\n"
    "[{Temp}]\r\nnItems=3\r\n2=Pic.bmp | {Temp} | art\r\n0=License.txt\r\n1=Locale.ini | |\r\n"
    "[<InstSummaryWnd>]\r\nInstalledType=Typical\r\n"
    "[<CompListWnd>]\r\nnItems=1\r\n0=Unused | 1 | 1\r\n"
    "[Typical]\r\nnItems=2\r\n0=Main | 0 | 1\r\n1=Extras | 1 | 0\r\n"
    "[Main]\r\nnItems=4\r\n0=a.exe | {InstallPath1} | bin | 0\r\n"
    "1=? | If (1 == 1) | 4 | x | HKEY_CURRENT_USER | k | v | w\r\n"
    "2=b.dll | {System} | lib | 1\r\n3=c.txt | {Data} | docs\r\n"
    "[Extras]\r\nnItems=1\r\n0=d.txt | C:\\Fixed | docs | 0\r\n";

TEST(PackScriptTest, RecordsFollowTheTempSectionAndTheInstalledTypeList) {
  PackScript s;
  std::string error;
  ASSERT_TRUE(ReadPackScript(ScriptText(kScript), "Fallback", s, error)) << error;
  EXPECT_EQ(s.projectName, "Fallback");
  EXPECT_EQ(s.listSection, "Typical");

  ASSERT_EQ(s.tempFiles.size(), 3u);
  EXPECT_EQ(s.tempFiles[0].name, "License.txt");
  EXPECT_EQ(s.tempFiles[0].component, pkg::kTempNameOnly);
  EXPECT_EQ(s.tempFiles[0].sourceFolder, kTempSourceFolder);
  EXPECT_EQ(s.tempFiles[1].component, pkg::kTempNameOnly);  // empty folders: a name only
  EXPECT_EQ(s.tempFiles[2].component, pkg::kTempFileLine);
  EXPECT_EQ(s.tempFiles[2].sourceFolder, "art");
  EXPECT_EQ(s.tempFiles[2].item, 2);

  ASSERT_EQ(s.components.size(), 2u);
  EXPECT_EQ(s.components[0].section, "Main");
  EXPECT_EQ(s.components[1].index, 1);
  const auto& main = s.components[0].files;
  ASSERT_EQ(main.size(), 3u);  // the action line has no record, its key number stays unused
  EXPECT_EQ(main[0].item, 0);
  EXPECT_EQ(main[1].item, 2);
  EXPECT_EQ(main[2].item, 3);
  EXPECT_TRUE(main[1].shared);
  EXPECT_FALSE(main[0].shared);
  EXPECT_EQ(main[1].place.Describe(), "[Main] 2");
}

TEST(PackScriptTest, LinesThatCannotBePackedNameTheirPlace) {
  PackScript s;
  std::string error;
  EXPECT_FALSE(ReadPackScript(ScriptText("[<CompListWnd>]\r\nnItems=1\r\n0=A|1|1\r\n"
                                         "[A]\r\nnItems=2\r\n0=x.txt | {InstallPath1} |\r\n"),
                              "P", s, error));
  EXPECT_NE(error.find("[A] 1"), std::string::npos) << error;

  EXPECT_FALSE(ReadPackScript(
      ScriptText("[<CompListWnd>]\r\nnItems=2\r\n0=A|1|1\r\n1=a | 1 | 0\r\n"), "P", s, error));
  EXPECT_NE(error.find("[<CompListWnd>] 1"), std::string::npos) << error;

  EXPECT_FALSE(ReadPackScript(ScriptText("[{Temp}]\r\nnItems=1\r\n"), "P", s, error));
  EXPECT_NE(error.find("[{Temp}] 0"), std::string::npos) << error;
}

TEST(PackScriptTest, HugeCountsAreBoundedByTheLinesPresent) {
  PackScript s;
  std::string error;
  ASSERT_TRUE(
      ReadPackScript(ScriptText("[<VariableList>]\r\nnItems=2000000000\r\nVariable1=A\r\n"
                                "[<CompListWnd>]\r\nnItems=2000000000\r\n0=A | 1 | 1\r\n"
                                "[A]\r\nnItems=1\r\n0=a.txt | {InstallPath900000000} | x\r\n"),
                     "P", s, error))
      << error;
  EXPECT_LE(s.variables.size(), 2u);
  EXPECT_EQ(s.components.size(), 1u);
  s.components[0].files[0].size = 5;
  std::vector<ComponentSizes> sizes = {SizesOf(s.components[0], s)};
  EXPECT_EQ(LocationKeys(s, sizes),
            (std::vector<std::string>{"{Windows}", "{Temp}", "{InstallPath900000000}"}));
}

TEST(SizeKeysTest, DestinationsCountUnderTheLocationThePagesRead) {
  std::vector<std::pair<std::string, std::string>> vars = {
      {"Data", "{InstallPath2}\\data"}, {"Loop", "{Loop}"}, {"Chain", "{Data}\\x"}};
  EXPECT_EQ(LocationKeyOf("{InstallPath1}\\bin", vars), "{InstallPath1}");
  EXPECT_EQ(LocationKeyOf("{InstallPath12}", vars), "{InstallPath12}");
  EXPECT_EQ(LocationKeyOf("{TEMP}", vars), "{Temp}");
  EXPECT_EQ(LocationKeyOf("{System}\\drivers", vars), "{Windows}");
  EXPECT_EQ(LocationKeyOf("{Desktop}", vars), "{Windows}");
  EXPECT_EQ(LocationKeyOf("{chain}", vars), "{InstallPath2}");
  EXPECT_EQ(LocationKeyOf("{Loop}", vars), "");
  EXPECT_EQ(LocationKeyOf("C:\\Fixed", vars), "");
  EXPECT_EQ(LocationKeyOf("{installpath1}", vars), "");  // not an install folder token
}

TEST(SizeKeysTest, ShippedScriptCarriesSizesAndDisks) {
  PackScript s;
  std::string error;
  ASSERT_TRUE(ReadPackScript(ScriptText(kScript), "Proj", s, error));
  s.components[0].files[0].size = 1000;  // {InstallPath1}
  s.components[0].files[1].size = 300;   // {System}
  s.components[0].files[2].size = 20;    // {Data} -> {InstallPath2}
  s.components[1].files[0].size = 7;     // a literal path: in the total only
  std::vector<ComponentSizes> sizes = {SizesOf(s.components[0], s), SizesOf(s.components[1], s)};
  EXPECT_EQ(sizes[0].total, 1320u);
  EXPECT_EQ(sizes[1].total, 7u);

  ScriptText text(kScript);
  FillSizeKeys(text, s, sizes);
  FillDiskKeys(text, s, 3, {{0, 0}, {1, 2}});
  EXPECT_EQ(text.String("<General>", "ProjectName"), "Proj");
  EXPECT_EQ(text.Int("<General>", "TotalDisks"), 3);
  EXPECT_EQ(text.Int("Main", "ComponentSize"), 1320);
  EXPECT_EQ(text.Int("Main", "{InstallPath1}"), 1000);
  EXPECT_EQ(text.Int("Main", "{InstallPath2}"), 20);
  EXPECT_EQ(text.Int("Main", "{Windows}"), 300);
  EXPECT_TRUE(text.Has("Main", "{Temp}"));
  EXPECT_EQ(text.Int("Extras", "ComponentSize"), 7);
  EXPECT_EQ(text.Int("Extras", "{InstallPath1}"), 0);
  EXPECT_EQ(text.Int("Extras", "StartDisk"), 2);
  EXPECT_FALSE(text.Has("Unused", "StartDisk"));
  // The lines the tool did not touch stay as they were.
  EXPECT_NE(text.Text().find("2=Pic.bmp | {Temp} | art\r\n0=License.txt\r\n"), std::string::npos);
}

TEST(SourceTreeTest, FindsFilesWithoutRegardToCaseAndStaysInsideTheTree) {
  fs::path root = fs::temp_directory_path() / ("vxpack-tree-" + std::to_string(::getpid()));
  fs::create_directories(root / "Bin" / "Sub");
  std::ofstream(root / "Bin" / "Sub" / "Tool.EXE") << "x";
  std::ofstream(root / "top.txt") << "y";
  SourceTree tree(root.string());
  std::string why;
  EXPECT_EQ(tree.FindFile("bin\\SUB", "tool.exe", why),
            (root / "Bin" / "Sub" / "Tool.EXE").string());
  EXPECT_EQ(tree.FindFile(".\\", "TOP.TXT", why), (root / "top.txt").string());
  EXPECT_EQ(tree.FindFile("", "bin/sub/tool.exe", why),
            (root / "Bin" / "Sub" / "Tool.EXE").string());
  EXPECT_FALSE(tree.FindFile("bin", "missing.txt", why));
  EXPECT_NE(why.find("missing.txt"), std::string::npos);
  EXPECT_FALSE(tree.FindFile("Bin", "Sub", why));  // a folder is not a file
  for (const char* folder : {"..", "bin\\..\\..", "\\etc", "C:\\src", "{InstallFromPath}"}) {
    EXPECT_FALSE(tree.FindFile(folder, "top.txt", why)) << folder;
    EXPECT_FALSE(why.empty());
  }
  fs::remove_all(root);
}

TEST(OptionsTest, UsageErrorsAreReported) {
  auto parse = [](std::vector<std::string> args, PackOptions& o) {
    std::string error;
    return ParseOptions(args, o, error);
  };
  PackOptions o;
  ASSERT_EQ(parse({"--out=dist", "--jobs", "2", "--disk-size", "9000", "--raw", "A.inf"}, o),
            ParseResult::Ok);
  EXPECT_EQ(o.outDir, "dist");
  EXPECT_EQ(o.jobs, 2u);
  EXPECT_EQ(o.diskSize, 9000u);
  EXPECT_TRUE(o.raw);
  EXPECT_EQ(o.layout, Layout::Sfx);
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{},
                                             {"A.inf", "B.inf"},
                                             {"--bogus", "A.inf"},
                                             {"--jobs", "0", "A.inf"},
                                             {"--jobs", "two", "A.inf"},
                                             {"--disk-size", "-5", "A.inf"},
                                             {"--disk-size", "8191", "A.inf"},
                                             {"--sfx", "--folder", "A.inf"},
                                             {"--folder", "--disk-size", "9000", "A.inf"},
                                             {"A.inf", "--out"},
                                             {"--raw=yes", "A.inf"}}) {
    PackOptions options;
    EXPECT_EQ(parse(bad, options), ParseResult::UsageError) << ::testing::PrintToString(bad);
  }
  PackOptions help;
  EXPECT_EQ(parse({"A.inf", "--help"}, help), ParseResult::Help);
}

}  // namespace
}  // namespace vx::pack
