// Hands the Win32 interface its wizard windows: a program built with them calls this once at
// start. Free of <windows.h>, so that the program's own code keeps the engine's names.
#pragma once

namespace vx::win32 {

void RegisterWin32Wizard();

}  // namespace vx::win32
