// Scripted answers (VX_ANSWERS) checked against the dialog that takes them,
// without any window, so that the headless UI and the Qt UI refuse the same
// answers. An answer that does not fit is never guessed at: the run is
// cancelled, naming the answer's line, the dialog and what it accepts.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vx {

// One answer and the line of the answer file it came from (0: none was left).
struct ScriptedAnswer {
  std::string text;
  int line = 0;
};

// Reads an answer file: one answer per line, a CR before the LF dropped. False
// when the file cannot be read.
bool ReadAnswerFile(const std::string &hostPath, std::vector<ScriptedAnswer> &answers);

// Each returns the dialog's result for `answer`, or nothing when the answer
// does not fit; `accepts` then says what would. An empty answer takes the
// dialog's default. Message box of `type` (kMb*): a button word of that type;
// the kId* taken.
std::optional<int> MessageBoxAnswer(const std::string &answer, std::uint32_t type,
                                    std::string &accepts);
// Four-choice prompt: yes, yes-all, no, no-all; 0 to 3 (default 2, as when
// closed).
std::optional<int> FourChoiceAnswer(const std::string &answer, std::string &accepts);
// Edit field: "text:VALUE" sets the value, ok keeps it, cancel (the default)
// cancels.
struct TextAnswer {
  bool ok = false;
  std::optional<std::string> value;  // none: the field keeps what it holds
};
std::optional<TextAnswer> EditFieldAnswer(const std::string &answer, std::string &accepts);
// List of `count` items: an index below count, or cancel (-1); default
// `fallback`.
std::optional<int> ListAnswer(const std::string &answer, int count, int fallback,
                              std::string &accepts);
// The component rows to tick, "0,2" (blanks allowed, "" ticks none), each below
// `rows`.
std::optional<std::vector<int>> RowsAnswer(const std::string &value, int rows,
                                           std::string &accepts);
// A key wait: left/up -1, right/down +1, 0 for any other word.
int ArrowAnswer(const std::string &answer);

// A refused answer ends the run as cancelled. The message goes to standard
// error once:
//   VX_ANSWERS line 3: "maybe" does not fit the dialog "License Agreement",
//   which accepts yes or no; the run is cancelled
struct Refusal {
  ScriptedAnswer answer;
  std::string dialog;
  std::string accepts;
};
std::string RefusalMessage(const Refusal &refusal);
// Records the first refusal, prints it and calls the handler (the engine stops
// its run).
void RefuseAnswer(const Refusal &refusal);
bool AnswersRefused();
void SetAnswerRefusalHandler(std::function<void()> handler);
void ResetAnswerRefusal();  // tests, and a fresh run in one process

}  // namespace vx
