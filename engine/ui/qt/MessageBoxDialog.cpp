#include "engine/ui/qt/MessageBoxDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/ui/DialogAnswers.h"
#include "engine/ui/DialogKeys.h"
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

QStyle::StandardPixmap StandardPixmapOf(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical:
      return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
      return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::Warning:
      return QStyle::SP_MessageBoxWarning;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* parent, const std::string& caption,
                                   const std::string& text, std::uint32_t type)
    : QDialog(parent), caption_(caption), text_(text), type_(type), icon_(IconOf(type)) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  if (icon_ != QMessageBox::NoIcon) {
    auto* icon = new QLabel(this);
    int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(StandardPixmapOf(icon_), nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
  }
  auto* label = new QLabel(ToQt(text));
  label->setObjectName("text");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(label);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // As tall as the text needs, but never so tall that the buttons leave the screen.
  QScreen* screen =
      parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
  int roomH = screen ? screen->availableGeometry().height() : 480;
  int roomW = screen ? screen->availableGeometry().width() : 640;
  int width = std::min(std::max(label->sizeHint().width(), 260), std::min(460, roomW * 3 / 4));
  int height = label->heightForWidth(width);
  scroll->setMinimumWidth(width + 4);
  scroll->setMinimumHeight(std::min(std::max(height, 20), std::max(60, roomH / 2)) + 4);
  row->addWidget(scroll, 1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  for (const ButtonKind& k : ButtonsOf(type))
    choices_.push_back(Choice{
        k.word, k.id, buttons->addButton(QDialogButtonBox::StandardButton(int(k.standard)))});
  for (const Choice& c : choices_)
    connect(c.button, &QAbstractButton::clicked, this, [this, &c] {
      taken_ = &c;
      accept();
    });
  // Every button answers to its underlined letter, typed alone or with Alt.
  std::vector<std::string> labels;
  for (const Choice& c : choices_)
    labels.push_back(FromQt(c.button->text().remove(QLatin1Char('&'))));
  labels = WithAccessKeys(labels);
  for (std::size_t i = 0; i < choices_.size(); ++i) choices_[i].button->setText(ToQt(labels[i]));
  static_cast<QPushButton*>(choices_.front().button)->setDefault(true);
  choices_.front().button->setFocus();
  layout->addWidget(buttons);
  // Esc and the close box: Cancel where there is one, No on a Yes/No question, OK on a box
  // with OK alone.
  for (const Choice& c : choices_)
    if (c.id == EscapeAnswer(type)) escape_ = c.button;
}

QString MessageBoxDialog::text() const {
  auto* label = findChild<QLabel*>("text");
  return label ? label->text() : QString();
}

QAbstractButton* MessageBoxDialog::Button(int id) const {
  for (const Choice& c : choices_)
    if (c.id == id) return c.button;
  return nullptr;
}

void MessageBoxDialog::reject() {
  if (escape_) escape_->click();
}

int MessageBoxDialog::Run(Automation& automation) {
  RunDialog(*this, automation, "message", [this, &automation](const ScriptedAnswer& answer) {
    if (QAbstractButton* press =
            Button(MessageBoxPress(automation, answer, caption_, text_, type_)))
      press->click();
  });
  // Closed without a button (the window went away with the interface): the escape button's
  // answer, or the last button's.
  const Choice* taken = taken_ ? taken_ : &choices_.back();
  if (!taken_)
    for (const Choice& c : choices_)
      if (c.button == escape_) taken = &c;
  automation.Record(caption_, text_, taken->word);
  return taken->id;
}

}  // namespace vx::qt
