// What a person sees and does on the wizard pages: a double click on Next that does not
// accept the license unseen, underlined letters, a license with any line ends, the whole
// destination path with Browse and readable drive figures, the space maintenance needs, the
// completion's word about a restart, and a list of 10,000 components.
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStyleHints>
#include <QTreeWidget>
#include <filesystem>

#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/NoHighlightEditor.h"
#include "tests/qtwizard/QtWizardFixture.h"

namespace vx::test {
namespace {

using K = PageKind;
using TrustTest = QtWizardTest;

// The system's double-click time for one test.
class DoubleClickTime {
 public:
  explicit DoubleClickTime(int ms)
      : before_(QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(ms);
  }
  ~DoubleClickTime() { QGuiApplication::styleHints()->setMouseDoubleClickInterval(before_); }

 private:
  int before_;
};

TEST_F(TrustTest, ADoubleClickOnNextDoesNotAcceptTheLicenseUnseen) {
  machine.WriteFile("C:\\Setup\\License.txt", "Terms");
  UseScript({"[<LicenseWnd>]", "LicenseFile=C:\\Setup\\License.txt", "[<UserInfoWnd>]",
             "SkipThis=1", "[<InstSummaryWnd>]", "SkipThis=0"});
  constexpr int kDoubleClickMs = 400;
  DoubleClickTime slow(kDoubleClickMs);
  Open();
  ASSERT_EQ(Kind(), K::Welcome);
  QTest::qWait(kDoubleClickMs + 50);  // the person read the welcome page
  NextPage();
  ASSERT_EQ(Kind(), K::Agreement);
  NextPage();  // the second click of the double click lands on "Yes"
  EXPECT_EQ(Kind(), K::Agreement);
  QTest::qWait(kDoubleClickMs + 50);
  NextPage();
  EXPECT_EQ(Kind(), K::Review);
  // The keyboard is not guarded: a key right after a page change still works.
  QTest::keyClick(wizard.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Kind() == K::Agreement; }, 1000));
}

TEST_F(TrustTest, UnderlinedLettersMoveThroughTheWizard) {
  UseScript({"[<UserInfoWnd>]", "SkipThis=1", "[<InstSummaryWnd>]", "SkipThis=0", "[<LicenseWnd>]",
             "SkipThis=1"});
  Open();
  ASSERT_EQ(Kind(), K::Welcome);
  EXPECT_EQ(Std(Button(CInstallWizard::kNextId)->text()), "&Next");
  EXPECT_EQ(Std(Button(CInstallWizard::kCancelId)->text()), "&Cancel");
  // A pressed letter clicks its button as the mouse would (shown pressed for a moment).
  QTest::keyClick(wizard.get(), Qt::Key_N, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Kind() == K::Review; }, 1000));
  EXPECT_EQ(Std(Button(CInstallWizard::kNextId)->text()), "&Start");
  QTest::keyClick(wizard.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Kind() == K::Welcome; }, 1000));
  // Escape is Cancel: the quit question; answered No, the page keeps the focus.
  quitAnswers = {false};
  QTest::keyClick(wizard.get(), Qt::Key_Escape);
  EXPECT_EQ(confirmations, 1);
  EXPECT_FALSE(wizard->Ended());
}

TEST_F(TrustTest, LicenseKeepsItsLineBreaksWhateverTheLineEnds) {
  machine.WriteFile("C:\\Setup\\License.txt", "First line\nSecond line\rThird line\r\nEnd");
  UseScript(
      {"[<WelcomeWnd>]", "SkipThis=1", "[<LicenseWnd>]", "LicenseFile=C:\\Setup\\License.txt"});
  Open();
  ASSERT_EQ(Kind(), K::Agreement);
  EXPECT_EQ(Page<CWZAgreement>()->License()->toPlainText(),
            "First line\nSecond line\nThird line\nEnd");
}

TEST_F(TrustTest, DestinationShowsTheWholePathABrowseButtonAndReadableFigures) {
  AddDrives({"D=fixed,drive_d"});
  const std::string deep = "C:\\Program Files\\Example Product 2024";
  UseScript({"[<WelcomeWnd>]",
             "SkipThis=1",
             "[<LicenseWnd>]",
             "SkipThis=1",
             "[<UserInfoWnd>]",
             "SkipThis=1",
             "[<InstSummaryWnd>]",
             "SkipThis=1",
             "InstalledType=<CompListWnd>",
             "[<CompListWnd>]",
             "nItems=1",
             "0=Base | 0 | 1",
             "[Base]",
             "{InstallPath1}=17525760",
             "[<Destinations>]",
             "PathWndVisible=1",
             "nItems=2",
             "Description1=Program files:",
             "InstallPath1=" + deep,
             "PathEditable1=1",
             "Description2=Data:",
             "InstallPath2=C:\\Data",
             "PathEditable2=0"});
  Open();
  ASSERT_EQ(Kind(), K::SelectDestination);
  auto* page = Page<CWZSelectDestination>();
  QLineEdit* dir = page->Directory(0);
  // The field is wide enough for a whole path of a usual length, and its tooltip holds any
  // path in full.
  EXPECT_GE(dir->width(), dir->fontMetrics().horizontalAdvance(dir->text()) + 4);
  EXPECT_EQ(Std(dir->toolTip()), deep);
  Type(dir, "Elsewhere\\App");
  EXPECT_EQ(Std(dir->toolTip()), "C:\\Elsewhere\\App");
  // Sizes in KB, MB or GB with separators.
  QTreeWidget* table = page->Table();
  EXPECT_EQ(Std(table->topLevelItem(0)->text(4)), "17 MB");
  for (int c = 1; c <= 3; ++c) {
    const std::string t = Std(table->topLevelItem(0)->text(c));
    EXPECT_TRUE(t.ends_with(" KB") || t.ends_with(" MB") || t.ends_with(" GB")) << t;
    EXPECT_LE(t.size(), 9u) << t;  // never a 9-digit raw figure
  }

  // Browse: a fixed row cannot browse; the editable one takes the folder picked.
  EXPECT_FALSE(page->BrowseButton(1)->isEnabled());
  ASSERT_TRUE(page->BrowseButton(0)->isEnabled());
  EXPECT_FALSE(page->BrowseButton(2)->isVisible());
  const std::string hostD = machine.Host("D:\\Apps\\Mine");
  std::filesystem::create_directories(hostD);
  QString started;
  page->chooseHostFolder = [&](const QString& start) {
    started = start;
    return QString::fromStdString(hostD);
  };
  Click(page->BrowseButton(0));
  EXPECT_EQ(Std(page->Drives(0)->currentText()), "D:\\");
  EXPECT_EQ(Std(dir->text()), "Apps\\Mine");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Apps\\Mine");
  EXPECT_EQ(Std(table->topLevelItem(1)->text(4)), "17 MB");  // the need moved to D:
  EXPECT_TRUE(Std(started).starts_with(machine.Host("C:\\"))) << Std(started);
  // A folder outside the offered drives is refused with a word; the row stays.
  page->chooseHostFolder = [](const QString&) { return QStringLiteral("/"); };
  Click(page->BrowseButton(0));
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\Apps\\Mine");
  ASSERT_FALSE(ui->Shown().empty());
  EXPECT_NE(ui->Shown().back().find("is not on a drive"), std::string::npos) << ui->Shown().back();
}

TEST_F(TrustTest, MaintenanceShowsTheSpaceOfWhatChanges) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "SkipThis=1", "[<CompListWnd>]",
             "nItems=2", "0=Program | 0 | 1", "1=Fonts | 1 | 0", "[Program]",
             "ComponentSize=131000000", "[Fonts]", "ComponentSize=17525760",
             "[InstalledComponents]", "nItems=1", "0=Program"});
  Open(/*modify=*/true);
  ASSERT_EQ(Kind(), K::SelectComponent);
  EXPECT_EQ(Text(1032), "Total disk space required (KB):  0");
  Click(Page<CWZSelectComponent>()->List()->Button(1));
  EXPECT_EQ(Text(1032), "Total disk space required (KB):  17115");
}

TEST_F(TrustTest, CompletionSpeaksOfARestartOnlyWhenOneIsPending) {
  UseScript({"[<CompletionWnd>]", "MoreInstruct=Enjoy."});
  for (bool pending : {false, true}) {
    Flags().restartPending = pending;
    sheet = std::make_unique<InstallWizard>("Completion");
    sheet->FillCompletion();
    wizard = std::make_unique<CInstallWizard>(*sheet, [] { return false; });
    wizard->Start();
    ASSERT_EQ(Kind(), K::Completion);
    EXPECT_EQ(Text(1025).find("reboot") != std::string::npos, pending) << Text(1025);
  }
  Flags().restartPending = false;
}

TEST_F(TrustTest, TenThousandComponentsAllShow) {
  constexpr int kRows = 10000;
  std::vector<std::string> s = {"[<WelcomeWnd>]",
                                "SkipThis=1",
                                "[<LicenseWnd>]",
                                "SkipThis=1",
                                "[<UserInfoWnd>]",
                                "SkipThis=1",
                                "[<InstSummaryWnd>]",
                                "SkipThis=1",
                                "InstalledType=<CompListWnd>",
                                "[<CompListWnd>]",
                                "nItems=" + std::to_string(kRows)};
  for (int i = 0; i < kRows; ++i)
    s.push_back(std::to_string(i) + "=Part " + std::to_string(i) + " | 1 | " + (i % 2 ? "1" : "0"));
  UseScript(s);
  Open();
  ASSERT_EQ(Kind(), K::SelectComponent);
  CItemListWnd* list = Page<CWZSelectComponent>()->List();
  ASSERT_EQ(list->RowCount(), kRows);
  EXPECT_EQ(Std(list->Label(kRows - 1)->text()), "Part 9999");
  EXPECT_TRUE(list->Checked(kRows - 1));
  EXPECT_FALSE(list->Checked(kRows - 2));
  // The last row can be reached and ticked.
  list->ScrollRequest(CItemListWnd::Scroll::ThumbTrack, list->Maximum());
  Click(list->Button(kRows - 2));
  NextPage();
  EXPECT_EQ(ReadScriptString("<CompListWnd>", std::to_string(kRows - 2)), "Part 9998 | 1 | 1");
}

}  // namespace
}  // namespace vx::test
