// What each wizard page reads from the script and writes back: component totals and flags,
// destination paths and the required column, the summary text, user information, install
// types, the license text.
#include "engine/ui/WizardPages.h"

#include <gtest/gtest.h>

#include "engine/base/Folders.h"
#include "tests/ui/UiFixture.h"

namespace vx::test {
namespace {

// ---- component page ----

class ComponentPageTest : public UiTest {
 protected:
  // A default list whose components have the given sizes and selected flags.
  void Components(const std::vector<std::pair<int, std::string>>& sizeAndFlag) {
    std::vector<std::string> s = {"[<InstSummaryWnd>]", "InstalledType=", "[<CompListWnd>]",
                                  "nItems=" + std::to_string(sizeAndFlag.size())};
    for (std::size_t i = 0; i < sizeAndFlag.size(); ++i)
      s.push_back(std::to_string(i) + "=C" + std::to_string(i) + " | 1 | " + sizeAndFlag[i].second);
    for (std::size_t i = 0; i < sizeAndFlag.size(); ++i) {
      s.push_back("[C" + std::to_string(i) + "]");
      s.push_back("ComponentSize=" + std::to_string(sizeAndFlag[i].first));
    }
    UseScript(s);
  }
};

TEST_F(ComponentPageTest, TotalsRoundToTheNearestKilobyteWithHalvesDown) {
  struct Case {
    std::vector<std::pair<int, std::string>> rows;
    long long kb;
  };
  const Case cases[] = {
      {{{512, "1"}}, 0},
      {{{513, "1"}}, 1},
      {{{1535, "1"}}, 1},
      {{{1536, "1"}}, 1},
      {{{1537, "1"}}, 2},
      {{{512, "1"}, {512, "1"}}, 1},          // summed before rounding
      {{{2693269, "1"}, {4096, "0"}}, 2630},  // unticked rows do not count
      {{{4096, "2"}}, 0},                     // neither 0 nor 1: starts unticked
      {{}, 0},
  };
  for (const Case& c : cases) {
    Components(c.rows);
    ComponentPage page;
    page.Activate();
    EXPECT_EQ(page.TotalKilobytes(), c.kb) << c.rows.size();
    EXPECT_EQ(page.TotalText(), "Total disk space required (KB):  " + std::to_string(c.kb));
  }
}

TEST_F(ComponentPageTest, MaintenanceCountsOnlyTheComponentsItWouldAdd) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "[<CompListWnd>]", "nItems=3",
             "0=Program | 0 | 1", "1=Fonts | 1 | 1", "2=Docs | 1 | 1", "[Program]",
             "ComponentSize=131000000", "[Fonts]", "ComponentSize=17525760", "[Docs]",
             "ComponentSize=2048", "[InstalledComponents]", "nItems=2", "0=program", "1=Docs"});
  ComponentPage maintenance(true);
  maintenance.Activate();
  // Program and Docs are there already (names without regard to case): Fonts alone needs room.
  EXPECT_EQ(maintenance.TotalKilobytes(), 17115);
  maintenance.rows[1].checked = false;
  EXPECT_EQ(maintenance.TotalKilobytes(), 0);
  // A first installation counts everything ticked.
  ComponentPage first(false);
  first.Activate();
  EXPECT_EQ(first.TotalKilobytes(), (131000000LL + 17525760 + 2048 + 511) / 1024);
}

TEST_F(ComponentPageTest, EmptyInstalledTypeListsTheDefaultListAndRecordsIt) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=", "[<CompListWnd>]", "nItems=3",
             "ImgFileName=side.bmp", "0=Base | 0 | 1", "1=Docs | 1 | 1", "2=Tools | 1 | 0"});
  ComponentPage page;
  page.Activate();
  EXPECT_EQ(page.section, "<CompListWnd>");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "<CompListWnd>");
  ASSERT_EQ(page.rows.size(), 3u);
  EXPECT_EQ(page.rows[0].name, "Base");
  EXPECT_FALSE(page.rows[0].enabled);
  EXPECT_TRUE(page.rows[0].checked);
  EXPECT_TRUE(page.rows[1].enabled);
  EXPECT_TRUE(page.rows[1].checked);
  EXPECT_FALSE(page.rows[2].checked);
  // The picture is named relative to the temp folder.
  EXPECT_EQ(page.picture, Folders().temp + "side.bmp");
}

TEST_F(ComponentPageTest, NextRewritesOnlyTheLastFlagAndDropsTrailingBlanks) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "[<CompListWnd>]", "nItems=3",
             "0=Base | 1 | 1", "1=Docs|1|0   ", "2=Tools | 0 | 1"});
  ComponentPage page;
  page.Activate();
  page.rows[0].checked = false;
  page.rows[1].checked = true;
  EXPECT_EQ(page.Next(), ComponentPage::NextResult::Proceed);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Base | 1 | 0");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Docs|1|1");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "2"), "Tools | 0 | 1");
}

TEST_F(ComponentPageTest, WithSelectedFlag) {
  EXPECT_EQ(WithSelectedFlag("A | 1 | 1", false), "A | 1 | 0");
  EXPECT_EQ(WithSelectedFlag("A | 1 | 0 \t \r\n", true), "A | 1 | 1");
  EXPECT_EQ(WithSelectedFlag("A | 1 | 7", true), "A | 1 | 1");
  EXPECT_EQ(WithSelectedFlag("x", false), "0");
  EXPECT_EQ(WithSelectedFlag("", true), "");
  EXPECT_EQ(WithSelectedFlag("   ", true), "");
}

TEST_F(ComponentPageTest, UninstallAllLocksTheOpenRowsAndGivesThemBack) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "[<CompListWnd>]", "nItems=2",
             "0=Base | 0 | 1", "1=Docs | 1 | 1"});
  ComponentPage page(/*maintenanceMode=*/true);
  page.Activate();
  page.SetUninstallAll(true);
  EXPECT_TRUE(page.rows[1].disabledByUninstallAll);
  EXPECT_FALSE(page.rows[0].enabled);
  page.SetUninstallAll(false);
  EXPECT_FALSE(page.rows[1].disabledByUninstallAll);
  EXPECT_FALSE(page.rows[0].enabled);  // a locked row stays locked
  // A fresh activation keeps the check box's state for the rows.
  page.SetUninstallAll(true);
  page.Activate();
  EXPECT_TRUE(page.rows[1].disabledByUninstallAll);
  EXPECT_FALSE(page.rows[0].disabledByUninstallAll);
}

TEST_F(ComponentPageTest, UninstallAllOnlyCountsInMaintenance) {
  const std::vector<std::string> script = {"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>",
                                           "[<CompListWnd>]", "nItems=1", "0=Docs | 1 | 1"};
  UseScript(script);
  ComponentPage maintenance(true);
  maintenance.Activate();
  maintenance.rows[0].checked = false;
  maintenance.SetUninstallAll(true);
  EXPECT_EQ(maintenance.Next(), ComponentPage::NextResult::UninstallAll);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Docs | 1 | 1");

  ComponentPage first(false);
  first.Activate();
  first.rows[0].checked = false;
  first.SetUninstallAll(true);
  EXPECT_EQ(first.Next(), ComponentPage::NextResult::Proceed);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Docs | 1 | 0");
}

TEST_F(ComponentPageTest, ClicksShowTheDescriptionOfTheRow) {
  UseScript({"[<General>]", "ProductName=Demo", "[<InstSummaryWnd>]", "InstalledType=<CompListWnd>",
             "[<CompListWnd>]", "nItems=2", "0=Base | 0 | 1", "1=Docs | 1 | 1", "[Base]",
             "Description=Core of {ProductName}", "[Docs]", "Description=Manuals"});
  ComponentPage page;
  page.Activate();
  page.Click(0);
  EXPECT_EQ(page.description, "Core of Demo");
  page.Click(1001);
  EXPECT_EQ(page.description, "Manuals");
  page.Click(1002);
  EXPECT_EQ(page.description, "");
  page.Click(5);
  EXPECT_EQ(page.description, "");
}

// ---- destination page ----

TEST(DrivePathSplit, ThreeShapes) {
  struct Case {
    const char *path, *drive, *dir;
  };
  const Case cases[] = {
      {"D:\\Apps\\Tool", "D:\\", "Apps\\Tool"},
      {"D:Apps", "D:\\", "Apps"},
      {"\\\\server\\share\\x", "C:\\", "\\\\server\\share\\x"},
      {"Apps", "C:\\", "Apps"},
      {"", "C:\\", ""},
      {"D:", "D:\\", ""},
  };
  for (const Case& c : cases) {
    std::string drive, dir;
    SplitDrivePath(c.path, drive, dir);
    EXPECT_EQ(drive, c.drive) << c.path;
    EXPECT_EQ(dir, c.dir) << c.path;
  }
}

class DestinationPageTest : public UiTest {};

TEST_F(DestinationPageTest, RowsShowDriveAndDirectoryAndWriteBackWithOneBackslash) {
  AddDrives({"D=fixed,drive_d", "E=cdrom,drive_e", "N=network,drive_n"});
  UseScript({"[<Destinations>]", "nItems=4", "Description1=Program", "InstallPath1=D:\\Apps\\Tool",
             "PathEditable1=1", "Description2=Data", "InstallPath2=N:Data", "PathEditable2=0",
             "InstallPath3=\\\\srv\\share", "InstallPath4=E:\\Cd"});
  DestinationPage page;
  ASSERT_TRUE(page.Initialise());
  // Only fixed and network drives are offered.
  EXPECT_EQ(page.drives, (std::vector<std::string>{"C:\\", "D:\\", "N:\\"}));
  ASSERT_EQ(page.rows.size(), 4u);
  EXPECT_EQ(page.rows[0].label, "Program");
  EXPECT_EQ(page.rows[0].drive, "D:\\");
  EXPECT_EQ(page.rows[0].directory, "Apps\\Tool");
  EXPECT_TRUE(page.rows[0].editable);
  EXPECT_EQ(page.rows[1].drive, "N:\\");
  EXPECT_EQ(page.rows[1].directory, "Data");
  EXPECT_FALSE(page.rows[1].editable);
  EXPECT_EQ(page.rows[2].drive, "C:\\");
  EXPECT_EQ(page.rows[2].directory, "\\\\srv\\share");
  EXPECT_EQ(page.rows[3].drive, "");  // a CD drive is not in the list: nothing selected
  EXPECT_EQ(page.table.size(), 3u);

  page.rows[0].directory = "\\Other";   // typed with a leading backslash
  page.rows[1].directory = "  Store ";  // typed without, with blanks around
  page.Next();
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Other");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath2"), "N:\\Store");
  // A network path has no drive to join: it is stored as it stands.
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath3"), "\\\\srv\\share");
  // A drive the list does not offer is kept rather than dropped.
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath4"), "E:\\Cd");
}

TEST_F(DestinationPageTest, PathsWithMacrosAreShownExpanded) {
  UseScript({"[<General>]", "ProductName=Demo", "[<Destinations>]", "nItems=1",
             "InstallPath1={ProgramFiles}\\{ProductName}"});
  DestinationPage page;
  ASSERT_TRUE(page.Initialise());
  ASSERT_EQ(page.rows.size(), 1u);
  std::string drive, dir;
  SplitDrivePath(Folders().programFiles + "\\Demo", drive, dir);
  EXPECT_EQ(page.rows[0].drive, drive);
  EXPECT_EQ(page.rows[0].directory, dir);
}

TEST_F(DestinationPageTest, LowerCaseDriveLetterStillSelectsItsDrive) {
  UseScript({"[<Destinations>]", "nItems=1", "InstallPath1=c:\\Apps\\Tool"});
  DestinationPage page;
  ASSERT_TRUE(page.Initialise());
  ASSERT_EQ(page.rows.size(), 1u);
  EXPECT_EQ(page.rows[0].drive, "C:\\");
  page.Next();
  // The path keeps its drive instead of losing it to an empty selection.
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\Apps\\Tool");
}

TEST_F(DestinationPageTest, MoreThanSevenDestinationsLeaveThePageUnfilled) {
  std::vector<std::string> s = {"[<Destinations>]", "nItems=8"};
  for (int i = 1; i <= 8; ++i)
    s.push_back("InstallPath" + std::to_string(i) + "=C:\\P" + std::to_string(i));
  UseScript(s);
  DestinationPage page;
  EXPECT_FALSE(page.Initialise());
  EXPECT_TRUE(page.rows.empty());
  EXPECT_TRUE(page.table.empty());
  page.Next();
  page.ChangeDrive(0, "C:\\");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\P1");
}

TEST_F(DestinationPageTest, RequiredColumnSumsSelectedComponentsPerDrive) {
  AddDrives({"D=fixed,drive_d"});
  UseScript({"[<InstSummaryWnd>]",
             "InstalledType=<CompListWnd>",
             "[<CompListWnd>]",
             "nItems=3",
             "0=Base | 0 | 1",
             "1=Docs | 1 | 0",
             "2=Odd | 1 | 2",
             "[Base]",
             "{InstallPath1}=2048",
             "{InstallPath2}=513",
             "{Windows}=1024",
             "{Temp}=100",
             "[Docs]",
             "{InstallPath1}=1000000",
             "[Odd]",
             "{InstallPath1}=1024",
             "[<Destinations>]",
             "nItems=2",
             "InstallPath1=D:\\App",
             "InstallPath2=d:\\Data"});
  DestinationPage page;
  ASSERT_TRUE(page.Initialise());
  page.Activate();
  ASSERT_EQ(page.table.size(), 2u);
  // C: holds the Windows and temp folders: 1024 + 100 bytes.
  EXPECT_EQ(page.table[0].drive, "C:\\");
  EXPECT_EQ(page.table[0].requiredKb, (1024 + 100 + 511) / 1024);
  // D: both destinations (the second written in lower case); Docs is not selected, Odd's
  // flag "2" counts as selected here.
  EXPECT_EQ(page.table[1].drive, "D:\\");
  EXPECT_EQ(page.table[1].requiredKb, (2048 + 513 + 1024 + 511) / 1024);

  // Moving the first destination to C: moves its bytes with it.
  page.ChangeDrive(0, "C:\\");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\App");
  EXPECT_EQ(page.table[0].requiredKb, (1024 + 100 + 2048 + 1024 + 511) / 1024);
  EXPECT_EQ(page.table[1].requiredKb, (513 + 511) / 1024);
}

// ---- summary ----

class SummaryTest : public UiTest {};

TEST_F(SummaryTest, DefaultTypeListsExactlySelectedComponentsAndStoredPaths) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=", "[<CompListWnd>]", "nItems=4",
             "0=Base | 0 | 1", "1=Docs | 1 | 0", "2=Odd | 1 | 2", "3=Tools|1|1", "[<Destinations>]",
             "nItems=2", "InstallPath1={ProgramFiles}\\App", "InstallPath2=D:\\Data"});
  EXPECT_EQ(ReviewText(),
            "Install type:\r\n\tDefault Type\r\n\r\nSelected Components:\r\n\tBase\r\n\tTools\r\n\t"
            "\r\nInstall Paths:\r\n\t{ProgramFiles}\\App\r\n\tD:\\Data\r\n\t");
}

TEST_F(SummaryTest, NamedTypeAndPercentSignsInValues) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=Custom 100%s", "[Custom 100%s]", "nItems=1",
             "0=Part %d | 1 | 1", "[<Destinations>]", "nItems=0"});
  EXPECT_EQ(ReviewText(),
            "Install type:\r\n\tCustom 100%s\r\n\r\nSelected Components:\r\n\tPart %d\r\n\t"
            "\r\nInstall Paths:\r\n\t");
}

// ---- user information ----

class UserInfoTest : public UiTest {
 protected:
  const std::string key = "Software\\Acme\\Demo\\UserInfo";
};

TEST_F(UserInfoTest, DefaultsComeFromTheSystemKeyOfThePlatform) {
  WriteRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                      "RegisteredOwner", "Nt Owner");
  WriteRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                      "RegisteredOrganization", "Nt Org");
  WriteRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                      "RegisteredOwner", "9x Owner");
  UseScript({"[<UserInfoWnd>]", "AskUserName=1", "AskCompany=1", "AskEmail=1",
             "ImgFileName={Temp}user.bmp"});
  UserInfoPage page;
  page.Initialise();
  EXPECT_EQ(page.fields[0].value, "Nt Owner");
  EXPECT_EQ(page.fields[1].value, "Nt Org");
  EXPECT_EQ(page.fields[2].value, "");
  EXPECT_EQ(page.fields[0].label, "Your name:");
  EXPECT_EQ(page.groupText, "About yourself");
  EXPECT_EQ(page.picture, Folders().temp + "user.bmp");

  // The 9x family keeps them under the other key.
  Configure("9x", {});
  page.Initialise();
  EXPECT_EQ(page.fields[0].value, "9x Owner");
  EXPECT_EQ(page.fields[1].value, "");
}

TEST_F(UserInfoTest, EmptyFieldStopsAfterWritingTheEarlierOnes) {
  UseScript({"[<General>]", "VendorName=Acme", "ProductName=Demo", "[<UserInfoWnd>]",
             "AskUserName=1", "AskCompany=1", "AskEmail=1"});
  UserInfoPage page;
  page.Initialise();
  page.fields[0].value = "Alice";
  page.fields[1].value = "";
  page.fields[2].value = "a@b";
  EXPECT_EQ(page.Next(), 1);
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "RegisteredOwner"), "Alice");
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "UserEmail"), std::nullopt);
  page.fields[1].value = " ";
  EXPECT_EQ(page.Next(), -1);
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "RegisteredOrganization"), " ");
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "UserEmail"), "a@b");
}

TEST_F(UserInfoTest, NoFieldAskedStoresNothing) {
  UseScript({"[<General>]", "VendorName=Acme", "ProductName=Demo", "[<UserInfoWnd>]",
             "AskUserName=0", "AskCompany=2"});
  UserInfoPage page;
  page.Initialise();
  EXPECT_EQ(page.groupText, "");
  for (const auto& f : page.fields) EXPECT_FALSE(f.asked);
  EXPECT_EQ(page.Next(), -1);
  HKEY h = 0;
  EXPECT_NE(RegOpenKeyEx(kHkeyCurrentUser, key, kKeyRead, &h), kErrorSuccess);
}

// ---- install type ----

TEST_F(UiTest, InstallTypeStartsOnTheFirstAndIgnoresUnknownIds) {
  UseScript({"[<General>]", "ProductName=Demo", "[<InstTypeListWnd>]", "nItems=2", "0=Typical",
             "1=Custom", "[Typical]", "Description=All of {ProductName}", "[Custom]",
             "Description=Pick"});
  SelectTypePage page;
  page.Initialise();
  EXPECT_EQ(page.types, (std::vector<std::string>{"Typical", "Custom"}));
  EXPECT_EQ(page.selected, "Typical");
  EXPECT_EQ(page.description, "All of Demo");
  page.Select(1);
  page.Select(2);
  page.Select(-1);
  EXPECT_EQ(page.selected, "Custom");
  EXPECT_EQ(page.description, "Pick");
  page.Next();
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "Custom");
}

// ---- license, welcome, completion ----

class TextPagesTest : public UiTest {};

TEST_F(TextPagesTest, LicenseTexts) {
  UseScript({"[<LicenseWnd>]"});
  EXPECT_EQ(LoadAgreementPage().license, "No License file!");

  UseScript({"[<LicenseWnd>]", "LicenseFile=C:\\Setup\\missing.txt"});
  EXPECT_EQ(LoadAgreementPage().license, "Failed to open License file!");

  machine.WriteFile(Folders().temp + "empty.txt", "");
  UseScript({"[<LicenseWnd>]", "LicenseFile={Temp}empty.txt"});
  EXPECT_EQ(LoadAgreementPage().license, "");

  // Every kind of line end (LF, CR LF, CR) breaks the line in the shown text.
  machine.WriteFile(Folders().temp + "lic.txt", "Terms\nmore terms\r\nend\rlast\n\n");
  UseScript({"[<LicenseWnd>]", "LicenseFile={Temp}lic.txt"});
  AgreementContent c = LoadAgreementPage();
  EXPECT_EQ(c.license, "Terms\r\nmore terms\r\nend\r\nlast\r\n\r\n");
  EXPECT_EQ(c.intro.substr(0, 40), "Please read the following license agreem");

  // A file too long to show, or one that is no text, is shown cut with a note.
  machine.WriteFile(Folders().temp + "huge.txt", std::string(kLicenseShownBytes + 10, 'x'));
  UseScript({"[<LicenseWnd>]", "LicenseFile={Temp}huge.txt"});
  EXPECT_EQ(LoadAgreementPage().license, std::string(kLicenseShownBytes, 'x') + LicenseCutNote());
  machine.WriteFile(Folders().temp + "bin.dat", std::string("MZ\x90\0\x03\0\0", 7));
  UseScript({"[<LicenseWnd>]", "LicenseFile={Temp}bin.dat"});
  EXPECT_EQ(LoadAgreementPage().license, "MZ\x90" + LicenseCutNote());
}

TEST_F(DestinationPageTest, PathsNoWindowsFolderCanHoldAreNamed) {
  for (const char* bad : {"a<b", "a>b", "x:y", "say\"hi\"", "a|b", "what?", "*", "..\\x",
                          "a\\..\\..\\b", "\\\\srv\\share\\..\\x"})
    EXPECT_FALSE(SoundDestinationDirectory(bad)) << bad;
  for (const char* good : {"", "Apps", "\\Apps\\Demo", "a\\..\\b", ".\\x", "a/b/../c",
                           "\\\\srv\\share\\x\\..", "My App (x86)"})
    EXPECT_TRUE(SoundDestinationDirectory(good)) << good;
  UseScript({"[<Destinations>]", "nItems=2", "InstallPath1=C:\\Fixed?", "PathEditable1=0",
             "InstallPath2=C:\\Data", "PathEditable2=1"});
  DestinationPage page;
  ASSERT_TRUE(page.Initialise());
  // Only what the user may change is checked.
  EXPECT_EQ(page.UnsoundPath(), "");
  page.rows[1].directory = " ..\\.. ";
  EXPECT_EQ(page.UnsoundPath(), "C:\\..\\..");
  // A path no folder of Windows can have (longer than 248 characters) is named too.
  page.rows[1].directory = std::string(245, 'd');
  EXPECT_EQ(page.UnsoundPath(), "");
  page.rows[1].directory = std::string(246, 'd');
  EXPECT_EQ(page.UnsoundPath(), "C:\\" + std::string(246, 'd'));
}

}  // namespace
}  // namespace vx::test
