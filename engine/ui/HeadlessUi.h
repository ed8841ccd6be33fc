// The UI without a display: every dialog takes the next scripted answer ($VX_ANSWERS: one
// per line: ok, cancel, yes, no, yes-all, no-all, abort, retry, ignore, a list index, or
// "text:" and a value), or its default when the answers run out (a dialog always uses up
// one answer; an empty line asks for the default). An answer that does not fit its dialog
// is refused (engine/ui/AnswerCheck.h): the run is cancelled, and that dialog and every one
// after it are closed without agreeing (Cancel, No, Abort; No for the four-choice prompt; a
// list or a text question closed without OK). The defaults:
//   message boxes: the first button (OK, OK of OK/Cancel, Yes of Yes/No and Yes/No/Cancel,
//     Abort of Abort/Retry/Ignore, Retry of Retry/Cancel);
//   four-choice prompt: 2, as when it is closed;  text question: Cancel;
//   list: the preselected item with OK (-1 when there is none).
// "left"/"up" and "right"/"down" answer a pause waiting for an arrow key (-1 / +1); a pause
// that finds no arrow answer next goes on forward at once and takes nothing.
// Each dialog is printed to standard error as one line "caption | text | answer", with line
// breaks in the texts shown as \n and \r.
#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ui/AnswerCheck.h"
#include "engine/ui/Ui.h"

namespace vx {

class HeadlessUi : public Ui {
 public:
  // Answers numbered from line 1 in order.
  explicit HeadlessUi(std::vector<std::string> answers = {}, bool printToStderr = true);
  static std::unique_ptr<HeadlessUi> WithAnswers(AnswerQueue answers);
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
  void RefuseLastAnswer(const std::string& dialog, const std::string& accepts) override;

  // Test hooks: queue more answers; every dialog shown so far as "caption | text | answer".
  void AddAnswer(std::string answer);
  std::vector<std::string> Shown() const;
  int Beeps() const;
  // The answers no dialog has taken yet, in order (an engine that hands its run over to
  // another process passes them on).
  std::vector<std::string> UnusedAnswers() const override;
  // The progress lines written so far (heading and detail texts, in order).
  std::vector<std::string> ProgressLog() const;

 private:
  // Takes the next answer (an empty one on line 0 when none is left).
  ScriptedAnswer Take();
  void Refuse(const ScriptedAnswer& answer, const std::string& dialog, const std::string& accepts);
  void Record(const std::string& caption, const std::string& text, const std::string& answer);

  mutable std::mutex mutex_;
  AnswerQueue answers_;
  std::vector<std::string> shown_;
  std::vector<std::string> progress_;
  int beeps_ = 0;
  bool print_;
  friend class HeadlessProgress;
};

}  // namespace vx
