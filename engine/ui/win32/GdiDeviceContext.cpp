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

int GdiDeviceContext::SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header,
                                        const void* bits) {
  return ::SetDIBitsToDevice(dc_, x, y, DWORD(header.biWidth), DWORD(RowsOf(header)), 0, 0, 0,
                             UINT(RowsOf(header)), bits, InfoOf(header), DIB_RGB_COLORS);
}

int GdiDeviceContext::StretchDIBits(int x, int y, int width, int height,
                                    const BitmapInfoHeader& header, const void* bits) {
  return ::StretchDIBits(dc_, x, y, width, height, 0, 0, header.biWidth, RowsOf(header), bits,
                         InfoOf(header), DIB_RGB_COLORS, SRCCOPY);
}

void DrawPicture(HDC dc, const std::string& file, const RECT& r, unsigned style, int effect) {
  if (file.empty()) return;
  GdiDeviceContext surface(dc);
  VxRect rect{r.left, r.top, r.right, r.bottom};
  VxDisplayImage(file.c_str(), &surface, rect, style, effect);
}

SIZE PictureSize(const std::string& file) {
  if (file.empty()) return {0, 0};
  VxSize size{0, 0};
  RetrieveImageDimension(file.c_str(), &size);
  return {size.cx, size.cy};
}

}  // namespace vx::win32
