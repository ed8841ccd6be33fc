#include "engine/ui/win32/SplashWnd.h"

#include "engine/ui/win32/Dialog.h"
#include "engine/ui/win32/GdiDeviceContext.h"
#include "engine/ui/win32/UiThread.h"
#include "platform/System.h"

namespace vx::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VxSplash";
// Asked of the window's own thread by the drawing thread: take this size, centre, show.
constexpr UINT kMsgPlace = WM_APP + 0x30;
constexpr unsigned kCentred = 1;
constexpr int kGrowFromCentre = 5;
constexpr int kNoEffect = -1;

}  // namespace

CSplashWnd::CSplashWnd(const std::string& image, Automation& automation)
    : image_(image), automation_(automation) {}

CSplashWnd::~CSplashWnd() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (placed_) CloseHandle(placed_);
}

LRESULT CALLBACK CSplashWnd::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CSplashWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  switch (message) {
    case kMsgPlace: {
      const int width = int(w), height = int(l);
      const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
      const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
      SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
      ShowWindow(window, SW_SHOWNOACTIVATE);
      UpdateWindow(window);
      SetEvent(self->placed_);
      return 0;
    }
    case WM_LBUTTONDOWN:
      self->clicked_ = true;
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      // Once drawn the picture stays; before, the drawing thread paints it as it grows.
      if (self->drawn_)
        DrawPicture(dc, self->image_, r, kCentred, kNoEffect, self->dpi_);
      else
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

DWORD WINAPI CSplashWnd::Draw(void* param) {
  auto* self = static_cast<CSplashWnd*>(param);
  SIZE size = PictureSize(self->image_);
  if (size.cx <= 0 || size.cy <= 0) {
    self->empty_ = true;
    self->drawn_ = true;
    return 0;
  }
  // As big beside the text as on an ordinary screen.
  const int width = ToDevice(size.cx, self->dpi_), height = ToDevice(size.cy, self->dpi_);
  // Sizing, centring and showing belong to the window's thread; the drawing waits for them.
  PostMessageW(self->hwnd_, kMsgPlace, WPARAM(width), LPARAM(height));
  WaitForSingleObject(self->placed_, INFINITE);
  HDC dc = GetDC(self->hwnd_);
  RECT r{0, 0, width, height};
  DrawPicture(dc, self->image_, r, kCentred, kGrowFromCentre, self->dpi_);
  GdiFlush();
  ReleaseDC(self->hwnd_, dc);
  self->drawn_ = true;
  return 0;
}

void CSplashWnd::Run() {
  ExpectInterfaceThread();
  const DWORD start = GetTickCount();
  static const bool registered = [] {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = &Proc;
    c.hInstance = ResourceModule();
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.lpszClassName = kClassName;
    return RegisterClassExW(&c) != 0;
  }();
  static_cast<void>(registered);
  dpi_ = ScreenDpi();
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Splash", WS_POPUP, 0, 0, 1, 1, nullptr,
                          nullptr, ResourceModule(), nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  placed_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE drawer = CreateThread(nullptr, 0, &Draw, this, 0, nullptr);
  if (drawer == nullptr) {
    empty_ = true;  // no thread to draw it: no splash
    drawn_ = true;
  }
  const double stay = double(kStayMs) * PaceFactor();
  bool pictured = false;
  while (true) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (drawn_ && !pictured && !empty_) {
      pictured = true;
      InvalidateRect(hwnd_, nullptr, FALSE);
      UpdateWindow(hwnd_);
      automation_.Snapshot(hwnd_, "splash");
    }
    // A picture that cannot be read shows nothing: there is nothing to wait for.
    if (drawn_ && (empty_ || clicked_ || double(GetTickCount() - start) > stay)) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  if (drawer) {
    WaitForSingleObject(drawer, INFINITE);
    CloseHandle(drawer);
  }
  ShowWindow(hwnd_, SW_HIDE);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

}  // namespace vx::win32
