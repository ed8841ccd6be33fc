// The wizard window: a modeless sheet over the backdrop that shows the pages of a filled
// InstallWizard one at a time with Back, Next (or Finish) and Cancel below them.
#pragma once
#include <QDialog>
#include <functional>
#include <vector>

#include "engine/ui/WizardRunner.h"
#include "engine/ui/ClickGuard.h"
#include "engine/ui/WizardSheet.h"
#include "engine/ui/qt/wizard/DialogUnits.h"
#include "engine/ui/qt/wizard/WizardAutomation.h"

class QPushButton;

namespace vx {

class CWZPage;

class CInstallWizard : public QDialog {
 public:
  // Control ids of the sheet's own buttons.
  enum : int { kBackId = 0x3023, kNextId = 0x3024, kFinishId = 0x3025, kCancelId = 2 };

  // `confirmQuit` is the main window's quit confirmation: true when the user quits.
  CInstallWizard(InstallWizard& sheet, std::function<bool()> confirmQuit,
                 QWidget* parent = nullptr);
  ~CInstallWizard() override;

  // How pages are answered and pictured; before Start.
  void SetScript(WizardScript script) { script_ = std::move(script); }
  // Shows the first page (a sheet without pages ends at once with Finished).
  void Start();
  bool Ended() const { return ended_; }
  WizardOutcome Outcome() const { return outcome_; }
  // Called once when the wizard ends.
  std::function<void(WizardOutcome)> onEnded;

  int CurrentIndex() const { return current_; }
  CWZPage* CurrentPage() const;
  QPushButton* Button(int id) const;

  // What the buttons and the close box do.
  void Back();
  void Next();
  void Finish();
  void CancelRequest();

 protected:
  void reject() override;  // Escape
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowPage(int index);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void End(WizardOutcome outcome);
  // The script answers the page once the window has shown it.
  void ScheduleAnswers();

  InstallWizard& sheet_;
  std::function<bool()> confirmQuit_;
  DialogUnits units_;
  std::vector<CWZPage*> pages_;
  QWidget* pageArea_;
  QPushButton* back_;
  QPushButton* next_;
  QPushButton* finish_;
  QPushButton* cancel_;
  int current_ = -1;
  bool ended_ = false;
  bool confirming_ = false;
  WizardOutcome outcome_ = WizardOutcome::Finished;
  WizardScript script_;
  ClickGuard clickGuard_;
};

// Runs the wizard over `parent` until it ends; the Qt UI's way of running a wizard.
WizardOutcome RunQtWizard(InstallWizard& sheet, const std::function<bool()>& confirmQuit,
                          QWidget* parent = nullptr, WizardScript script = {});

}  // namespace vx
