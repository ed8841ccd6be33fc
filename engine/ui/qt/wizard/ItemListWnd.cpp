#include "engine/ui/qt/wizard/ItemListWnd.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "engine/ui/Ui.h"
#include "engine/ui/qt/wizard/QtText.h"

namespace vx {

namespace {

// A static label that reports clicks, as a notifying static control does.
class ClickLabel : public QLabel {
 public:
  ClickLabel(const QString& text, QWidget* parent, std::function<void()> clicked)
      : QLabel(text, parent), clicked_(std::move(clicked)) {}

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) clicked_();
  }

 private:
  std::function<void()> clicked_;
};

}  // namespace

CItemListWnd::CItemListWnd(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  viewport_ = new QWidget(this);
  bar_ = new QScrollBar(Qt::Vertical, this);
  bar_->hide();
  // The scroll bar only reports what was asked; the list applies its own rules and then
  // puts the thumb where they say.
  connect(bar_, &QScrollBar::actionTriggered, this, [this](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub:
        ScrollRequest(Scroll::LineUp);
        break;
      case QAbstractSlider::SliderSingleStepAdd:
        ScrollRequest(Scroll::LineDown);
        break;
      case QAbstractSlider::SliderPageStepSub:
        ScrollRequest(Scroll::PageUp);
        break;
      case QAbstractSlider::SliderPageStepAdd:
        ScrollRequest(Scroll::PageDown);
        break;
      case QAbstractSlider::SliderMove:
        ScrollRequest(Scroll::ThumbTrack, bar_->sliderPosition());
        break;
      default:
        ScrollRequest(Scroll::Other);
        break;
    }
  });
}

void CItemListWnd::Fill(Mode mode, const std::vector<Item>& items) {
  mode_ = mode;
  delete content_;
  buttons_.clear();
  labels_.clear();
  position_ = 0;
  highlighted_ = kLabelBase;
  const QRect client = contentsRect();
  clientHeight_ = client.height();
  const int rows = static_cast<int>(items.size());
  // The whole height of the rows: a range a row shorter would leave the last row out of
  // reach of the line steps whenever the client height is a whole number of rows.
  maximum_ = rows * kRowHeight - clientHeight_;
  const bool scrolls = maximum_ > 0;
  const int barWidth = scrolls ? bar_->sizeHint().width() : 0;
  viewport_->setGeometry(client.x(), client.y(), client.width() - barWidth, client.height());
  const int w = viewport_->width();
  content_ = new QWidget(viewport_);
  content_->setGeometry(0, 0, w, std::max(rows * kRowHeight, clientHeight_));
  // Labels are black until highlighted; the rows take the colour from the list once.
  QPalette black = content_->palette();
  black.setColor(QPalette::WindowText, QColor(0, 0, 0));
  content_->setPalette(black);
  for (int i = 0; i < rows; ++i) {
    const Item& item = items[i];
    const QString text = Qs(item.text);
    QAbstractButton* b;
    if (mode == Mode::Radio) {
      b = new QRadioButton(text, content_);
      b->setGeometry(5, kRowHeight * i, w - 5, kRowHeight);
    } else {
      b = new QCheckBox(content_);
      b->setGeometry(5, kRowHeight * i, 15, kRowHeight);
      b->setEnabled(item.enabled);
      b->setChecked(item.checked);
      auto* label = new ClickLabel(text, content_, [this, i] { Clicked(kLabelBase + i); });
      label->setObjectName(QString::number(kLabelBase + i));
      label->setGeometry(22, kRowHeight * i + 1, std::max(0, w - 44), kRowHeight - 1);
      labels_.push_back(label);
    }
    b->setObjectName(QString::number(i));
    b->setAccessibleName(text);
    b->installEventFilter(this);
    connect(b, &QAbstractButton::clicked, this, [this, i] { Clicked(i); });
    buttons_.push_back(b);
  }
  if (scrolls) {
    bar_->setGeometry(client.right() + 1 - barWidth, client.y(), barWidth, client.height());
    bar_->setRange(0, maximum_);
    bar_->setSingleStep(kRowHeight);
    bar_->setPageStep(std::max(kRowHeight, kRowHeight * (clientHeight_ / kRowHeight)));
    bar_->setValue(0);
    bar_->show();
  } else {
    bar_->hide();
  }
  content_->show();
  SyncBar();
  if (mode == Mode::Radio && rows > 0) {
    buttons_[0]->setChecked(true);
    Clicked(0);
  }
  update();
}

QAbstractButton* CItemListWnd::Button(int row) const {
  return row >= 0 && row < RowCount() ? buttons_[row] : nullptr;
}

QLabel* CItemListWnd::Label(int row) const {
  return row >= 0 && row < static_cast<int>(labels_.size()) ? labels_[row] : nullptr;
}

bool CItemListWnd::Checked(int row) const {
  QAbstractButton* b = Button(row);
  return b && b->isChecked();
}

void CItemListWnd::SetRowEnabled(int row, bool enabled) {
  if (QAbstractButton* b = Button(row)) b->setEnabled(enabled);
}

void CItemListWnd::Clicked(int id) {
  const int before = highlighted_;
  highlighted_ = id < kLabelBase ? id + kLabelBase : id;
  // Only the label that loses the highlight and the one that takes it change: a click costs
  // the same in a list of 10,000 rows as in one of ten.
  auto colour = [this](int labelId) {
    const int row = labelId - kLabelBase;
    if (row < 0 || row >= static_cast<int>(labels_.size())) return;
    QPalette p = labels_[row]->palette();
    p.setColor(QPalette::WindowText, labelId == highlighted_ ? QColor(0, 0, 255) : QColor(0, 0, 0));
    labels_[row]->setPalette(p);
  };
  colour(before);
  colour(highlighted_);
  if (onCommand) onCommand(id);
}

void CItemListWnd::ScrollRequest(Scroll request, int thumb) {
  const int page = kRowHeight * (clientHeight_ / kRowHeight);
  switch (request) {
    case Scroll::LineUp:
      if (position_ <= 0) break;
      MoveTo(position_ - kRowHeight);
      return;
    case Scroll::LineDown:
      // May pass the maximum by up to a row less one pixel.
      if (position_ >= maximum_) break;
      MoveTo(position_ + kRowHeight);
      return;
    case Scroll::PageUp:
      if (position_ <= 0) break;
      MoveTo(position_ - std::min(page, position_));
      return;
    case Scroll::PageDown:
      if (position_ >= maximum_) break;
      MoveTo(position_ + std::min(page, maximum_ - position_));
      return;
    case Scroll::ThumbTrack: {
      int delta = thumb - position_;
      if (delta > 0) delta += kRowHeight;
      MoveTo(position_ + delta);
      return;
    }
    case Scroll::Other:
      SyncBar();
      return;
  }
  CurrentUi().Beep();
  SyncBar();
}

void CItemListWnd::MoveTo(int position) {
  position_ = position;
  if (content_) content_->move(0, -position_);
  SyncBar();
}

void CItemListWnd::SyncBar() {
  QSignalBlocker block(bar_);
  bar_->setSliderPosition(std::clamp(position_, 0, std::max(0, maximum_)));
}

void CItemListWnd::BringIntoView(int row) {
  // Line steps, so that the view lands where the scroll bar's own steps would put it.
  while (kRowHeight * row < position_ && position_ > 0) MoveTo(position_ - kRowHeight);
  while (kRowHeight * (row + 1) > position_ + clientHeight_ && position_ < maximum_)
    MoveTo(position_ + kRowHeight);
}

bool CItemListWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  int step = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
  if (step == 0) return QFrame::eventFilter(watched, event);
  auto it = std::find(buttons_.begin(), buttons_.end(), watched);
  if (it == buttons_.end()) return false;
  int row = static_cast<int>(it - buttons_.begin());
  // The next row that can take the focus, as arrow keys walk a group of buttons.
  for (int next = row + step; next >= 0 && next < RowCount(); next += step) {
    QAbstractButton* b = buttons_[next];
    if (!b->isEnabled()) continue;
    BringIntoView(next);
    b->setFocus(Qt::OtherFocusReason);
    if (mode_ == Mode::Radio) b->click();
    break;
  }
  return true;
}

void CItemListWnd::wheelEvent(QWheelEvent* event) {
  int notches = event->angleDelta().y() / 120;
  for (int i = 0; i < std::abs(notches); ++i)
    ScrollRequest(notches > 0 ? Scroll::LineUp : Scroll::LineDown);
  event->accept();
}

}  // namespace vx
