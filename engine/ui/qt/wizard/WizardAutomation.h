// A scripted run through the real wizard: each page, once shown, takes its answers in the
// order and with the meaning its answer rule gives them (engine/ui/PageTable.h; the headless
// walker reads the same rule) by working the page's controls, so that the same answers leave
// the same machine, and the same answers are refused with the same line.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "engine/ui/AnswerCheck.h"

class QWidget;

namespace vx {

class CInstallWizard;

struct WizardScript {
  bool scripted = false;  // the pages answer themselves
  // The next answer (empty for the default when none is left); nullopt when the user answers.
  std::function<std::optional<ScriptedAnswer>()> take;
  // One line per page answered, as a dialog records it: caption, text, answer.
  std::function<void(const std::string&, const std::string&, const std::string&)> record;
  // A picture of the window, taken when a page shows (after a script filled it).
  std::function<void(QWidget*)> snapshot;
};

// Answers the wizard's current page (when the script answers) and takes its picture.
void AnswerCurrentPage(CInstallWizard& wizard, const WizardScript& script);

}  // namespace vx
