#include "engine/ui/qt/ConfirmUninstallDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "engine/ui/DialogAnswers.h"
#include "engine/ui/Ui.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

ConfirmUninstallDialog::ConfirmUninstallDialog(QWidget* parent, const std::string& caption,
                                               const std::vector<std::string>& texts,
                                               const std::string& okText,
                                               const std::string& cancelText)
    : QDialog(parent), caption_(caption) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  text_ = ConfirmText(texts);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    auto* row = new QHBoxLayout;
    if (i == 1) {
      // The warning about the folders' contents carries the warning sign.
      auto* icon = new QLabel(this);
      icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
      icon->setAlignment(Qt::AlignTop);
      row->addWidget(icon);
    }
    auto* label = new QLabel(ToQt(texts[i]), this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(360);
    row->addWidget(label, 1);
    layout->addLayout(row);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ok_ = new QPushButton(ToQt(okText), this);
  cancel_ = new QPushButton(ToQt(cancelText), this);
  ok_->setDefault(true);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool ConfirmUninstallDialog::Run(Automation& automation) {
  int code =
      RunDialog(*this, automation, "confirm", [this, &automation](const ScriptedAnswer& answer) {
        (ConfirmPress(automation, answer, caption_, text_) ? ok_ : cancel_)->click();
      });
  bool ok = code == QDialog::Accepted;
  automation.Record(caption_, text_, ok ? "ok" : "cancel");
  return ok;
}

}  // namespace vx::qt
