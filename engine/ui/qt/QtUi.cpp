#include "engine/ui/qt/QtUi.h"

#include "engine/ui/WizardRunner.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <mutex>

#include "engine/base/Flags.h"
#include "engine/base/MainEvents.h"
#include "engine/base/Texts.h"
#include "engine/ui/ScreenLayout.h"
#include "engine/ui/qt/BackdropWnd.h"
#include "engine/ui/qt/ChoiceDialog.h"
#include "engine/ui/qt/ConfirmUninstallDialog.h"
#include "engine/ui/qt/FourChoiceDialog.h"
#include "engine/ui/qt/MessageBoxDialog.h"
#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/ProgressWindow.h"
#include "engine/ui/qt/SearchDialog.h"
#include "engine/ui/qt/SplashWnd.h"
#include "engine/ui/qt/TextQuestionDialog.h"
#include "engine/ui/qt/UiThread.h"
#include "platform/Dispatcher.h"

namespace vx::qt {

namespace {

int gArgc = 1;
char gProgram[] = "Install.exe";
char* gArgv[] = {gProgram, nullptr};

// A progress window seen from the engine: every call is handed to the interface thread
// without waiting (progress never holds a worker up), and the window goes when the view does.
class QtProgressView : public ProgressView {
 public:
  QtProgressView(ProgressWindow* window, CBackdropWnd* placer) : window_(window), placer_(placer) {}
  ~QtProgressView() override {
    QPointer<ProgressWindow> w = window_;
    Post([w] {
      if (w) {
        w->hide();
        w->deleteLater();
      }
    });
  }
  void SetHeading(const std::string& text) override {
    Call([text](ProgressWindow& w) { w.SetHeading(text); });
  }
  void SetDetail(const std::string& text) override {
    Call([text](ProgressWindow& w) { w.SetDetail(text); });
  }
  void SetPosition(int percent) override {
    Call([percent](ProgressWindow& w) { w.SetPosition(percent); });
  }
  void HideCancel() override {
    Call([](ProgressWindow& w) { w.HideCancel(); });
  }
  void Show(bool visible) override {
    QPointer<CBackdropWnd> placer = placer_;
    Call([visible, placer, placed = std::make_shared<bool>(false)](ProgressWindow& w) {
      // The transfer window is placed by the main window when it first shows.
      if (visible && placer && !*placed && w.Kind() == ProgressKind::Transfer) {
        placer->PlaceProgress(w);
        *placed = true;
      }
      w.ShowWindow(visible);
    });
  }

 private:
  template <class F>
  void Call(F f) {
    QPointer<ProgressWindow> w = window_;
    Post([w, f] {
      if (w) f(*w);
    });
  }
  QPointer<ProgressWindow> window_;
  QPointer<CBackdropWnd> placer_;
};

class QtSearchView : public ProgressView {
 public:
  explicit QtSearchView(SearchDialog* dialog) : dialog_(dialog) {}
  ~QtSearchView() override {
    QPointer<SearchDialog> d = dialog_;
    Post([d] {
      if (d) {
        d->hide();
        d->deleteLater();
      }
    });
  }
  void SetHeading(const std::string& text) override {
    Call([text](SearchDialog& d) { d.SetText(text); });
  }
  void SetDetail(const std::string& text) override {
    Call([text](SearchDialog& d) { d.SetFolder(text); });
  }
  void SetPosition(int) override {}
  void Show(bool visible) override {
    Call([visible](SearchDialog& d) { d.ShowWindow(visible); });
  }

 private:
  template <class F>
  void Call(F f) {
    QPointer<SearchDialog> d = dialog_;
    Post([d, f] {
      if (d) f(*d);
    });
  }
  QPointer<SearchDialog> dialog_;
};

}  // namespace

// Arrow keys for a pause that waits for one, whichever window has the focus.
class KeyFilter : public QObject {
 public:
  explicit KeyFilter(QtUi& ui) : ui_(ui) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    return ui_.eventFilter(watched, event);
  }

 private:
  QtUi& ui_;
};

QtUi::QtUi(Automation automation) : automation_(std::move(automation)) {
  if (QApplication::instance() == nullptr) app_ = std::make_unique<QApplication>(gArgc, gArgv);
  QApplication::setWindowIcon(ProgramIcon());
  keyFilter_ = std::make_unique<KeyFilter>(*this);
  qApp->installEventFilter(keyFilter_.get());
  // Calls that workers send or post run in Qt's loop, whichever loop is running: the main
  // window's, a modal wait's or a dialog's. The dispatcher lives as long as the process, so
  // the wakeup stays for good (a second interface replacing the first keeps it).
  static std::once_flag wakeup;
  std::call_once(wakeup, [] {
    Dispatcher& dispatcher = UiDispatcher();
    dispatcher.SetWakeup([&dispatcher] {
      if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [&dispatcher] { dispatcher.Pump(0); }, Qt::QueuedConnection);
    });
  });
}

QtUi::~QtUi() {
  if (qApp) qApp->removeEventFilter(keyFilter_.get());
  backdrop_.reset();
  keyFilter_.reset();
  app_.reset();
}

bool QtUi::eventFilter(QObject*, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  int arrow = 0;
  switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      arrow = -1;
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      arrow = +1;
      break;
    default:
      break;
  }
  // Only a pause waiting for a key takes it; otherwise the key goes on as usual.
  if (arrow != 0 && Flags().waitingForKey && !key->isAutoRepeat()) {
    arrow_ = arrow;
    arrowPressed_ = false;
  }
  return false;
}

QWidget* QtUi::Owner() const {
  return backdrop_ && backdrop_->isVisible() ? backdrop_.get() : nullptr;
}

int QtUi::MessageBox(const std::string& caption, const std::string& text, std::uint32_t type) {
  return Send([&] {
    MessageBoxDialog box(Owner(), caption, text, type);
    return box.Run(automation_);
  });
}

int QtUi::FourChoice(const std::string& caption, const std::string& question,
                     const std::vector<std::string>& buttonTexts) {
  return Send([&] {
    FourChoiceDialog dialog(Owner(), caption, question, buttonTexts);
    return dialog.Run(automation_);
  });
}

bool QtUi::AskText(const std::string& caption, const std::string& text, std::string& value) {
  return Send([&] {
    // The disk prompt has Browse to pick the folder; other questions have OK and Cancel.
    bool disk = caption == "Insert Diskette";
    TextQuestionDialog dialog(Owner(), caption, text, value, LoadText(TextId::Ok),
                              LoadText(TextId::Cancel),
                              disk ? LoadText(TextId::Browse) : std::string());
    return dialog.Run(automation_, value);
  });
}

int QtUi::ChooseFromList(const std::string& caption, const std::string& prompt,
                         const std::vector<std::string>& items, int preselected) {
  return Send([&] {
    // Several folders found by the file search: the search dialog shows them itself.
    if (caption == LoadText(TextId::SearchingForFile) &&
        prompt == LoadText(TextId::SearchSeveralFound)) {
      QPointer<SearchDialog> dialog = search_;
      std::unique_ptr<SearchDialog> own;
      if (!dialog) {
        own = std::make_unique<SearchDialog>(Owner(), caption, automation_);
        dialog = own.get();
      }
      return dialog->ChooseResult(prompt, items);
    }
    ChoiceDialog dialog(Owner(), caption, prompt, items, preselected, LoadText(TextId::Ok));
    return dialog.Run(automation_);
  });
}

int QtUi::PollArrowKey() {
  if (automation_.Scripted() && !arrowPressed_ && arrow_ == 0) {
    int arrow = automation_.TakeArrow();
    if (arrow == 0) return +1;  // as headless: no arrow answer next, the pause goes on
    // Press the real key: the key handling hands it over like one from the keyboard.
    arrowPressed_ = true;
    Post([this, arrow] {
      QObject* target = QApplication::focusWidget();
      if (target == nullptr) target = QApplication::activeWindow();
      if (target == nullptr) target = backdrop_ ? static_cast<QObject*>(backdrop_.get()) : qApp;
      QKeyEvent press(QEvent::KeyPress, arrow < 0 ? Qt::Key_Left : Qt::Key_Right, Qt::NoModifier);
      QApplication::sendEvent(target, &press);
      arrowPressed_ = false;
    });
  }
  return arrow_.exchange(0);
}

std::unique_ptr<ProgressView> QtUi::CreateProgress(const std::string& title) {
  return Send([&]() -> std::unique_ptr<ProgressView> {
    if (title == LoadText(TextId::SearchingForFile)) {
      auto* dialog = new SearchDialog(Owner(), title, automation_);
      dialog->onStop = [this] { ExitCommand(); };
      search_ = dialog;
      return std::make_unique<QtSearchView>(dialog);
    }
    ProgressKind kind = title == "Initialize Installer..." ? ProgressKind::Preparation
                        : title == "Install"               ? ProgressKind::Transfer
                                                           : ProgressKind::Uninstall;
    auto* window = new ProgressWindow(Owner(), kind, title, automation_);
    if (kind == ProgressKind::Preparation) window->SetHeading("Initialize Installer...");
    if (kind == ProgressKind::Transfer) window->onCancel = [] { Flags().stopRequest = true; };
    return std::make_unique<QtProgressView>(window, backdrop_.get());
  });
}

void QtUi::Beep() {
  Post([] { QApplication::beep(); });
}

bool QtUi::ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) {
  return Send([&] {
    ConfirmUninstallDialog dialog(Owner(), caption, texts, LoadText(TextId::Ok),
                                  LoadText(TextId::Cancel));
    return dialog.Run(automation_);
  });
}

void QtUi::ShowSplash(const std::string& image) {
  Send([&] {
    CSplashWnd splash(image, automation_);
    splash.Run();
  });
}

bool QtUi::CreateMainWindow() {
  Send([&] {
    if (backdrop_) return;
    backdrop_ = std::make_unique<CBackdropWnd>(automation_);
    backdrop_->onExit = [this] { ExitCommand(); };
  });
  return true;
}

void QtUi::LayoutMainWindow() {
  Send([&] {
    if (!backdrop_) CreateMainWindow();
    backdrop_->ApplyLayout(ReadScreenLayout());
  });
}

void QtUi::SetBulletin(const std::string& image) {
  Send([&] {
    if (backdrop_) backdrop_->SetBulletin(image);
  });
}

void QtUi::Loop(Dispatcher& dispatcher, const std::function<bool()>& until) {
  if (until()) return;
  QEventLoop loop;
  // Whatever changed the condition (a dispatched call, a flag of a worker) is seen soon.
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    dispatcher.Pump(0);
    if (until()) loop.quit();
  });
  check.start(10);
  loop.exec();
}

namespace {
QtUi::WizardWindows& WizardWindowsSlot() {
  static QtUi::WizardWindows run;
  return run;
}
}  // namespace

void QtUi::SetWizardWindows(WizardWindows run) { WizardWindowsSlot() = std::move(run); }

WizardOutcome QtUi::RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) {
  if (!WizardWindowsSlot()) return Ui::RunWizard(wizard, confirmQuit);
  return WizardWindowsSlot()(*this, wizard, confirmQuit);
}

void QtUi::RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) {
  Loop(dispatcher, finished);
}

void QtUi::WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) {
  Loop(dispatcher, done);
}

void QtUi::ExitCommand() { Events().Post(MainMessage::Exit); }

void RegisterQtUi() {
  RegisterGraphicalUi([]() -> std::unique_ptr<Ui> { return std::make_unique<QtUi>(); });
}

}  // namespace vx::qt
