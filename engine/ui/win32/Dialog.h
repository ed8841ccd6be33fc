// A dialog of the Win32 interface made from a template of Install.rc: modal or modeless, with
// its picture once shown and, in a scripted run, the next answer clicking its real buttons.
#pragma once
#include <string>

#include "engine/ui/win32/Automation.h"
#include "engine/ui/win32/Win32Api.h"

namespace vx::win32 {

// The module that holds the templates (Install.exe itself).
HINSTANCE ResourceModule();

class Dialog {
 public:
  Dialog(Automation& automation, std::string kind)
      : automation_(automation), kind_(std::move(kind)) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Modal: returns the result EndDialog gave (-1 when the dialog could not be made).
  INT_PTR RunModal(int templateId, HWND owner);
  // Modeless: the window, hidden until shown.
  HWND Create(int templateId, HWND owner);
  HWND Window() const { return hwnd_; }

 protected:
  virtual void OnInit() {}
  // A command from a control or the keyboard (IDCANCEL for Esc and the close box); true when
  // handled.
  virtual bool OnCommand(int id, int code) { return false; }
  // The scripted answer (an empty one for the default) once the dialog is on screen.
  virtual void OnAnswer(const ScriptedAnswer& answer) {}
  // Any other message; true (with `result`) when handled.
  virtual bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) { return false; }

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Presses a button as a click does.
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  void End(INT_PTR result) { EndDialog(hwnd_, result); }
  // Grows the static or edit control `id` to the height its text needs at its width, moving
  // what lies below it down and the dialog's bottom edge with it.
  void GrowToText(int id);
  // Moves every control below `y` (pixels of the client area) by `dy` and the bottom edge.
  void ShiftBelow(int y, int dy);
  // The window answers every hit test of its body as its caption: dragged by any point.
  bool dragByBody_ = false;

  Automation& automation_;
  std::string kind_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
  bool modal_ = false;
};

// Centres `window` over `over` (the screen's work area when null) and keeps it on the screen.
void CenterOver(HWND window, HWND over);
void FitOnScreen(HWND window);

}  // namespace vx::win32
