#include "engine/ui/qt/wizard/WizardPageWnd.h"

#include <QLabel>
#include <QPainter>

#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/qt/wizard/SidePicture.h"
#include "engine/ui/ControlIds.h"

namespace vx {

SidePictureFrame::SidePictureFrame(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setAccessibleName(QStringLiteral("Picture"));
}

void SidePictureFrame::SetFile(std::string file) {
  file_ = std::move(file);
  update();
}

void SidePictureFrame::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  DrawSidePicture(p, rect(), file_);
}

CWZPage::CWZPage(const WizardPage& info, const DialogUnits& units, QWidget* parent)
    : QWidget(parent), info_(info), units_(units) {
  setFixedSize(units_.X(kWidthUnits), units_.Y(kHeightUnits));
  setAccessibleName(Qs(info_.title));
}

QLabel* CWZPage::AddText(int id, int x, int y, int w, int h, const std::string& text) {
  auto* label = Place(new QLabel(this), id, x, y, w, h);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  label->setText(StaticText(text));
  return label;
}

void CWZPage::AddSidePicture() {
  picture_ = Place(new SidePictureFrame(this), kCtlSidePicture, 7, 7, 76, 144);
}

void CWZPage::SetPictureFile(std::string file) {
  if (picture_) picture_->SetFile(std::move(file));
}

}  // namespace vx
