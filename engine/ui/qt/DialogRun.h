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

// `answer` gets the next answer (empty for the default) once the dialog is on screen, and
// presses or fills what it names, or closes the dialog without agreeing when the answer was
// refused. Returns exec()'s result.
int RunDialog(QDialog& dialog, Automation& automation, const std::string& kind,
              const std::function<void(const ScriptedAnswer& answer)>& answer);

// The button of `buttons` whose underlined letter `key` types (with Alt, or alone unless the
// focus is in a field that takes typing) is pressed: true when one was.
bool PressAccessKey(QWidget& window, const QKeyEvent& key, const QList<QAbstractButton*>& buttons);

// Keeps a window inside the screen it is on (small screens, scaled displays): at most the
// available size, moved back inside.
void FitOnScreen(QWidget& window);

// A scripted answer for a dialog with a list (named `name` in a refusal): "cancel" rejects
// it; an index of the list selects that row and `ok` is pressed; anything else is refused.
void AnswerListDialog(QDialog& dialog, QListWidget& list, QAbstractButton& ok,
                      Automation& automation, const std::string& name,
                      const ScriptedAnswer& answer);

}  // namespace vx::qt
