#include "engine/ui/win32/Dialogs.h"

#include <shlobj.h>

#include <optional>

#include "engine/base/Texts.h"
#include "engine/ui/DialogAnswers.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/Ui.h"
#include "engine/ui/win32/Dialog.h"
#include "engine/ui/win32/ResourceIds.h"
#include "engine/ui/win32/UiThread.h"
#include "platform/Process.h"

namespace vx::win32 {

namespace {

// ---- The system's message box, answered through its own buttons. ----

constexpr UINT_PTR kAnswerTimer = 0x5602;
// The icon of the about box: 32 pixels at the ordinary scale of 96 dots an inch.
constexpr int kAboutIcon = 32;
constexpr int kDefaultDpi = 96;

struct BoxState {
  Automation* automation = nullptr;
  std::string caption, text;
  std::uint32_t type = 0;
  HHOOK hook = nullptr;
};
thread_local BoxState* tBox = nullptr;

void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR id, DWORD) {
  KillTimer(box, id);
  BoxState* state = tBox;
  if (state == nullptr) return;
  state->automation->Snapshot(box, "message");
  std::optional<ScriptedAnswer> answer = state->automation->Take();
  if (!answer) return;
  const int taken =
      MessageBoxPress(*state->automation, *answer, state->caption, state->text, state->type);
  if (HWND button = GetDlgItem(box, taken)) SendMessageW(button, BM_CLICK, 0, 0);
}

LRESULT CALLBACK BoxHook(int code, WPARAM w, LPARAM l) {
  BoxState* state = tBox;
  if (state == nullptr) return 0;
  HHOOK hook = state->hook;
  wchar_t name[8] = {};
  if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(w), name, 8) &&
      lstrcmpW(name, L"#32770") == 0) {
    // The box is the first dialog activated: answer it once its own loop runs.
    UnhookWindowsHookEx(hook);
    state->hook = nullptr;
    SetTimer(reinterpret_cast<HWND>(w), kAnswerTimer, 0, &AnswerBox);
    return 0;
  }
  return CallNextHookEx(hook, code, w, l);
}

// ---- Dialogs from templates. ----

class FourChoiceDialog : public Dialog {
 public:
  FourChoiceDialog(Automation& a, const std::string& caption, const std::string& question,
                   const std::vector<std::string>& texts)
      : Dialog(a, "question"), caption_(caption), question_(question), texts_(texts) {}
  void OnInit() override {
    SetText(hwnd_, caption_);
    SetItemText(hwnd_, VX_IDC_LINE1, question_);
    std::vector<std::string> labels = WithAccessKeys(texts_);
    for (std::size_t i = 0; i < labels.size() && i < 4; ++i)
      SetItemText(hwnd_, VX_IDC_FOUR_BASE + int(i), labels[i]);
    GrowToText(VX_IDC_LINE1);
    SetFocus(Item(VX_IDC_FOUR_BASE));
  }
  bool OnCommand(int id, int) override {
    if (id >= VX_IDC_FOUR_BASE && id < VX_IDC_FOUR_BASE + 4)
      End(id - VX_IDC_FOUR_BASE);
    else if (id == IDCANCEL)
      End(2);  // closed: No
    else
      return false;
    return true;
  }
  void OnAnswer(const ScriptedAnswer& answer) override {
    const int result = FourChoicePress(automation_, answer, caption_, question_);
    if (result == kFourChoiceNo)
      PostMessageW(hwnd_, WM_COMMAND, IDCANCEL, 0);  // No, as when closed without a button
    else
      Click(VX_IDC_FOUR_BASE + result);
  }
  std::string caption_, question_;
  std::vector<std::string> texts_;
};

class TextQuestionDialog : public Dialog {
 public:
  TextQuestionDialog(Automation& a, const std::string& caption, const std::string& text,
                     std::string& value, const std::string& browse)
      : Dialog(a, "text"), caption_(caption), text_(text), value_(value), browse_(browse) {}
  void OnInit() override {
    SetText(hwnd_, caption_);
    SetItemText(hwnd_, VX_IDC_LINE1, text_);
    SetItemText(hwnd_, VX_IDC_EDIT, value_);
    SetItemText(hwnd_, IDOK, LoadText(TextId::Ok));
    SetItemText(hwnd_, IDCANCEL, LoadText(TextId::Cancel));
    if (browse_.empty())
      ShowWindow(Item(VX_IDC_BROWSE), SW_HIDE);
    else
      SetItemText(hwnd_, VX_IDC_BROWSE, browse_);
    GrowToText(VX_IDC_LINE1);
    SendMessageW(Item(VX_IDC_EDIT), EM_SETSEL, 0, -1);
    SetFocus(Item(VX_IDC_EDIT));
  }
  bool OnCommand(int id, int) override {
    if (id == IDOK) {
      value_ = WindowText(Item(VX_IDC_EDIT));
      End(IDOK);
    } else if (id == IDCANCEL) {
      End(IDCANCEL);
    } else if (id == VX_IDC_BROWSE) {
      Browse();
    } else {
      return false;
    }
    return true;
  }
  void Browse() {
    BROWSEINFOW info{};
    info.hwndOwner = hwnd_;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (picked == nullptr) return;
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(picked, path)) {
      std::wstring folder = path;
      if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
      SetDlgItemTextW(hwnd_, VX_IDC_EDIT, folder.c_str());
    }
    CoTaskMemFree(picked);
  }
  void OnAnswer(const ScriptedAnswer& answer) override {
    const TextAnswer taken = TextQuestionPress(automation_, answer, caption_, text_);
    if (!taken.ok) {
      Click(IDCANCEL);
      return;
    }
    if (taken.value) {
      // Typed into the field as the user would: the field's text is replaced.
      SetItemText(hwnd_, VX_IDC_EDIT, *taken.value);
      typed_ = true;
    }
    Click(IDOK);
  }
  std::string caption_, text_;
  std::string& value_;
  std::string browse_;
  bool typed_ = false;
};

class ChoiceDialog : public Dialog {
 public:
  ChoiceDialog(Automation& a, const std::string& caption, const std::string& prompt,
               const std::vector<std::string>& items, int preselected)
      : Dialog(a, "choice"),
        caption_(caption),
        prompt_(prompt),
        items_(items),
        preselected_(preselected) {}
  void OnInit() override {
    SetText(hwnd_, caption_);
    SetItemText(hwnd_, VX_IDC_CHOICE_PROMPT, prompt_);
    SetItemText(hwnd_, IDOK, LoadText(TextId::Ok));
    HWND list = Item(VX_IDC_CHOICE_LIST);
    for (const std::string& item : items_)
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    if (preselected_ >= 0 && preselected_ < int(items_.size()))
      SendMessageW(list, LB_SETCURSEL, WPARAM(preselected_), 0);
    SetFocus(list);
  }
  bool OnCommand(int id, int code) override {
    HWND list = Item(VX_IDC_CHOICE_LIST);
    if (id == IDOK || (id == VX_IDC_CHOICE_LIST && code == LBN_DBLCLK)) {
      End(SendMessageW(list, LB_GETCURSEL, 0, 0));  // LB_ERR (-1) without a selection
    } else if (id == IDCANCEL) {
      End(-1);
    } else {
      return false;
    }
    return true;
  }
  bool OnMessage(UINT message, WPARAM, LPARAM l, INT_PTR& result) override {
    if (message != WM_DRAWITEM) return false;
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(l);
    if (item->CtlID != VX_IDC_SIDE_PICTURE) return false;
    // The built-in picture, stretched into the frame and inset by one pixel.
    RECT r = item->rcItem;
    InflateRect(&r, -1, -1);
    PaintSidePicture(item->hDC, r);
    result = TRUE;
    return true;
  }
  void OnAnswer(const ScriptedAnswer& answer) override {
    HWND list = Item(VX_IDC_CHOICE_LIST);
    int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    int current = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
    const int index = ListPress(automation_, answer, count, current, DialogName(caption_, prompt_));
    if (index < 0) {
      PostMessageW(hwnd_, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
    Click(IDOK);
  }
  std::string caption_, prompt_;
  std::vector<std::string> items_;
  int preselected_;
};

class ConfirmUninstallDialog : public Dialog {
 public:
  ConfirmUninstallDialog(Automation& a, const std::string& caption,
                         const std::vector<std::string>& texts)
      : Dialog(a, "confirm"), caption_(caption), texts_(texts) {}
  void OnInit() override {
    SetText(hwnd_, caption_);
    const int lines[] = {VX_IDC_LINE1, VX_IDC_LINE2, VX_IDC_LINE3};
    for (int i = 0; i < 3; ++i) {
      SetItemText(hwnd_, lines[i], i < int(texts_.size()) ? texts_[std::size_t(i)] : "");
      GrowToText(lines[i]);
    }
    SetItemText(hwnd_, IDOK, LoadText(TextId::Ok));
    SetItemText(hwnd_, IDCANCEL, LoadText(TextId::Cancel));
  }
  bool OnCommand(int id, int) override {
    if (id != IDOK && id != IDCANCEL) return false;
    End(id);
    return true;
  }
  void OnAnswer(const ScriptedAnswer& answer) override {
    Click(ConfirmPress(automation_, answer, caption_, Joined()) ? IDOK : IDCANCEL);
  }
  std::string Joined() const { return ConfirmText(texts_); }
  std::string caption_;
  std::vector<std::string> texts_;
};

class AboutBox : public Dialog {
 public:
  explicit AboutBox(Automation& a) : Dialog(a, "about") {}
  void OnInit() override {
    SetItemText(hwnd_, VX_IDC_ABOUT_MAKER, AboutMakerLine());
    const int dpi = DpiOf(hwnd_);
    const int size = MulDiv(kAboutIcon, dpi, kDefaultDpi);
    icon_ = ProgramIcon(size);
    SendMessageW(Item(VX_IDC_ABOUT_ICON), STM_SETICON, WPARAM(icon_), 0);
    // The icon and the maker's line invite a visit to the web site.
    tips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                            hwnd_, nullptr, ResourceModule(), nullptr);
    tip_ = Wide(LoadText(TextId::WebSiteLink));
    for (int id : {VX_IDC_ABOUT_ICON, VX_IDC_ABOUT_MAKER}) {
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = hwnd_;
      tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
      tool.lpszText = tip_.data();
      SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  ~AboutBox() override {
    if (icon_) DestroyIcon(icon_);
  }
  static int DpiOf(HWND window) {
    HDC dc = GetDC(window);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return dpi > 0 ? dpi : kDefaultDpi;
  }
  bool OnCommand(int id, int code) override {
    if (id == IDOK || id == IDCANCEL) {
      End(IDOK);
      return true;
    }
    if ((id == VX_IDC_ABOUT_ICON || id == VX_IDC_ABOUT_MAKER) && code == STN_CLICKED) {
      ShellOpen(AboutAddress(), SW_SHOWNORMAL, nullptr);
      return true;
    }
    return false;
  }
  void OnAnswer(const ScriptedAnswer& answer) override {
    AboutPress(automation_, answer);
    Click(IDOK);
  }
  HICON icon_ = nullptr;
  HWND tips_ = nullptr;
  std::wstring tip_;
};

}  // namespace

int RunMessageBox(HWND owner, Automation& automation, const std::string& caption,
                  const std::string& text, std::uint32_t type) {
  ExpectInterfaceThread();
  BoxState state{&automation, caption, text, type, nullptr};
  BoxState* outer = tBox;
  tBox = &state;
  if (automation.Scripted() || automation.Snapshots())
    state.hook = SetWindowsHookExW(WH_CBT, &BoxHook, nullptr, GetCurrentThreadId());
  int id = MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), UINT(type));
  if (state.hook) UnhookWindowsHookEx(state.hook);
  tBox = outer;
  // Closed without a button (the window went away with the interface): the closing answer.
  if (id == 0) id = ClosingButton(type);
  automation.Record(caption, text, ButtonWord(id));
  return id;
}

int RunFourChoice(HWND owner, Automation& automation, const std::string& caption,
                  const std::string& question, const std::vector<std::string>& buttonTexts) {
  FourChoiceDialog dialog(automation, caption, question, buttonTexts);
  INT_PTR code = dialog.RunModal(VX_IDD_FOUR_CHOICE, owner);
  int result = code >= 0 && code <= 3 ? int(code) : 2;
  automation.Record(caption, question, kFourChoiceWords[result]);
  return result;
}

bool RunTextQuestion(HWND owner, Automation& automation, const std::string& caption,
                     const std::string& text, std::string& value, const std::string& browse) {
  std::string before = value;
  std::string edited = value;
  TextQuestionDialog dialog(automation, caption, text, edited, browse);
  bool ok = dialog.RunModal(VX_IDD_TEXT_QUESTION, owner) == IDOK;
  if (ok) value = edited;
  bool typed = dialog.typed_ || (ok && value != before);
  automation.Record(caption, text, TextQuestionWord(ok, typed, value));
  return ok;
}

int RunChoice(HWND owner, Automation& automation, const std::string& caption,
              const std::string& prompt, const std::vector<std::string>& items, int preselected) {
  ChoiceDialog dialog(automation, caption, prompt, items, preselected);
  INT_PTR code = dialog.RunModal(VX_IDD_CHOICE, owner);
  int result = code >= 0 && code < INT_PTR(items.size()) ? int(code) : -1;
  automation.Record(caption, prompt, ListWord(result));
  return result;
}

bool RunConfirmUninstall(HWND owner, Automation& automation, const std::string& caption,
                         const std::vector<std::string>& texts) {
  ConfirmUninstallDialog dialog(automation, caption, texts);
  bool ok = dialog.RunModal(VX_IDD_CONFIRM_UNINSTALL, owner) == IDOK;
  automation.Record(caption, dialog.Joined(), ok ? "ok" : "cancel");
  return ok;
}

void RunAboutBox(HWND owner, Automation& automation) {
  AboutBox box(automation);
  box.RunModal(VX_IDD_ABOUT, owner);
  automation.Record(kAboutCaption, kAboutVersion, "ok");
}

HICON ProgramIcon(int size) {
  return static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(VX_IDI_PROGRAM),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void PaintSidePicture(HDC dc, const RECT& r) {
  const int h = r.bottom - r.top, w = r.right - r.left;
  if (h <= 0 || w <= 0) return;
  // A deep blue falling to a lighter one, drawn row by row at the device's pixels.
  for (int y = 0; y < h; ++y) {
    const int t = y * 255 / h;
    HBRUSH brush = CreateSolidBrush(
        RGB(0x30 * t / 255, 0x20 + (0x90 - 0x20) * t / 255, 0x80 + (0xE0 - 0x80) * t / 255));
    RECT row{r.left, r.top + y, r.right, r.top + y + 1};
    FillRect(dc, &row, brush);
    DeleteObject(brush);
  }
  const int icon = std::min(w / 2, h / 4);
  if (HICON program = ProgramIcon(icon)) {
    DrawIconEx(dc, r.left + (w - icon) / 2, r.top + icon / 2, program, icon, icon, 0, nullptr,
               DI_NORMAL);
    DestroyIcon(program);
  }
}

}  // namespace vx::win32
