#include "engine/ui/win32/wizard/SidePicture.h"

#include <algorithm>

#include "engine/ui/win32/Dialogs.h"
#include "engine/ui/win32/GdiDeviceContext.h"

namespace vx::win32 {

void DrawSidePicture(HDC dc, const RECT& frame, const std::string& file) {
  // The frame line keeps its weight on a scaled screen: one pixel at the ordinary scale.
  const int line = std::max(1, ToDevice(1, GetDeviceCaps(dc, LOGPIXELSY)));
  RECT inside = frame;
  for (int i = 0; i < line; ++i) {
    FrameRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&inside, -1, -1);
  }
  if (inside.right <= inside.left || inside.bottom <= inside.top) return;
  // The program's own picture, as the choice dialog shows it.
  if (file.empty()) {
    PaintSidePicture(dc, inside);
    return;
  }
  // Through the picture service: stretched, without a transition; a picture that cannot be
  // read leaves the frame blank.
  FillRect(dc, &inside, GetSysColorBrush(COLOR_BTNFACE));
  DrawPicture(dc, file, inside, 3, -1);
}

}  // namespace vx::win32
