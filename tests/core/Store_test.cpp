#include <gtest/gtest.h>

#include "engine/base/Store.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

using StoreTest = CoreTest;

TEST_F(StoreTest, NothingHappensBeforeAWorkingCopyIsNamed) {
  machine.WriteFile("C:\\Setup\\App.inf", "[<General>]\r\nProductName=Demo\r\n");
  std::string before = machine.ReadFile("C:\\Setup\\App.inf");
  EXPECT_EQ(ReadScriptString("<General>", "ProductName"), "");
  EXPECT_EQ(ReadScriptString("<General>", "ProductName", "fallback"), "fallback");
  EXPECT_EQ(ReadScriptInt("<General>", "TotalDisks", 7), 7);
  WriteScriptString("<General>", "ProductName", "Other");
  WriteScriptInt("<General>", "TotalDisks", 3);
  WriteScriptString("<General>", nullptr, nullptr);
  EXPECT_EQ(machine.ReadFile("C:\\Setup\\App.inf"), before);
  EXPECT_TRUE(ScriptListItems("<General>", "", 0, 5).empty());
}

TEST_F(StoreTest, SectionsAndKeysMatchWithoutCase) {
  UseScript(
      {"[<general>]", "PRODUCTNAME=Lower Section", "[<DESTINATIONS>]", "installpath1=C:\\App\\"});
  EXPECT_EQ(ReadScriptString("<General>", "ProductName"), "Lower Section");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\App\\");
}

TEST_F(StoreTest, LongValuesAreCutTo1023Characters) {
  std::string value(1200, 'x');
  value[1022] = 'L';
  UseScript({"[<General>]", "ProductName=" + value});
  std::string read = ReadScriptString("<General>", "ProductName");
  ASSERT_EQ(read.size(), 1023u);
  EXPECT_EQ(read.back(), 'L');
}

TEST_F(StoreTest, ListsReadMissingItemsAsEmpty) {
  UseScript({"[<CompListWnd>]", "nItems=3", "0=Base | 1 | 1", "2=Extra | 1 | 0"});
  EXPECT_EQ(ReadScriptInt("<CompListWnd>", "nItems"), 3);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "2"), "Extra | 1 | 0");
  EXPECT_EQ(ReadScriptInt("<VariableList>", "nItems"), 0);
}

TEST_F(StoreTest, WritesAreReadBackAtOnce) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>"});
  WriteScriptString("<InstSummaryWnd>", "InstalledType", "Typical");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "Typical");
  WriteScriptInt("<General>", "TotalDisks", -12);
  EXPECT_EQ(ReadScriptString("<General>", "TotalDisks"), "-12");
  EXPECT_EQ(ReadScriptInt("<General>", "TotalDisks"), -12);
  // A null value removes the key.
  WriteScriptString("<InstSummaryWnd>", "InstalledType", nullptr);
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType", "gone"), "gone");
}

TEST_F(StoreTest, AMissingKeyRemovesTheWholeSection) {
  UseScript({"[InstalledComponents]", "nItems=2", "0=Base", "1=Extra", "[<General>]",
             "ProductName=Demo"});
  WriteScriptString("InstalledComponents", nullptr, nullptr);
  EXPECT_EQ(ReadScriptInt("InstalledComponents", "nItems"), 0);
  EXPECT_EQ(ReadScriptString("InstalledComponents", "0"), "");
  EXPECT_EQ(ReadScriptString("<General>", "ProductName"), "Demo");
  std::string text = machine.ReadFile("C:\\Setup\\App.inf");
  EXPECT_EQ(text.find("InstalledComponents"), std::string::npos);
  // Flushing with all three missing changes nothing.
  WriteScriptString(nullptr, nullptr, nullptr);
  EXPECT_EQ(ReadScriptString("<General>", "ProductName"), "Demo");
}

TEST_F(StoreTest, NamedIniFilesDefaultToTheBootstrapFile) {
  WriteIni("C:\\Src\\Install.ini", {"[<General>]", "ProjectName=Demo", "SplashImg=Splash.bmp"});
  WriteIni("C:\\Answers\\resp.ini", {"[ResponseFile]", "Component1=1", "AskUserName=Ann"});
  EXPECT_EQ(ReadIniString("<General>", "ProjectName"), "");  // no bootstrap file yet
  SetBootstrapFile("C:\\Src\\Install.ini");
  EXPECT_EQ(ReadIniString("<General>", "ProjectName"), "Demo");
  EXPECT_EQ(ReadIniString("ResponseFile", "AskUserName", "C:\\Answers\\resp.ini"), "Ann");
  EXPECT_EQ(ReadIniInt("ResponseFile", "Component1", "C:\\Answers\\resp.ini"), 1);
  EXPECT_EQ(ReadIniInt("ResponseFile", "Component2", "C:\\Answers\\resp.ini"), 0);
  WriteIniString("<General>", "SplashImg", "Other.bmp");
  EXPECT_EQ(ReadIniString("<General>", "SplashImg", "C:\\Src\\Install.ini"), "Other.bmp");
  EXPECT_EQ(ReadIniString("Main", "Path", "C:\\Nowhere\\missing.ini"), "");
}

TEST_F(StoreTest, ListItemsAreThePresentKeysAndTheFirstMissingOne) {
  UseScript({"[<VariableList>]", "nItems=2147483647", "Variable1=A", "Value1=1", "variable7=B",
             "Variable09=C", "Value3=x", "Value-1=y", "[<PreActions>]", "nItems=5", "0=a", "1=b",
             "DefLocale=x.ini"});
  using V = std::vector<int>;
  EXPECT_EQ(ScriptListItems("<VariableList>", "Variable", 1, 2147483647), (V{1, 2, 7}));
  EXPECT_EQ(ScriptListItems("<VariableList>", "Value", 1, 2147483647), (V{1, 2, 3}));
  EXPECT_EQ(ScriptListItems("<VariableList>", "Variable", 1, 5), (V{1, 2}));
  EXPECT_EQ(ScriptListItems("<VariableList>", "Variable", 1, 1), (V{1}));
  EXPECT_EQ(ScriptListItems("<VariableList>", "Variable", 1, 0), V{});
  EXPECT_EQ(ScriptListItems("<PreActions>", "", 0, 4), (V{0, 1, 2}));
  EXPECT_EQ(ScriptListItems("<PreActions>", "", 0, 1), (V{0, 1}));
  EXPECT_EQ(ScriptListItems("<Missing>", "Variable", 1, 4), (V{1}));
}

}  // namespace
}  // namespace vx::test
