// Running a dialog of the Qt interface: modal, with its picture once shown and, in a
// scripted run, the next answer pressing its real buttons.
#pragma once
#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <functional>
#include <string>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

// `answer` gets the next answer ("" for the default) once the dialog is on screen, and
// presses or fills what it names. Returns exec()'s result.
int RunDialog(QDialog& dialog, Automation& automation, const std::string& kind,
              const std::function<void(const std::string& answer)>& answer);

// The button of `buttons` whose underlined letter `key` types (with Alt, or alone unless the
// focus is in a field that takes typing) is pressed: true when one was.
bool PressAccessKey(QWidget& window, const QKeyEvent& key, const QList<QAbstractButton*>& buttons);

// Keeps a window inside the screen it is on (small screens, scaled displays): at most the
// available size, moved back inside.
void FitOnScreen(QWidget& window);

// A scripted answer for a dialog with a list: "cancel" rejects it; an index of the list selects
// that row; then `ok` is pressed.
void AnswerListDialog(QDialog& dialog, QListWidget& list, QAbstractButton& ok,
                      const std::string& answer);

}  // namespace vx::qt
