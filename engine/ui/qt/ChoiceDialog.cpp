#include "engine/ui/qt/ChoiceDialog.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QVBoxLayout>

#include "engine/ui/DialogAnswers.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

ChoiceDialog::ChoiceDialog(QWidget* parent, const std::string& caption, const std::string& prompt,
                           const std::vector<std::string>& items, int preselected,
                           const std::string& okText)
    : QDialog(parent), caption_(caption), prompt_(prompt), preselected_(preselected) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QHBoxLayout(this);
  picture_ = new QLabel(this);
  picture_->setPixmap(QPixmap::fromImage(SidePicture()));
  picture_->setAlignment(Qt::AlignTop);
  layout->addWidget(picture_);
  auto* column = new QVBoxLayout;
  auto* label = new QLabel(ToQt(prompt), this);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  column->addWidget(label);
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::string& item : items) list_->addItem(ToQt(item));
  if (preselected >= 0 && preselected < list_->count()) list_->setCurrentRow(preselected);
  list_->setMinimumWidth(260);
  column->addWidget(list_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  ok_ = new QPushButton(ToQt(okText), this);
  ok_->setDefault(true);
  row->addWidget(ok_);
  column->addLayout(row);
  layout->addLayout(column);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    list_->setCurrentItem(item);
    accept();
  });
}

int ChoiceDialog::Run(Automation& automation) {
  int code =
      RunDialog(*this, automation, "choice", [this, &automation](const ScriptedAnswer& answer) {
        AnswerListDialog(*this, *list_, *ok_, automation, DialogName(caption_, prompt_), answer);
      });
  int result = -1;
  if (code == QDialog::Accepted) {
    result = list_->currentRow();
    if (list_->currentItem() == nullptr || !list_->currentItem()->isSelected()) result = -1;
  }
  automation.Record(caption_, prompt_, ListWord(result));
  return result;
}

}  // namespace vx::qt
