// Pictures of the windows: the script's images through the picture service, and the two
// built-in ones (the program icon and the choice dialog's side picture).
#pragma once
#include <QIcon>
#include <QImage>
#include <string>

#include "platform/DeviceContext.h"

namespace vx::qt {

// Draws the image file (a Windows path) into the rectangle with display style 0 top-left,
// 1 centred, 2 tiled, 3 stretched; an image that cannot be read draws nothing.
void DrawPicture(DeviceContext& dc, const std::string& file, int left, int top, int right,
                 int bottom, unsigned style, int effect);
// Width and height of the image file; 0 by 0 when it cannot be read.
QSize PictureSize(const std::string& file);

QIcon ProgramIcon();
QImage SidePicture();

}  // namespace vx::qt
