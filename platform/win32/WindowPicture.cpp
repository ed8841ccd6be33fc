#include "platform/WindowPicture.h"

#include <vector>

#include "platform/PngWrite.h"
#include "platform/win32/WinApi.h"

namespace vx {

namespace {

constexpr WORD kBitsPerPixel = 32;
constexpr std::size_t kBytesPerPixel = 4;

// This program's visible windows over `below` (above it in the stacking order) and crossing
// `area`, the topmost first.
struct Over {
  HWND below;
  RECT area;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOver(HWND window, LPARAM param) {
  auto& over = *reinterpret_cast<Over*>(param);
  if (window == over.below) return FALSE;  // the rest lies under it
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  RECT r, common;
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && !IsIconic(window) &&
      GetWindowRect(window, &r) && IntersectRect(&common, &r, &over.area))
    over.windows.push_back(window);
  return TRUE;
}

// Pending drawing of a window of this thread is done now; another thread's window is taken
// as it is (asking it to draw could wait on a thread that waits on this one).
void FinishDrawing(HWND window) {
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Where `part` of `window` stands on the screen.
bool PartOnScreen(HWND window, WindowPart part, RECT* r) {
  if (part == WindowPart::Whole) return GetWindowRect(window, r) != 0;
  if (!GetClientRect(window, r)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(r), 2);
  return true;
}

// Copies what `window` drew (its whole window, or its client area) from its own device
// context to `canvas`, whose origin is `origin` on the screen. Unlike a copy of the screen,
// this never catches drawing that has not reached the screen yet.
bool CopyDrawing(HDC canvas, POINT origin, HWND window, WindowPart part) {
  RECT r;
  if (!PartOnScreen(window, part, &r)) return false;
  HDC drawn = part == WindowPart::Whole ? GetWindowDC(window) : GetDC(window);
  if (drawn == nullptr) return false;
  const bool ok = BitBlt(canvas, r.left - origin.x, r.top - origin.y, r.right - r.left,
                         r.bottom - r.top, drawn, 0, 0, SRCCOPY) != 0;
  ReleaseDC(window, drawn);
  return ok;
}

}  // namespace

bool SaveWindowPicture(void* handle, const std::string& path, WindowPart part) {
  HWND hwnd = static_cast<HWND>(handle);
  if (hwnd == nullptr || !IsWindowVisible(hwnd)) return false;
  RECT r;
  if (!PartOnScreen(hwnd, part, &r)) return false;
  // The part on the screen: a window partly off it gives the part that shows.
  RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT shown;
  if (!IntersectRect(&shown, &r, &screen)) return false;
  const int width = shown.right - shown.left, height = shown.bottom - shown.top;
  if (width <= 0 || height <= 0 || width > kPngMaxSide || height > kPngMaxSide) return false;

  Over over{hwnd, shown, {}};
  if (part == WindowPart::Whole) EnumWindows(&CollectOver, reinterpret_cast<LPARAM>(&over));
  FinishDrawing(hwnd);
  for (HWND window : over.windows) FinishDrawing(window);
  GdiFlush();

  HDC screenDc = GetDC(nullptr);
  if (screenDc == nullptr) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screenDc);
  bool ok = false;
  if (bitmap != nullptr && memory != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    const POINT origin{shown.left, shown.top};
    ok = CopyDrawing(memory, origin, hwnd, part);
    // The windows over it, from the lowest up, as the screen stacks them.
    for (auto it = over.windows.rbegin(); ok && it != over.windows.rend(); ++it)
      CopyDrawing(memory, origin, *it, WindowPart::Whole);
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    const std::size_t stride = std::size_t(width) * kBytesPerPixel;
    std::vector<std::uint8_t> png =
        EncodePng(std::span(static_cast<const std::uint8_t*>(bits), stride * std::size_t(height)),
                  width, height, stride);
    ok = !png.empty() && WriteBytesToFile(path, png);
  }
  if (memory) DeleteDC(memory);
  if (bitmap) DeleteObject(bitmap);
  ReleaseDC(nullptr, screenDc);
  return ok;
}

}  // namespace vx
