// The same answers given to the headless wizard and to the real pages leave the same script
// and the same registry values, refusals and quit questions included.
#include "engine/ui/WizardRunner.h"
#include "engine/ui/qt/wizard/WizardAutomation.h"
#include "tests/qtwizard/QtWizardFixture.h"

namespace vx::test {
namespace {

class ScriptedWizard : public QtWizardTest {
 protected:
  struct Result {
    WizardOutcome outcome;
    std::string script;
    std::optional<std::string> owner, company;
    int quitQuestions = 0;
    std::size_t dialogs = 0;
    std::string refusal;  // what a refused answer printed
  };
  static std::vector<std::string> Script() {
    return {"[<General>]",
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
            "nItems=1",
            "0=Base | 0 | 1",
            "[Custom]",
            "nItems=3",
            "0=Base | 0 | 1",
            "1=Docs | 1 | 0",
            "2=Tools | 1 | 1",
            "[<Destinations>]",
            "PathWndVisible=1",
            "nItems=2",
            "Description1=Program:",
            "InstallPath1=C:\\Program Files\\Demo",
            "PathEditable1=1",
            "Description2=Data:",
            "InstallPath2=C:\\Data",
            "PathEditable2=0",
            "[<InstSummaryWnd>]",
            "InstalledType="};
  }
  // Runs a fresh copy of the script through the headless walk or the Qt pages.
  Result Run(bool qt, const std::vector<std::string>& answers, std::deque<bool> quit) {
    machine.WriteFile("C:\\Setup\\License.txt", "Terms");
    UseScript(Script());
    RegDeleteKey(kHkeyCurrentUser, kUserKey);
    Result r;
    auto confirm = [&] {
      ++r.quitQuestions;
      bool q = quit.empty() || quit.front();
      if (!quit.empty()) quit.pop_front();
      return q;
    };
    InstallWizard sheet("Install Wizard Window");
    sheet.FillFull();
    ResetAnswerRefusal();
    testing::internal::CaptureStderr();
    if (qt) {
      AnswerQueue queue;
      for (const std::string& a : answers) queue.Add(a);
      WizardScript script;
      script.scripted = true;
      script.take = [&queue]() -> std::optional<ScriptedAnswer> { return queue.Take(); };
      script.record = [&r](const std::string&, const std::string&, const std::string&) {
        ++r.dialogs;
      };
      r.outcome = RunQtWizard(sheet, confirm, nullptr, script);
    } else {
      ui = UseHeadlessUi(answers);  // answers numbered from line 1, as the Qt run's
      r.outcome = RunWizard(sheet, *ui, confirm);
      r.dialogs = ui->Shown().size();
    }
    r.refusal = testing::internal::GetCapturedStderr();
    ResetAnswerRefusal();
    r.script = machine.ReadFile("C:\\Setup\\App.inf");
    r.owner = RegString(kHkeyCurrentUser, kUserKey, "RegisteredOwner");
    r.company = RegString(kHkeyCurrentUser, kUserKey, "RegisteredOrganization");
    return r;
  }
  void ExpectSame(const std::vector<std::string>& answers, std::deque<bool> quit = {}) {
    Result h = Run(false, answers, quit);
    Result q = Run(true, answers, quit);
    EXPECT_EQ(q.outcome, h.outcome);
    EXPECT_EQ(q.script, h.script);
    EXPECT_EQ(q.owner, h.owner);
    EXPECT_EQ(q.company, h.company);
    EXPECT_EQ(q.quitQuestions, h.quitQuestions);
    EXPECT_EQ(q.dialogs, h.dialogs);
    EXPECT_EQ(q.refusal, h.refusal);
  }
  static constexpr char kUserKey[] = "Software\\Acme\\Demo\\UserInfo";
};

TEST_F(ScriptedWizard, SameAnswersSameResultAsHeadless) {
  // Every page answered.
  ExpectSame({"ok", "yes", "text:Ann", "text:Acme", "1", "text:1", "text:C:\\Apps\\Demo", "ok"});
  // Declined license, No to quitting, then an empty name asked again; defaults elsewhere.
  ExpectSame({"ok", "no", "yes", "text:", "text:Acme", "text:Bea", "", "", "", "ok"}, {false});
  // Cancel on the install type, confirmed.
  ExpectSame({"ok", "yes", "text:A", "text:B", "cancel"}, {true});
  // Answers running out end with the quit question's default.
  ExpectSame({"ok", "yes", "text:", "text:"});
}

TEST_F(ScriptedWizard, AnswersThatDoNotFitAreRefusedAlike) {
  // A word the license does not know, a word on a field, an index past the types, a row that
  // does not exist, a destination without a folder: each ends the run at once, no quit
  // question, with the same line.
  const std::vector<std::vector<std::string>> cases = {
      {"ok", "maybe"},
      {"ok", "yes", "sure"},
      {"ok", "yes", "text:A", "text:B", "2"},
      {"ok", "yes", "text:A", "text:B", "1", "text:0,3"},
      {"ok", "yes", "text:A", "text:B", "1", "text:1", "text:C:"},
  };
  for (const auto& answers : cases) {
    Result h = Run(false, answers, {});
    EXPECT_EQ(h.outcome, WizardOutcome::Quit);
    EXPECT_EQ(h.quitQuestions, 0);
    EXPECT_NE(h.refusal.find("VX_ANSWERS line " + std::to_string(answers.size()) + ": \"" +
                             answers.back() + "\" does not fit"),
              std::string::npos)
        << h.refusal;
    ExpectSame(answers);
  }
}

}  // namespace
}  // namespace vx::test
