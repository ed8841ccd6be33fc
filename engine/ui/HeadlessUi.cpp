#include "engine/ui/HeadlessUi.h"

#include <cstdio>
#include <cstdlib>

namespace vx {

namespace {

// One line per dialog: line breaks are shown as the escapes they stand for.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

// The dialog as a refusal names it: its caption and the start of its text.
std::string DialogName(const std::string& caption, const std::string& text) {
  std::string head = text.substr(0, text.find_first_of("\r\n"));
  if (head.size() > 60) head = head.substr(0, 57) + "...";
  return head.empty() ? caption : caption + ": " + head;
}

// The button that closes a box without agreeing to anything: how every dialog ends once an
// answer was refused.
int ClosingButton(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOkCancel: case kMbYesNoCancel: case kMbRetryCancel: return kIdCancel;
    case kMbYesNo: return kIdNo;
    case kMbAbortRetryIgnore: return kIdAbort;
    default: return kIdOk;
  }
}

const char* ButtonWord(int id) {
  switch (id) {
    case kIdCancel: return "cancel";
    case kIdAbort: return "abort";
    case kIdRetry: return "retry";
    case kIdIgnore: return "ignore";
    case kIdYes: return "yes";
    case kIdNo: return "no";
    default: return "ok";
  }
}

}  // namespace

// Progress windows headless: their lines are kept for tests, nothing is printed.
class HeadlessProgress : public ProgressView {
 public:
  explicit HeadlessProgress(HeadlessUi& ui) : ui_(ui) {}
  void SetHeading(const std::string& text) override { Log(text); }
  void SetDetail(const std::string& text) override { Log(text); }
  void SetPosition(int) override {}

 private:
  // An installation of many files would otherwise keep every file name for the whole run.
  static constexpr std::size_t kMaxLines = 4096;
  void Log(const std::string& text) {
    std::lock_guard lock(ui_.mutex_);
    if (ui_.progress_.size() < kMaxLines) ui_.progress_.push_back(text);
  }
  HeadlessUi& ui_;
};

HeadlessUi::HeadlessUi(std::vector<std::string> answers, bool printToStderr)
    : print_(printToStderr) {
  int line = 0;
  for (std::string& a : answers) answers_.push_back({std::move(a), ++line});
}

std::unique_ptr<HeadlessUi> HeadlessUi::WithAnswers(std::vector<ScriptedAnswer> answers) {
  auto ui = std::make_unique<HeadlessUi>();
  ui->answers_.assign(answers.begin(), answers.end());
  return ui;
}

std::unique_ptr<HeadlessUi> HeadlessUi::FromEnvironment() {
  std::vector<ScriptedAnswer> answers;
  const char* file = std::getenv("VX_ANSWERS");
  if (file && *file && !ReadAnswerFile(file, answers)) {
    std::fprintf(stderr, "VX_ANSWERS: cannot read %s; every dialog takes its default\n", file);
  }
  return WithAnswers(std::move(answers));
}

ScriptedAnswer HeadlessUi::Take() {
  std::lock_guard lock(mutex_);
  // Once an answer was refused the rest mean nothing: every dialog takes its default while
  // the run ends.
  if (answers_.empty() || AnswersRefused()) return {};
  ScriptedAnswer a = std::move(answers_.front());
  answers_.pop_front();
  last_ = a;
  return a;
}

void HeadlessUi::Refuse(const ScriptedAnswer& answer, const std::string& dialog,
                        const std::string& accepts) {
  RefuseAnswer({answer, dialog, accepts});
}

void HeadlessUi::RefuseLastAnswer(const std::string& dialog, const std::string& accepts) {
  ScriptedAnswer last;
  {
    std::lock_guard lock(mutex_);
    last = last_;
  }
  Refuse(last, dialog, accepts);
}

std::vector<std::string> HeadlessUi::UnusedAnswers() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  if (AnswersRefused()) return out;
  for (const ScriptedAnswer& a : answers_) out.push_back(a.text);
  return out;
}

void HeadlessUi::Record(const std::string& caption, const std::string& text,
                        const std::string& answer) {
  std::string line = OneLine(caption) + " | " + OneLine(text) + " | " + OneLine(answer);
  std::lock_guard lock(mutex_);
  shown_.push_back(line);
  if (print_) std::fprintf(stderr, "%s\n", line.c_str());
}

int HeadlessUi::MessageBox(const std::string& caption, const std::string& text,
                           std::uint32_t type) {
  ScriptedAnswer answer = Take();
  std::string accepts;
  std::optional<int> id = MessageBoxAnswer(answer.text, type, accepts);
  if (!id) Refuse(answer, DialogName(caption, text), accepts);
  if (AnswersRefused()) id = ClosingButton(type);
  Record(caption, text, ButtonWord(*id));
  return *id;
}

int HeadlessUi::FourChoice(const std::string& caption, const std::string& question,
                           const std::vector<std::string>& buttonTexts) {
  static const char* const kWords[] = {"yes", "yes-all", "no", "no-all"};
  ScriptedAnswer answer = Take();
  std::string accepts;
  std::optional<int> result = FourChoiceAnswer(answer.text, accepts);
  if (!result) Refuse(answer, DialogName(caption, question), accepts);
  if (AnswersRefused()) result = 2;  // as when it is closed
  Record(caption, question, kWords[*result]);
  return *result;
}

bool HeadlessUi::AskText(const std::string& caption, const std::string& text, std::string& value) {
  ScriptedAnswer answer = Take();
  std::string accepts;
  std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
  if (!taken) Refuse(answer, DialogName(caption, text), accepts);
  if (AnswersRefused()) taken = TextAnswer{};  // Cancel
  if (taken->value) value = *taken->value;
  Record(caption, text, !taken->ok ? "cancel" : taken->value ? "text:" + value : "ok");
  return taken->ok;
}

int HeadlessUi::ChooseFromList(const std::string& caption, const std::string& prompt,
                               const std::vector<std::string>& items, int preselected) {
  int count = static_cast<int>(items.size());
  int fallback = preselected >= 0 && preselected < count ? preselected : -1;
  ScriptedAnswer answer = Take();
  std::string accepts;
  std::optional<int> result = ListAnswer(answer.text, count, fallback, accepts);
  if (!result) Refuse(answer, DialogName(caption, prompt), accepts);
  if (AnswersRefused()) result = -1;
  Record(caption, prompt, *result < 0 ? "cancel" : std::to_string(*result));
  return *result;
}

int HeadlessUi::PollArrowKey() {
  std::lock_guard lock(mutex_);
  if (!answers_.empty() && !AnswersRefused()) {
    if (int arrow = ArrowAnswer(answers_.front().text)) {
      answers_.pop_front();
      return arrow;
    }
  }
  // No arrow answer waiting: the pause goes on forward rather than wait for ever.
  return +1;
}

std::unique_ptr<ProgressView> HeadlessUi::CreateProgress(const std::string& title) {
  return std::make_unique<HeadlessProgress>(*this);
}

void HeadlessUi::Beep() {
  std::lock_guard lock(mutex_);
  ++beeps_;
}

void HeadlessUi::AddAnswer(std::string answer) {
  std::lock_guard lock(mutex_);
  int line = answers_.empty() ? last_.line + 1 : answers_.back().line + 1;
  answers_.push_back({std::move(answer), line});
}

std::vector<std::string> HeadlessUi::Shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

int HeadlessUi::Beeps() const {
  std::lock_guard lock(mutex_);
  return beeps_;
}

std::vector<std::string> HeadlessUi::ProgressLog() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

}  // namespace vx
