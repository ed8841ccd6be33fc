#include "extract/qt/QtExtractUi.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/ui/SnapshotName.h"
#include "engine/ui/Ui.h"
#include "extract/BoxAnswer.h"

namespace vx::extract {

namespace {

int gArgc = 1;
char gProgram[] = "Extract.exe";
char* gArgv[] = {gProgram, nullptr};

// The next picture number in the folder: pictures of the installer started after this
// program go on from here.
int NextOrder(const QDir& dir) {
  int highest = 0;
  for (const QString& name : dir.entryList({"*.png"}, QDir::Files))
    highest = std::max(highest, SnapshotOrderOf(name.toStdString()));
  return highest + 1;
}

}  // namespace

QtExtractUi::QtExtractUi(bool scripted, std::vector<std::string> answers, std::string snapshotDir)
    : scripted_(scripted), snapshotDir_(std::move(snapshotDir)) {
  std::vector<ScriptedAnswer> numbered;
  for (std::string& a : answers)
    numbered.push_back({std::move(a), static_cast<int>(numbered.size()) + 1});
  answers_ = AnswerQueue(scripted, std::move(numbered));
  if (QApplication::instance() == nullptr) app_ = std::make_unique<QApplication>(gArgc, gArgv);
}

QtExtractUi::QtExtractUi(AnswerQueue answers, std::string snapshotDir)
    : scripted_(answers.Scripted()),
      answers_(std::move(answers)),
      snapshotDir_(std::move(snapshotDir)) {
  if (QApplication::instance() == nullptr) app_ = std::make_unique<QApplication>(gArgc, gArgv);
}

std::unique_ptr<QtExtractUi> QtExtractUi::FromEnvironment() {
  std::string dir;
  if (const char* d = std::getenv("VX_SNAPSHOTS");
      d && *d && QDir().mkpath(QString::fromLocal8Bit(d)))
    dir = d;
  return std::make_unique<QtExtractUi>(AnswerQueue::FromEnvironment(), std::move(dir));
}

QtExtractUi::~QtExtractUi() {
  delete dialog_;
  dialog_ = nullptr;
}

bool QtExtractUi::Answer(const std::string& text, std::uint32_t type, int defaultId, int& id) {
  if (!scripted_) return false;
  id = BoxAnswer(answers_.Take(), text, type, defaultId);
  return true;
}

void QtExtractUi::Snapshot(QWidget* window, const char* kind) {
  if (snapshotDir_.empty() || window == nullptr || !window->isVisible()) return;
  QDir dir(QString::fromLocal8Bit(snapshotDir_.c_str()));
  const std::string name = SnapshotFileName(NextOrder(dir), kind, "");
  window->grab().toImage().save(dir.filePath(QString::fromStdString(name)), "PNG");
}

void QtExtractUi::Open() {
  dialog_ = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint);
  QIcon icon = dialog_->style()->standardIcon(QStyle::SP_DriveHDIcon);
  dialog_->setWindowIcon(icon);
  auto* layout = new QVBoxLayout(dialog_);
  label_ = new QLabel(dialog_);
  label_->setTextFormat(Qt::PlainText);
  label_->setMinimumWidth(360);
  label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(label_);
  bar_ = new QProgressBar(dialog_);
  bar_->setRange(1, 100);
  bar_->setValue(1);
  layout->addWidget(bar_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  cancel_ = new QPushButton("Cancel", dialog_);
  row->addWidget(cancel_);
  layout->addLayout(row);
  // The close box and Esc press Cancel, which asks first.
  QObject::connect(cancel_, &QPushButton::clicked, dialog_, [this] { cancelClicked_ = true; });
  QObject::connect(dialog_, &QDialog::rejected, dialog_, [this] {
    cancelClicked_ = true;
    dialog_->show();
  });
  dialog_->resize(420, dialog_->sizeHint().height());
  dialog_->show();
  Turn();
}

void QtExtractUi::Close() {
  if (dialog_) dialog_->hide();
  Turn();
}

void QtExtractUi::Turn() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

void QtExtractUi::SetLabel(const std::string& text) {
  if (!label_) return;
  label_->setText(QString::fromLocal8Bit(text.c_str()));
  Turn();
  Snapshot(dialog_, "extract");
}

void QtExtractUi::SetProgress(int position) {
  if (!bar_) return;
  bar_->setValue(std::clamp(position, 1, 100));
  Turn();
}

void QtExtractUi::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromLocal8Bit(text.c_str()),
                  QMessageBox::Ok, dialog_);
  QTimer::singleShot(0, &box, [this, &box, &text] {
    Snapshot(&box, "extract-message");
    if (int id = 0; Answer(text, kMbOk, kIdOk, id)) box.button(QMessageBox::Ok)->click();
  });
  box.exec();
  PrintBoxLine(stderr, text, "ok");
}

bool QtExtractUi::AskYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString(), QString::fromLocal8Bit(text.c_str()),
                  QMessageBox::Yes | QMessageBox::No, dialog_);
  box.setDefaultButton(QMessageBox::No);
  QTimer::singleShot(0, &box, [this, &box, &text] {
    Snapshot(&box, "extract-question");
    if (int id = 0; Answer(text, kMbYesNo, kIdNo, id))
      box.button(id == kIdYes ? QMessageBox::Yes : QMessageBox::No)->click();
  });
  bool yes = box.exec() == QMessageBox::Yes;
  PrintBoxLine(stderr, text, yes ? "yes" : "no");
  return yes;
}

void QtExtractUi::Beep() { QApplication::beep(); }

bool QtExtractUi::TakeCancelClick() {
  Turn();
  bool clicked = cancelClicked_;
  cancelClicked_ = false;
  return clicked;
}

void RegisterQtExtractUi() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  // Qt's own platform choice (offscreen, a VNC server ...) counts as a display when asked for.
  auto unavailable = [set](bool asked) -> std::string {
    if (set("DISPLAY") || set("WAYLAND_DISPLAY") || (asked && set("QT_QPA_PLATFORM"))) return {};
    return asked ? "no display (neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set)"
                 : "no display";
  };
  RegisterGraphicalExtractUi({"qt", unavailable, []() -> std::unique_ptr<ExtractUi> {
                                return QtExtractUi::FromEnvironment();
                              }});
}

}  // namespace vx::extract
