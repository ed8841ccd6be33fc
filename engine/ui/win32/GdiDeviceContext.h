// The picture service's drawing surface over a Windows device context (a window's paint, the
// splash's drawing thread).
#pragma once
#include "engine/ui/win32/Win32Api.h"
#include "platform/DeviceContext.h"

namespace vx::win32 {

class GdiDeviceContext : public DeviceContext {
 public:
  explicit GdiDeviceContext(HDC dc) : dc_(dc) {}
  int SetStretchBltMode(int mode) override { return ::SetStretchBltMode(dc_, mode); }
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override;
  int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                    const void* bits) override;

 private:
  HDC dc_;
};

// Draws the image file (a Windows path) into the rectangle with display style 0 top-left,
// 1 centred, 2 tiled, 3 stretched, through Karvo.dll; an image that cannot be read draws
// nothing.
void DrawPicture(HDC dc, const std::string& file, const RECT& r, unsigned style, int effect);
// Width and height of the image file; 0 by 0 when it cannot be read.
SIZE PictureSize(const std::string& file);

}  // namespace vx::win32
