#include "engine/ui/qt/MessageBoxDialog.h"

#include <QPushButton>

#include "engine/ui/Ui.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

namespace {

struct ButtonKind {
  const char* word;
  int id;
  QMessageBox::StandardButton standard;
};

std::vector<ButtonKind> ButtonsOf(std::uint32_t type) {
  using B = QMessageBox;
  switch (type & kMbTypeMask) {
    case kMbOkCancel:
      return {{"ok", kIdOk, B::Ok}, {"cancel", kIdCancel, B::Cancel}};
    case kMbAbortRetryIgnore:
      return {{"abort", kIdAbort, B::Abort},
              {"retry", kIdRetry, B::Retry},
              {"ignore", kIdIgnore, B::Ignore}};
    case kMbYesNoCancel:
      return {{"yes", kIdYes, B::Yes}, {"no", kIdNo, B::No}, {"cancel", kIdCancel, B::Cancel}};
    case kMbYesNo:
      return {{"yes", kIdYes, B::Yes}, {"no", kIdNo, B::No}};
    case kMbRetryCancel:
      return {{"retry", kIdRetry, B::Retry}, {"cancel", kIdCancel, B::Cancel}};
    default:
      return {{"ok", kIdOk, B::Ok}};
  }
}

QMessageBox::Icon IconOf(std::uint32_t type) {
  switch (type & kMbIconMask) {
    case kMbIconStop:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconExclamation:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* parent, const std::string& caption,
                                   const std::string& text, std::uint32_t type)
    : QMessageBox(parent), caption_(caption), text_(text) {
  setWindowTitle(ToQt(caption));
  setText(ToQt(text));
  setIcon(IconOf(type));
  setTextFormat(Qt::PlainText);
  for (const ButtonKind& k : ButtonsOf(type))
    choices_.push_back(Choice{k.word, k.id, addButton(k.standard)});
  setDefaultButton(static_cast<QPushButton*>(choices_.front().button));
  // Esc and the close box: Cancel where there is one, OK on a box with OK alone, else
  // nothing (a Yes/No question wants an answer).
  for (const Choice& c : choices_)
    if (c.id == kIdCancel || (choices_.size() == 1 && c.id == kIdOk)) setEscapeButton(c.button);
}

int MessageBoxDialog::Run(Automation& automation) {
  RunDialog(*this, automation, "message", [this](const std::string& answer) {
    std::string word = AnswerWord(answer);
    QAbstractButton* press = choices_.front().button;
    for (const Choice& c : choices_)
      if (c.word == word) press = c.button;
    press->click();
  });
  const Choice* taken = nullptr;
  for (const Choice& c : choices_)
    if (c.button == clickedButton()) taken = &c;
  if (taken == nullptr) taken = &choices_.back();
  automation.Record(caption_, text_, taken->word);
  return taken->id;
}

}  // namespace vx::qt
