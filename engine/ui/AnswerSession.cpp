#include "engine/ui/AnswerSession.h"

#include <cstdio>

namespace vx {

AnswerSession::AnswerSession(bool scripted, std::vector<std::string> answers) {
  std::vector<ScriptedAnswer> numbered;
  for (std::string& a : answers)
    numbered.push_back({std::move(a), static_cast<int>(numbered.size()) + 1});
  answers_ = AnswerQueue(scripted, std::move(numbered));
}

AnswerSession::AnswerSession(AnswerSession&& other) noexcept { *this = std::move(other); }

AnswerSession& AnswerSession::operator=(AnswerSession&& other) noexcept {
  if (this == &other) return *this;
  std::scoped_lock lock(mutex_, other.mutex_);
  answers_ = std::move(other.answers_);
  shown_ = std::move(other.shown_);
  return *this;
}

std::optional<ScriptedAnswer> AnswerSession::Take() {
  if (!answers_.Scripted()) return std::nullopt;
  return answers_.Take();
}

bool AnswerSession::Refused(const ScriptedAnswer& answer, const std::string& dialog,
                            const std::string& accepts) {
  if (!accepts.empty()) RefuseAnswer({answer, dialog, accepts});
  return AnswersRefused();
}

void AnswerSession::Record(const std::string& caption, const std::string& text,
                           const std::string& answer) {
  std::string line = DialogLine(caption, text, answer);
  std::lock_guard lock(mutex_);
  shown_.push_back(line);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

std::vector<std::string> AnswerSession::Shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

}  // namespace vx
