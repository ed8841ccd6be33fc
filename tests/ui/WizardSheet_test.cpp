// The wizard's page sequences, first/last page flags and button rules, and the headless walk
// through a filled sheet.
#include "engine/ui/WizardSheet.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/base/Texts.h"
#include "engine/ui/WizardRunner.h"
#include "tests/ui/UiFixture.h"

namespace vx::test {
namespace {

using K = PageKind;

std::vector<PageKind> Kinds(const InstallWizard& w) {
  std::vector<PageKind> out;
  for (const WizardPage& p : w.Pages()) out.push_back(p.kind);
  return out;
}

// A script in which every page is switched off; the install type list, the default
// component list and the destinations section can be given instead, and `extra` lines
// (further sections) are appended.
std::vector<std::string> AllSkipped(std::vector<std::string> types = {"nItems=0"},
                                    std::vector<std::string> components = {"nItems=1",
                                                                           "0=Base | 0 | 1"},
                                    std::vector<std::string> destinations = {"PathWndVisible=0"},
                                    std::vector<std::string> extra = {}) {
  std::vector<std::string> s = {
      "[<WelcomeWnd>]",     "SkipThis=1",      "[<LicenseWnd>]",
      "SkipThis=1",         "[<UserInfoWnd>]", "SkipThis=1",
      "[<InstSummaryWnd>]", "SkipThis=1",      "InstalledType=<CompListWnd>"};
  s.push_back("[<InstTypeListWnd>]");
  s.insert(s.end(), types.begin(), types.end());
  s.push_back("[<CompListWnd>]");
  s.insert(s.end(), components.begin(), components.end());
  s.push_back("[<Destinations>]");
  s.insert(s.end(), {"nItems=1", "InstallPath1=C:\\App"});
  s.insert(s.end(), destinations.begin(), destinations.end());
  s.insert(s.end(), extra.begin(), extra.end());
  return s;
}

class WizardSequence : public UiTest {
 protected:
  std::vector<PageKind> Full(const std::vector<std::string>& script) {
    UseScript(script);
    InstallWizard w("Install Wizard Window");
    w.FillFull();
    finished = w.Finished();
    CheckFlags(w);
    return Kinds(w);
  }
  std::vector<PageKind> Modify(const std::vector<std::string>& script) {
    UseScript(script);
    InstallWizard w("Install Wizard Window");
    w.FillModify();
    finished = w.Finished();
    CheckFlags(w);
    for (const WizardPage& p : w.Pages())
      EXPECT_EQ(p.maintenanceMode, p.kind == K::SelectComponent);
    return Kinds(w);
  }
  // Exactly the first page is first and exactly the last is last, whatever the sequence.
  static void CheckFlags(const InstallWizard& w) {
    const auto& pages = w.Pages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
      EXPECT_EQ(pages[i].isFirstPage, i == 0) << i;
      EXPECT_EQ(pages[i].isLastPage, i + 1 == pages.size()) << i;
    }
  }
  bool finished = false;
};

TEST_F(WizardSequence, EveryPageSkippedFinishesBeforeShowing) {
  EXPECT_TRUE(Full(AllSkipped()).empty());
  EXPECT_TRUE(finished);

  // The same with one install type that hides its components.
  EXPECT_TRUE(Full(AllSkipped({"nItems=1", "0=Typical"}, {"nItems=1"}, {"PathWndVisible=0"},
                              {"[Typical]", "ShowComponents=0"}))
                  .empty());
  EXPECT_TRUE(finished);
}

TEST_F(WizardSequence, AbsentKeysShowWelcomeLicenseUserInfoAndSummary) {
  EXPECT_EQ(Full({"[<General>]", "ProductName=Demo"}),
            (std::vector<PageKind>{K::Welcome, K::Agreement, K::UserInfo, K::Review}));
  EXPECT_FALSE(finished);
}

TEST_F(WizardSequence, SkipThisTwoHidesAllButUserInfo) {
  EXPECT_EQ(Full({"[<WelcomeWnd>]", "SkipThis=2", "[<LicenseWnd>]", "SkipThis=2", "[<UserInfoWnd>]",
                  "SkipThis=2", "[<InstSummaryWnd>]", "SkipThis=2"}),
            (std::vector<PageKind>{K::UserInfo}));
}

TEST_F(WizardSequence, InstallTypesDecideTypeAndComponentPages) {
  const std::vector<std::string> many = {"nItems=5"};
  const std::vector<std::string> noPath = {"PathWndVisible=0"};
  // One type: its ShowComponents alone decides the component page; never a type page.
  EXPECT_TRUE(
      Full(AllSkipped({"nItems=1", "0=Typical"}, many, noPath, {"[Typical]", "ShowComponents=0"}))
          .empty());
  EXPECT_EQ(Full(AllSkipped({"nItems=1", "0=Typical"}, {"nItems=0"}, noPath,
                            {"[Typical]", "ShowComponents=1"})),
            (std::vector<PageKind>{K::SelectComponent}));
  // Two types: the type page, and with it always the component page.
  EXPECT_EQ(Full(AllSkipped({"nItems=2", "0=Typical", "1=Custom"}, {"nItems=0"}, noPath,
                            {"[Typical]", "ShowComponents=0"})),
            (std::vector<PageKind>{K::SelectType, K::SelectComponent}));
  // No types: more than one component in the default list shows the component page.
  EXPECT_TRUE(Full(AllSkipped({"nItems=0"}, {"nItems=1"})).empty());
  EXPECT_EQ(Full(AllSkipped({"nItems=0"}, {"nItems=2"})),
            (std::vector<PageKind>{K::SelectComponent}));
  // A negative count taken as unsigned is a large one.
  EXPECT_EQ(Full(AllSkipped({"nItems=0"}, {"nItems=-1"})),
            (std::vector<PageKind>{K::SelectComponent}));
}

TEST_F(WizardSequence, FullSequenceKeepsSheetOrder) {
  EXPECT_EQ(Full({"[<InstTypeListWnd>]", "nItems=2", "0=Typical", "1=Custom", "[<Destinations>]",
                  "PathWndVisible=1", "[<InstSummaryWnd>]", "SkipThis=0"}),
            (std::vector<PageKind>{K::Welcome, K::Agreement, K::UserInfo, K::SelectType,
                                   K::SelectComponent, K::SelectDestination, K::Review}));
  // The destination page is last when the summary is skipped.
  EXPECT_EQ(Full({"[<WelcomeWnd>]", "SkipThis=1", "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]",
                  "SkipThis=1", "[<Destinations>]", "PathWndVisible=1", "[<InstSummaryWnd>]",
                  "SkipThis=1"}),
            (std::vector<PageKind>{K::SelectDestination}));
}

TEST_F(WizardSequence, ModifyWizardRules) {
  // The default list with more than one component: components, then the summary.
  EXPECT_EQ(Modify({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "SkipThis=0",
                    "[<CompListWnd>]", "nItems=2"}),
            (std::vector<PageKind>{K::SelectComponent, K::Review}));
  EXPECT_EQ(Modify({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "SkipThis=1",
                    "[<CompListWnd>]", "nItems=2"}),
            (std::vector<PageKind>{K::SelectComponent}));
  EXPECT_FALSE(finished);
  // An install type section decides by its ShowComponents, not by its size.
  EXPECT_EQ(Modify({"[<InstSummaryWnd>]", "InstalledType=Custom", "[Custom]", "nItems=1",
                    "ShowComponents=1"}),
            (std::vector<PageKind>{K::SelectComponent, K::Review}));
  // No component page wanted: no summary either, and the wizard ends at once.
  EXPECT_TRUE(Modify({"[<InstSummaryWnd>]", "InstalledType=Custom", "SkipThis=0", "[Custom]",
                      "nItems=5", "ShowComponents=0"})
                  .empty());
  EXPECT_TRUE(finished);
  EXPECT_TRUE(
      Modify({"[<InstSummaryWnd>]", "InstalledType=", "SkipThis=0", "[<CompListWnd>]", "nItems=5"})
          .empty());
  EXPECT_TRUE(finished);
  EXPECT_TRUE(
      Modify({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "[<CompListWnd>]", "nItems=1"})
          .empty());
}

TEST_F(WizardSequence, CompletionWizardHasOnlyItsPageAndStartsUnfinished) {
  UseScript({"[<CompletionWnd>]", "SkipThis=0"});
  InstallWizard w("Completion");
  w.SetFinished(true);
  w.FillCompletion();
  EXPECT_FALSE(w.Finished());
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::Completion}));
  EXPECT_TRUE(w.Pages()[0].isFirstPage);
  EXPECT_TRUE(w.Pages()[0].isLastPage);
  EXPECT_EQ(w.Caption(), "Completion");
}

TEST_F(WizardSequence, TitlesComeFromTheLocaleFile) {
  machine.WriteFile("C:\\Setup\\Fr.lng", "[TEXT]\r\nRes40042=Bienvenue\r\n");
  SetLocaleFile("C:\\Setup\\Fr.lng");
  UseScript({"[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]", "SkipThis=1"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::Welcome, K::Review}));
  EXPECT_EQ(w.Pages()[0].title, "Bienvenue");
  EXPECT_EQ(w.Pages()[1].title, "Summary");
}

// ---- buttons ----

class WizardButtonsTest : public UiTest {};

TEST_F(WizardButtonsTest, FirstPageHasNoBackWhicheverPageItIs) {
  for (PageKind kind : {K::Agreement, K::UserInfo, K::SelectType, K::SelectComponent,
                        K::SelectDestination, K::Review}) {
    WizardPage first{kind, "", true, false};
    WizardPage later{kind, "", false, true};
    EXPECT_FALSE(InstallWizard::ButtonsFor(first).backEnabled) << int(kind);
    EXPECT_TRUE(InstallWizard::ButtonsFor(first).nextEnabled) << int(kind);
    EXPECT_TRUE(InstallWizard::ButtonsFor(later).backEnabled) << int(kind);
    EXPECT_TRUE(InstallWizard::ButtonsFor(later).nextEnabled) << int(kind);
    EXPECT_FALSE(InstallWizard::ButtonsFor(later).finishEnabled) << int(kind);
    EXPECT_TRUE(InstallWizard::ButtonsFor(later).cancelEnabled) << int(kind);
  }
  // The welcome page never offers Back, even when it is not first.
  WizardPage welcome{K::Welcome, "", false, false};
  EXPECT_FALSE(InstallWizard::ButtonsFor(welcome).backEnabled);
  EXPECT_TRUE(InstallWizard::ButtonsFor(welcome).nextEnabled);
}

TEST_F(WizardButtonsTest, OnlyLicenseSaysYesNoAndOnlySummarySaysStart) {
  for (PageKind kind : {K::Welcome, K::Agreement, K::UserInfo, K::SelectType, K::SelectComponent,
                        K::SelectDestination, K::Review, K::Completion}) {
    WizardButtons b = InstallWizard::ButtonsFor(WizardPage{kind, "", false, false});
    EXPECT_EQ(b.backText, "Back");
    const char* next = kind == K::Agreement ? "Yes" : kind == K::Review ? "Start" : "Next";
    EXPECT_EQ(b.nextText, next) << int(kind);
    EXPECT_EQ(b.cancelText, kind == K::Agreement ? "No" : "Cancel") << int(kind);
  }
  // The completion page offers Finish alone, with Cancel disabled.
  WizardButtons b = InstallWizard::ButtonsFor(WizardPage{K::Completion, "", true, true});
  EXPECT_TRUE(b.finishEnabled);
  EXPECT_FALSE(b.nextEnabled || b.backEnabled || b.cancelEnabled);
  EXPECT_EQ(b.finishText, "Finish");
}

// ---- walking the wizard ----

class WizardWalk : public UiTest {
 protected:
  WizardOutcome Walk(InstallWizard& w, std::vector<bool> quitAnswers = {}) {
    return RunWizard(w, *ui, [this, quitAnswers]() mutable {
      ++confirmations;
      bool quit = !quitAnswers.empty() && quitAnswers.front();
      if (!quitAnswers.empty()) quitAnswers.erase(quitAnswers.begin());
      return quit;
    });
  }
  int confirmations = 0;
};

TEST_F(WizardWalk, WizardWithoutPagesShowsNothing) {
  UseScript(AllSkipped());
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  EXPECT_EQ(Walk(w), WizardOutcome::Finished);
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(WizardWalk, NextOnTheLastPageStartsTheInstallWhicheverPageItIs) {
  UseScript(AllSkipped({"nItems=0"}, {"nItems=1"}, {"PathWndVisible=1", "PathEditable1=1"}));
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::SelectDestination}));
  ui->AddAnswer("text:C:\\Elsewhere");
  EXPECT_EQ(Walk(w), WizardOutcome::StartInstall);
  EXPECT_TRUE(w.Finished());
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\Elsewhere");
}

TEST_F(WizardWalk, APathThatCannotBeAFolderIsNamedAndNotWritten) {
  UseScript(AllSkipped({"nItems=0"}, {"nItems=1"},
                       {"PathWndVisible=1", "PathEditable1=1", "InstallPath1=C:\\App"}));
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ui->AddAnswer("text:C:\\Apps\\<bad>");  // a name Windows refuses
  ui->AddAnswer("ok");                    // the message
  ui->AddAnswer("text:C:\\Apps\\Good");   // asked again after No to the quit question
  EXPECT_EQ(Walk(w, {false}), WizardOutcome::StartInstall);
  EXPECT_EQ(confirmations, 1);
  auto shown = ui->Shown();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_NE(shown[1].find("The destination \"C:\\Apps\\<bad>\" cannot be a folder name."),
            std::string::npos)
      << shown[1];
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\Apps\\Good");
}

TEST_F(WizardWalk, TooManyDestinationsAreReportedAndNothingIsWritten) {
  // The destinations section of AllSkipped is replaced by one with eight paths.
  std::vector<std::string> s = AllSkipped({"nItems=0"}, {"nItems=1"}, {});
  s.erase(std::find(s.begin(), s.end(), "[<Destinations>]"), s.end());
  s.insert(s.end(), {"[<Destinations>]", "nItems=8", "PathWndVisible=1", "PathEditable1=1",
                     "InstallPath1=C:\\App"});
  UseScript(s);
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::SelectDestination}));
  ui->AddAnswer("ok");
  EXPECT_EQ(Walk(w), WizardOutcome::StartInstall);
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("Vx Installer supports up to 7 install destinations only. Please "
                          "contact Tessaro Solutions for technical assistance."),
            std::string::npos);
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "C:\\App");
}

TEST_F(WizardWalk, CancelAnsweredNoStaysOnThePage) {
  UseScript({"[<General>]", "ProductName=Demo", "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]",
             "SkipThis=1", "[<InstSummaryWnd>]", "SkipThis=0", "InstalledType=<CompListWnd>"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::Welcome, K::Review}));
  ui->AddAnswer("ok");      // welcome: Next
  ui->AddAnswer("cancel");  // summary: Cancel, then No to the quit question
  ui->AddAnswer("ok");      // summary again: Start
  EXPECT_EQ(Walk(w, {false}), WizardOutcome::StartInstall);
  EXPECT_EQ(confirmations, 1);
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1].substr(0, 8), "Summary ");
  EXPECT_EQ(shown[2].substr(0, 8), "Summary ");
}

TEST_F(WizardWalk, LicenseNoLeadsToTheQuitQuestion) {
  UseScript({"[<WelcomeWnd>]", "SkipThis=1", "[<UserInfoWnd>]", "SkipThis=1", "[<InstSummaryWnd>]",
             "SkipThis=1"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::Agreement}));
  ui->AddAnswer("no");
  EXPECT_EQ(Walk(w, {true}), WizardOutcome::Quit);
  EXPECT_EQ(confirmations, 1);
  EXPECT_FALSE(w.Finished());
}

TEST_F(WizardWalk, CompletionWizardEndsFinished) {
  UseScript({"[<CompletionWnd>]", "MoreInstruct=See {ProductName} docs", "[<General>]",
             "ProductName=Demo"});
  InstallWizard w("Completion");
  w.FillCompletion();
  EXPECT_EQ(Walk(w), WizardOutcome::Finished);
  EXPECT_TRUE(w.Finished());
  auto shown = ui->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("See Demo docs"), std::string::npos) << shown[0];
}

TEST_F(WizardWalk, EmptyUserFieldBlocksUntilFilled) {
  UseScript({"[<General>]", "VendorName=Acme", "ProductName=Demo", "[<WelcomeWnd>]", "SkipThis=1",
             "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]", "SkipThis=0", "AskUserName=1",
             "AskEmail=1", "[<InstSummaryWnd>]", "SkipThis=1"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::UserInfo}));
  ui->AddAnswer("text:Alice");  // name
  ui->AddAnswer("text:");       // e-mail left empty: beep, asked again
  ui->AddAnswer("text:  ");     // blanks count as filled
  EXPECT_EQ(Walk(w), WizardOutcome::StartInstall);
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_EQ(ui->Shown().size(), 3u);
  const std::string key = "Software\\Acme\\Demo\\UserInfo";
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "RegisteredOwner"), "Alice");
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "UserEmail"), "  ");
  EXPECT_EQ(RegString(kHkeyCurrentUser, key, "RegisteredOrganization"), std::nullopt);
}

TEST_F(WizardWalk, ComponentChoiceIsWrittenBackAndLockedRowsStay) {
  UseScript({"[<WelcomeWnd>]", "SkipThis=1", "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]",
             "SkipThis=1", "[<InstSummaryWnd>]", "SkipThis=1", "[<CompListWnd>]", "nItems=3",
             "0=Base | 0 | 1", "1=Docs | 1 | 1", "2=Tools | 1 | 0"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::SelectComponent}));
  ui->AddAnswer("text:2");  // only Tools among the rows the user may change
  EXPECT_EQ(Walk(w), WizardOutcome::StartInstall);
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "<CompListWnd>");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Base | 0 | 1");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Docs | 1 | 0");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "2"), "Tools | 1 | 1");
}

TEST_F(WizardWalk, ModifyWizardUninstallAllWritesNothing) {
  UseScript({"[<InstSummaryWnd>]", "InstalledType=<CompListWnd>", "SkipThis=0", "[<CompListWnd>]",
             "nItems=2", "0=Base | 1 | 1", "1=Docs | 1 | 1"});
  InstallWizard w("Install Wizard Window");
  w.FillModify();
  ui->AddAnswer("text:uninstall-all");
  EXPECT_EQ(Walk(w), WizardOutcome::UninstallAll);
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "0"), "Base | 1 | 1");
  EXPECT_EQ(ReadScriptString("<CompListWnd>", "1"), "Docs | 1 | 1");
  // The summary page was never reached.
  EXPECT_EQ(ui->Shown().size(), 1u);
}

TEST_F(WizardWalk, InstallTypeChoiceIsWritten) {
  UseScript({"[<WelcomeWnd>]", "SkipThis=1", "[<LicenseWnd>]", "SkipThis=1", "[<UserInfoWnd>]",
             "SkipThis=1", "[<InstSummaryWnd>]", "SkipThis=1", "[<InstTypeListWnd>]", "nItems=2",
             "0=Typical", "1=Custom", "[Typical]", "nItems=1", "0=Base | 0 | 1", "[Custom]",
             "nItems=2", "0=Base | 0 | 1", "1=Docs | 1 | 0"});
  InstallWizard w("Install Wizard Window");
  w.FillFull();
  ASSERT_EQ(Kinds(w), (std::vector<PageKind>{K::SelectType, K::SelectComponent}));
  ui->AddAnswer("1");       // Custom
  ui->AddAnswer("text:1");  // tick Docs
  EXPECT_EQ(Walk(w), WizardOutcome::StartInstall);
  EXPECT_EQ(ReadScriptString("<InstSummaryWnd>", "InstalledType"), "Custom");
  EXPECT_EQ(ReadScriptString("Custom", "1"), "Docs | 1 | 1");
  EXPECT_EQ(ReadScriptString("Typical", "0"), "Base | 0 | 1");
}

}  // namespace
}  // namespace vx::test
