// The one place that brings in <windows.h> and the common controls for the Win32 interface.
// The Windows headers name their ANSI/wide pairs by macros; the ones that would rename the
// interface's own members (Ui::MessageBox) are undone here.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
// The headers follow the oldest Windows the programs start on; these controls' messages exist
// on every one of them.
#include <commctrl.h>

#undef MessageBox

#include <string>

namespace vx::win32 {

// The engine's texts are UTF-8 (a text that is not is read as Windows-1252); line breaks may
// be LF or CR LF and come out as CR LF, as edit and static controls want them.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string WindowText(HWND window);
void SetText(HWND window, const std::string& text);
void SetItemText(HWND dialog, int id, const std::string& text);

}  // namespace vx::win32
