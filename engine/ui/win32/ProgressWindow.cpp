#include "engine/ui/win32/ProgressWindow.h"

#include <algorithm>

#include "engine/base/Texts.h"
#include "engine/ui/DialogAnswers.h"
#include "engine/ui/win32/ResourceIds.h"
#include "engine/ui/win32/UiThread.h"

namespace vx::win32 {

namespace {

constexpr int kBarMax = 100;

const char* KindName(ProgressKind kind) {
  switch (kind) {
    case ProgressKind::Preparation:
      return "preparation";
    case ProgressKind::Uninstall:
      return "uninstall";
    case ProgressKind::Transfer:
      break;
  }
  return "progress";
}

bool SameText(HWND item, const std::string& text) { return WindowText(item) == text; }

}  // namespace

ProgressWindow::ProgressWindow(Automation& automation, ProgressKind kind, const std::string& title,
                               HWND owner)
    : Dialog(automation, KindName(kind)), progress_(kind) {
  dragByBody_ = true;
  Create(kind == ProgressKind::Preparation ? VX_IDD_PREPARATION : VX_IDD_PROGRESS, owner);
  if (hwnd_ == nullptr) return;
  vx::win32::SetText(hwnd_, title);
  SendMessageW(Item(VX_IDC_BAR), PBM_SETRANGE32, 0, kBarMax);
  SendMessageW(Item(VX_IDC_BAR), PBM_SETSTEP, 1, 0);
  SendMessageW(Item(VX_IDC_BAR), PBM_SETPOS, 0, 0);
  if (kind != ProgressKind::Preparation) SetItemText(hwnd_, IDCANCEL, LoadText(TextId::Cancel));
  // The template's first heading belongs to the transfer; the uninstall writes its own.
  if (kind == ProgressKind::Uninstall) SetItemText(hwnd_, VX_IDC_LINE1, "");
}

bool ProgressWindow::OnCommand(int id, int) {
  // Neither Esc nor the close box ends a phase: only the Cancel button asks for a stop.
  if (id != IDCANCEL) return false;
  if (progress_ != ProgressKind::Preparation && IsWindowVisible(Item(IDCANCEL)) &&
      IsWindowEnabled(Item(IDCANCEL)) && GetKeyState(VK_ESCAPE) >= 0 && onCancel)
    onCancel();
  return true;
}

void ProgressWindow::Changed() {
  if (hwnd_ && IsWindowVisible(hwnd_)) automation_.SnapshotSoon(hwnd_, kind_);
}

void ProgressWindow::SetHeading(const std::string& text) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr || SameText(Item(VX_IDC_LINE1), text)) return;
  SetItemText(hwnd_, VX_IDC_LINE1, text);
  Changed();
}

void ProgressWindow::SetDetail(const std::string& text) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr) return;
  if (progress_ == ProgressKind::Preparation) {
    // The preparation dialog has one line: the status.
    if (!text.empty()) SetHeading(text);
    return;
  }
  if (SameText(Item(VX_IDC_LINE2), text)) return;
  SetItemText(hwnd_, VX_IDC_LINE2, text);
  Changed();
}

void ProgressWindow::SetPosition(int percent) {
  ExpectInterfaceThread();
  if (hwnd_) SendMessageW(Item(VX_IDC_BAR), PBM_SETPOS, WPARAM(std::clamp(percent, 0, kBarMax)), 0);
}

void ProgressWindow::HideCancel() {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr || Item(IDCANCEL) == nullptr) return;
  if (!IsWindowEnabled(Item(IDCANCEL))) return;
  EnableWindow(Item(IDCANCEL), FALSE);
  ::ShowWindow(Item(IDCANCEL), SW_HIDE);
  // The window ends below the bar then.
  RECT bar, button;
  GetWindowRect(Item(VX_IDC_BAR), &bar);
  GetWindowRect(Item(IDCANCEL), &button);
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top - (button.bottom - bar.bottom), SWP_NOMOVE | SWP_NOZORDER);
}

void ProgressWindow::ShowWindow(bool visible) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr || visible == bool(IsWindowVisible(hwnd_))) return;
  if (!visible) {
    ::ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  FitOnScreen(hwnd_);
  ::ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  // Now: a phase run on the interface thread (the uninstall) takes no messages until it ends.
  automation_.Snapshot(hwnd_, kind_);
}

SearchDialog::SearchDialog(Automation& automation, const std::string& title, HWND owner)
    : Dialog(automation, "search"), title_(title) {
  dragByBody_ = true;
  Create(VX_IDD_SEARCH, owner);
  if (hwnd_ == nullptr) return;
  vx::win32::SetText(hwnd_, title);
  SetItemText(hwnd_, IDOK, LoadText(TextId::Stop));
  RECT list;
  GetWindowRect(Item(VX_IDC_SEARCH_LIST), &list);
  RECT button;
  GetWindowRect(Item(IDOK), &button);
  listHeight_ = button.top - list.top;
  ListShown(false);
}

void SearchDialog::ListShown(bool shown) {
  HWND list = Item(VX_IDC_SEARCH_LIST);
  ::ShowWindow(list, shown ? SW_SHOW : SW_HIDE);
  RECT r, button;
  GetWindowRect(list, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  GetWindowRect(Item(IDOK), &button);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&button), 2);
  // Without the list the button takes its place; the bottom edge follows the button.
  const int dy = (shown ? r.top + listHeight_ : r.top) - button.top;
  if (dy == 0) return;
  SetWindowPos(Item(IDOK), nullptr, button.left, button.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + dy,
               SWP_NOMOVE | SWP_NOZORDER);
}

bool SearchDialog::OnCommand(int id, int code) {
  if (id == VX_IDC_SEARCH_LIST && code == LBN_DBLCLK && choosing_) id = IDOK;
  if (id == IDOK) {
    if (choosing_)
      chosen_ = int(SendMessageW(Item(VX_IDC_SEARCH_LIST), LB_GETCURSEL, 0, 0));
    else if (onStop)
      onStop();
    return true;
  }
  if (id == IDCANCEL) {
    if (choosing_) chosen_ = -1;
    return true;
  }
  return false;
}

void SearchDialog::SetText(const std::string& text) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr) return;
  text_ = text;
  SetItemText(hwnd_, VX_IDC_SEARCH_TEXT, text);
  GrowToText(VX_IDC_SEARCH_TEXT);
  if (IsWindowVisible(hwnd_)) automation_.SnapshotSoon(hwnd_, "search");
}

void SearchDialog::SetFolder(const std::string& folder) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr) return;
  SetItemText(hwnd_, VX_IDC_SEARCH_FOLDER, folder);
  if (IsWindowVisible(hwnd_)) automation_.SnapshotSoon(hwnd_, "search");
}

void SearchDialog::ShowWindow(bool visible) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr || visible == bool(IsWindowVisible(hwnd_))) return;
  if (!visible) {
    ::ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  CenterOver(hwnd_, owner_);
  ::ShowWindow(hwnd_, SW_SHOW);
  automation_.SnapshotSoon(hwnd_, "search");
}

void SearchDialog::OnAnswer(const ScriptedAnswer& answer) {
  HWND list = Item(VX_IDC_SEARCH_LIST);
  int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  int current = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
  const int index = ListPress(automation_, answer, count, current, DialogName(title_, text_));
  if (index < 0) {
    chosen_ = -1;
    return;
  }
  SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
  Click(IDOK);
}

int SearchDialog::ChooseResult(const std::string& text, const std::vector<std::string>& folders) {
  ExpectInterfaceThread();
  if (hwnd_ == nullptr) return -1;
  choosing_ = true;
  chosen_ = -2;
  SetText(text);
  SetItemText(hwnd_, IDOK, LoadText(TextId::Ok));
  HWND list = Item(VX_IDC_SEARCH_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& f : folders)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(f).c_str()));
  if (!folders.empty()) SendMessageW(list, LB_SETCURSEL, 0, 0);
  ListShown(true);
  // Modal from here: the owner waits, the dialog answers.
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner) EnableWindow(owner, FALSE);
  CenterOver(hwnd_, owner_);
  ::ShowWindow(hwnd_, SW_SHOW);
  SetFocus(list);
  automation_.Snapshot(hwnd_, "search");
  if (std::optional<ScriptedAnswer> a = automation_.Take()) OnAnswer(*a);
  MSG msg;
  while (chosen_ == -2) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(int(msg.wParam));  // for the loop that ends the program
      break;
    }
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner) EnableWindow(owner, TRUE);
  choosing_ = false;
  int result = chosen_ >= 0 ? chosen_ : -1;
  automation_.Record(title_, text, ListWord(result));
  return result;
}

}  // namespace vx::win32
