#include "engine/ui/qt/DialogRun.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "engine/ui/qt/UiThread.h"

namespace vx::qt {

int RunDialog(QDialog& dialog, Automation& automation, const std::string& kind,
              const std::function<void(const ScriptedAnswer& answer)>& answer) {
  ExpectInterfaceThread();
  dialog.adjustSize();
  FitOnScreen(dialog);
  QTimer::singleShot(0, &dialog, [&dialog, &automation, kind, answer] {
    automation.Snapshot(&dialog, kind);
    if (std::optional<ScriptedAnswer> a = automation.Take()) answer(*a);
  });
  return dialog.exec();
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
                      Automation& automation, const std::string& name, const ScriptedAnswer& answer) {
  std::string accepts;
  std::optional<int> index = ListAnswer(answer.text, list.count(), list.currentRow(), accepts);
  if (automation.Refused(answer, name, accepts) || !index || *index < 0) {
    dialog.reject();
    return;
  }
  list.setCurrentRow(*index);
  ok.click();
}

}  // namespace vx::qt
