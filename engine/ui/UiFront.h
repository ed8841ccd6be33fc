// The UI front: a Ui that any thread may call. On the interface thread it calls the
// implementation in place; from a worker it sends questions through the dispatcher (and
// waits for the answer) and posts progress updates (and goes on). SetUi may replace the
// implementation at any time: a call in progress keeps the one it started with.
#pragma once
#include <memory>
#include <mutex>

#include "engine/ui/Ui.h"
#include "platform/Dispatcher.h"

namespace vx {

class UiFront : public Ui {
 public:
  explicit UiFront(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

  void Set(std::shared_ptr<Ui> ui);
  // The implementation now behind the front, or null.
  std::shared_ptr<Ui> Target() const;

  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override;
  int FourChoice(const std::string& caption, const std::string& question,
                 const std::vector<std::string>& buttonTexts) override;
  bool AskText(const std::string& caption, const std::string& text, std::string& value) override;
  int ChooseFromList(const std::string& caption, const std::string& prompt,
                     const std::vector<std::string>& items, int preselected) override;
  int PollArrowKey() override;
  std::unique_ptr<ProgressView> CreateProgress(const std::string& title) override;
  void Beep() override;
  bool IsHeadless() const override;
  WizardOutcome RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) override;
  void RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) override;
  void WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) override;
  bool ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) override;
  void ShowSplash(const std::string& image) override;
  bool CreateMainWindow() override;
  void LayoutMainWindow() override;
  void SetBulletin(const std::string& image) override;
  std::vector<std::string> UnusedAnswers() const override;
  void RefuseLastAnswer(const std::string& dialog, const std::string& accepts) override;

 private:
  // Runs `call` with the implementation on the interface thread; `fallback` when it cannot.
  template <class R>
  R Ask(const std::function<R(Ui&)>& call, R fallback);

  Dispatcher& dispatcher_;
  mutable std::mutex mutex_;
  std::shared_ptr<Ui> ui_;
};

}  // namespace vx
