#include "engine/ui/qt/ProgressWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/base/Texts.h"
#include "engine/ui/qt/BodyDrag.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/QtText.h"
#include "engine/ui/qt/UiThread.h"

namespace vx::qt {

ProgressWindow::ProgressWindow(QWidget* parent, ProgressKind kind, const std::string& title,
                               Automation& automation)
    : QDialog(parent), kind_(kind), automation_(automation) {
  setWindowTitle(ToQt(title));
  // Neither the close box nor Esc ends a phase: only Cancel asks for a stop.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setTextFormat(Qt::PlainText);
  heading_->setMinimumWidth(360);
  heading_->setWordWrap(true);
  layout->addWidget(heading_);
  if (kind != ProgressKind::Preparation) {
    detail_ = new QLabel(this);
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
    layout->addWidget(detail_);
  }
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  layout->addWidget(bar_);
  if (kind == ProgressKind::Transfer || kind == ProgressKind::Uninstall) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    cancel_ = new QPushButton(ToQt(LoadText(TextId::Cancel)), this);
    row->addWidget(cancel_);
    layout->addLayout(row);
    connect(cancel_, &QPushButton::clicked, this, [this] {
      if (onCancel) onCancel();
    });
  }
  DragByBody(*this);
  adjustSize();
}

const char* ProgressWindow::KindName() const {
  switch (kind_) {
    case ProgressKind::Preparation:
      return "preparation";
    case ProgressKind::Transfer:
      return "progress";
    case ProgressKind::Uninstall:
      return "uninstall";
  }
  return "progress";
}

void ProgressWindow::Changed() {
  if (isVisible()) automation_.SnapshotSoon(this, KindName());
}

void ProgressWindow::SetHeading(const std::string& text) {
  ExpectInterfaceThread();
  QString t = ToQt(text);
  if (heading_->text() == t) return;
  heading_->setText(t);
  if (detail_ == nullptr) FitOnScreen(*this);
  Changed();
}

void ProgressWindow::SetDetail(const std::string& text) {
  QString t = ToQt(text);
  if (detail_ == nullptr) {
    // The preparation dialog has one line: the status.
    if (!t.isEmpty()) SetHeading(text);
    return;
  }
  if (detail_->text() == t) return;
  detail_->setText(t);
  Changed();
}

void ProgressWindow::SetPosition(int percent) { bar_->setValue(std::clamp(percent, 0, 100)); }

void ProgressWindow::HideCancel() {
  if (cancel_ == nullptr) return;
  cancel_->setEnabled(false);
  cancel_->hide();
}

void ProgressWindow::ShowWindow(bool visible) {
  if (visible == isVisible()) return;
  if (visible) {
    FitOnScreen(*this);
    show();
    raise();
    automation_.SnapshotSoon(this, KindName());
  } else {
    hide();
  }
}

}  // namespace vx::qt
