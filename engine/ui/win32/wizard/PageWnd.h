// A wizard page window: a dialog made from the page's template, its controls found by their
// ids, the side picture drawn into its frame. The page classes add what they show and do.
#pragma once
#include "engine/ui/win32/Win32Api.h"

#include <string>

#include "engine/ui/WizardSheet.h"

namespace vx::win32 {

class CInstallWizard;

enum class PageNext { Proceed, Stay, UninstallAll };

// Private messages a page posts itself, so that they run once the sheet has shown it.
enum : UINT {
  kMsgAnswer = WM_APP + 1,        // the script answers the page (or it is only pictured)
  kMsgQuitQuestion = WM_APP + 2,  // Cancel became the main window's quit confirmation
  kMsgStayed = WM_APP + 3,        // a scripted Next was refused: the page is asked again
};

class CWZPage {
 public:
  CWZPage(CInstallWizard& wizard, const WizardPage& info) : wizard_(wizard), info_(info) {}
  virtual ~CWZPage() = default;
  CWZPage(const CWZPage&) = delete;
  CWZPage& operator=(const CWZPage&) = delete;

  const WizardPage& Info() const { return info_; }
  HWND Hwnd() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  CInstallWizard& Wizard() const { return wizard_; }

  // Once, when the page's window is made from its template.
  virtual void Initialise() {}
  // Every time it becomes the current page (after the sheet has set its buttons).
  virtual void Activate() {}
  // Next pressed: the page's own work; Stay keeps the wizard on the page.
  virtual PageNext Next() { return PageNext::Proceed; }
  // A child control's WM_COMMAND.
  virtual void Command(int id, int code) {}
  // A child control's WM_NOTIFY other than the sheet's; true when it set `result`.
  virtual bool Notify(NMHDR& header, LRESULT& result) { return false; }

  // The page's dialog procedure, given to the sheet.
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  void SetText(int id, const std::string& text);
  // Static texts: every line end is a break.
  void SetStaticText(int id, const std::string& text);
  // Multi-line edits: only CR LF breaks a line; a lone CR or LF shows as a blank.
  void SetEditText(int id, const std::string& text);
  std::string Text(int id) const;
  void Show(int id, bool visible);
  void SetPictureFile(std::string file);

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR SheetNotify(NMHDR& header);

  CInstallWizard& wizard_;
  WizardPage info_;
  HWND hwnd_ = nullptr;
  std::string picture_;
};

}  // namespace vx::win32
