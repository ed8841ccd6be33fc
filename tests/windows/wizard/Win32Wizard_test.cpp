// The native wizard under a real window system: the same answers given to the headless walk
// and to the property sheet's pages leave the same script and registry values, refusals and
// quit questions included; every page is made from its template with the controls the pages
// look up.
#include <windows.h>
// The engine's registry call, not the Windows macro of the same name.
#undef RegDeleteKey
#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "engine/base/RegistryHelpers.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardRunner.h"
#include "engine/ui/win32/wizard/Win32Wizard.h"
#include "platform/Registry.h"
#include "tests/windows/wizard/SampleProduct.h"

namespace vx::test {
namespace {

constexpr char kUserKey[] = "Software\\Acme\\Demo\\UserInfo";

class NativeWizard : public ::testing::Test {
 protected:
  struct Result {
    WizardOutcome outcome;
    std::string script;
    std::string owner, company;
    int quitQuestions = 0;
    std::size_t dialogs = 0;
    std::string refusal;
  };

  Result Run(bool native, const std::vector<std::string>& answers, std::deque<bool> quit) {
    const std::string folder = TestFolder("vxwizard");
    std::vector<std::string> lines = SampleScript(folder);
    // The modify wizard of an installation of the Custom type.
    if (modify)
      for (std::string& l : lines)
        if (l == "InstalledType=") l = "InstalledType=Custom";
    const std::string script = UseSampleScript(folder, lines);
    RegDeleteKey(kHkeyCurrentUser, kUserKey);
    Result r;
    auto confirm = [&] {
      ++r.quitQuestions;
      bool q = quit.empty() || quit.front();
      if (!quit.empty()) quit.pop_front();
      return q;
    };
    InstallWizard sheet("Install Wizard Window");
    if (modify)
      sheet.FillModify();
    else
      sheet.FillFull();
    auto ui = std::make_unique<HeadlessUi>(native ? std::vector<std::string>{} : answers, false);
    HeadlessUi* headless = ui.get();
    SetUi(std::move(ui));
    ResetAnswerRefusal();
    SetAnswerRefusalHandler(nullptr);
    testing::internal::CaptureStderr();
    if (native) {
      AnswerQueue queue;
      for (const std::string& a : answers) queue.Add(a);
      win32::WizardHost host;
      host.instance = GetModuleHandleA(nullptr);
      host.scripted = true;
      host.take = [&queue]() -> std::optional<ScriptedAnswer> { return queue.Take(); };
      host.record = [&r](const std::string&, const std::string&, const std::string&) {
        ++r.dialogs;
      };
      host.confirmQuit = confirm;
      r.outcome = win32::RunWin32Wizard(host, sheet);
    } else {
      r.outcome = RunWizard(sheet, *headless, confirm);
      r.dialogs = headless->Shown().size();
    }
    r.refusal = testing::internal::GetCapturedStderr();
    ResetAnswerRefusal();
    r.script = ReadWholeFile(script);
    ReadRegistryString(kHkeyCurrentUser, kUserKey, "RegisteredOwner", r.owner);
    ReadRegistryString(kHkeyCurrentUser, kUserKey, "RegisteredOrganization", r.company);
    return r;
  }

  // Returns the native run's result.
  Result ExpectSame(const std::vector<std::string>& answers, std::deque<bool> quit = {}) {
    Result h = Run(false, answers, quit);
    Result n = Run(true, answers, quit);
    EXPECT_EQ(n.outcome, h.outcome);
    EXPECT_EQ(n.script, h.script);
    EXPECT_EQ(n.owner, h.owner);
    EXPECT_EQ(n.company, h.company);
    EXPECT_EQ(n.quitQuestions, h.quitQuestions);
    EXPECT_EQ(n.dialogs, h.dialogs);
    EXPECT_EQ(n.refusal, h.refusal);
    return n;
  }
  bool modify = false;
};

TEST_F(NativeWizard, SameAnswersSameResultAsHeadless) {
  // Every page answered: the Custom type, only Docs ticked, another program folder.
  ExpectSame({"ok", "yes", "text:Ann", "text:Acme", "1", "text:1", "text:C:\\Apps\\Demo", "ok"});
  // Declined license, No to quitting, then an empty name asked again; defaults elsewhere.
  ExpectSame({"ok", "no", "yes", "text:", "text:Acme", "text:Bea", "", "", "", "ok"}, {false});
  // Cancel on the install type, confirmed.
  ExpectSame({"ok", "yes", "text:A", "text:B", "cancel"}, {true});
  // Answers running out end with the quit question's default.
  ExpectSame({"ok", "yes", "text:", "text:"});
}

TEST_F(NativeWizard, ModifyWizardTicksRowsOrUninstallsAll) {
  modify = true;
  EXPECT_EQ(ExpectSame({"text:1,2", "ok"}).outcome, WizardOutcome::StartInstall);
  // "Uninstall all" is ticked through its check box; nothing is written.
  EXPECT_EQ(ExpectSame({"text:uninstall-all"}).outcome, WizardOutcome::UninstallAll);
}

TEST_F(NativeWizard, AnswersThatDoNotFitAreRefusedAlike) {
  const std::vector<std::vector<std::string>> cases = {
      {"ok", "maybe"},
      {"ok", "yes", "sure"},
      {"ok", "yes", "text:A", "text:B", "2"},
      {"ok", "yes", "text:A", "text:B", "1", "text:0,3"},
      {"ok", "yes", "text:A", "text:B", "1", "text:1", "text:C:"},
  };
  for (const auto& answers : cases) {
    Result n = ExpectSame(answers);
    EXPECT_EQ(n.outcome, WizardOutcome::Quit);
    EXPECT_EQ(n.quitQuestions, 0);
    EXPECT_NE(n.refusal.find("VX_ANSWERS line " + std::to_string(answers.size()) + ": \"" +
                             answers.back() + "\" does not fit"),
              std::string::npos)
        << n.refusal;
  }
}

}  // namespace
}  // namespace vx::test
