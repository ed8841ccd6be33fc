#include "engine/ui/qt/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "engine/base/Texts.h"
#include "engine/ui/DialogAnswers.h"
#include "engine/ui/Ui.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtText.h"
#include "platform/Process.h"

namespace vx::qt {

const char* AboutBox::Address() { return AboutAddress(); }

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kAboutCaption);
  auto* layout = new QHBoxLayout(this);
  icon_ = new QLabel(this);
  icon_->setPixmap(ProgramIcon().pixmap(32, 32));
  icon_->setAlignment(Qt::AlignTop);
  icon_->setCursor(Qt::PointingHandCursor);
  layout->addWidget(icon_);
  auto* column = new QVBoxLayout;
  column->addWidget(new QLabel(kAboutVersion, this));
  maker_ = new QLabel(ToQt(AboutMakerLine()), this);
  maker_->setCursor(Qt::PointingHandCursor);
  column->addWidget(maker_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
  layout->addLayout(column);
  QString tip = ToQt(LoadText(TextId::WebSiteLink));
  icon_->setToolTip(tip);
  maker_->setToolTip(tip);
  icon_->installEventFilter(this);
  maker_->installEventFilter(this);
  open = [](const std::string& address) { ShellOpen(address, 1, nullptr); };
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == icon_ || watched == maker_) && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (open) open(Address());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void AboutBox::Run(Automation& automation) {
  RunDialog(*this, automation, "about", [this, &automation](const ScriptedAnswer& answer) {
    AboutPress(automation, answer);
    accept();
  });
  automation.Record(kAboutCaption, kAboutVersion, "ok");
}

}  // namespace vx::qt
