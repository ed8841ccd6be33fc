// The extractor's progress dialog as a native Windows dialog (template VX_EXTRACT_DIALOG).
// Kept free of <windows.h> so that the program's entry point can register it.
#pragma once

namespace vx::extract {

// Makes CreateExtractUi() offer the Win32 dialog ($VX_UI "win32", or by default when windows
// can be shown).
void RegisterWin32ExtractUi();

}  // namespace vx::extract
