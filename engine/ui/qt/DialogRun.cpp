#include "engine/ui/qt/DialogRun.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "engine/ui/qt/UiThread.h"
#include "engine/ui/DialogAnswers.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

namespace {

// A question's keyboard: its buttons' underlined letters.
class AccessKeys : public QObject {
 public:
  explicit AccessKeys(QDialog& dialog) : dialog_(dialog) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &dialog_) return false;
    return PressAccessKey(dialog_, *static_cast<QKeyEvent*>(event),
                          dialog_.findChildren<QAbstractButton*>());
  }

 private:
  QDialog& dialog_;
};

bool TakesTyping(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QTextEdit*>(w)) return !e->isReadOnly();
  return false;
}

}  // namespace

bool PressAccessKey(QWidget& window, const QKeyEvent& key, const QList<QAbstractButton*>& buttons) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  const bool alt = (key.modifiers() & Qt::AltModifier) != 0;
  // A letter typed alone goes to a field that takes typing.
  if (!alt && TakesTyping(window.focusWidget())) return false;
  const QString text = key.text().toUpper();
  char letter = text.size() == 1 ? text.at(0).toLatin1() : 0;
  // With Alt some platforms give no text: the key names the letter.
  if (letter == 0 && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
    letter = static_cast<char>('A' + (key.key() - Qt::Key_A));
  if (letter == 0) return false;
  for (QAbstractButton* b : buttons) {
    if (b->isVisible() && b->isEnabled() && AccessKeyOf(FromQt(b->text())) == letter) {
      b->click();
      return true;
    }
  }
  return false;
}

int RunDialog(QDialog& dialog, Automation& automation, const std::string& kind,
              const std::function<void(const ScriptedAnswer& answer)>& answer) {
  ExpectInterfaceThread();
  dialog.adjustSize();
  FitOnScreen(dialog);
  QTimer::singleShot(0, &dialog, [&dialog, &automation, kind, answer] {
    automation.Snapshot(&dialog, kind);
    if (std::optional<ScriptedAnswer> a = automation.Take()) answer(*a);
  });
  // After the question the focus goes back where it was (the wizard's page), not to the
  // window the question belonged to.
  QPointer<QWidget> window = QApplication::activeWindow();
  QPointer<QWidget> focus = QApplication::focusWidget();
  AccessKeys keys(dialog);
  qApp->installEventFilter(&keys);
  int result = dialog.exec();
  qApp->removeEventFilter(&keys);
  if (window && window != &dialog && window->isVisible()) {
    window->activateWindow();
    if (focus && focus->isVisible() && focus->window() == window)
      focus->setFocus(Qt::OtherFocusReason);
  }
  return result;
}

void FitOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect room = screen->availableGeometry();
  // The frame counts too: its width comes on top of the window's own size.
  QSize frameExtra = window.frameGeometry().size() - window.size();
  QSize size = window.size().boundedTo(room.size() - frameExtra);
  if (size != window.size()) window.resize(size);
  QRect frame = window.frameGeometry();
  int x = std::clamp(frame.left(), room.left(),
                     std::max(room.left(), room.right() - frame.width() + 1));
  int y =
      std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - frame.height() + 1));
  if (x != frame.left() || y != frame.top()) window.move(x, y);
}

void AnswerListDialog(QDialog& dialog, QListWidget& list, QAbstractButton& ok,
                      Automation& automation, const std::string& name,
                      const ScriptedAnswer& answer) {
  const int index = ListPress(automation, answer, list.count(), list.currentRow(), name);
  if (index < 0) {
    dialog.reject();
    return;
  }
  list.setCurrentRow(index);
  ok.click();
}

}  // namespace vx::qt
