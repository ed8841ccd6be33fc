// What Install.exe's main needs of the Win32 interface, without the Windows headers.
#pragma once

namespace vx::win32 {

// Makes CurrentUi() use the Win32 interface when $VX_UI asks for it ("win32", or "auto"
// where windows can be made).
void RegisterWin32Ui();

}  // namespace vx::win32
