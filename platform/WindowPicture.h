// A picture of a window on screen, saved as a PNG (the windows' snapshots of scripted runs).
#pragma once
#include <string>

namespace vx {

// Saves what `window` (a native window handle) shows now, frame included, to the host file
// `path`. False when the window cannot be captured or the file cannot be written; the
// platforms without native windows have no capture and always say false.
bool SaveWindowPicture(void* window, const std::string& path);

}  // namespace vx
