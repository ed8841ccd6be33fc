// A picture of a window on screen, saved as a PNG (the windows' snapshots of scripted runs).
#pragma once
#include <string>

namespace vx {

// What a picture shows: the window with its frame and this program's windows shown over it
// (a dialog over the main window), or the window's client area alone (a system message box,
// whose caption bar may be the window manager's).
enum class WindowPart { Whole, Client };

// Saves what `window` (a native window handle) shows now to the host file `path`. False when
// the window cannot be captured or the file cannot be written; the platforms without native
// windows have no capture and always say false.
bool SaveWindowPicture(void* window, const std::string& path, WindowPart part = WindowPart::Whole);

}  // namespace vx
