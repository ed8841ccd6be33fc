// CInstallWizard: the modeless wizard-mode property sheet. It owns one page window object per
// page of the filled InstallWizard, sets the buttons each page asks for and pumps the sheet's
// messages until a page ends it.
#pragma once
#include "engine/ui/win32/Win32Api.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/ui/WizardRunner.h"
#include "engine/ui/WizardSheet.h"
#include "engine/ui/win32/WizardHost.h"

namespace vx::win32 {

class CWZPage;

class CInstallWizard {
 public:
  // The sheet's own buttons.
  enum : int { kBackId = 0x3023, kNextId = 0x3024, kFinishId = 0x3025, kCancelId = IDCANCEL };

  CInstallWizard(InstallWizard& sheet, const WizardHost& host);
  ~CInstallWizard();

  // Creates and shows the sheet and pumps its messages until it ends.
  WizardOutcome Run();

  const WizardHost& Host() const { return host_; }
  HWND Sheet() const { return sheet_; }
  CWZPage* CurrentPage() const { return current_; }
  bool Ended() const { return ended_; }
  // Presses a sheet button as a click does (PSBTN_*).
  void Press(int button);

  // Called by the pages.
  void Attach(HWND page);  // the first page made tells the sheet's window
  void Activated(CWZPage& page);
  // Next on `page`: true when the sheet is to move on in the ordinary way.
  bool NextPressed(CWZPage& page);
  // A request to cancel on `page`: true lets the sheet cancel.
  bool CancelRequested(CWZPage& page);
  void QuitQuestion(CWZPage& page);
  void Finished();
  void End(WizardOutcome outcome);
  // The script answers the current page (or it is pictured) once it is shown.
  void ScheduleAnswers(CWZPage& page);
  void Snapshot();

 private:
  bool IsCompletion() const;

  InstallWizard& wizard_;
  const WizardHost& host_;
  std::vector<std::unique_ptr<CWZPage>> pages_;
  std::vector<std::wstring> titles_;  // the sheet keeps pointers to them
  std::wstring caption_;
  HWND sheet_ = nullptr;
  CWZPage* current_ = nullptr;
  bool ended_ = false;
  bool confirming_ = false;
  WizardOutcome outcome_ = WizardOutcome::Finished;
};

// The page window of a page (the one table of page windows).
std::unique_ptr<CWZPage> CreatePage(CInstallWizard& wizard, const WizardPage& info);

}  // namespace vx::win32
