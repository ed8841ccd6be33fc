#include "engine/ui/win32/wizard/WizardAutomation.h"

#include "engine/base/Texts.h"
#include "engine/ui/PageAnswers.h"
#include "engine/ui/win32/wizard/InstallWizardWnd.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

namespace {

bool Visible(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Selecting a row is what a click or an arrow key does.
void SelectRow(CItemListWnd& list, int row) {
  ListView_SetItemState(list.Hwnd(), row, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
}

// The sheet's buttons and the current page's controls, as the scripted answers work them. A
// Next the page refuses comes back as a posted message (AnswerStayedPage).
class Win32PageControls : public PageControls {
 public:
  explicit Win32PageControls(CInstallWizard& wizard)
      : wizard_(wizard), host_(wizard.Host()), page_(*wizard.CurrentPage()) {}

  ScriptedAnswer Take() override { return host_.take().value_or(ScriptedAnswer{}); }
  void Record(const std::string& caption, const std::string& text,
              const std::string& answer) override {
    if (host_.record) host_.record(caption, text, answer);
  }
  void Snapshot() override { wizard_.Snapshot(); }
  void PressNext() override { wizard_.Press(PSBTN_NEXT); }
  void PressCancel() override { wizard_.Press(PSBTN_CANCEL); }
  void PressFinish() override { wizard_.Press(PSBTN_FINISH); }

  bool FieldAsked(int field) override { return User().Asked(field); }
  std::string FieldLabel(int field) override {
    return WindowText(page_.Control(kCtlUserNameLabel + field));
  }
  void TypeField(int field, const std::string& value) override {
    SetText(page_.Control(kCtlUserNameEdit + field), value);
  }
  int EmptyField() override { return User().EmptyField(); }

  int TypeCount() override { return TypeList().RowCount(); }
  void PickType(int row) override { SelectRow(TypeList(), row); }

  // Recorded as the headless walk records it: the rows as they stand before the answer.
  std::string ComponentsPrompt() override { return Components().Logic().Listing(); }
  int RowCount() override { return Rows().RowCount(); }
  bool RowEnabled(int row) override { return Rows().Enabled(row); }
  bool RowChecked(int row) override { return Rows().Checked(row); }
  void ToggleRow(int row) override {
    // The row takes the focus and Space ticks it, as from the keyboard.
    SelectRow(Rows(), row);
    SendMessageW(Rows().Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(Rows().Hwnd(), WM_KEYUP, VK_SPACE, 0);
  }
  void TickUninstallAll() override {
    HWND all = page_.Control(kCtlUninstallAll);
    if (SendMessageW(all, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageW(all, BM_CLICK, 0, 0);
  }

  bool PathAsked(int row) override {
    HWND dir = page_.Control(CWZSelectDestination::FolderId(row));
    return Visible(dir) && IsWindowEnabled(dir);
  }
  std::string PathLabel(int row) override {
    return WindowText(page_.Control(CWZSelectDestination::LabelId(row)));
  }
  std::string ShownPath(int row) override {
    return WindowText(page_.Control(CWZSelectDestination::DrivesId(row))) +
           WindowText(page_.Control(CWZSelectDestination::FolderId(row)));
  }
  void PickDrive(int row, const std::string& drive) override {
    // Picking the drive in the list is what the user does; the page hears it as a change.
    HWND drives = page_.Control(CWZSelectDestination::DrivesId(row));
    const std::wstring wide = Wide(drive);
    LRESULT at = SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(wide.c_str()));
    if (at == SendMessageW(drives, CB_GETCURSEL, 0, 0)) return;
    SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    if (at != CB_ERR)
      SendMessageW(page_.Hwnd(), WM_COMMAND,
                   MAKEWPARAM(CWZSelectDestination::DrivesId(row), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(drives));
  }
  void TypeDirectory(int row, const std::string& directory) override {
    SetText(page_.Control(CWZSelectDestination::FolderId(row)), directory);
  }

 private:
  // The page as the window class of its kind: asked for only on that kind.
  CWZUserInfo& User() { return static_cast<CWZUserInfo&>(page_); }
  CItemListWnd& TypeList() { return static_cast<CWZSelectType&>(page_).List(); }
  CWZSelectComponent& Components() { return static_cast<CWZSelectComponent&>(page_); }
  CItemListWnd& Rows() { return Components().List(); }

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
  Win32PageControls controls(wizard);
  AnswerPage(wizard.CurrentPage()->Info(), controls);
}

void AnswerStayedPage(CInstallWizard& wizard) {
  if (wizard.Ended() || !wizard.CurrentPage() || !wizard.Host().scripted) return;
  Win32PageControls controls(wizard);
  vx::AnswerStayedPage(wizard.CurrentPage()->Info(), controls);
}

}  // namespace vx::win32
