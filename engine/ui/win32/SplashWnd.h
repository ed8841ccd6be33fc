// The splash window of start-up: a borderless window the size of the picture (scaled with the
// screen), centred on the screen, which a thread of its own draws growing from the centre. It
// stays until it has been drawn and then either was clicked or has been up for 10 seconds
// (scaled by VX_PACE).
#pragma once
#include <atomic>
#include <string>

#include "engine/ui/win32/Automation.h"

namespace vx::win32 {

class CSplashWnd {
 public:
  CSplashWnd(const std::string& image, Automation& automation);
  ~CSplashWnd();
  // Shows the splash and returns once it is gone; on the interface thread.
  void Run();
  static constexpr DWORD kStayMs = 10000;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
  static DWORD WINAPI Draw(void* self);

  std::string image_;
  Automation& automation_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;             // the screen's, read before the drawing thread starts
  HANDLE placed_ = nullptr;  // the window has its size and shows: the thread may draw
  std::atomic<bool> drawn_{false}, clicked_{false}, empty_{false};
};

}  // namespace vx::win32
