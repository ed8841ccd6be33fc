#include "engine/ui/QuietQuestions.h"

#include <cstdio>

#include "engine/ui/AnswerCheck.h"

namespace vx {

namespace {

class QuietUi : public Ui {
 public:
  explicit QuietUi(std::shared_ptr<Ui> inner) : inner_(std::move(inner)) {}

  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override {
    std::string accepts;
    int id = MessageBoxAnswer("", type, accepts).value_or(kIdCancel);
    Note(caption, text);
    return id;
  }
  int FourChoice(const std::string& caption, const std::string& question,
                 const std::vector<std::string>&) override {
    std::string accepts;
    Note(caption, question);
    return FourChoiceAnswer("", accepts).value_or(2);
  }
  bool AskText(const std::string& caption, const std::string& text, std::string&) override {
    Note(caption, text);
    return false;  // the default of a question with an edit field is Cancel
  }
  int ChooseFromList(const std::string& caption, const std::string& prompt,
                     const std::vector<std::string>&, int preselected) override {
    Note(caption, prompt);
    return preselected;
  }
  int PollArrowKey() override { return inner_->PollArrowKey(); }
  std::unique_ptr<ProgressView> CreateProgress(const std::string& title) override {
    return inner_->CreateProgress(title);
  }
  void Beep() override { inner_->Beep(); }
  bool IsHeadless() const override { return inner_->IsHeadless(); }
  WizardOutcome RunWizard(InstallWizard& wizard,
                          const std::function<bool()>& confirmQuit) override {
    return inner_->RunWizard(wizard, confirmQuit);
  }
  void RunMainLoop(Dispatcher& d, const std::function<bool()>& finished) override {
    inner_->RunMainLoop(d, finished);
  }
  void WaitModal(Dispatcher& d, const std::function<bool()>& done) override {
    inner_->WaitModal(d, done);
  }
  bool ConfirmUninstall(const std::string& caption,
                        const std::vector<std::string>& texts) override {
    Note(caption, texts.empty() ? std::string() : texts.front());
    return true;  // OK is the confirmation's default
  }
  void ShowSplash(const std::string& image) override { inner_->ShowSplash(image); }
  bool CreateMainWindow() override { return inner_->CreateMainWindow(); }
  void LayoutMainWindow() override { inner_->LayoutMainWindow(); }
  void SetBulletin(const std::string& image) override { inner_->SetBulletin(image); }
  std::vector<std::string> UnusedAnswers() const override { return inner_->UnusedAnswers(); }
  void RefuseLastAnswer(const std::string& dialog, const std::string& accepts) override {
    inner_->RefuseLastAnswer(dialog, accepts);
  }

 private:
  static void Note(const std::string& caption, const std::string& text) {
    std::string line = caption + " | " + text + " | default (/SUPPRESSMSGBOXES)";
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    std::fprintf(stderr, "%s\n", line.c_str());
  }

  std::shared_ptr<Ui> inner_;
};

}  // namespace

std::unique_ptr<Ui> QuietQuestions(std::shared_ptr<Ui> inner) {
  return std::make_unique<QuietUi>(std::move(inner));
}

}  // namespace vx
