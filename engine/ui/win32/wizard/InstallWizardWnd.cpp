#include "engine/ui/win32/wizard/InstallWizardWnd.h"

#include <algorithm>

#include "engine/base/Flags.h"
#include "engine/ui/ClickGuard.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/Ui.h"
#include "engine/ui/win32/wizard/PageWnd.h"
#include "platform/Dispatcher.h"

namespace vx::win32 {

namespace {
// How often the loop looks at the stop request that the quit confirmation may raise.
constexpr UINT kStopPollMs = 50;

bool IsMouseClick(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_LBUTTONDBLCLK ||
         message == WM_RBUTTONDOWN || message == WM_RBUTTONUP;
}
}  // namespace

CInstallWizard::CInstallWizard(InstallWizard& sheet, const WizardHost& host)
    : wizard_(sheet), host_(host) {}

CInstallWizard::~CInstallWizard() {
  if (sheet_ && IsWindow(sheet_)) DestroyWindow(sheet_);
}

bool CInstallWizard::IsCompletion() const {
  return !wizard_.Pages().empty() &&
         PageRowOf(wizard_.Pages()[0].kind).buttons == PageButtons::Finish;
}

WizardOutcome CInstallWizard::Run() {
  if (wizard_.Finished() || wizard_.Pages().empty()) return WizardOutcome::Finished;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = host_.instance ? host_.instance : GetModuleHandleW(nullptr);
  std::vector<HPROPSHEETPAGE> handles;
  titles_.reserve(wizard_.Pages().size());
  for (const WizardPage& info : wizard_.Pages()) {
    pages_.push_back(CreatePage(*this, info));
    titles_.push_back(Wide(info.title));
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USETITLE;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(PageRowOf(info.kind).dialogTemplate);
    page.pfnDlgProc = CWZPage::Procedure;
    page.pszTitle = titles_.back().c_str();
    page.lParam = reinterpret_cast<LPARAM>(pages_.back().get());
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
    if (!handle) {
      for (HPROPSHEETPAGE h : handles) DestroyPropertySheetPage(h);
      return WizardOutcome::Quit;
    }
    handles.push_back(handle);
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_WIZARD | PSH_MODELESS;
  header.hwndParent = host_.owner;
  header.hInstance = instance;
  caption_ = Wide(wizard_.Caption());
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(handles.size());
  header.phpage = handles.data();
  INT_PTR made = PropertySheetW(&header);
  if (made == 0 || made == -1) {
    // The sheet cannot be shown: this wizard is given up.
    End(WizardOutcome::Quit);
    return outcome_;
  }
  sheet_ = reinterpret_cast<HWND>(made);

  UINT_PTR timer = SetTimer(nullptr, 0, kStopPollMs, nullptr);
  bool quit = false;
  WPARAM quitCode = 0;
  ClickGuard guard;
  CWZPage* guarded = nullptr;
  MSG msg;
  while (!ended_) {
    // The completion wizard waits for its Finish alone.
    if (!IsCompletion() && Flags().stopRequest) {
      End(WizardOutcome::Quit);
      break;
    }
    if (!PropSheet_GetCurrentPageHwnd(sheet_)) {
      End(IsCompletion() ? WizardOutcome::Finished : WizardOutcome::Quit);
      break;
    }
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The application's loop was told to quit: that ends the wizard, and the loop
      // still learns it.
      quit = got == 0;
      quitCode = msg.wParam;
      End(WizardOutcome::Quit);
      break;
    }
    if (current_ != guarded) {
      guarded = current_;
      guard.Shown(GetTickCount());
    }
    // A page just shown ignores the second click of a double click on the previous one.
    if (IsMouseClick(msg.message) && (msg.hwnd == sheet_ || IsChild(sheet_, msg.hwnd)) &&
        !guard.Accepts(GetTickCount(), GetDoubleClickTime()))
      continue;
    if (!PropSheet_IsDialogMessage(sheet_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // Calls the workers queued for the interface keep running while the sheet is up.
    if (UiDispatcher().OnInterfaceThread()) UiDispatcher().Pump(0);
  }
  if (timer) KillTimer(nullptr, timer);
  DestroyWindow(sheet_);
  sheet_ = nullptr;
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return outcome_;
}

void CInstallWizard::Attach(HWND page) {
  if (sheet_) return;
  sheet_ = GetParent(page);
  // The sheet has its size once it makes its first page, and shows after: it floats in the
  // middle of the backdrop (or of the screen's work area when there is none).
  RECT area, own;
  if (!host_.owner || !GetWindowRect(host_.owner, &area))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(sheet_, &own);
  const int w = own.right - own.left, h = own.bottom - own.top;
  SetWindowPos(sheet_, nullptr, area.left + std::max(0L, (area.right - area.left - w) / 2),
               area.top + std::max(0L, (area.bottom - area.top - h) / 2), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInstallWizard::Press(int button) {
  if (!ended_ && sheet_) PropSheet_PressButton(sheet_, button);
}

void CInstallWizard::Activated(CWZPage& page) {
  current_ = &page;
  const WizardPage& info = page.Info();
  const WizardButtons b = InstallWizard::ButtonsFor(info);
  DWORD flags = (b.backEnabled ? PSWIZB_BACK : 0) | (b.nextEnabled ? PSWIZB_NEXT : 0) |
                (b.finishEnabled ? PSWIZB_FINISH : 0);
  // Sent rather than posted (as the macro does), so that the texts below come after it.
  SendMessageW(sheet_, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
  // Each button answers to its underlined letter (Alt and the letter).
  const std::vector<std::string> labels =
      WithAccessKeys({b.backText, b.nextText, b.finishText, b.cancelText});
  const int ids[] = {kBackId, kNextId, kFinishId, kCancelId};
  for (int i = 0; i < 4; ++i) SetText(GetDlgItem(sheet_, ids[i]), labels[i]);
  // A first page has no Back at all.
  ShowWindow(GetDlgItem(sheet_, kBackId), info.isFirstPage ? SW_HIDE : SW_SHOW);
  EnableWindow(GetDlgItem(sheet_, kCancelId), b.cancelEnabled);
  SetText(sheet_, info.title.empty() ? wizard_.Caption() : info.title);
  page.Activate();
  ScheduleAnswers(page);
}

bool CInstallWizard::NextPressed(CWZPage& page) {
  if (ended_) return false;
  switch (page.Next()) {
    case PageNext::Stay:
      // A script cannot mend what it typed by looking at the page: it is asked again.
      if (host_.scripted) PostMessageW(page.Hwnd(), kMsgStayed, 0, 0);
      return false;
    case PageNext::UninstallAll:
      End(WizardOutcome::UninstallAll);
      return false;
    case PageNext::Proceed:
      break;
  }
  if (page.Info().isLastPage) {
    End(WizardOutcome::StartInstall);
    return false;
  }
  return true;
}

bool CInstallWizard::CancelRequested(CWZPage& page) {
  if (ended_) return true;
  if (confirming_) return false;
  // A refused scripted answer cancels the run at once: no quit confirmation.
  if (AnswersRefused()) {
    End(WizardOutcome::Quit);
    return false;
  }
  if (PageRowOf(page.Info().kind).buttons == PageButtons::Finish) {
    End(WizardOutcome::Finished);
    return true;
  }
  // Cancel becomes the main window's quit confirmation, asked once the sheet has let go of
  // the button.
  PostMessageW(page.Hwnd(), kMsgQuitQuestion, 0, 0);
  return false;
}

void CInstallWizard::QuitQuestion(CWZPage& page) {
  if (ended_ || confirming_) return;
  confirming_ = true;
  bool quit = host_.confirmQuit ? host_.confirmQuit() : false;
  confirming_ = false;
  if (quit)
    End(WizardOutcome::Quit);
  else if (host_.scripted)
    ScheduleAnswers(page);  // the page again, as it was
}

void CInstallWizard::Finished() { End(WizardOutcome::Finished); }

void CInstallWizard::End(WizardOutcome outcome) {
  if (ended_) return;
  ended_ = true;
  outcome_ = outcome;
  wizard_.SetFinished(true);
  if (sheet_) ShowWindow(sheet_, SW_HIDE);
}

void CInstallWizard::ScheduleAnswers(CWZPage& page) {
  if (host_.scripted || host_.snapshot) PostMessageW(page.Hwnd(), kMsgAnswer, 0, 0);
}

void CInstallWizard::Snapshot() {
  if (!host_.snapshot || !sheet_) return;
  RedrawWindow(sheet_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  host_.snapshot(sheet_, "wizard");
}

WizardOutcome RunWin32Wizard(const WizardHost& host, InstallWizard& wizard) {
  CInstallWizard sheet(wizard, host);
  return sheet.Run();
}

}  // namespace vx::win32
