#include "engine/ui/win32/wizard/SidePicture.h"

#include <algorithm>

#include "library/Karvo.h"
#include "platform/DeviceContext.h"

namespace vx::win32 {

namespace {

// The picture service's drawing surface over a window's device context.
class GdiContext : public DeviceContext {
 public:
  explicit GdiContext(HDC dc) : dc_(dc) {}
  int SetStretchBltMode(int mode) override { return ::SetStretchBltMode(dc_, mode); }
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override {
    const int h = std::abs(header.biHeight);
    return ::SetDIBitsToDevice(dc_, x, y, header.biWidth, h, 0, 0, 0, h, bits, Info(header),
                               DIB_RGB_COLORS);
  }
  int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                    const void* bits) override {
    return ::StretchDIBits(dc_, x, y, width, height, 0, 0, header.biWidth,
                           std::abs(header.biHeight), bits, Info(header), DIB_RGB_COLORS, SRCCOPY);
  }

 private:
  static const BITMAPINFO* Info(const BitmapInfoHeader& header) {
    static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
    return reinterpret_cast<const BITMAPINFO*>(&header);
  }
  HDC dc_;
};

// Scales a length given for a 100-pixel-wide picture.
int At(const RECT& a, int per100, bool vertical) {
  const int size = vertical ? a.bottom - a.top : a.right - a.left;
  return (vertical ? a.top : a.left) + MulDiv(size, per100, 100);
}

void Circle(HDC dc, const RECT& a, int cx, int cy, int r100) {
  const int r = MulDiv(a.right - a.left, r100, 100);
  Ellipse(dc, At(a, cx, false) - r, At(a, cy, true) - r, At(a, cx, false) + r, At(a, cy, true) + r);
}

// The program's own picture: a sky, rising rings and a disc dropping into an open box.
void DrawBuiltIn(HDC dc, const RECT& a) {
  const int h = a.bottom - a.top, w = a.right - a.left;
  // The sky, dark blue at the top to pale at the foot, one line per pixel row.
  for (int y = 0; y < h; ++y) {
    const int t = MulDiv(y, 255, std::max(1, h - 1));
    HPEN pen =
        CreatePen(PS_SOLID, 1, RGB(14 + t * 186 / 255, 40 + t * 185 / 255, 110 + t * 130 / 255));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, a.left, a.top + y, nullptr);
    LineTo(dc, a.right, a.top + y);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  const int line = std::max(1, w / 40);
  HPEN ring = CreatePen(PS_SOLID, line, RGB(150, 185, 225));
  HGDIOBJ oldPen = SelectObject(dc, ring);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Circle(dc, a, 22, 16, 10);
  Circle(dc, a, 70, 26, 16);
  Circle(dc, a, 38, 40, 6);
  HPEN edge = CreatePen(PS_SOLID, std::max(1, w / 60), RGB(90, 60, 20));
  SelectObject(dc, edge);
  HBRUSH wood = CreateSolidBrush(RGB(214, 170, 96));
  HBRUSH lid = CreateSolidBrush(RGB(190, 146, 76));
  auto polygon = [&](std::initializer_list<std::pair<int, int>> points, HBRUSH brush) {
    POINT p[4];
    int n = 0;
    for (auto [x, y] : points) p[n++] = {At(a, x, false), At(a, y, true)};
    SelectObject(dc, brush);
    Polygon(dc, p, n);
  };
  polygon({{18, 66}, {82, 66}, {82, 86}, {18, 86}}, wood);
  polygon({{18, 66}, {50, 66}, {36, 58}, {6, 60}}, lid);
  polygon({{50, 66}, {82, 66}, {94, 60}, {64, 58}}, lid);
  HBRUSH disc = CreateSolidBrush(RGB(205, 215, 235));
  HBRUSH hole = CreateSolidBrush(RGB(30, 110, 170));
  HPEN discEdge = CreatePen(PS_SOLID, std::max(1, w / 80), RGB(60, 70, 110));
  SelectObject(dc, discEdge);
  SelectObject(dc, disc);
  Circle(dc, a, 50, 50, 17);
  SelectObject(dc, hole);
  Circle(dc, a, 50, 50, 4);
  // The installer's initials at the foot.
  HFONT font = CreateFontA(-std::max(8, w * 22 / 100), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                           0, 0, CLEARTYPE_QUALITY, 0, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(20, 40, 90));
  RECT foot{a.left, At(a, 87, true), a.right, a.bottom};
  DrawTextA(dc, "Vx", 2, &foot, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  for (HGDIOBJ o :
       {static_cast<HGDIOBJ>(ring), static_cast<HGDIOBJ>(edge), static_cast<HGDIOBJ>(wood),
        static_cast<HGDIOBJ>(lid), static_cast<HGDIOBJ>(disc), static_cast<HGDIOBJ>(hole),
        static_cast<HGDIOBJ>(discEdge), static_cast<HGDIOBJ>(font)})
    DeleteObject(o);
}

}  // namespace

void DrawSidePicture(HDC dc, const RECT& frame, const std::string& file) {
  FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT inside = frame;
  InflateRect(&inside, -1, -1);
  if (inside.right <= inside.left || inside.bottom <= inside.top) return;
  if (file.empty()) {
    HRGN clip = CreateRectRgnIndirect(&inside);
    SelectClipRgn(dc, clip);
    DrawBuiltIn(dc, inside);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    return;
  }
  // Through the picture service: stretched, without a transition; a picture that cannot be
  // read leaves the frame blank.
  FillRect(dc, &inside, GetSysColorBrush(COLOR_BTNFACE));
  GdiContext context(dc);
  VxDisplayImage(file.c_str(), &context, {inside.left, inside.top, inside.right, inside.bottom}, 3,
                 -1);
}

}  // namespace vx::win32
