#include "engine/ui/win32/Win32Api.h"

namespace vx::win32 {

std::wstring Wide(const std::string& text) {
  std::string crlf;
  crlf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    if (text[i] == '\n') crlf += '\r';
    crlf += text[i];
  }
  if (crlf.empty()) return {};
  UINT page = CP_UTF8;
  int n =
      MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, crlf.data(), int(crlf.size()), nullptr, 0);
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (n <= 0) {
    page = 1252;
    flags = 0;
    n = MultiByteToWideChar(page, flags, crlf.data(), int(crlf.size()), nullptr, 0);
  }
  std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(page, flags, crlf.data(), int(crlf.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(std::size_t(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string WindowText(HWND window) {
  int n = GetWindowTextLengthW(window);
  if (n <= 0) return {};
  std::wstring text(std::size_t(n) + 1, L'\0');
  n = GetWindowTextW(window, text.data(), n + 1);
  text.resize(std::size_t(n > 0 ? n : 0));
  return Narrow(text);
}

void SetText(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text).c_str()); }

void SetItemText(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, Wide(text).c_str());
}

}  // namespace vx::win32
