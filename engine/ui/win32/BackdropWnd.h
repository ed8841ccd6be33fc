// The main window: the backdrop behind the wizard (colour or gradient, picture, two titles),
// the menu with Exit and About, the quit confirmation (through onExit), the placement of the
// progress window, and the window messages other programs and threads send it.
#pragma once
#include <functional>
#include <string>

#include "engine/ui/ScreenLayout.h"
#include "engine/ui/win32/Automation.h"

namespace vx::win32 {

// The main window's messages, as their numbers are known outside.
enum : UINT {
  kMsgBeginSetup = WM_USER + 9,
  kMsgRunUninstall = WM_USER + 11,
  kMsgStartInstall = WM_USER + 12,
  kMsgSetBulletin = WM_USER + 13,  // lParam: the picture's name, zero-terminated; result 1
};

class CBackdropWnd {
 public:
  explicit CBackdropWnd(Automation& automation);
  ~CBackdropWnd();
  CBackdropWnd(const CBackdropWnd&) = delete;
  CBackdropWnd& operator=(const CBackdropWnd&) = delete;

  HWND Window() const { return hwnd_; }
  bool Created() const { return hwnd_ != nullptr; }
  void ApplyLayout(const ScreenLayout& layout);
  int SetBulletin(const std::string& image);
  // Moves the progress window where the layout's codes say, without resizing it.
  void PlaceProgress(HWND progress);
  void ShowAbout();
  std::function<void()> onExit;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  void Paint(HDC dc, const RECT& client);
  void MakeFonts();
  void FreeFonts();
  int Dpi() const;

  Automation& automation_;
  HWND hwnd_ = nullptr;
  ScreenLayout layout_;
  std::string image_;
  HFONT mainFont_ = nullptr, subFont_ = nullptr;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
};

}  // namespace vx::win32
