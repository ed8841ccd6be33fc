// The native Windows interface: user32/comctl32 windows for the main window, the splash, the
// progress windows and every dialog, made from the templates of Install.rc. It lives on the
// interface thread (the one that made it) for the whole process; workers reach it through the
// engine's dispatcher, whose calls arrive as posted window messages.
#pragma once
#include <atomic>
#include <memory>

#include "engine/ui/Ui.h"
#include "engine/ui/win32/Automation.h"
#include "engine/ui/win32/RegisterWin32Ui.h"
#include "engine/ui/win32/Win32Api.h"

namespace vx::win32 {

class CBackdropWnd;
class SearchDialog;

class Win32Ui : public Ui {
 public:
  explicit Win32Ui(Automation automation = Automation::FromEnvironment());
  ~Win32Ui() override;

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
  // The wizard in its own windows once a program built with them handed them over
  // (SetWizardWindows of WizardHost.h); the walk through dialogs otherwise.
  WizardOutcome RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) override;
  void RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) override;
  void WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) override;

  Automation& Script() { return automation_; }
  // Where a dialog goes: over the window the user works in, else over the main window.
  HWND Owner() const;
  void ExitCommand();

 private:
  // Runs the thread's messages and the dispatched calls until `until` holds.
  void Loop(Dispatcher& dispatcher, const std::function<bool()>& until);
  static LRESULT CALLBACK KeyHook(int code, WPARAM w, LPARAM l);

  Automation automation_;
  std::unique_ptr<CBackdropWnd> backdrop_;
  SearchDialog* search_ = nullptr;  // the file search's dialog while it is up
  HHOOK keyHook_ = nullptr;
  std::atomic<int> arrow_{0};
  std::atomic<bool> arrowPressed_{false};  // a scripted key press is on its way
};

}  // namespace vx::win32
