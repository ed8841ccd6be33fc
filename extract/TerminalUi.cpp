#include "extract/TerminalUi.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "engine/ui/Ui.h"
#include "extract/BoxAnswer.h"
#include "platform/System.h"

namespace vx::extract {

namespace {

volatile std::sig_atomic_t gCancelPressed = 0;

extern "C" void OnInterrupt(int) { gCancelPressed = 1; }

}  // namespace

TerminalUi::TerminalUi(std::FILE* out, bool interactive, std::deque<std::string> answers)
    : out_(out), interactive_(interactive) {
  for (std::string& a : answers) answers_.Add(std::move(a));
}

TerminalUi::TerminalUi(std::FILE* out, bool interactive, AnswerQueue answers)
    : out_(out), interactive_(interactive), answers_(std::move(answers)) {}

std::unique_ptr<TerminalUi> TerminalUi::FromEnvironment() {
  bool tty = isatty(fileno(stderr)) != 0 && isatty(fileno(stdin)) != 0;
  return std::make_unique<TerminalUi>(stderr, tty, AnswerQueue::FromEnvironment());
}

void TerminalUi::PressCancel() { gCancelPressed = 1; }

void TerminalUi::Open() {
  gCancelPressed = 0;
  std::signal(SIGINT, OnInterrupt);
}

void TerminalUi::Close() {
  std::signal(SIGINT, SIG_DFL);
  EndLine();
}

void TerminalUi::SetLabel(const std::string& text) {
  label_ = text;
  if (interactive_) {
    Draw();
  } else {
    std::fprintf(out_, "[%3d%%] %s\n", position_, label_.c_str());
    std::fflush(out_);
  }
}

void TerminalUi::SetProgress(int position) {
  if (position == position_) return;
  position_ = position;
  if (interactive_) Draw();
}

void TerminalUi::Draw() {
  constexpr int kWidth = 30;
  int filled = position_ * kWidth / 100;
  std::string bar(std::size_t(filled), '#');
  bar.append(std::size_t(kWidth - filled), '.');
  // Keep the line short enough for a terminal: show the end of a long label.
  std::string label = label_.size() > 60 ? "..." + label_.substr(label_.size() - 57) : label_;
  std::fprintf(out_, "\r\033[K[%s] %3d%% %s", bar.c_str(), position_, label.c_str());
  std::fflush(out_);
  lineOpen_ = true;
}

void TerminalUi::EndLine() {
  if (!lineOpen_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  lineOpen_ = false;
}

void TerminalUi::ShowMessage(const std::string& text) {
  EndLine();
  BoxAnswer(answers_.Take(), text, kMbOk, kIdOk);
  PrintBoxLine(out_, text, "ok");
}

bool TerminalUi::AskYesNo(const std::string& text) {
  EndLine();
  ScriptedAnswer answer = answers_.Take();
  if (answer.line == 0 && !AnswersRefused() && interactive_) {
    std::fprintf(out_, "%s [y/N] ", text.c_str());
    std::fflush(out_);
    std::string line;
    std::getline(std::cin, line);
    answer.text = (!line.empty() && (line[0] == 'y' || line[0] == 'Y')) ? "yes" : "no";
  }
  const bool yes = BoxAnswer(answer, text, kMbYesNo, kIdNo) == kIdYes;
  PrintBoxLine(out_, text, yes ? "yes" : "no");
  return yes;
}

void TerminalUi::Beep() { MessageBeep(); }

bool TerminalUi::TakeCancelClick() {
  if (!gCancelPressed) return false;
  gCancelPressed = 0;
  return true;
}

}  // namespace vx::extract
