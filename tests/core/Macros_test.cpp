#include <gtest/gtest.h>

#include "engine/base/Flags.h"
#include "engine/actions/ValueSource.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "platform/System.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

class MacrosTest : public CoreTest {
 protected:
  MacrosTest() {
    UseScript({"[<General>]",
               "ProductName=Demo Suite",
               "ProjectName=Demo",
               "VendorName=Acme",
               "FolderName=Acme Demo",
               "[<Destinations>]",
               "nItems=2",
               "InstallPath1=C:\\Program Files\\Demo",
               "InstallPath2=  D:\\Data\\  ",
               "[<InstSummaryWnd>]",
               "InstalledType=Typical",
               "[<VariableList>]",
               "nItems=4",
               "Variable1=AppDir",
               "Value1={InstallPath1}Bin",
               "Variable2=appdir",
               "Value2=second",
               "Variable3=Loop",
               "Value3=x{Loop}",
               "Variable4=InstallPath1",
               "Value4=from variables"});
  }
  static std::string Full(std::string text, bool* ok = nullptr) {
    bool result = ExpandFully(text);
    if (ok) *ok = result;
    return text;
  }
};

TEST_F(MacrosTest, FolderValuesFollowTheMachine) {
  const FolderValues& f = Folders();
  EXPECT_EQ(f.windows, "C:\\Windows\\");
  EXPECT_EQ(f.temp, EnsureTrailingBackslash(GetTempPath()));
  EXPECT_EQ(f.programFiles, "C:\\Program Files");
  EXPECT_EQ(f.system.back(), '\\');
  EXPECT_EQ(f.platformCode, 5);
  EXPECT_EQ(Full("{Windows}"), f.windows);
  EXPECT_EQ(Full("{System}"), f.system);
  EXPECT_EQ(Full("{Programs}"), ShellFolder(kCsidlPrograms));
  EXPECT_EQ(Full("{StartUp}|{Desktop}|{Start}"), ShellFolder(kCsidlStartup) + "|" +
                                                     ShellFolder(kCsidlDesktopDirectory) + "|" +
                                                     ShellFolder(kCsidlStartMenu));
}

TEST_F(MacrosTest, BuiltInNamesIgnoreCase) {
  EXPECT_EQ(Full("{TEMP}"), Folders().temp);
  EXPECT_EQ(Full("{temp}x"), Folders().temp + "x");
  EXPECT_EQ(Full("{productname}"), "Demo Suite");
}

TEST_F(MacrosTest, BackslashRules) {
  EXPECT_EQ(Full("{Windows}\\win.ini"), "C:\\Windows\\win.ini");
  // The program-files value has no backslash, so the script's own stays.
  EXPECT_EQ(Full("{ProgramFiles}\\Demo"), "C:\\Program Files\\Demo");
  EXPECT_EQ(Full("{InstallPath1}\\Install.exe"), "C:\\Program Files\\Demo\\Install.exe");
  EXPECT_EQ(Full("{InstallPath1}Install.exe"), "C:\\Program Files\\Demo\\Install.exe");
  EXPECT_EQ(Full("{InstallPath2}"), "D:\\Data\\");
  // Only one following backslash is dropped.
  EXPECT_EQ(Full("{Windows}\\\\x"), "C:\\Windows\\\\x");
}

TEST_F(MacrosTest, ScriptValuesAndActionResults) {
  Folders().source = "D:\\Cd\\";
  EXPECT_EQ(Full("{VendorName}/{ProductName}/{InstallType}/{ProductInfFile}"),
            "Acme/Demo Suite/Typical/Demo.inf");
  EXPECT_EQ(Full("{InstallFromPath}"), "D:\\Cd\\");
  EXPECT_EQ(Full("{$Temp}Splash.bmp"), "D:\\Cd\\$Temp\\Splash.bmp");
  std::string programs = ShellFolder(kCsidlPrograms);
  ASSERT_FALSE(programs.empty());
  EXPECT_EQ(Full("{ProductFolder}"), EnsureTrailingBackslash(programs) + "Acme Demo");
  EXPECT_EQ(Full("{YesNoResponse} {DllCallSuccess} {SelectedStringIndex}"), "NO YES -1");
  SetYesNoResponse("YES");
  SetDllCallSuccess("NO");
  Flags().selectedStringIndex = 2;
  EXPECT_EQ(Full("{YesNoResponse} {DllCallSuccess} {SelectedStringIndex}"), "YES NO 2");
  EXPECT_EQ(Full("a{CR}b{TAB}c"), "a\r\nb\tc");
}

TEST_F(MacrosTest, ScriptMacrosFollowWriteBacks) {
  EXPECT_EQ(Full("{InstallType}"), "Typical");
  WriteScriptString("<InstSummaryWnd>", "InstalledType", "Custom");
  EXPECT_EQ(Full("{InstallType}"), "Custom");
  EXPECT_EQ(Full("{InstallPath7}"), "");  // an install folder token always has a value
}

TEST_F(MacrosTest, OsNamesByPlatformCode) {
  EXPECT_EQ(Full("{OS}"), "WINNT");
  Folders().platformCode = 4;
  EXPECT_EQ(Full("{os}"), "WIN9X");
  Folders().platformCode = 2;
  EXPECT_EQ(Full("{OS}"), "WIN32_S");
  Folders().platformCode = 0;
  bool ok = true;
  EXPECT_EQ(Full("{OS}", &ok), "{OS}");
  EXPECT_FALSE(ok);
}

TEST_F(MacrosTest, UserVariables) {
  // The first matching name wins; its value is expanded by the following passes.
  EXPECT_EQ(Full("{APPDIR}"), "C:\\Program Files\\Demo\\Bin");
  std::string token = "{AppDir}";
  ResolveMacro(token);
  EXPECT_EQ(token, "{InstallPath1}Bin");
  // The install-folder test is case-sensitive: in lower case it is a user variable.
  EXPECT_EQ(Full("{installpath1}"), "from variables");
  bool ok = true;
  EXPECT_EQ(Full("{Unknown}", &ok), "{Unknown}");
  EXPECT_FALSE(ok);
}

TEST_F(MacrosTest, TextsWithoutAMacroStayAsTheyAre) {
  bool ok = false;
  EXPECT_EQ(Full("plain } text", &ok), "plain } text");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Full("} then {Temp}", &ok), "} then {Temp}");
  EXPECT_TRUE(ok);
  std::string text = "no macro";
  EXPECT_FALSE(ExpandOnce(text));
}

TEST_F(MacrosTest, ATokenWithoutValueStopsTheExpansion) {
  std::string text = "{Nothing}{Temp}";
  EXPECT_TRUE(ExpandOnce(text));  // found, even without a value
  EXPECT_EQ(text, "{Nothing}{Temp}");
  bool ok = true;
  EXPECT_EQ(Full("{Nothing}{Temp}", &ok), "{Nothing}{Temp}");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Full("{Temp}{Nothing}", &ok), Folders().temp + "{Nothing}");
  EXPECT_FALSE(ok);
  // Braces do not nest.
  EXPECT_EQ(Full("{A{Temp}}", &ok), "{A{Temp}}");
  EXPECT_FALSE(ok);
}

TEST_F(MacrosTest, ASelfReferenceEndsAfterTheLastPass) {
  bool ok = true;
  std::string out = Full("{Loop}", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(out, std::string(1000, 'x') + "{Loop}");
}

TEST_F(MacrosTest, AssignVariable) {
  AssignVariable("{InstallPath1} | D:\\App");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\App\\");
  AssignVariable("{InstallPath3} | E:\\New\\");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath3"), "E:\\New\\");
  // The value is the whole rest, not split further.
  AssignVariable("{appDIR} | a | b");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "a | b");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "second");
  // Values are resolved first: macros and value sources.
  AssignVariable("{AppDir} | {ProductName}");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "Demo Suite");
  std::string before = machine.ReadFile("C:\\Setup\\App.inf");
  AssignVariable("{NotAVariable} | x");
  AssignVariable("{AppDir} | ?9:anything");
  EXPECT_EQ(machine.ReadFile("C:\\Setup\\App.inf"), before);
}

TEST_F(MacrosTest, AssignLocaleFileChangesOnlyTheMemory) {
  std::string before = machine.ReadFile("C:\\Setup\\App.inf");
  AssignVariable("{LocaleFile} | {InstallFromPath}German.ini");
  EXPECT_EQ(GetLocaleFile(), Folders().source + "German.ini");
  EXPECT_EQ(machine.ReadFile("C:\\Setup\\App.inf"), before);
}

TEST_F(MacrosTest, HugeCountsDoNotWalkEveryItem) {
  UseScript({"[<VariableList>]", "nItems=2147483647", "Variable900000=Far", "Value900000=found"},
            "C:\\Setup\\Huge.inf");
  EXPECT_EQ(Full("{Far}"), "found");
  bool ok = true;
  EXPECT_EQ(Full("{Other}", &ok), "{Other}");
  EXPECT_FALSE(ok);
  // A missing item has an empty name, which "{}" matches.
  EXPECT_EQ(Full("a{}b"), "ab");
  AssignVariable("{Far} | changed");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value900000"), "changed");
}

TEST(DriveOfPathTest, ThreeForms) {
  std::string root, rest;
  DriveOfPath("D:\\Apps\\Demo", root, rest);
  EXPECT_EQ(root, "D:\\");
  EXPECT_EQ(rest, "Apps\\Demo");
  DriveOfPath("e:Apps", root, rest);
  EXPECT_EQ(root, "e:\\");
  EXPECT_EQ(rest, "Apps");
  DriveOfPath("\\\\server\\share", root, rest);
  EXPECT_EQ(root, "C:\\");
  EXPECT_EQ(rest, "\\\\server\\share");
  DriveOfPath("", root, rest);
  EXPECT_EQ(root, "C:\\");
  EXPECT_EQ(rest, "");
}

TEST_F(MacrosTest, PathIsOnDriveExpandsFirst) {
  EXPECT_TRUE(PathIsOnDrive("{InstallPath1}", "c:\\"));
  EXPECT_TRUE(PathIsOnDrive("{InstallPath2}", "D:\\"));
  EXPECT_FALSE(PathIsOnDrive("{InstallPath2}", "C:\\"));
  EXPECT_TRUE(PathIsOnDrive("relative\\path", "C:\\"));
}

class Macros9xTest : public CoreTest {
 protected:
  Macros9xTest() : CoreTest("9x") {}
};

TEST_F(Macros9xTest, OsIsWin9x) {
  std::string text = "{OS}";
  EXPECT_TRUE(ExpandFully(text));
  EXPECT_EQ(text, "WIN9X");
  EXPECT_EQ(Folders().platformCode, 4);
}

}  // namespace
}  // namespace vx::test
