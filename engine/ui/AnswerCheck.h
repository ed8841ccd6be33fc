// Scripted answers (VX_ANSWERS): the one place that reads them, holds the word
// grammar and decides whether an answer fits the dialog or page that takes it,
// without any window, so that every UI (headless, Qt, the extractor's dialogs)
// takes and refuses the same answers. An answer that does not fit is never
// guessed at: the run is cancelled, naming the answer's line, the dialog and
// what it accepts.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
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
// The answer file this process was given ($VX_ANSWERS), "" when none.
std::string AnswerFileNamed();

// The answers of one run, taken in order by whichever thread shows a dialog.
class AnswerQueue {
 public:
  AnswerQueue() = default;  // not scripted: the user answers
  AnswerQueue(bool scripted, std::vector<ScriptedAnswer> answers);
  // From the file $VX_ANSWERS names (scripted when it is set, even if unreadable:
  // then every dialog takes its default, as the message printed says).
  static AnswerQueue FromEnvironment();
  AnswerQueue(AnswerQueue &&other) noexcept;
  AnswerQueue &operator=(AnswerQueue &&other) noexcept;

  bool Scripted() const;
  // The next answer; an empty one on line 0 when none is left or once an answer
  // was refused (the rest then mean nothing).
  ScriptedAnswer Take();
  // The next answer when it is an arrow word (taken): -1 left/up, +1 right/down;
  // 0 and nothing taken otherwise.
  int TakeArrow();
  ScriptedAnswer Last() const;  // the answer the last dialog took
  // The answers no dialog has taken (none once one was refused).
  std::vector<std::string> Unused() const;
  void Add(std::string answer);  // scripted from now on

 private:
  mutable std::mutex mutex_;
  bool scripted_ = false;
  std::deque<ScriptedAnswer> answers_;
  ScriptedAnswer last_;
};

// The one normaliser of answer words: blanks and line ends trimmed, lower case.
std::string AnswerWord(const std::string &answer);
// "text:VALUE" (the prefix in any case, blanks before it allowed) gives VALUE as
// written; nothing for any other answer.
std::optional<std::string> AnswerValue(const std::string &answer);

// The line every UI prints per dialog, "caption | text | answer", with line
// breaks shown as the escapes they stand for.
std::string DialogLine(const std::string &caption, const std::string &text,
                       const std::string &answer);
// The dialog as a refusal names it: its caption and the start of its text.
std::string DialogName(const std::string &caption, const std::string &text);
// The button that closes a box of `type` without agreeing to anything (Cancel,
// No, Abort; OK on a box with OK alone): how every box ends once an answer was
// refused.
int ClosingButton(std::uint32_t type);
// The button that agrees (Yes on a question, else OK): what a page's first button means.
int AgreeingButton(std::uint32_t type);
// What a destination row accepts once an answer left it without a folder.
inline constexpr const char *kFolderAnswerAccepts =
    "text: followed by a folder, such as text:C:\\Apps\\Product";
// The answer word of a kId* button.
const char *ButtonWord(int id);
// The four-choice prompt's words, by result 0 to 3.
extern const char *const kFourChoiceWords[4];

// Each returns the dialog's result for `answer`, or nothing when the answer
// does not fit; `accepts` then says what would. An empty answer takes the
// dialog's default. Message box of `type` (kMb*): a button word of that type;
// the kId* taken. The default is its first button unless `defaultId` names one.
std::optional<int> MessageBoxAnswer(const std::string &answer, std::uint32_t type,
                                    std::string &accepts, int defaultId = 0);
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
