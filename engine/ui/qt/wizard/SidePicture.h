// The picture on the left of a wizard page, drawn into its frame inset by one pixel: the
// page's picture file stretched, or the installer's own picture when the page names none.
#pragma once
#include <QRect>
#include <string>

class QPainter;

namespace vx {

// A named file that cannot be read leaves the frame blank (no fallback, no message).
void DrawSidePicture(QPainter& painter, const QRect& frame, const std::string& file);
// The built-in picture, drawn by code to any size.
void DrawBuiltInSidePicture(QPainter& painter, const QRect& area);

}  // namespace vx
