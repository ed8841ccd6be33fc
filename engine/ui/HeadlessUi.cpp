#include "engine/ui/HeadlessUi.h"

#include <cstdio>
#include <cstdlib>

namespace vx {

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
    : print_(printToStderr) {
  for (std::string& a : answers) answers_.Add(std::move(a));
}

std::unique_ptr<HeadlessUi> HeadlessUi::WithAnswers(AnswerQueue answers) {
  auto ui = std::make_unique<HeadlessUi>();
  ui->answers_ = std::move(answers);
  return ui;
}

std::unique_ptr<HeadlessUi> HeadlessUi::FromEnvironment() {
  return WithAnswers(AnswerQueue::FromEnvironment());
}

ScriptedAnswer HeadlessUi::Take() { return answers_.Take(); }

void HeadlessUi::Refuse(const ScriptedAnswer& answer, const std::string& dialog,
                        const std::string& accepts) {
  RefuseAnswer({answer, dialog, accepts});
}

void HeadlessUi::RefuseLastAnswer(const std::string& dialog, const std::string& accepts) {
  Refuse(answers_.Last(), dialog, accepts);
}

std::vector<std::string> HeadlessUi::UnusedAnswers() const { return answers_.Unused(); }

void HeadlessUi::Record(const std::string& caption, const std::string& text,
                        const std::string& answer) {
  std::string line = DialogLine(caption, text, answer);
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
  ScriptedAnswer answer = Take();
  std::string accepts;
  std::optional<int> result = FourChoiceAnswer(answer.text, accepts);
  if (!result) Refuse(answer, DialogName(caption, question), accepts);
  if (AnswersRefused()) result = 2;  // as when it is closed
  Record(caption, question, kFourChoiceWords[*result]);
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
  if (int arrow = answers_.TakeArrow()) return arrow;
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

void HeadlessUi::AddAnswer(std::string answer) { answers_.Add(std::move(answer)); }

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
