// The wizard window: its buttons on every page kind wherever it stands, Back and Next keeping
// what was entered, Cancel as the quit question, Enter, Escape and Tab.
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "engine/base/Texts.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/NoHighlightEditor.h"
#include "tests/qtwizard/QtWizardFixture.h"
#include "engine/ui/ControlIds.h"

namespace vx::test {
namespace {

using K = PageKind;

// Every page of the full wizard: two install types, a user information page asking name and
// company, two destinations; `extra` lines replace nothing and are appended.
std::vector<std::string> EveryPage(std::vector<std::string> extra = {}) {
  std::vector<std::string> s = {"[<General>]",
                                "ProductName=Demo",
                                "VendorName=Acme",
                                "[<LicenseWnd>]",
                                "LicenseFile=C:\\Setup\\License.txt",
                                "[<UserInfoWnd>]",
                                "AskUserName=1",
                                "AskCompany=1",
                                "[<InstTypeListWnd>]",
                                "nItems=2",
                                "0=Typical",
                                "1=Custom",
                                "[Typical]",
                                "Description=Most users",
                                "nItems=1",
                                "0=Base | 0 | 1",
                                "[Custom]",
                                "Description=Pick and choose",
                                "nItems=2",
                                "0=Base | 0 | 1",
                                "1=Docs | 1 | 0",
                                "[Base]",
                                "ComponentSize=1024",
                                "[Docs]",
                                "ComponentSize=2048",
                                "[<Destinations>]",
                                "PathWndVisible=1",
                                "nItems=2",
                                "Description1=Program:",
                                "InstallPath1=C:\\Program Files\\Demo",
                                "PathEditable1=1",
                                "Description2=Data:",
                                "InstallPath2=C:\\Data",
                                "PathEditable2=1",
                                "[<InstSummaryWnd>]",
                                "InstalledType="};
  s.insert(s.end(), extra.begin(), extra.end());
  return s;
}

class WizardWindow : public QtWizardTest {
 protected:
  void SetUp() override { machine.WriteFile("C:\\Setup\\License.txt", "Terms\r\nMore terms"); }
  // The visible buttons and their texts, as "Back|Next|Cancel" with disabled ones in [].
  std::string Buttons() const {
    std::string out;
    for (int id : {CInstallWizard::kBackId, CInstallWizard::kNextId, CInstallWizard::kFinishId,
                   CInstallWizard::kCancelId}) {
      QPushButton* b = Button(id);
      if (!b->isVisible()) continue;
      std::string t = Std(b->text().remove(QLatin1Char('&')));
      out += (out.empty() ? "" : "|") + (b->isEnabled() ? t : "[" + t + "]");
    }
    return out;
  }
};

TEST_F(WizardWindow, ButtonsOfEveryPageKindWhereverItStands) {
  UseMerged(EveryPage());
  Open();
  ASSERT_TRUE(wizard->isVisible());
  const std::pair<K, std::string> expected[] = {{K::Welcome, "Next|Cancel"},
                                                {K::Agreement, "Back|Yes|No"},
                                                {K::UserInfo, "Back|Next|Cancel"},
                                                {K::SelectType, "Back|Next|Cancel"},
                                                {K::SelectComponent, "Back|Next|Cancel"},
                                                {K::SelectDestination, "Back|Next|Cancel"},
                                                {K::Review, "Back|Start|Cancel"}};
  for (const auto& [kind, buttons] : expected) {
    ASSERT_EQ(Kind(), kind);
    EXPECT_EQ(Buttons(), buttons) << static_cast<int>(kind);
    EXPECT_EQ(Std(wizard->windowTitle()), LoadText(InstallWizard::TitleId(kind)));
    if (kind == K::UserInfo) {
      Type(Page<CWZUserInfo>()->Edit(0), "Ann");
      Type(Page<CWZUserInfo>()->Edit(1), "Acme");
    }
    NextPage();
  }
  // Start on the summary ends the wizard and starts the installation.
  EXPECT_TRUE(wizard->Ended());
  EXPECT_EQ(wizard->Outcome(), WizardOutcome::StartInstall);
  EXPECT_TRUE(sheet->Finished());
  EXPECT_FALSE(wizard->isVisible());

  // The license first: no Back; the destination last: its Next starts the installation.
  UseMerged(EveryPage({"[<WelcomeWnd>]", "SkipThis=1", "[<UserInfoWnd>]", "SkipThis=1",
                       "[<InstTypeListWnd>]", "nItems=0", "[<CompListWnd>]", "nItems=0",
                       "[<InstSummaryWnd>]", "SkipThis=1"}));
  Open();
  EXPECT_EQ(Kind(), K::Agreement);
  EXPECT_EQ(Buttons(), "Yes|No");
  NextPage();
  EXPECT_EQ(Kind(), K::SelectDestination);
  EXPECT_EQ(Buttons(), "Back|Next|Cancel");
  NextPage();
  EXPECT_EQ(wizard->Outcome(), WizardOutcome::StartInstall);

  // The completion wizard: Finish only, Cancel disabled, and Escape does nothing.
  UseScript({"[<CompletionWnd>]", "MoreInstruct=Enjoy {ProductName}.", "[<General>]",
             "ProductName=Demo"});
  sheet = std::make_unique<InstallWizard>("Completion");
  sheet->FillCompletion();
  wizard = std::make_unique<CInstallWizard>(*sheet, [] { return true; });
  wizard->Start();
  Activate(wizard.get());
  EXPECT_EQ(Buttons(), "Finish|[Cancel]");
  EXPECT_EQ(Text(kCtlCompletionMore), "Enjoy Demo.");
  QTest::keyClick(wizard.get(), Qt::Key_Escape);
  EXPECT_FALSE(wizard->Ended());
  QTest::keyClick(wizard.get(), Qt::Key_Return);
  EXPECT_EQ(wizard->Outcome(), WizardOutcome::Finished);
  EXPECT_TRUE(sheet->Finished());
}

TEST_F(WizardWindow, BackAndNextKeepEveryEntryAndTheSummaryFollows) {
  UseMerged(EveryPage());
  Open();
  NextPage();  // welcome
  NextPage();  // license
  Type(Page<CWZUserInfo>()->Edit(0), "Ann");
  Type(Page<CWZUserInfo>()->Edit(1), "Acme");
  NextPage();
  // Custom, then on to the summary with a new data folder.
  Click(Page<CWZSelectType>()->List()->Button(1));
  EXPECT_EQ(Text(kCtlTypeDescription), "Pick and choose");
  NextPage();
  Click(Page<CWZSelectComponent>()->List()->Button(1));
  NextPage();
  Type(Page<CWZSelectDestination>()->Directory(1), "Other");
  NextPage();
  ASSERT_EQ(Kind(), K::Review);
  std::string summary = Std(Page<CWZReview>()->Summary()->toPlainText());
  EXPECT_NE(summary.find("Custom\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Docs\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("C:\\Other"), std::string::npos) << summary;

  // Back through every page: everything as it was left.
  Press(CInstallWizard::kBackId);
  EXPECT_EQ(Std(Page<CWZSelectDestination>()->Directory(1)->text()), "Other");
  Press(CInstallWizard::kBackId);
  EXPECT_TRUE(Page<CWZSelectComponent>()->List()->Checked(1));
  Press(CInstallWizard::kBackId);
  EXPECT_TRUE(Page<CWZSelectType>()->List()->Checked(1));
  // Back to Typical: the summary, visited again, shows it.
  Click(Page<CWZSelectType>()->List()->Button(0));
  Press(CInstallWizard::kBackId);
  EXPECT_EQ(Std(Page<CWZUserInfo>()->Edit(0)->text()), "Ann");
  EXPECT_EQ(Std(Page<CWZUserInfo>()->Edit(1)->text()), "Acme");
  for (int i = 0; i < 4; ++i) NextPage();
  ASSERT_EQ(Kind(), K::Review);
  summary = Std(Page<CWZReview>()->Summary()->toPlainText());
  EXPECT_NE(summary.find("Install type:\n\tTypical\n"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("Docs"), std::string::npos) << summary;
  NextPage();
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "Typical");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath2"), "C:\\Other");
  EXPECT_EQ(RegString(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo", "RegisteredOwner"),
            "Ann");
}

TEST_F(WizardWindow, CancelEscapeAndCloseBoxAskToQuitAndNoKeepsThePage) {
  UseMerged(EveryPage());
  Open();
  NextPage();
  NextPage();
  Type(Page<CWZUserInfo>()->Edit(0), "Ann");
  quitAnswers = {false, false, false};
  Press(CInstallWizard::kCancelId);
  QTest::keyClick(wizard.get(), Qt::Key_Escape);
  wizard->close();
  EXPECT_EQ(confirmations, 3);
  EXPECT_FALSE(wizard->Ended());
  EXPECT_TRUE(wizard->isVisible());
  EXPECT_EQ(Kind(), K::UserInfo);
  EXPECT_EQ(Std(Page<CWZUserInfo>()->Edit(0)->text()), "Ann");
  // The license page's No is its Cancel.
  Press(CInstallWizard::kBackId);
  quitAnswers = {true};
  Press(CInstallWizard::kCancelId);
  EXPECT_EQ(confirmations, 4);
  EXPECT_EQ(wizard->Outcome(), WizardOutcome::Quit);
  EXPECT_FALSE(wizard->isVisible());
}

TEST_F(WizardWindow, KeyboardEnterTabAndArrows) {
  UseMerged(EveryPage());
  Open();
  QTest::keyClick(wizard.get(), Qt::Key_Return);  // Next is the default button
  EXPECT_EQ(Kind(), K::Agreement);
  // The license text takes the focus first, with nothing selected.
  auto* license = Page<CWZAgreement>()->License();
  EXPECT_TRUE(license->hasFocus());
  EXPECT_FALSE(license->textCursor().hasSelection());
  EXPECT_EQ(Std(license->toPlainText()), "Terms\nMore terms");
  QTest::keyClick(wizard.get(), Qt::Key_Return);
  ASSERT_EQ(Kind(), K::UserInfo);
  // Tab walks the page's controls in order, then the buttons.
  QLineEdit* name = Page<CWZUserInfo>()->Edit(0);
  EXPECT_TRUE(name->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Page<CWZUserInfo>()->Edit(1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button(CInstallWizard::kBackId));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button(CInstallWizard::kNextId));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button(CInstallWizard::kCancelId));
  Type(name, "Ann");
  Type(Page<CWZUserInfo>()->Edit(1), "Acme");
  QTest::keyClick(Page<CWZUserInfo>()->Edit(1), Qt::Key_Return);
  ASSERT_EQ(Kind(), K::SelectType);
  // Arrows move the choice in the radio list.
  CItemListWnd* list = Page<CWZSelectType>()->List();
  list->Button(0)->setFocus();
  QTest::keyClick(list->Button(0), Qt::Key_Down);
  EXPECT_TRUE(list->Button(1)->hasFocus());
  EXPECT_TRUE(list->Checked(1));
  EXPECT_EQ(Text(kCtlTypeDescription), "Pick and choose");
  QTest::keyClick(list->Button(1), Qt::Key_Up);
  EXPECT_TRUE(list->Checked(0));
  EXPECT_EQ(Text(kCtlTypeDescription), "Most users");
}

TEST_F(WizardWindow, EveryControlFitsItsPageAndCanBeNamed) {
  UseMerged(EveryPage());
  Open();
  while (!wizard->Ended()) {
    CWZPage* page = wizard->CurrentPage();
    for (QWidget* w : page->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(page) || w->parentWidget() != page) continue;
      EXPECT_TRUE(page->rect().contains(w->geometry())) << Std(w->objectName());
      if (w->focusPolicy() & Qt::TabFocus) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << Std(w->objectName());
      }
    }
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
      if (b->isVisibleTo(page)) {
        EXPECT_FALSE(b->accessibleName().isEmpty()) << Std(b->objectName());
      }
    }
    if (Kind() == K::UserInfo) {
      Type(Page<CWZUserInfo>()->Edit(0), "Ann");
      Type(Page<CWZUserInfo>()->Edit(1), "Acme");
    }
    NextPage();
  }
}

}  // namespace
}  // namespace vx::test

namespace vx::test {
namespace {

TEST_F(WizardWindow, CompletionAskedByAWorkerShowsOnTheInterfaceThreadUntilFinish) {
  UseScript({"[<CompletionWnd>]", "MoreInstruct=Done."});
  std::atomic<bool> done{false};
  std::atomic<int> outcome{-1};
  // The install thread asks for the completion wizard and waits for its Finish.
  std::thread worker([&] {
    InstallWizard completion("Completion");
    completion.FillCompletion();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] { outcome = static_cast<int>(RunQtWizard(completion, [] { return true; })); },
        Qt::BlockingQueuedConnection);
    done = true;
  });
  // The interface thread's loop finds the window, sees the worker still waiting, and
  // presses Finish.
  bool seenWhileWaiting = false;
  QTimer finder;
  QObject::connect(&finder, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* c = dynamic_cast<CInstallWizard*>(w); c && c->isVisible() && !c->Ended()) {
        seenWhileWaiting = !done;
        Click(c->Button(CInstallWizard::kFinishId));
      }
  });
  finder.start(10);
  for (int i = 0; i < 500 && !done; ++i) QTest::qWait(10);
  worker.join();
  EXPECT_TRUE(seenWhileWaiting);
  EXPECT_EQ(outcome, static_cast<int>(WizardOutcome::Finished));
}

}  // namespace
}  // namespace vx::test
