// The UI without a display: every dialog takes the next scripted answer ($VX_ANSWERS: one
// per line: ok, cancel, yes, no, yes-all, no-all, a list index, or "text:" and a value), or
// its default button when the answers run out or do not fit it. Each dialog is printed to
// standard error as one line: caption, text, answer taken.
#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ui/Ui.h"

namespace vx {

class HeadlessUi : public Ui {
 public:
  explicit HeadlessUi(std::vector<std::string> answers = {}, bool printToStderr = true);
  // Answers from the file named by $VX_ANSWERS, when set.
  static std::unique_ptr<HeadlessUi> FromEnvironment();

  int MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) override;
  int FourChoice(const std::string& caption, const std::string& question,
                 const std::vector<std::string>& buttonTexts) override;
  bool AskText(const std::string& caption, const std::string& text, std::string& value) override;
  int ChooseFromList(const std::string& caption, const std::string& prompt,
                     const std::vector<std::string>& items, int preselected) override;
  int PollArrowKey() override;
  std::unique_ptr<ProgressView> CreateProgress(const std::string& title) override;
  void Beep() override;
  bool IsHeadless() const override { return true; }

  // Test hooks: queue more answers; every dialog shown so far as "caption | text | answer".
  void AddAnswer(std::string answer);
  std::vector<std::string> Shown() const;
  int Beeps() const;
  // The progress lines written so far (heading and detail texts, in order).
  std::vector<std::string> ProgressLog() const;

 private:
  // Takes the next answer ("" when none is left).
  std::string Take();
  void Record(const std::string& caption, const std::string& text, const std::string& answer);

  mutable std::mutex mutex_;
  std::deque<std::string> answers_;
  std::vector<std::string> shown_;
  std::vector<std::string> progress_;
  int beeps_ = 0;
  bool print_;
  friend class HeadlessProgress;
};

}  // namespace vx
