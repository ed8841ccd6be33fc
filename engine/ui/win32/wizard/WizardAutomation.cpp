#include "engine/ui/win32/wizard/WizardAutomation.h"

#include <vector>

#include "engine/base/PathOps.h"
#include "engine/base/Texts.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardPages.h"
#include "engine/ui/win32/wizard/InstallWizardWnd.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

namespace {

bool Visible(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

class PageAnswers {
 public:
  explicit PageAnswers(CInstallWizard& wizard)
      : wizard_(wizard), host_(wizard.Host()), page_(*wizard.CurrentPage()) {}

  void Run() {
    const PageRow& row = PageRowOf(page_.Info().kind);
    const std::string& title = page_.Info().title;
    switch (row.rule) {
      case PageAnswerRule::Confirm:
        Confirm(row, title);
        break;
      case PageAnswerRule::Acknowledge:
        Acknowledge(row, title);
        break;
      case PageAnswerRule::Fields:
        UserInfo(static_cast<CWZUserInfo&>(page_), title);
        break;
      case PageAnswerRule::Choice:
        Type(static_cast<CWZSelectType&>(page_), title);
        break;
      case PageAnswerRule::Rows:
        Components(static_cast<CWZSelectComponent&>(page_), title);
        break;
      case PageAnswerRule::Paths:
        Destinations(static_cast<CWZSelectDestination&>(page_), title);
        break;
    }
  }

  void Stayed() {
    if (PageRowOf(page_.Info().kind).rule == PageAnswerRule::Fields) {
      auto& user = static_cast<CWZUserInfo&>(page_);
      const int empty = user.EmptyField();
      if (empty >= 0 && Field(user, empty, user.Info().title)) {
        wizard_.Press(PSBTN_NEXT);
        return;
      }
    }
    wizard_.Press(PSBTN_CANCEL);
  }

 private:
  ScriptedAnswer Take() { return host_.take().value_or(ScriptedAnswer{}); }
  void Record(const std::string& caption, const std::string& text, const std::string& answer) {
    if (host_.record) host_.record(caption, text, answer);
  }
  // True when the run's answers were refused (this one, when `accepts` says what fits).
  bool Refused(const ScriptedAnswer& answer, const std::string& dialog,
               const std::string& accepts) {
    return host_.refused && host_.refused(answer, dialog, accepts);
  }

  // Answered as a message box of the row's type: its agreeing button goes on, any other asks
  // to quit.
  void Confirm(const PageRow& row, const std::string& title) {
    std::string text = row.text();
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> id = MessageBoxAnswer(answer.text, row.answerBox, accepts);
    if (Refused(answer, DialogName(title, text), accepts)) id = ClosingButton(row.answerBox);
    Record(title, text, ButtonWord(*id));
    wizard_.Snapshot();
    wizard_.Press(*id == AgreeingButton(row.answerBox) ? PSBTN_NEXT : PSBTN_CANCEL);
  }

  void Acknowledge(const PageRow& row, const std::string& title) {
    std::string text = row.text();
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> id = MessageBoxAnswer(answer.text, row.answerBox, accepts);
    if (Refused(answer, DialogName(title, text), accepts)) id = ClosingButton(row.answerBox);
    Record(title, text, ButtonWord(*id));
    wizard_.Snapshot();
    wizard_.Press(PSBTN_FINISH);
  }

  void UserInfo(CWZUserInfo& page, const std::string& title) {
    for (int i = 0; i < 3; ++i)
      if (page.Asked(i)) Field(page, i, title);
    if (Refused({}, "", "")) {
      wizard_.Press(PSBTN_CANCEL);
      return;
    }
    wizard_.Snapshot();
    wizard_.Press(PSBTN_NEXT);
  }
  // Types the answer into the field; false when the answer was no text and no OK.
  bool Field(CWZUserInfo& page, int i, const std::string& title) {
    HWND edit = page.Control(kCtlUserNameEdit + i);
    std::string label = WindowText(page.Control(kCtlUserNameLabel + i));
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title, label), accepts)) taken = TextAnswer{};
    if (taken->value) SetText(edit, *taken->value);
    Record(title, label, !taken->ok ? "cancel" : taken->value ? "text:" + *taken->value : "ok");
    return taken->ok;
  }

  void Type(CWZSelectType& page, const std::string& title) {
    CItemListWnd& list = page.List();
    const std::string prompt = LoadText(TextId::SelectType);
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> choice =
        ListAnswer(answer.text, list.RowCount(), list.RowCount() > 0 ? 0 : -1, accepts);
    if (Refused(answer, DialogName(title, prompt), accepts)) choice = -1;
    Record(title, prompt, *choice < 0 ? "cancel" : std::to_string(*choice));
    // Selecting the row is what a click or an arrow key does.
    if (*choice >= 0)
      ListView_SetItemState(list.Hwnd(), *choice, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
    wizard_.Snapshot();
    wizard_.Press(*choice < 0 ? PSBTN_CANCEL : PSBTN_NEXT);
  }

  void Components(CWZSelectComponent& page, const std::string& title) {
    CItemListWnd& list = page.List();
    // Recorded as the headless walk records it: the rows as they stand before the answer.
    const std::string prompt = page.Logic().Listing();
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title, prompt), accepts)) {
      Record(title, prompt, "cancel");
      wizard_.Press(PSBTN_CANCEL);
      return;
    }
    // Without a value (ok, cancel, the default) the ticks stay as they are.
    std::optional<std::string> value = taken->ok ? taken->value : std::nullopt;
    Record(title, prompt, !taken->ok ? "cancel" : value ? "text:" + *value : "ok");
    if (value && page.Info().maintenanceMode && *value == "uninstall-all") {
      HWND all = page.Control(kCtlUninstallAll);
      if (SendMessageW(all, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageW(all, BM_CLICK, 0, 0);
    } else if (value) {
      std::optional<std::vector<int>> rows = RowsAnswer(*value, list.RowCount(), accepts);
      if (!rows) {
        if (page.Info().maintenanceMode) accepts += " or text:uninstall-all";
        Refused(answer, title, accepts);
        wizard_.Press(PSBTN_CANCEL);
        return;
      }
      std::vector<bool> want(static_cast<std::size_t>(list.RowCount()), false);
      for (int i : *rows) want[static_cast<std::size_t>(i)] = true;
      for (int i = 0; i < list.RowCount(); ++i) {
        if (!list.Enabled(i) || list.Checked(i) == want[static_cast<std::size_t>(i)]) continue;
        // The row takes the focus and Space ticks it, as from the keyboard.
        ListView_SetItemState(list.Hwnd(), i, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageW(list.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
        SendMessageW(list.Hwnd(), WM_KEYUP, VK_SPACE, 0);
      }
    }
    wizard_.Snapshot();
    wizard_.Press(PSBTN_NEXT);
  }

  void Destinations(CWZSelectDestination& page, const std::string& title) {
    for (int n = 0; n < CWZSelectDestination::kRows; ++n) {
      HWND dir = page.Control(CWZSelectDestination::FolderId(n));
      HWND drives = page.Control(CWZSelectDestination::DrivesId(n));
      if (!Visible(dir) || !IsWindowEnabled(dir)) continue;
      std::string label = WindowText(page.Control(CWZSelectDestination::LabelId(n)));
      ScriptedAnswer answer = Take();
      std::string accepts;
      std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
      if (Refused(answer, DialogName(title, label), accepts)) {
        Record(title, label, "cancel");
        wizard_.Press(PSBTN_CANCEL);
        return;
      }
      if (!taken->ok || !taken->value) {
        Record(title, label, taken->ok ? "ok" : "cancel");
        continue;
      }
      const std::string& value = *taken->value;
      Record(title, label, "text:" + value);
      std::string drive, directory;
      SplitDrivePath(value, drive, directory);
      const std::string shown = WindowText(drives) + WindowText(dir);
      if (value != shown && Trim(directory).empty()) {
        // The wizard's own check: a destination is a folder, never a drive's root or nothing.
        Refused(answer, title + ": " + label, kFolderAnswerAccepts);
        wizard_.Press(PSBTN_CANCEL);
        return;
      }
      // Picking the drive in the list is what the user does; the page hears it as a change.
      const std::wstring wide = Wide(drive);
      LRESULT at = SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(wide.c_str()));
      if (at != SendMessageW(drives, CB_GETCURSEL, 0, 0)) {
        SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        if (at != CB_ERR)
          SendMessageW(page.Hwnd(), WM_COMMAND,
                       MAKEWPARAM(CWZSelectDestination::DrivesId(n), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(drives));
      }
      SetText(dir, directory);
    }
    wizard_.Snapshot();
    wizard_.Press(PSBTN_NEXT);
  }

  CInstallWizard& wizard_;
  const WizardHost& host_;
  CWZPage& page_;
};

}  // namespace

void AnswerCurrentPage(CInstallWizard& wizard) {
  if (wizard.Ended() || !wizard.CurrentPage()) return;
  const WizardHost& host = wizard.Host();
  if (!host.scripted || !host.take) {
    // The user answers: only the picture.
    wizard.Snapshot();
    return;
  }
  PageAnswers(wizard).Run();
}

void AnswerStayedPage(CInstallWizard& wizard) {
  if (wizard.Ended() || !wizard.CurrentPage() || !wizard.Host().scripted) return;
  PageAnswers(wizard).Stayed();
}

}  // namespace vx::win32
