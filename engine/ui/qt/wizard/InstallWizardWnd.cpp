#include "engine/ui/qt/wizard/InstallWizardWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QEventLoop>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

#include "engine/base/Flags.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/qt/wizard/WizardPageWnd.h"
#include "platform/System.h"

namespace vx {

namespace {
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
}  // namespace

CInstallWizard::CInstallWizard(InstallWizard& sheet, std::function<bool()> confirmQuit,
                               QWidget* parent)
    : QDialog(parent), sheet_(sheet), confirmQuit_(std::move(confirmQuit)), units_(font()) {
  setModal(false);
  setWindowTitle(Qs(sheet_.Caption()));
  setAccessibleName(Qs(sheet_.Caption()));
  pages_.assign(sheet_.Pages().size(), nullptr);

  const int pageW = CWZPage::kWidthUnits, pageH = CWZPage::kHeightUnits;
  pageArea_ = new QWidget(this);
  pageArea_->setGeometry(units_.Rect(kMargin, kMargin, pageW, pageH));
  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(units_.Rect(kMargin, kMargin + pageH + 3, pageW, 2));

  const int buttonsY = kMargin + pageH + 10;
  const int cancelX = kMargin + pageW - kButtonWidth;
  const int nextX = cancelX - kMargin - kButtonWidth;
  auto button = [&](int id, int x) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::number(id));
    b->setGeometry(units_.Rect(x, buttonsY, kButtonWidth, kButtonHeight));
    b->setAutoDefault(false);
    return b;
  };
  back_ = button(kBackId, nextX - kButtonWidth);
  next_ = button(kNextId, nextX);
  finish_ = button(kFinishId, nextX);
  cancel_ = button(kCancelId, cancelX);
  finish_->hide();
  connect(back_, &QPushButton::clicked, this, [this] { Back(); });
  connect(next_, &QPushButton::clicked, this, [this] { Next(); });
  connect(finish_, &QPushButton::clicked, this, [this] { Finish(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { CancelRequest(); });
  setFixedSize(units_.X(pageW + 2 * kMargin), units_.Y(buttonsY + kButtonHeight + kMargin));

  // The quit confirmation of the main window may also be raised from elsewhere; a full or
  // modify wizard ends with it.
  auto* watch = new QTimer(this);
  connect(watch, &QTimer::timeout, this, [this] {
    bool completion =
        !sheet_.Pages().empty() && PageRowOf(sheet_.Pages()[0].kind).buttons == PageButtons::Finish;
    if (!completion && Flags().stopRequest) End(WizardOutcome::Quit);
  });
  watch->start(50);
  // Clicks anywhere in the wizard pass the page's click guard first.
  qApp->installEventFilter(this);
}

CInstallWizard::~CInstallWizard() {
  if (qApp) qApp->removeEventFilter(this);
}

bool CInstallWizard::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return false;
  // The buttons' underlined letters, as a dialog's.
  if (t == QEvent::KeyPress)
    return !ended_ && qt::PressAccessKey(*this, *static_cast<QKeyEvent*>(event),
                                         {back_, next_, finish_, cancel_});
  if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
      t != QEvent::MouseButtonDblClick)
    return false;
  const auto doubleClick =
      static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
  return !clickGuard_.Accepts(GetTickCount(), doubleClick);
}

CWZPage* CInstallWizard::CurrentPage() const {
  return current_ >= 0 ? pages_[static_cast<std::size_t>(current_)] : nullptr;
}

QPushButton* CInstallWizard::Button(int id) const {
  switch (id) {
    case kBackId:
      return back_;
    case kNextId:
      return next_;
    case kFinishId:
      return finish_;
    case kCancelId:
      return cancel_;
  }
  return nullptr;
}

void CInstallWizard::Start() {
  if (sheet_.Finished() || sheet_.Pages().empty()) {
    End(WizardOutcome::Finished);
    return;
  }
  ShowPage(0);
  show();
}

void CInstallWizard::ShowPage(int index) {
  const WizardPage& info = sheet_.Pages()[static_cast<std::size_t>(index)];
  CWZPage*& page = pages_[static_cast<std::size_t>(index)];
  bool fresh = page == nullptr;
  if (fresh) {
    page = CreatePage(info, units_, pageArea_);
    page->Initialise();
  }
  if (CWZPage* old = CurrentPage(); old && old != page) old->hide();
  current_ = index;
  page->show();

  const WizardButtons b = InstallWizard::ButtonsFor(info);
  // Each button answers to its underlined letter (Alt and the letter).
  const std::vector<std::string> labels =
      WithAccessKeys({b.backText, b.nextText, b.finishText, b.cancelText});
  back_->setText(Qs(labels[0]));
  next_->setText(Qs(labels[1]));
  finish_->setText(Qs(labels[2]));
  cancel_->setText(Qs(labels[3]));
  // A first page has no Back at all; elsewhere it is shown and enabled as the page says.
  back_->setVisible(!info.isFirstPage);
  back_->setEnabled(b.backEnabled);
  next_->setVisible(!b.finishEnabled);
  next_->setEnabled(b.nextEnabled);
  finish_->setVisible(b.finishEnabled);
  finish_->setEnabled(b.finishEnabled);
  cancel_->setEnabled(b.cancelEnabled);
  QPushButton* def = b.finishEnabled ? finish_ : next_;
  def->setDefault(true);
  (def == next_ ? finish_ : next_)->setDefault(false);
  for (QPushButton* button : {back_, next_, finish_, cancel_})
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
  setWindowTitle(Qs(info.title.empty() ? sheet_.Caption() : info.title));

  page->Activate();
  clickGuard_.Shown(GetTickCount());
  // The focus goes to the page's first control, as a dialog's does.
  QWidget* first = page->nextInFocusChain();
  while (first && first != page &&
         !(page->isAncestorOf(first) && first->isVisibleTo(page) && first->isEnabled() &&
           (first->focusPolicy() & Qt::TabFocus)))
    first = first->nextInFocusChain();
  if (first && first != page && page->isAncestorOf(first))
    first->setFocus(Qt::TabFocusReason);
  else
    def->setFocus(Qt::TabFocusReason);
  ScheduleAnswers();
}

void CInstallWizard::ScheduleAnswers() {
  if (!script_.scripted && !script_.snapshot) return;
  QTimer::singleShot(0, this, [this, page = CurrentPage()] {
    if (!ended_ && CurrentPage() == page) AnswerCurrentPage(*this, script_);
  });
}

void CInstallWizard::Back() {
  if (ended_ || current_ <= 0 || !back_->isVisible() || !back_->isEnabled()) return;
  ShowPage(current_ - 1);
}

void CInstallWizard::Next() {
  CWZPage* page = CurrentPage();
  if (ended_ || !page || !next_->isEnabled() || !next_->isVisible()) return;
  switch (page->Next()) {
    case PageNext::Stay:
      return;
    case PageNext::UninstallAll:
      End(WizardOutcome::UninstallAll);
      return;
    case PageNext::Proceed:
      break;
  }
  if (page->Info().isLastPage)
    End(WizardOutcome::StartInstall);
  else
    ShowPage(current_ + 1);
}

void CInstallWizard::Finish() {
  if (ended_ || !finish_->isVisible() || !finish_->isEnabled()) return;
  End(WizardOutcome::Finished);
}

void CInstallWizard::CancelRequest() {
  CWZPage* page = CurrentPage();
  if (ended_ || confirming_ || !page) return;
  // A refused scripted answer cancels the run at once: no quit confirmation, nothing
  // installed, as in every UI.
  if (AnswersRefused()) {
    End(WizardOutcome::Quit);
    return;
  }
  if (PageRowOf(page->Info().kind).buttons == PageButtons::Finish) {
    // The completion page lets the sheet close in the ordinary way.
    End(WizardOutcome::Finished);
    return;
  }
  // Cancel becomes the main window's quit confirmation; No keeps the page as it is.
  confirming_ = true;
  bool quit = confirmQuit_ ? confirmQuit_() : false;
  confirming_ = false;
  if (quit)
    End(WizardOutcome::Quit);
  else if (script_.scripted)
    ScheduleAnswers();  // the page again, as it was
}

void CInstallWizard::reject() {
  // Escape is the Cancel button, and does nothing while that is disabled.
  if (cancel_->isEnabled()) CancelRequest();
}

void CInstallWizard::closeEvent(QCloseEvent* event) {
  if (ended_) {
    event->accept();
    return;
  }
  event->ignore();
  CancelRequest();
}

void CInstallWizard::End(WizardOutcome outcome) {
  if (ended_) return;
  ended_ = true;
  outcome_ = outcome;
  sheet_.SetFinished(true);
  hide();
  if (onEnded) onEnded(outcome);
}

WizardOutcome RunQtWizard(InstallWizard& sheet, const std::function<bool()>& confirmQuit,
                          QWidget* parent, WizardScript script) {
  if (sheet.Finished() || sheet.Pages().empty()) return WizardOutcome::Finished;
  CInstallWizard wizard(sheet, confirmQuit, parent);
  wizard.SetScript(std::move(script));
  QEventLoop loop;
  wizard.onEnded = [&loop](WizardOutcome) { loop.quit(); };
  wizard.Start();
  if (!wizard.Ended()) loop.exec();
  return wizard.Outcome();
}

}  // namespace vx
