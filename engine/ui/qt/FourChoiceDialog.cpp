#include "engine/ui/qt/FourChoiceDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/ui/DialogAnswers.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

FourChoiceDialog::FourChoiceDialog(QWidget* parent, const std::string& caption,
                                   const std::string& question,
                                   const std::vector<std::string>& buttonTexts)
    : QDialog(parent), caption_(caption), text_(question) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  question_ = new QPlainTextEdit(ToQt(question), this);
  question_->setReadOnly(true);
  question_->setMinimumSize(320, 80);
  question_->setMaximumHeight(140);
  layout->addWidget(question_);
  auto* row = new QHBoxLayout;
  std::vector<std::string> labels;
  for (int i = 0; i < 4; ++i)
    labels.push_back(i < int(buttonTexts.size()) ? buttonTexts[std::size_t(i)]
                                                 : kFourChoiceWords[i]);
  // Each button answers to its underlined letter; Esc answers No.
  labels = WithAccessKeys(labels);
  for (int i = 0; i < 4; ++i) {
    const std::string& label = labels[std::size_t(i)];
    buttons_[std::size_t(i)] = new QPushButton(ToQt(label), this);
    row->addWidget(buttons_[std::size_t(i)]);
    connect(buttons_[std::size_t(i)], &QPushButton::clicked, this, [this, i] { done(100 + i); });
  }
  buttons_[0]->setDefault(true);
  layout->addLayout(row);
}

int FourChoiceDialog::Run(Automation& automation) {
  int code =
      RunDialog(*this, automation, "question", [this, &automation](const ScriptedAnswer& answer) {
        const int result = FourChoicePress(automation, answer, caption_, text_);
        if (result == kFourChoiceNo)
          reject();  // No, as when closed without a button
        else
          buttons_[std::size_t(result)]->click();
      });
  int result = code >= 100 && code <= 103 ? code - 100 : 2;
  automation.Record(caption_, text_, kFourChoiceWords[result]);
  return result;
}

}  // namespace vx::qt
