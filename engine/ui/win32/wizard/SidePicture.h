// The side picture of the pages: the script's picture through the picture service, or the
// program's own, drawn at the device's resolution.
#pragma once
#include "engine/ui/win32/Win32Api.h"

#include <string>

namespace vx::win32 {

// Draws into `frame` (a frame line, then the picture inset by one pixel on each side).
void DrawSidePicture(HDC dc, const RECT& frame, const std::string& file);

}  // namespace vx::win32
