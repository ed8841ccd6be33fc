#include "engine/ui/HeadlessUi.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vx {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string TrimBlanks(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// The answer word, for matching: trimmed and lower case ("text:" values are taken apart
// before this).
std::string Word(const std::string& answer) { return Lower(TrimBlanks(answer)); }

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

struct Button {
  const char* word;
  int id;
};

// The buttons of a message box type, the default (first) button first.
std::vector<Button> ButtonsOf(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOkCancel: return {{"ok", kIdOk}, {"cancel", kIdCancel}};
    case kMbAbortRetryIgnore: return {{"abort", kIdAbort}, {"retry", kIdRetry}, {"ignore", kIdIgnore}};
    case kMbYesNoCancel: return {{"yes", kIdYes}, {"no", kIdNo}, {"cancel", kIdCancel}};
    case kMbYesNo: return {{"yes", kIdYes}, {"no", kIdNo}};
    case kMbRetryCancel: return {{"retry", kIdRetry}, {"cancel", kIdCancel}};
    default: return {{"ok", kIdOk}};
  }
}

int ArrowOf(const std::string& word) {
  if (word == "left" || word == "up") return -1;
  if (word == "right" || word == "down") return +1;
  return 0;
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
  void Log(const std::string& text) {
    std::lock_guard lock(ui_.mutex_);
    ui_.progress_.push_back(text);
  }
  HeadlessUi& ui_;
};

HeadlessUi::HeadlessUi(std::vector<std::string> answers, bool printToStderr)
    : answers_(answers.begin(), answers.end()), print_(printToStderr) {}

std::unique_ptr<HeadlessUi> HeadlessUi::FromEnvironment() {
  std::vector<std::string> answers;
  const char* file = std::getenv("VX_ANSWERS");
  if (file && *file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "VX_ANSWERS: cannot read %s; every dialog takes its default\n", file);
    }
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      answers.push_back(line);  // an empty line takes the dialog's default
    }
  }
  return std::make_unique<HeadlessUi>(std::move(answers));
}

std::string HeadlessUi::Take() {
  std::lock_guard lock(mutex_);
  if (answers_.empty()) return {};
  std::string a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

std::vector<std::string> HeadlessUi::UnusedAnswers() const {
  std::lock_guard lock(mutex_);
  return {answers_.begin(), answers_.end()};
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
  std::vector<Button> buttons = ButtonsOf(type);
  std::string word = Word(Take());
  Button taken = buttons.front();
  for (const Button& b : buttons)
    if (word == b.word) taken = b;
  Record(caption, text, taken.word);
  return taken.id;
}

int HeadlessUi::FourChoice(const std::string& caption, const std::string& question,
                           const std::vector<std::string>& buttonTexts) {
  static const char* const kWords[] = {"yes", "yes-all", "no", "no-all"};
  std::string word = Word(Take());
  int result = 2;  // closed without a button
  for (int i = 0; i < 4; ++i)
    if (word == kWords[i]) result = i;
  Record(caption, question, kWords[result]);
  return result;
}

bool HeadlessUi::AskText(const std::string& caption, const std::string& text, std::string& value) {
  std::string answer = Take();
  std::string trimmed = TrimBlanks(answer);
  if (Lower(trimmed.substr(0, 5)) == "text:") {
    // The value is taken as written after "text:", blanks included.
    std::size_t at = answer.find(':');
    value = answer.substr(at + 1);
    Record(caption, text, "text:" + value);
    return true;
  }
  if (Word(answer) == "ok") {
    Record(caption, text, "ok");
    return true;
  }
  Record(caption, text, "cancel");
  return false;
}

int HeadlessUi::ChooseFromList(const std::string& caption, const std::string& prompt,
                               const std::vector<std::string>& items, int preselected) {
  int count = static_cast<int>(items.size());
  int fallback = preselected >= 0 && preselected < count ? preselected : -1;
  std::string word = Word(Take());
  int result = fallback;
  if (word == "cancel") {
    result = -1;
  } else if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos &&
             word.size() < 10) {
    int index = std::stoi(word);
    if (index < count) result = index;
  }
  Record(caption, prompt, result < 0 ? "cancel" : std::to_string(result));
  return result;
}

int HeadlessUi::PollArrowKey() {
  std::lock_guard lock(mutex_);
  if (!answers_.empty()) {
    if (int arrow = ArrowOf(Word(answers_.front()))) {
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
  answers_.push_back(std::move(answer));
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
