#include "engine/ui/win32/Win32Ui.h"

#include <cstdlib>
#include <mutex>

#include "engine/base/Flags.h"
#include "engine/base/MainEvents.h"
#include "engine/base/Texts.h"
#include "engine/ui/ScreenLayout.h"
#include "engine/ui/WizardRunner.h"
#include "engine/ui/win32/BackdropWnd.h"
#include "engine/ui/win32/Dialog.h"
#include "engine/ui/win32/Dialogs.h"
#include "engine/ui/win32/ProgressWindow.h"
#include "engine/ui/win32/SplashWnd.h"
#include "engine/ui/win32/UiThread.h"
#include "engine/ui/win32/WizardHost.h"
#include "platform/Dispatcher.h"

namespace vx::win32 {

namespace {

// The dispatcher's wakeup: a posted message to a message-only window of the interface
// thread, which every message loop of that thread (the main loop, a dialog's, a message
// box's) delivers.
constexpr UINT kMsgPump = WM_APP + 0x10;
constexpr wchar_t kHubClass[] = L"VxInterfaceHub";
constexpr DWORD kLoopWaitMs = 10;

std::atomic<HWND> gHub{nullptr};
Win32Ui* gUi = nullptr;  // the interface whose key hook runs

LRESULT CALLBACK HubProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kMsgPump) {
    UiDispatcher().Pump(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

HWND MakeHub() {
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = &HubProc;
  c.hInstance = ResourceModule();
  c.lpszClassName = kHubClass;
  RegisterClassExW(&c);
  return CreateWindowExW(0, kHubClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ResourceModule(),
                         nullptr);
}

bool IsDialogWindow(HWND window) {
  wchar_t name[8] = {};
  return window && GetClassNameW(window, name, 8) && lstrcmpW(name, L"#32770") == 0;
}

// A progress window seen from the engine. The engine's UI front brings every call to the
// interface thread (and releases the view there), so the window is used in place.
class Win32ProgressView : public ProgressView {
 public:
  Win32ProgressView(std::unique_ptr<ProgressWindow> window, CBackdropWnd* placer)
      : window_(std::move(window)), placer_(placer) {}
  ~Win32ProgressView() override { window_->ShowWindow(false); }
  void SetHeading(const std::string& text) override { window_->SetHeading(text); }
  void SetDetail(const std::string& text) override { window_->SetDetail(text); }
  void SetPosition(int percent) override { window_->SetPosition(percent); }
  void HideCancel() override { window_->HideCancel(); }
  void Show(bool visible) override {
    // The transfer window is placed by the main window when it first shows.
    if (visible && placer_ && !placed_ && window_->Kind() == ProgressKind::Transfer &&
        window_->Window()) {
      placer_->PlaceProgress(window_->Window());
      placed_ = true;
    }
    window_->ShowWindow(visible);
  }

 private:
  std::unique_ptr<ProgressWindow> window_;
  CBackdropWnd* placer_;
  bool placed_ = false;
};

class Win32SearchView : public ProgressView {
 public:
  Win32SearchView(std::unique_ptr<SearchDialog> dialog, SearchDialog*& current)
      : dialog_(std::move(dialog)), current_(current) {
    current_ = dialog_.get();
  }
  ~Win32SearchView() override {
    if (current_ == dialog_.get()) current_ = nullptr;
    dialog_->ShowWindow(false);
  }
  void SetHeading(const std::string& text) override { dialog_->SetText(text); }
  void SetDetail(const std::string& text) override { dialog_->SetFolder(text); }
  void SetPosition(int) override {}
  void Show(bool visible) override { dialog_->ShowWindow(visible); }

 private:
  std::unique_ptr<SearchDialog> dialog_;
  SearchDialog*& current_;
};

}  // namespace

Win32Ui::Win32Ui(Automation automation) : automation_(std::move(automation)) {
  BindInterfaceThread();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  if (gHub.load() == nullptr) gHub = MakeHub();
  // Calls that workers send or post arrive as a message to the hub, whichever loop runs.
  // The dispatcher lives as long as the process, so the wakeup stays for good.
  static std::once_flag wakeup;
  std::call_once(wakeup, [] {
    UiDispatcher().SetWakeup([] {
      if (HWND hub = gHub.load()) PostMessageW(hub, kMsgPump, 0, 0);
    });
  });
  gUi = this;
  keyHook_ = SetWindowsHookExW(WH_GETMESSAGE, &KeyHook, nullptr, GetCurrentThreadId());
}

Win32Ui::~Win32Ui() {
  if (keyHook_) UnhookWindowsHookEx(keyHook_);
  if (gUi == this) gUi = nullptr;
  backdrop_.reset();
}

// Arrow keys for a pause that waits for one, whichever window of the thread has the focus:
// every message the thread takes passes here.
LRESULT CALLBACK Win32Ui::KeyHook(int code, WPARAM w, LPARAM l) {
  auto* msg = reinterpret_cast<MSG*>(l);
  if (code == HC_ACTION && w == PM_REMOVE && gUi && msg->message == WM_KEYDOWN &&
      (msg->lParam & (1 << 30)) == 0 && Flags().waitingForKey) {
    int arrow = 0;
    switch (msg->wParam) {
      case VK_LEFT:
      case VK_UP:
        arrow = -1;
        break;
      case VK_RIGHT:
      case VK_DOWN:
        arrow = +1;
        break;
      default:
        break;
    }
    if (arrow != 0) {
      gUi->arrow_ = arrow;
      gUi->arrowPressed_ = false;
    }
  }
  return CallNextHookEx(nullptr, code, w, l);
}

HWND Win32Ui::Owner() const {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active) && IsWindowEnabled(active)) return active;
  HWND main = backdrop_ ? backdrop_->Window() : nullptr;
  return main && IsWindowVisible(main) ? main : nullptr;
}

int Win32Ui::MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) {
  return RunMessageBox(Owner(), automation_, caption, text, type);
}

int Win32Ui::FourChoice(const std::string& caption, const std::string& question,
                        const std::vector<std::string>& buttonTexts) {
  return RunFourChoice(Owner(), automation_, caption, question, buttonTexts);
}

bool Win32Ui::AskText(const std::string& caption, const std::string& text, std::string& value) {
  // The disk prompt has Browse to pick the folder; other questions have OK and Cancel.
  bool disk = caption == "Insert Diskette";
  return RunTextQuestion(Owner(), automation_, caption, text, value,
                         disk ? LoadText(TextId::Browse) : std::string());
}

int Win32Ui::ChooseFromList(const std::string& caption, const std::string& prompt,
                            const std::vector<std::string>& items, int preselected) {
  // Several folders found by the file search: the search dialog shows them itself.
  if (caption == LoadText(TextId::SearchingForFile) &&
      prompt == LoadText(TextId::SearchSeveralFound)) {
    if (search_) return search_->ChooseResult(prompt, items);
    SearchDialog dialog(automation_, caption, Owner());
    return dialog.ChooseResult(prompt, items);
  }
  return RunChoice(Owner(), automation_, caption, prompt, items, preselected);
}

int Win32Ui::PollArrowKey() {
  ExpectInterfaceThread();
  if (automation_.Scripted() && !arrowPressed_ && arrow_ == 0) {
    int arrow = automation_.TakeArrow();
    if (arrow == 0) return +1;  // as headless: no arrow answer next, the pause goes on
    // Press the real key: the key handling takes it like one from the keyboard.
    arrowPressed_ = true;
    HWND target = GetFocus();
    if (target == nullptr) target = GetActiveWindow();
    if (target == nullptr && backdrop_) target = backdrop_->Window();
    if (target == nullptr) target = gHub.load();
    PostMessageW(target, WM_KEYDOWN, arrow < 0 ? VK_LEFT : VK_RIGHT, 1);
  }
  return arrow_.exchange(0);
}

std::unique_ptr<ProgressView> Win32Ui::CreateProgress(const std::string& title) {
  ExpectInterfaceThread();
  if (title == LoadText(TextId::SearchingForFile)) {
    auto dialog = std::make_unique<SearchDialog>(automation_, title, Owner());
    dialog->onStop = [this] { ExitCommand(); };
    return std::make_unique<Win32SearchView>(std::move(dialog), search_);
  }
  ProgressKind kind = title == "Initialize Installer..." ? ProgressKind::Preparation
                      : title == "Install"               ? ProgressKind::Transfer
                                                         : ProgressKind::Uninstall;
  HWND owner = backdrop_ && IsWindowVisible(backdrop_->Window()) ? backdrop_->Window() : nullptr;
  auto window = std::make_unique<ProgressWindow>(automation_, kind, title, owner);
  if (kind == ProgressKind::Preparation) window->SetHeading("Initialize Installer...");
  if (kind == ProgressKind::Transfer) window->onCancel = [] { Flags().stopRequest = true; };
  return std::make_unique<Win32ProgressView>(std::move(window), backdrop_.get());
}

void Win32Ui::Beep() {
  ExpectInterfaceThread();
  MessageBeep(MB_OK);
}

bool Win32Ui::ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) {
  return RunConfirmUninstall(Owner(), automation_, caption, texts);
}

void Win32Ui::ShowSplash(const std::string& image) {
  CSplashWnd splash(image, automation_);
  splash.Run();
}

bool Win32Ui::CreateMainWindow() {
  ExpectInterfaceThread();
  if (!backdrop_) {
    backdrop_ = std::make_unique<CBackdropWnd>(automation_);
    backdrop_->onExit = [this] { ExitCommand(); };
  }
  return backdrop_->Created();
}

void Win32Ui::LayoutMainWindow() {
  if (!backdrop_) CreateMainWindow();
  backdrop_->ApplyLayout(ReadScreenLayout());
}

void Win32Ui::SetBulletin(const std::string& image) {
  ExpectInterfaceThread();
  // The numbered message, sent: the name has been taken when it returns.
  if (backdrop_ && backdrop_->Window())
    SendMessageW(backdrop_->Window(), kMsgSetBulletin, 0, reinterpret_cast<LPARAM>(image.c_str()));
}

void Win32Ui::Loop(Dispatcher& dispatcher, const std::function<bool()>& until) {
  ExpectInterfaceThread();
  while (!until()) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Not this loop's to end the program by: the engine ends through its own events.
        continue;
      }
      // Tab, Enter and Esc in the modeless windows (the progress, the search).
      HWND active = GetActiveWindow();
      if (IsDialogWindow(active) && IsDialogMessageW(active, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    // Whatever changed the condition (a dispatched call, a flag of a worker) is seen soon.
    dispatcher.Pump(0);
    if (until()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kLoopWaitMs, QS_ALLINPUT);
  }
}

WizardOutcome Win32Ui::RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) {
  ExpectInterfaceThread();
  const WizardWindows& windows = GetWizardWindows();
  if (!windows) return Ui::RunWizard(wizard, confirmQuit);
  WizardHost host;
  host.owner = backdrop_ && IsWindowVisible(backdrop_->Window()) ? backdrop_->Window() : nullptr;
  host.instance = ResourceModule();
  host.scripted = automation_.Scripted();
  host.take = [this] { return automation_.Take(); };
  host.record = [this](const std::string& caption, const std::string& text,
                       const std::string& answer) { automation_.Record(caption, text, answer); };
  host.snapshot = [this](HWND window, const std::string& kind) {
    automation_.Snapshot(window, kind);
  };
  host.confirmQuit = confirmQuit;
  return windows(host, wizard);
}

void Win32Ui::RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) {
  Loop(dispatcher, finished);
}

void Win32Ui::WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) {
  Loop(dispatcher, done);
}

void Win32Ui::ExitCommand() { Events().Post(MainMessage::Exit); }

namespace {

WizardWindows& WizardWindowsSlot() {
  static WizardWindows run;
  return run;
}

// Whether this process can make windows at all (a service, or Wine without a display,
// cannot): a hidden window is made and destroyed.
bool CanMakeWindows() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               ResourceModule(), nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}

}  // namespace

void SetWizardWindows(WizardWindows run) { WizardWindowsSlot() = std::move(run); }

const WizardWindows& GetWizardWindows() { return WizardWindowsSlot(); }

void RegisterWin32Ui() {
  RegisterGraphicalUi(
      []() -> std::unique_ptr<Ui> {
        // Asked for by name, the windows are tried even when they cannot be made: start-up
        // then fails rather than running unattended.
        const char* mode = std::getenv("VX_UI");
        bool named = mode && std::string(mode) == "win32";
        if (!named && !CanMakeWindows()) return nullptr;
        return std::make_unique<Win32Ui>();
      },
      "win32");
}

}  // namespace vx::win32
