// The extractor's dialog without a display, on standard error. With a terminal there it
// draws one line that is redrawn in place (bar, percentage, label); otherwise it writes a
// line for every new label. Message boxes and the cancel question are printed as
// "caption | text | answer" lines like every headless dialog; each takes the next answer of
// $VX_ANSWERS as the engine's dialogs do (engine/ui/AnswerCheck.h: the question "yes" or "no",
// an answer that fits neither is refused and cancels the extraction), else the question asks
// the terminal when one is attached, else takes No. Ctrl-C presses Cancel.
#pragma once
#include <atomic>
#include <cstdio>
#include <deque>
#include <string>

#include "engine/ui/AnswerCheck.h"
#include "extract/ExtractUi.h"

namespace vx::extract {

class TerminalUi : public ExtractUi {
 public:
  // `out` receives the dialog; `answers` replace $VX_ANSWERS when given.
  TerminalUi(std::FILE* out, bool interactive, std::deque<std::string> answers);
  TerminalUi(std::FILE* out, bool interactive, AnswerQueue answers);
  static std::unique_ptr<TerminalUi> FromEnvironment();

  void Open() override;
  void Close() override;
  void SetLabel(const std::string& text) override;
  void SetProgress(int position) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;
  bool TakeCancelClick() override;
  bool CanWaitForUser() const override { return false; }

  // Cancel pressed from outside (the Ctrl-C handler, tests).
  static void PressCancel();

 private:
  void Draw();
  void EndLine();

  std::FILE* out_;
  bool interactive_;  // a terminal is attached: redraw in place, ask the user
  AnswerQueue answers_;
  std::string label_;
  int position_ = 0;
  bool lineOpen_ = false;
};

}  // namespace vx::extract
