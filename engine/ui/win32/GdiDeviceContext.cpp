#include "engine/ui/win32/GdiDeviceContext.h"

#include "library/Karvo.h"

namespace vx::win32 {

namespace {

// The service's header has the layout of the system's: one is read as the other.
const BITMAPINFO* InfoOf(const BitmapInfoHeader& header) {
  static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
  return reinterpret_cast<const BITMAPINFO*>(&header);
}

int RowsOf(const BitmapInfoHeader& header) {
  return header.biHeight < 0 ? -header.biHeight : header.biHeight;
}

}  // namespace

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kOrdinaryDpi;
}

int GdiDeviceContext::SetStretchBltMode(int mode) {
  const int previous = mode_;
  mode_ = mode;
  ::SetStretchBltMode(dc_, mode);
  return previous;
}

int GdiDeviceContext::Stretch(int x, int y, int width, int height, const BitmapInfoHeader& header,
                              const void* bits) {
  const int left = ToDevice(x, dpi_), top = ToDevice(y, dpi_);
  return ::StretchDIBits(dc_, left, top, ToDevice(x + width, dpi_) - left,
                         ToDevice(y + height, dpi_) - top, 0, 0, header.biWidth, RowsOf(header),
                         bits, InfoOf(header), DIB_RGB_COLORS, SRCCOPY);
}

int GdiDeviceContext::SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header,
                                        const void* bits) {
  if (dpi_ == kOrdinaryDpi)
    return ::SetDIBitsToDevice(dc_, x, y, DWORD(header.biWidth), DWORD(RowsOf(header)), 0, 0, 0,
                               UINT(RowsOf(header)), bits, InfoOf(header), DIB_RGB_COLORS);
  // Twice (or three times) as big repeats every pixel; 150 % has no such choice and averages.
  const bool whole = dpi_ % kOrdinaryDpi == 0;
  const int previous = ::SetStretchBltMode(dc_, whole ? COLORONCOLOR : HALFTONE);
  if (!whole) SetBrushOrgEx(dc_, 0, 0, nullptr);
  const int rows = Stretch(x, y, header.biWidth, RowsOf(header), header, bits);
  ::SetStretchBltMode(dc_, previous);
  return rows;
}

int GdiDeviceContext::StretchDIBits(int x, int y, int width, int height,
                                    const BitmapInfoHeader& header, const void* bits) {
  if (mode_ == HALFTONE) SetBrushOrgEx(dc_, 0, 0, nullptr);
  return Stretch(x, y, width, height, header, bits);
}

void DrawPicture(HDC dc, const std::string& file, const RECT& r, unsigned style, int effect,
                 int dpi) {
  if (file.empty() || dpi <= 0) return;
  GdiDeviceContext surface(dc, dpi);
  VxRect rect{FromDevice(r.left, dpi), FromDevice(r.top, dpi), FromDevice(r.right, dpi),
              FromDevice(r.bottom, dpi)};
  VxDisplayImage(file.c_str(), &surface, rect, style, effect);
}

SIZE PictureSize(const std::string& file) {
  if (file.empty()) return {0, 0};
  VxSize size{0, 0};
  RetrieveImageDimension(file.c_str(), &size);
  return {size.cx, size.cy};
}

}  // namespace vx::win32
