#include "engine/ui/qt/TextQuestionDialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/ui/DialogAnswers.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"
#include "platform/Machine.h"

namespace vx::qt {

namespace {

// The folder chooser shows the host's folders; the field takes Windows paths.
QString ChooseHostFolder(QWidget* parent, const QString& start) {
  std::optional<std::string> host = Machine::Current().ToHost(FromQt(start));
  QString picked = QFileDialog::getExistingDirectory(
      parent, QString(), host ? QString::fromStdString(*host) : QString());
  if (picked.isEmpty()) return {};
  std::string win = Machine::Current().FromOutside(FromQt(picked));
  if (!win.empty() && win.back() != '\\') win += '\\';
  return ToQt(win);
}

}  // namespace

TextQuestionDialog::TextQuestionDialog(QWidget* parent, const std::string& caption,
                                       const std::string& text, const std::string& value,
                                       const std::string& okText, const std::string& cancelText,
                                       const std::string& browseText)
    : QDialog(parent), caption_(caption), text_(text) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(ToQt(text), this);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setMinimumWidth(340);
  layout->addWidget(label);
  field_ = new QLineEdit(ToQt(value), this);
  layout->addWidget(field_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  ok_ = new QPushButton(ToQt(okText), this);
  cancel_ = new QPushButton(ToQt(cancelText), this);
  ok_->setDefault(true);
  row->addWidget(ok_);
  row->addWidget(cancel_);
  if (!browseText.empty()) {
    browse_ = new QPushButton(ToQt(browseText), this);
    row->addWidget(browse_);
    chooseFolder = [this](const QString& start) { return ChooseHostFolder(this, start); };
    connect(browse_, &QPushButton::clicked, this, [this] {
      QString folder = chooseFolder ? chooseFolder(field_->text()) : QString();
      if (!folder.isEmpty()) field_->setText(folder);
    });
  }
  layout->addLayout(row);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TextQuestionDialog::Run(Automation& automation, std::string& value) {
  bool typed = false;
  int code = RunDialog(
      *this, automation, "text", [this, &typed, &automation](const ScriptedAnswer& answer) {
        const TextAnswer taken = TextQuestionPress(automation, answer, caption_, text_);
        if (!taken.ok) {
          cancel_->click();
          return;
        }
        if (taken.value) {
          field_->setText(ToQt(*taken.value));
          typed = true;
        }
        ok_->click();
      });
  bool ok = code == QDialog::Accepted;
  std::string before = value;
  if (ok) value = FromQt(field_->text());
  typed = typed || (ok && value != before);
  automation.Record(caption_, text_, TextQuestionWord(ok, typed, value));
  return ok;
}

}  // namespace vx::qt
