// The extractor's dialog in Win32: a modeless dialog from its template, whose messages are
// handled whenever the extractor's loop gives the dialog a turn. Message boxes are the
// system's own; $VX_ANSWERS presses their buttons once they are shown, and $VX_SNAPSHOTS
// keeps a picture of every window as the Qt dialog names them.
#include "extract/win32/Win32ExtractUi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/ui/AnswerCheck.h"
#include "engine/ui/Ui.h"
#include "extract/BoxAnswer.h"
#include "extract/ExtractUi.h"
#include "extract/win32/ExtractDialogIds.h"
#include "extract/win32/WindowSnapshots.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>
#undef MessageBox

namespace vx::extract {

namespace {

constexpr int kBarMin = 1;
constexpr int kBarMax = 100;
// How often a scripted answer looks for its message box, and how long it leaves the box on
// screen before pressing the button (a person could read it; pictures show it drawn).
constexpr UINT kAnswerPollMs = 50;
// The system's message box class.
constexpr char kMessageBoxClass[] = "#32770";

class Win32ExtractUi;
// The dialog whose scripted answer is pending: thread timers carry no data of their own.
thread_local Win32ExtractUi* tAnswering = nullptr;

class Win32ExtractUi : public ExtractUi {
 public:
  Win32ExtractUi(AnswerQueue answers, std::string snapshotDir)
      : answers_(std::move(answers)), snapshots_(std::move(snapshotDir)) {}
  ~Win32ExtractUi() override {
    if (dialog_) DestroyWindow(dialog_);
  }

  // Makes the (hidden) dialog; false when no window can be made.
  bool Create() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VX_EXTRACT_DIALOG),
                                 nullptr, &Win32ExtractUi::Proc, reinterpret_cast<LPARAM>(this));
    return dialog_ != nullptr;
  }

  void Open() override {
    // The program carries no icon of its own: the system's application icon is its icon.
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendDlgItemMessageA(dialog_, VX_EXTRACT_BAR, PBM_SETRANGE32, kBarMin, kBarMax);
    SendDlgItemMessageA(dialog_, VX_EXTRACT_BAR, PBM_SETPOS, kBarMin, 0);
    ShowWindow(dialog_, SW_SHOWNORMAL);
    SetForegroundWindow(dialog_);
    Turn();
  }

  void Close() override {
    if (dialog_) DestroyWindow(dialog_);
    dialog_ = nullptr;
    Turn();
  }

  void SetLabel(const std::string& text) override {
    if (!dialog_) return;
    SetDlgItemTextA(dialog_, VX_EXTRACT_LABEL, text.c_str());
    Turn();
    Snapshot(dialog_, "extract", WindowPart::Whole);
  }

  void SetProgress(int position) override {
    if (!dialog_) return;
    SendDlgItemMessageA(dialog_, VX_EXTRACT_BAR, PBM_SETPOS, std::clamp(position, kBarMin, kBarMax),
                        0);
    Turn();
  }

  void ShowMessage(const std::string& text) override {
    Box(text, kMbOk, kIdOk, "extract-message");
    PrintBoxLine(stderr, text, "ok");
  }

  bool AskYesNo(const std::string& text) override {
    bool yes = Box(text, kMbYesNo | kMbIconQuestion, kIdNo, "extract-question") == IDYES;
    PrintBoxLine(stderr, text, yes ? "yes" : "no");
    return yes;
  }

  void Beep() override { MessageBeep(MB_OK); }

  bool TakeCancelClick() override {
    Turn();
    bool clicked = cancelClicked_;
    cancelClicked_ = false;
    return clicked;
  }

  bool CanWaitForUser() const override { return !answers_.Scripted(); }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      return TRUE;
    }
    auto* self = reinterpret_cast<Win32ExtractUi*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_COMMAND:
        // Cancel, Esc and the system's close command all press Cancel, which asks first.
        if (LOWORD(wParam) == VX_EXTRACT_CANCEL || LOWORD(wParam) == IDCANCEL) {
          self->cancelClicked_ = true;
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        self->cancelClicked_ = true;
        return TRUE;
      default:
        return FALSE;
    }
  }

  // Handles every message waiting for this thread's windows.
  void Turn() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (dialog_ && IsDialogMessageA(dialog_, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  void Snapshot(HWND window, const char* kind, WindowPart part) {
    if (!snapshots_.Enabled() || !window) return;
    // Drawn whole now, not when the queue gets to it.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    snapshots_.Take(window, kind, part);
  }

  // A system message box of `type` (kMb*) without caption; a scripted answer presses its
  // button once it is shown. Returns the button pressed (kId*).
  int Box(const std::string& text, std::uint32_t type, int defaultId, const char* kind) {
    pendingText_ = &text;
    pendingType_ = type;
    pendingDefault_ = defaultId;
    pendingKind_ = kind;
    UINT_PTR timer = 0;
    if (answers_.Scripted() || snapshots_.Enabled()) {
      tAnswering = this;
      timer = SetTimer(nullptr, 0, kAnswerPollMs, &Win32ExtractUi::OnAnswerTimer);
    }
    UINT flags = type | MB_SETFOREGROUND;
    if (defaultId == kIdNo) flags |= MB_DEFBUTTON2;
    int pressed = MessageBoxA(dialog_, text.c_str(), "", flags);
    if (timer) KillTimer(nullptr, timer);
    tAnswering = nullptr;
    return pressed;
  }

  static void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    Win32ExtractUi* self = tAnswering;
    if (!self) return;
    HWND box = self->FindBox();
    if (!box) return;  // not shown yet
    KillTimer(nullptr, timer);
    tAnswering = nullptr;
    self->Snapshot(box, self->pendingKind_, WindowPart::Client);
    if (!self->answers_.Scripted()) return;  // the user answers
    const int id = BoxAnswer(self->answers_.Take(), *self->pendingText_, self->pendingType_,
                             self->pendingDefault_);
    if (HWND button = GetDlgItem(box, id)) PostMessageA(button, BM_CLICK, 0, 0);
  }

  // The message box this thread shows: a visible dialog of the system's class, not ours.
  struct BoxSearch {
    HWND skip;
    HWND found;
  };
  static BOOL CALLBACK OnThreadWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    char cls[sizeof kMessageBoxClass + 1] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (window != search->skip && IsWindowVisible(window) && std::string(cls) == kMessageBoxClass) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }
  HWND FindBox() const {
    BoxSearch search{dialog_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &Win32ExtractUi::OnThreadWindow,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  AnswerQueue answers_;
  WindowSnapshots snapshots_;
  HWND dialog_ = nullptr;
  bool cancelClicked_ = false;
  const std::string* pendingText_ = nullptr;
  std::uint32_t pendingType_ = 0;
  int pendingDefault_ = 0;
  const char* pendingKind_ = "";
};

// Whether this process can show windows: under Wine without an X display it cannot.
bool CanMakeWindows() {
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

std::unique_ptr<ExtractUi> MakeFromEnvironment() {
  std::string dir;
  if (const char* d = std::getenv("VX_SNAPSHOTS"); d && *d) dir = d;
  auto ui = std::make_unique<Win32ExtractUi>(AnswerQueue::FromEnvironment(), std::move(dir));
  if (!ui->Create()) return nullptr;
  return ui;
}

}  // namespace

void RegisterWin32ExtractUi() {
  RegisterGraphicalExtractUi({"win32",
                              [](bool) -> std::string {
                                return CanMakeWindows() ? "" : "no display: no window can be made";
                              },
                              MakeFromEnvironment});
}

}  // namespace vx::extract
