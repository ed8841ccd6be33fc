#include "engine/ui/qt/DialogRun.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace vx::qt {

int RunDialog(QDialog& dialog, Automation& automation, const std::string& kind,
              const std::function<void(const std::string& answer)>& answer) {
  dialog.adjustSize();
  FitOnScreen(dialog);
  QTimer::singleShot(0, &dialog, [&dialog, &automation, kind, answer] {
    automation.Snapshot(&dialog, kind);
    if (std::optional<std::string> a = automation.Take()) answer(*a);
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
                      const std::string& answer) {
  std::string word = AnswerWord(answer);
  if (word == "cancel") {
    dialog.reject();
    return;
  }
  if (!word.empty() && word.size() < 10 && word.find_first_not_of("0123456789") == std::string::npos) {
    int index = std::stoi(word);
    if (index < list.count()) list.setCurrentRow(index);
  }
  ok.click();
}

}  // namespace vx::qt
