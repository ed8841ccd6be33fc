#include "engine/ui/win32/Dialog.h"

#include <algorithm>
#include <vector>

#include "engine/ui/win32/UiThread.h"

namespace vx::win32 {

namespace {

// Posted to a modal dialog once it is made: it is on screen when the message arrives.
constexpr UINT kMsgShown = WM_APP + 0x20;

RECT WorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return r;
}

}  // namespace

HINSTANCE ResourceModule() { return GetModuleHandleW(nullptr); }

Dialog::~Dialog() {
  if (hwnd_ != nullptr && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::RunModal(int templateId, HWND owner) {
  ExpectInterfaceThread();
  modal_ = true;
  owner_ = owner;
  INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), owner, &Proc,
                                   reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result;
}

HWND Dialog::Create(int templateId, HWND owner) {
  ExpectInterfaceThread();
  owner_ = owner;
  CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), owner, &Proc,
                     reinterpret_cast<LPARAM>(this));
  return hwnd_;
}

INT_PTR CALLBACK Dialog::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(l);
    SetWindowLongPtrW(window, DWLP_USER, l);
    self->hwnd_ = window;
    self->OnInit();
    CenterOver(window, self->owner_);
    if (self->modal_) PostMessageW(window, kMsgShown, 0, 0);
    return TRUE;
  }
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  INT_PTR result = 0;
  switch (message) {
    case kMsgShown:
      // The dialog manager shows a modal dialog once its queue is first empty; it is shown
      // now, so that its picture and its answer come after it is on screen.
      if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
      }
      self->automation_.Snapshot(window, self->kind_);
      if (std::optional<ScriptedAnswer> a = self->automation_.Take()) self->OnAnswer(*a);
      return TRUE;
    case WM_COMMAND:
      return self->OnCommand(LOWORD(w), HIWORD(w)) ? TRUE : FALSE;
    case WM_NCHITTEST:
      if (self->dragByBody_) {
        LRESULT hit = DefWindowProcW(window, message, w, l);
        SetWindowLongPtrW(window, DWLP_MSGRESULT, hit == HTCLIENT ? HTCAPTION : hit);
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      self->hwnd_ = nullptr;
      return FALSE;
    default:
      break;
  }
  if (self->OnMessage(message, w, l, result)) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
  }
  return FALSE;
}

void Dialog::ShiftBelow(int y, int dy) {
  if (dy == 0) return;
  std::vector<HWND> below;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= y) below.push_back(child);
  }
  for (HWND child : below) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, r.left, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + dy,
               SWP_NOMOVE | SWP_NOZORDER);
}

void Dialog::GrowToText(int id) {
  HWND item = Item(id);
  if (item == nullptr) return;
  RECT r;
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  const int width = r.right - r.left, height = r.bottom - r.top;
  int n = GetWindowTextLengthW(item);
  std::wstring text(std::size_t(n) + 1, L'\0');
  GetWindowTextW(item, text.data(), n + 1);
  text.resize(std::size_t(n));
  HDC dc = GetDC(item);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
  RECT need{0, 0, width, 0};
  wchar_t className[16] = {};
  GetClassNameW(item, className, 16);
  const bool edit = lstrcmpiW(className, L"Edit") == 0;
  // An edit field keeps room for its margins and never grows past half the work area: it
  // scrolls instead.
  if (edit) need.right -= GetSystemMetrics(SM_CXVSCROLL) + 8;
  DrawTextW(dc, text.c_str(), int(text.size()), &need,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
  SelectObject(dc, old);
  ReleaseDC(item, dc);
  int want = need.bottom - need.top + (edit ? 8 : 0);
  RECT work = WorkArea(hwnd_);
  want = std::min<int>(want, (work.bottom - work.top) / 2);
  if (want <= height) return;
  ShiftBelow(r.bottom, want - height);
  SetWindowPos(item, nullptr, 0, 0, width, want, SWP_NOMOVE | SWP_NOZORDER);
}

void CenterOver(HWND window, HWND over) {
  RECT area = WorkArea(over ? over : window);
  if (over != nullptr && IsWindowVisible(over)) {
    GetClientRect(over, &area);
    MapWindowPoints(over, nullptr, reinterpret_cast<POINT*>(&area), 2);
  }
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2,
               area.top + (area.bottom - area.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitOnScreen(window);
}

void FitOnScreen(HWND window) {
  RECT room = WorkArea(window);
  RECT r;
  GetWindowRect(window, &r);
  int w = std::min<int>(r.right - r.left, room.right - room.left);
  int h = std::min<int>(r.bottom - r.top, room.bottom - room.top);
  int x = std::clamp<int>(r.left, room.left, std::max<int>(room.left, room.right - w));
  int y = std::clamp<int>(r.top, room.top, std::max<int>(room.top, room.bottom - h));
  SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vx::win32
