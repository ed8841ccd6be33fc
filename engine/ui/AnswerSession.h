// The scripted answers of one run as the windowed UIs take them: the answers in order, the
// refusal of one that does not fit (which cancels the run), and the one line per dialog
// "caption | text | answer" on standard error, as headless runs print it. Each UI's automation
// adds its toolkit's pictures to it.
#pragma once
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/ui/AnswerCheck.h"

namespace vx {

class AnswerSession {
 public:
  AnswerSession() = default;
  // Scripted with `answers` (numbered from line 1) when `scripted`.
  AnswerSession(bool scripted, std::vector<std::string> answers);
  explicit AnswerSession(AnswerQueue answers) : answers_(std::move(answers)) {}
  AnswerSession(AnswerSession&& other) noexcept;
  AnswerSession& operator=(AnswerSession&& other) noexcept;

  // True when dialogs answer themselves.
  bool Scripted() const { return answers_.Scripted(); }
  // The next answer (an empty one for the default when none is left); nullopt when the user
  // answers.
  std::optional<ScriptedAnswer> Take();
  // The next answer when it is an arrow word (taken): -1 left/up, +1 right/down; 0 (nothing
  // taken) otherwise.
  int TakeArrow() { return answers_.TakeArrow(); }
  // Refuses `answer` for `dialog` (the run is cancelled) when `accepts` is not empty.
  // True once any answer of the run was refused: the dialog then closes without agreeing.
  bool Refused(const ScriptedAnswer& answer, const std::string& dialog, const std::string& accepts);
  // Refuses the answer the last dialog took.
  void RefuseLast(const std::string& dialog, const std::string& accepts) {
    Refused(answers_.Last(), dialog, accepts);
  }
  // The one line per dialog.
  void Record(const std::string& caption, const std::string& text, const std::string& answer);
  std::vector<std::string> Shown() const;
  std::vector<std::string> UnusedAnswers() const { return answers_.Unused(); }
  void AddAnswer(std::string answer) { answers_.Add(std::move(answer)); }

 protected:
  void SetAnswers(AnswerQueue answers) { answers_ = std::move(answers); }

 private:
  mutable std::mutex mutex_;
  AnswerQueue answers_;
  std::vector<std::string> shown_;
};

}  // namespace vx
