#include "engine/ui/AnswerCheck.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>

#include "engine/ui/Ui.h"
#include "platform/Trim.h"

namespace vx {

namespace {

std::string Lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Word(const std::string &answer) { return AnswerWord(answer); }

// One line per dialog: line breaks are shown as the escapes they stand for.
std::string OneLine(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

struct Button {
  const char *word;
  int id;
};

// The buttons of a message box type, the default (first) button first.
std::vector<Button> ButtonsOf(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOkCancel:
      return {{"ok", kIdOk}, {"cancel", kIdCancel}};
    case kMbAbortRetryIgnore:
      return {{"abort", kIdAbort}, {"retry", kIdRetry}, {"ignore", kIdIgnore}};
    case kMbYesNoCancel:
      return {{"yes", kIdYes}, {"no", kIdNo}, {"cancel", kIdCancel}};
    case kMbYesNo:
      return {{"yes", kIdYes}, {"no", kIdNo}};
    case kMbRetryCancel:
      return {{"retry", kIdRetry}, {"cancel", kIdCancel}};
    default:
      return {{"ok", kIdOk}};
  }
}

// "a, b or c"
std::string Choices(const std::vector<std::string> &words) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += i + 1 == words.size() ? " or " : ", ";
    out += words[i];
  }
  return out;
}

// A decimal index without sign, small enough to hold.
std::optional<int> Index(const std::string &word) {
  if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(word);
}

struct RefusalState {
  std::mutex mutex;
  bool refused = false;
  std::function<void()> handler;
};

RefusalState &State() {
  static RefusalState state;
  return state;
}

}  // namespace

const char *const kFourChoiceWords[4] = {"yes", "yes-all", "no", "no-all"};

std::string AnswerWord(const std::string &answer) {
  return Lower(std::string(TrimSpacesTabsAndLineEnds(answer)));
}

std::optional<std::string> AnswerValue(const std::string &answer) {
  std::string trimmed(TrimSpacesTabsAndLineEnds(answer));
  if (Lower(trimmed.substr(0, 5)) != "text:") return std::nullopt;
  // The value is taken as written after "text:", blanks included.
  return answer.substr(answer.find(':') + 1);
}

std::string DialogLine(const std::string &caption, const std::string &text,
                       const std::string &answer) {
  return OneLine(caption) + " | " + OneLine(text) + " | " + OneLine(answer);
}

std::string DialogName(const std::string &caption, const std::string &text) {
  std::string head = text.substr(0, text.find_first_of("\r\n"));
  if (head.size() > 60) head = head.substr(0, 57) + "...";
  if (caption.empty()) return head;
  return head.empty() ? caption : caption + ": " + head;
}

int ClosingButton(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOkCancel:
    case kMbYesNoCancel:
    case kMbRetryCancel:
      return kIdCancel;
    case kMbYesNo:
      return kIdNo;
    case kMbAbortRetryIgnore:
      return kIdAbort;
    default:
      return kIdOk;
  }
}

int AgreeingButton(std::uint32_t type) {
  std::uint32_t buttons = type & kMbTypeMask;
  return buttons == kMbYesNo || buttons == kMbYesNoCancel ? kIdYes : kIdOk;
}

const char *ButtonWord(int id) {
  switch (id) {
    case kIdCancel:
      return "cancel";
    case kIdAbort:
      return "abort";
    case kIdRetry:
      return "retry";
    case kIdIgnore:
      return "ignore";
    case kIdYes:
      return "yes";
    case kIdNo:
      return "no";
    default:
      return "ok";
  }
}

std::string AnswerFileNamed() {
  const char *file = std::getenv("VX_ANSWERS");
  return file ? file : "";
}

AnswerQueue::AnswerQueue(bool scripted, std::vector<ScriptedAnswer> answers)
    : scripted_(scripted), answers_(answers.begin(), answers.end()) {}

AnswerQueue AnswerQueue::FromEnvironment() {
  std::vector<ScriptedAnswer> answers;
  std::string file = AnswerFileNamed();
  if (file.empty()) return {};
  if (!ReadAnswerFile(file, answers))
    std::fprintf(stderr, "VX_ANSWERS: cannot read %s; every dialog takes its default\n",
                 file.c_str());
  return AnswerQueue(true, std::move(answers));
}

AnswerQueue::AnswerQueue(AnswerQueue &&other) noexcept { *this = std::move(other); }

AnswerQueue &AnswerQueue::operator=(AnswerQueue &&other) noexcept {
  if (this == &other) return *this;
  std::scoped_lock lock(mutex_, other.mutex_);
  scripted_ = other.scripted_;
  answers_ = std::move(other.answers_);
  last_ = std::move(other.last_);
  return *this;
}

bool AnswerQueue::Scripted() const {
  std::lock_guard lock(mutex_);
  return scripted_;
}

ScriptedAnswer AnswerQueue::Take() {
  std::lock_guard lock(mutex_);
  if (answers_.empty() || AnswersRefused()) return {};
  ScriptedAnswer a = std::move(answers_.front());
  answers_.pop_front();
  last_ = a;
  return a;
}

int AnswerQueue::TakeArrow() {
  std::lock_guard lock(mutex_);
  if (answers_.empty() || AnswersRefused()) return 0;
  int arrow = ArrowAnswer(answers_.front().text);
  if (arrow != 0) answers_.pop_front();
  return arrow;
}

ScriptedAnswer AnswerQueue::Last() const {
  std::lock_guard lock(mutex_);
  return last_;
}

std::vector<std::string> AnswerQueue::Unused() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  if (AnswersRefused()) return out;
  for (const ScriptedAnswer &a : answers_) out.push_back(a.text);
  return out;
}

void AnswerQueue::Add(std::string answer) {
  std::lock_guard lock(mutex_);
  scripted_ = true;
  int line = answers_.empty() ? last_.line + 1 : answers_.back().line + 1;
  answers_.push_back({std::move(answer), line});
}

bool ReadAnswerFile(const std::string &hostPath, std::vector<ScriptedAnswer> &answers) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return false;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    answers.push_back({line, n});
  }
  return true;
}

std::optional<int> MessageBoxAnswer(const std::string &answer, std::uint32_t type,
                                    std::string &accepts, int defaultId) {
  std::vector<Button> buttons = ButtonsOf(type);
  std::string word = Word(answer);
  if (word.empty()) return defaultId != 0 ? defaultId : buttons.front().id;
  std::vector<std::string> words;
  for (const Button &b : buttons) {
    if (word == b.word) return b.id;
    words.push_back(b.word);
  }
  accepts = Choices(words);
  return std::nullopt;
}

std::optional<int> FourChoiceAnswer(const std::string &answer, std::string &accepts) {
  std::string word = Word(answer);
  if (word.empty()) return 2;
  for (int i = 0; i < 4; ++i)
    if (word == kFourChoiceWords[i]) return i;
  accepts = "yes, yes-all, no or no-all";
  return std::nullopt;
}

std::optional<TextAnswer> EditFieldAnswer(const std::string &answer, std::string &accepts) {
  if (std::optional<std::string> value = AnswerValue(answer)) return TextAnswer{true, *value};
  std::string word = Word(answer);
  if (word == "ok") return TextAnswer{true, std::nullopt};
  if (word.empty() || word == "cancel") return TextAnswer{false, std::nullopt};
  accepts = "text: followed by a value, ok or cancel";
  return std::nullopt;
}

std::optional<int> ListAnswer(const std::string &answer, int count, int fallback,
                              std::string &accepts) {
  std::string word = Word(answer);
  if (word.empty()) return fallback;
  if (word == "cancel") return -1;
  if (std::optional<int> i = Index(word); i && *i < count) return *i;
  accepts = count > 0 ? "an index from 0 to " + std::to_string(count - 1) + " or cancel" : "cancel";
  return std::nullopt;
}

std::optional<std::vector<int>> RowsAnswer(const std::string &value, int rows,
                                           std::string &accepts) {
  std::vector<int> picked;
  std::string text = std::string(TrimSpacesTabsAndLineEnds(value));
  if (!text.empty()) {
    std::size_t from = 0;
    for (;;) {
      std::size_t comma = text.find(',', from);
      std::optional<int> i =
          Index(std::string(TrimSpacesTabsAndLineEnds(text.substr(from, comma - from))));
      if (!i || *i >= rows) {
        accepts = rows > 0 ? "text: followed by row indexes from 0 to " + std::to_string(rows - 1) +
                                 " separated by commas (text:0,2)"
                           : "text: with no row";
        return std::nullopt;
      }
      picked.push_back(*i);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  return picked;
}

int ArrowAnswer(const std::string &answer) {
  std::string word = Word(answer);
  if (word == "left" || word == "up") return -1;
  if (word == "right" || word == "down") return +1;
  return 0;
}

std::string RefusalMessage(const Refusal &r) {
  return "VX_ANSWERS line " + std::to_string(r.answer.line) + ": \"" + r.answer.text +
         "\" does not fit the dialog \"" + r.dialog + "\", which accepts " + r.accepts +
         "; the run is cancelled";
}

void RefuseAnswer(const Refusal &refusal) {
  RefusalState &s = State();
  std::function<void()> handler;
  {
    std::lock_guard lock(s.mutex);
    if (s.refused) return;
    s.refused = true;
    handler = s.handler;
  }
  std::fprintf(stderr, "%s\n", RefusalMessage(refusal).c_str());
  if (handler) handler();
}

bool AnswersRefused() {
  RefusalState &s = State();
  std::lock_guard lock(s.mutex);
  return s.refused;
}

void SetAnswerRefusalHandler(std::function<void()> handler) {
  RefusalState &s = State();
  std::lock_guard lock(s.mutex);
  s.handler = std::move(handler);
}

void ResetAnswerRefusal() {
  RefusalState &s = State();
  std::lock_guard lock(s.mutex);
  s.refused = false;
}

}  // namespace vx
