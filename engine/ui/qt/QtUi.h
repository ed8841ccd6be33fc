// The graphical interface: Qt Widgets windows for the main window, the splash, the progress
// windows and every dialog. It lives on the interface thread (the one that created it) for
// the whole process.
#pragma once
#include <QApplication>
#include <QPointer>
#include <atomic>
#include <memory>

#include "engine/ui/Ui.h"
#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class CBackdropWnd;
class SearchDialog;

class QtUi : public Ui {
 public:
  // Creates the Qt application when there is none yet.
  explicit QtUi(Automation automation = Automation::FromEnvironment());
  ~QtUi() override;

  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override;
  int FourChoice(const std::string& caption, const std::string& question,
                 const std::vector<std::string>& buttonTexts) override;
  bool AskText(const std::string& caption, const std::string& text, std::string& value) override;
  int ChooseFromList(const std::string& caption, const std::string& prompt,
                     const std::vector<std::string>& items, int preselected) override;
  int PollArrowKey() override;
  std::unique_ptr<ProgressView> CreateProgress(const std::string& title) override;
  void Beep() override;
  bool IsHeadless() const override { return false; }
  bool ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) override;
  void ShowSplash(const std::string& image) override;
  bool CreateMainWindow() override;
  void LayoutMainWindow() override;
  void SetBulletin(const std::string& image) override;
  std::vector<std::string> UnusedAnswers() const override { return automation_.UnusedAnswers(); }
  void RefuseLastAnswer(const std::string& dialog, const std::string& accepts) override {
    automation_.RefuseLast(dialog, accepts);
  }
  // Qt's event loop runs the dispatched calls: the main window's loop and the modal waits.
  // The wizard in its own windows once a program built with them handed them over (see
  // SetWizardWindows); the walk through dialogs otherwise.
  WizardOutcome RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) override;
  using WizardWindows =
      std::function<WizardOutcome(QtUi&, InstallWizard&, const std::function<bool()>&)>;
  static void SetWizardWindows(WizardWindows run);
  void RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) override;
  void WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) override;

  Automation& Script() { return automation_; }
  CBackdropWnd* Backdrop() const { return backdrop_.get(); }
  // The main window's exit command (menu Exit, close box, Stop of the file search).
  void ExitCommand();
  // Where a dialog goes: over the backdrop when it is shown.
  QWidget* Owner() const;

 private:
  bool eventFilter(QObject* watched, QEvent* event);
  friend class KeyFilter;

  // Runs Qt's events until `until` holds.
  void Loop(Dispatcher& dispatcher, const std::function<bool()>& until);

  std::unique_ptr<QApplication> app_;
  Automation automation_;
  std::unique_ptr<CBackdropWnd> backdrop_;
  std::unique_ptr<QObject> keyFilter_;
  QPointer<SearchDialog> search_;
  std::atomic<int> arrow_{0};
  std::atomic<bool> arrowPressed_{false};  // a scripted key press is on its way
};

// Makes CurrentUi() use the Qt interface when $VX_UI asks for it.
void RegisterQtUi();

}  // namespace vx::qt
