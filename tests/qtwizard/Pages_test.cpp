// The component, destination and user information pages as the user works them: the live
// total, "Uninstall all", the required column after a drive change, refused paths, the empty
// field that keeps the page.
#include <QCheckBox>
#include <QComboBox>
#include <QTreeWidget>

#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "tests/qtwizard/QtWizardFixture.h"
#include "engine/ui/ControlIds.h"

namespace vx::test {
namespace {

using K = PageKind;

// Only the pages named by `on` are shown (welcome, license and summary are off).
std::vector<std::string> Only(std::vector<std::string> lines) {
  std::vector<std::string> s = {"[<WelcomeWnd>]",     "SkipThis=1",      "[<LicenseWnd>]",
                                "SkipThis=1",         "[<UserInfoWnd>]", "SkipThis=1",
                                "[<InstSummaryWnd>]", "SkipThis=1"};
  s.insert(s.end(), lines.begin(), lines.end());
  return s;
}

using PageTest = QtWizardTest;

TEST_F(PageTest, ComponentTotalFollowsTheTicksToTheNearestKilobyte) {
  UseMerged(Only({"[<InstSummaryWnd>]", "InstalledType=", "[<CompListWnd>]", "nItems=3",
                  "0=Half | 1 | 0", "1=One | 1 | 0", "2=Big | 0 | 1", "[Half]", "ComponentSize=512",
                  "Description=Half a kilobyte", "[One]", "ComponentSize=1", "[Big]",
                  "ComponentSize=0"}));
  Open();
  ASSERT_EQ(Kind(), K::SelectComponent);
  CItemListWnd* list = Page<CWZSelectComponent>()->List();
  EXPECT_EQ(Text(kCtlComponentTotal), "Total disk space required (KB):  0");
  EXPECT_FALSE(list->Button(2)->isEnabled());  // locked, ticked
  EXPECT_TRUE(list->Checked(2));
  Click(list->Button(0));  // 512 bytes
  EXPECT_EQ(Text(kCtlComponentTotal), "Total disk space required (KB):  0");
  EXPECT_EQ(Text(kCtlComponentDescription), "Half a kilobyte");
  EXPECT_EQ(list->HighlightedId(), kCtlItemLabelBase);
  Click(list->Button(1));  // 513 bytes
  EXPECT_EQ(Text(kCtlComponentTotal), "Total disk space required (KB):  1");
  // A label shows its description and turns blue; it changes no tick and no total.
  QTest::mouseClick(list->Label(0), Qt::LeftButton);
  EXPECT_EQ(list->HighlightedId(), kCtlItemLabelBase);
  EXPECT_EQ(list->Label(0)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(list->Label(1)->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_TRUE(list->Checked(0));
  NextPage();
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Half | 1 | 1");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "One | 1 | 1");
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "<CompListWnd>");
}

TEST_F(PageTest, UninstallAllDisablesOnlyTheEnabledRows) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "SkipThis=1", "[<CompListWnd>]",
             "nItems=3", "0=Base | 0 | 1", "1=Docs | 1 | 1", "2=Tools | 1 | 0"});
  Open(/*modify=*/true);
  ASSERT_EQ(Kind(), K::SelectComponent);
  QCheckBox* all = Page<CWZSelectComponent>()->UninstallAll();
  ASSERT_TRUE(all->isVisible());
  EXPECT_EQ(Std(all->text()), "Uninstall all ");
  CItemListWnd* list = Page<CWZSelectComponent>()->List();
  auto enabled = [&] {
    return std::vector<bool>{list->Button(0)->isEnabled(), list->Button(1)->isEnabled(),
                             list->Button(2)->isEnabled()};
  };
  EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true}));
  Click(all);
  EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false}));
  Click(all);
  EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true}));
  Click(all);
  NextPage();
  EXPECT_EQ(wizard->Outcome(), WizardOutcome::UninstallAll);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Docs | 1 | 1");

  // The full wizard has no "Uninstall all".
  UseMerged(Only({"[<CompListWnd>]", "nItems=2", "0=Base | 0 | 1", "1=Docs | 1 | 1"}));
  Open();
  EXPECT_FALSE(Page<CWZSelectComponent>()->UninstallAll()->isVisible());
}

TEST_F(PageTest, DriveChangeRecomputesRequiredAndUnsoundPathsAreRefused) {
  AddDrives({"D=fixed,drive_d"});
  UseMerged(Only({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "[<CompListWnd>]",
                  "nItems=1", "0=Base | 0 | 1", "[Base]", "{InstallPath1}=4096", "{Windows}=1024",
                  "[<Destinations>]", "PathWndVisible=1", "nItems=1",
                  "Description1=Program:", "InstallPath1=C:\\Demo", "PathEditable1=1"}));
  Open();
  ASSERT_EQ(Kind(), K::SelectDestination);
  auto* page = Page<CWZSelectDestination>();
  QTreeWidget* table = page->Table();
  ASSERT_EQ(table->topLevelItemCount(), 2);
  auto required = [&](int row) { return Std(table->topLevelItem(row)->text(4)); };
  EXPECT_EQ(Std(table->topLevelItem(0)->text(0)), "C:\\");
  EXPECT_EQ(required(0), "5K");
  EXPECT_EQ(required(1), "0K");
  EXPECT_FALSE(page->Drives(1)->isVisible());  // rows above nItems are hidden
  EXPECT_EQ(Text(kCtlDestinationLabel), "Program:");
  // Picking D: with the keyboard moves the program's share there.
  page->Drives(0)->setFocus();
  QTest::keyClick(page->Drives(0), Qt::Key_Down);
  EXPECT_EQ(Std(page->Drives(0)->currentText()), "D:\\");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Demo");
  EXPECT_EQ(required(0), "1K");
  EXPECT_EQ(required(1), "4K");

  // A directory no Windows path can hold is named and the page stays; a sound one is stored.
  const char* unsound[] = {"Demo?", "a<b", "..\\..\\Up", "x:y"};
  for (const char* dir : unsound) {
    Type(page->Directory(0), QString::fromLatin1(dir));
    NextPage();
    EXPECT_EQ(Kind(), K::SelectDestination) << dir;
    auto shown = ui->Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().find(std::string("\"D:\\") + dir + "\""), std::string::npos)
        << shown.back();
  }
  Type(page->Directory(0), "\\Apps\\..\\Demo 2");
  NextPage();
  EXPECT_TRUE(wizard->Ended());
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Apps\\..\\Demo 2");
}

TEST_F(PageTest, MoreThanSevenDestinationsAreRefusedWithAMessage) {
  UseMerged(Only({"[<Destinations>]", "PathWndVisible=1", "nItems=8", "InstallPath1=C:\\App",
                  "PathEditable1=1"}));
  Open();
  ASSERT_EQ(Kind(), K::SelectDestination);
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("supports up to 7 install destinations only"), std::string::npos);
  EXPECT_EQ(Page<CWZSelectDestination>()->Table()->topLevelItemCount(), 0);
  NextPage();
  EXPECT_TRUE(wizard->Ended());
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\App");
}

TEST_F(PageTest, EmptyUserFieldBeepsAndKeepsThePageWithTheFocusInIt) {
  UseScript({"[<General>]", "VendorName=Acme", "ProductName=Demo", "[<WelcomeWnd>]", "SkipThis=1",
             "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]", "AskUserName=1", "AskEmail=1",
             "[<InstSummaryWnd>]", "SkipThis=1"});
  Open();
  ASSERT_EQ(Kind(), K::UserInfo);
  auto* page = Page<CWZUserInfo>();
  EXPECT_FALSE(page->Edit(1)->isVisible());  // company not asked
  EXPECT_TRUE(page->Edit(2)->text().isEmpty());
  Type(page->Edit(0), "Ann");
  page->Edit(0)->setFocus();
  NextPage();
  EXPECT_EQ(Kind(), K::UserInfo);
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_TRUE(page->Edit(2)->hasFocus());
  EXPECT_TRUE(ui->Shown().empty());  // no message box
  const std::string key = "Software\\Acme\\Demo\\UserInfo";
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "RegisteredOwner"), "Ann");  // written already
  Type(page->Edit(2), " ");
  NextPage();
  EXPECT_TRUE(wizard->Ended());
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "UserEmail"), " ");
}

}  // namespace
}  // namespace vx::test
