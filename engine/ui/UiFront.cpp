#include "engine/ui/UiFront.h"

#include <atomic>

#include "engine/ui/WizardRunner.h"

namespace vx {

namespace {

// A progress window used from any thread: updates from a worker are posted, so that the
// worker never waits for the window; the window itself is released on the interface thread
// after every update queued before.
class ForwardingProgress : public ProgressView {
 public:
  ForwardingProgress(Dispatcher& dispatcher, std::shared_ptr<ProgressView> view)
      : dispatcher_(dispatcher), view_(std::move(view)) {}
  ~ForwardingProgress() override {
    if (!dispatcher_.OnInterfaceThread()) dispatcher_.Post([view = std::move(view_)] {});
  }
  void SetHeading(const std::string& text) override {
    Forward([text](ProgressView& v) { v.SetHeading(text); });
  }
  void SetDetail(const std::string& text) override {
    // One per file: shown within a moment, without waking the interface thread for each.
    if (dispatcher_.OnInterfaceThread()) {
      view_->SetDetail(text);
      return;
    }
    dispatcher_.PostRefresh([view = view_, text] { view->SetDetail(text); });
  }
  void SetPosition(int percent) override {
    // A run of many small files sets the same percentage for hundreds of them in a row: the
    // bar already stands there, and each post would wake the interface thread for nothing.
    if (position_.exchange(percent, std::memory_order_relaxed) == percent) return;
    Forward([percent](ProgressView& v) { v.SetPosition(percent); });
  }
  void HideCancel() override {
    Forward([](ProgressView& v) { v.HideCancel(); });
  }
  void Show(bool visible) override {
    Forward([visible](ProgressView& v) { v.Show(visible); });
  }

 private:
  template <class F>
  void Forward(F f) {
    if (dispatcher_.OnInterfaceThread()) {
      f(*view_);
      return;
    }
    dispatcher_.Post([view = view_, f] { f(*view); });
  }

  Dispatcher& dispatcher_;
  std::shared_ptr<ProgressView> view_;
  std::atomic<int> position_{-1};  // the last percentage passed on
};

}  // namespace

void UiFront::Set(std::shared_ptr<Ui> ui) {
  std::lock_guard lock(mutex_);
  ui_ = std::move(ui);
}

std::shared_ptr<Ui> UiFront::Target() const {
  std::lock_guard lock(mutex_);
  return ui_;
}

template <class R>
R UiFront::Ask(const std::function<R(Ui&)>& call, R fallback) {
  std::shared_ptr<Ui> ui = Target();
  if (!ui) return fallback;
  if (dispatcher_.OnInterfaceThread()) return call(*ui);
  return dispatcher_.Call<R>([&] { return call(*ui); }, fallback);
}

int UiFront::MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) {
  // A box that cannot be shown any more is closed: Cancel for boxes that have it, else OK.
  std::uint32_t buttons = type & kMbTypeMask;
  int closed = buttons == kMbOk ? kIdOk : buttons == kMbYesNo ? kIdNo : kIdCancel;
  return Ask<int>([&](Ui& ui) { return ui.MessageBox(caption, text, type); }, closed);
}

int UiFront::FourChoice(const std::string& caption, const std::string& question,
                        const std::vector<std::string>& buttonTexts) {
  return Ask<int>([&](Ui& ui) { return ui.FourChoice(caption, question, buttonTexts); }, 2);
}

bool UiFront::AskText(const std::string& caption, const std::string& text, std::string& value) {
  return Ask<bool>([&](Ui& ui) { return ui.AskText(caption, text, value); }, false);
}

int UiFront::ChooseFromList(const std::string& caption, const std::string& prompt,
                            const std::vector<std::string>& items, int preselected) {
  return Ask<int>([&](Ui& ui) { return ui.ChooseFromList(caption, prompt, items, preselected); },
                  -1);
}

int UiFront::PollArrowKey() {
  return Ask<int>([](Ui& ui) { return ui.PollArrowKey(); }, 0);
}

std::unique_ptr<ProgressView> UiFront::CreateProgress(const std::string& title) {
  std::shared_ptr<ProgressView> view = Ask<std::shared_ptr<ProgressView>>(
      [&](Ui& ui) { return std::shared_ptr<ProgressView>(ui.CreateProgress(title)); }, nullptr);
  if (!view) return nullptr;
  return std::make_unique<ForwardingProgress>(dispatcher_, std::move(view));
}

void UiFront::Beep() {
  std::shared_ptr<Ui> ui = Target();
  if (!ui) return;
  if (dispatcher_.OnInterfaceThread()) {
    ui->Beep();
    return;
  }
  dispatcher_.Post([ui] { ui->Beep(); });
}

void UiFront::RefuseLastAnswer(const std::string& dialog, const std::string& accepts) {
  Ask<bool>(
      [&](Ui& ui) {
        ui.RefuseLastAnswer(dialog, accepts);
        return true;
      },
      false);
}

bool UiFront::IsHeadless() const {
  std::shared_ptr<Ui> ui = Target();
  return !ui || ui->IsHeadless();
}

WizardOutcome UiFront::RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) {
  return Ask<WizardOutcome>([&](Ui& ui) { return ui.RunWizard(wizard, confirmQuit); },
                            WizardOutcome::Quit);
}

bool UiFront::ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) {
  return Ask<bool>([&](Ui& ui) { return ui.ConfirmUninstall(caption, texts); }, false);
}

void UiFront::ShowSplash(const std::string& image) {
  Ask<bool>([&](Ui& ui) { return ui.ShowSplash(image), true; }, false);
}

bool UiFront::CreateMainWindow() {
  return Ask<bool>([](Ui& ui) { return ui.CreateMainWindow(); }, false);
}

void UiFront::LayoutMainWindow() {
  Ask<bool>([](Ui& ui) { return ui.LayoutMainWindow(), true; }, false);
}

void UiFront::SetBulletin(const std::string& image) {
  Ask<bool>([&](Ui& ui) { return ui.SetBulletin(image), true; }, false);
}

std::vector<std::string> UiFront::UnusedAnswers() const {
  std::shared_ptr<Ui> ui = Target();
  return ui ? ui->UnusedAnswers() : std::vector<std::string>{};
}

void UiFront::RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) {
  if (std::shared_ptr<Ui> ui = Target()) ui->RunMainLoop(dispatcher, finished);
}

void UiFront::WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) {
  if (std::shared_ptr<Ui> ui = Target()) ui->WaitModal(dispatcher, done);
}

}  // namespace vx
