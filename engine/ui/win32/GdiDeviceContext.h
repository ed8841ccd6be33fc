// The picture service's drawing surface over a Windows device context (a window's paint, the
// splash's drawing thread).
#pragma once
#include "engine/ui/win32/Win32Api.h"
#include "platform/DeviceContext.h"

namespace vx::win32 {

// Pixels per inch of the ordinary scale, where one of the service's pixels is one of the screen's.
constexpr int kOrdinaryDpi = 96;

// Pixels per inch of the screen (the system's scale).
int ScreenDpi();
// `value` pixels of the ordinary scale in pixels of a `dpi` screen.
inline int ToDevice(int value, int dpi) { return MulDiv(value, dpi, kOrdinaryDpi); }
// `value` pixels of a `dpi` screen in pixels of the ordinary scale.
inline int FromDevice(int value, int dpi) { return MulDiv(value, kOrdinaryDpi, dpi); }

// The service places and sizes pictures in pixels of the ordinary scale; on a scaled screen
// every coordinate is scaled here, so that a picture keeps its size beside the text (as the
// other interfaces show it). A whole multiple repeats pixels (crisp); any other scale averages.
class GdiDeviceContext : public DeviceContext {
 public:
  explicit GdiDeviceContext(HDC dc, int dpi = kOrdinaryDpi) : dc_(dc), dpi_(dpi) {}
  int SetStretchBltMode(int mode) override;
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override;
  int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                    const void* bits) override;

 private:
  int Stretch(int x, int y, int width, int height, const BitmapInfoHeader& header,
              const void* bits);
  HDC dc_;
  int dpi_;
  int mode_ = kColorOnColor;
};

// Draws the image file (a Windows path) into the rectangle `r` (pixels of a `dpi` screen) with
// display style 0 top-left, 1 centred, 2 tiled, 3 stretched, through Karvo.dll, the picture
// scaled with the screen; an image that cannot be read draws nothing.
void DrawPicture(HDC dc, const std::string& file, const RECT& r, unsigned style, int effect,
                 int dpi = kOrdinaryDpi);
// Width and height of the image file; 0 by 0 when it cannot be read.
SIZE PictureSize(const std::string& file);

}  // namespace vx::win32
