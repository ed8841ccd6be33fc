#include "engine/ui/qt/SearchDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/base/Texts.h"
#include "engine/ui/qt/BodyDrag.h"
#include "engine/ui/DialogAnswers.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"
#include "engine/ui/qt/UiThread.h"

namespace vx::qt {

SearchDialog::SearchDialog(QWidget* parent, const std::string& title, Automation& automation)
    : QDialog(parent), title_(title), automation_(automation) {
  setWindowTitle(ToQt(title));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(this);
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(380);
  layout->addWidget(text_);
  folder_ = new QLabel(this);
  folder_->setTextFormat(Qt::PlainText);
  // A deep folder must not widen the dialog past the screen.
  folder_->setMinimumWidth(1);
  folder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(folder_);
  list_ = new QListWidget(this);
  list_->hide();
  layout->addWidget(list_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  button_ = new QPushButton(ToQt(LoadText(TextId::Stop)), this);
  row->addWidget(button_);
  layout->addLayout(row);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (choosing_)
      accept();
    else if (onStop)
      onStop();
  });
  DragByBody(*this);
}

void SearchDialog::SetText(const std::string& text) {
  ExpectInterfaceThread();
  textValue_ = text;
  text_->setText(ToQt(text));
  if (isVisible()) automation_.SnapshotSoon(this, "search");
}

void SearchDialog::SetFolder(const std::string& folder) {
  folder_->setText(ToQt(folder));
  if (isVisible()) automation_.SnapshotSoon(this, "search");
}

void SearchDialog::ShowWindow(bool visible) {
  if (visible == isVisible()) return;
  if (!visible) {
    hide();
    return;
  }
  adjustSize();
  FitOnScreen(*this);
  show();
  automation_.SnapshotSoon(this, "search");
}

int SearchDialog::ChooseResult(const std::string& text, const std::vector<std::string>& folders) {
  choosing_ = true;
  SetText(text);
  button_->setText(ToQt(LoadText(TextId::Ok)));
  list_->clear();
  for (const std::string& f : folders) list_->addItem(ToQt(f));
  if (list_->count() > 0) list_->setCurrentRow(0);
  list_->show();
  hide();  // shown again modally
  int code = RunDialog(*this, automation_, "search", [this, &text](const ScriptedAnswer& answer) {
    AnswerListDialog(*this, *list_, *button_, automation_, DialogName(title_, text), answer);
  });
  int result = code == QDialog::Accepted ? list_->currentRow() : -1;
  automation_.Record(title_, text, ListWord(result));
  return result;
}

}  // namespace vx::qt
