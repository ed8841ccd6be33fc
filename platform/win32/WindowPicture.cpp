#include "platform/WindowPicture.h"

#include <vector>

#include "platform/PngWrite.h"
#include "platform/win32/WinApi.h"

namespace vx {

namespace {

constexpr int kBitsPerPixel = 32;

}  // namespace

bool SaveWindowPicture(void* window, const std::string& path) {
  HWND hwnd = static_cast<HWND>(window);
  if (hwnd == nullptr || !IsWindowVisible(hwnd)) return false;
  // What the window and its children show now, not what they will show after the queue.
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  // The part on the screen: a window partly off it gives the part that shows.
  RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT shown;
  if (!IntersectRect(&shown, &r, &screen)) return false;
  const int width = shown.right - shown.left, height = shown.bottom - shown.top;
  if (width <= 0 || height <= 0 || width > kPngMaxSide || height > kPngMaxSide) return false;

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
    ok = BitBlt(memory, 0, 0, width, height, screenDc, shown.left, shown.top,
                SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    const std::size_t stride = std::size_t(width) * 4;
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
