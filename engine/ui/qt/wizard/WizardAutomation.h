// A scripted run through the real wizard: each page, once shown, takes its answers in the
// order and with the meaning the headless wizard gives them (ok / cancel on the welcome and
// summary pages, yes / no on the license, "text:" per asked user field, an index for the
// install type, "text:0,2" ticks or "text:uninstall-all" on the components, "text:PATH" per
// editable destination, one answer for the completion) by working the page's controls, so
// that the same answers leave the same machine.
#pragma once
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace vx {

class CInstallWizard;

struct WizardScript {
  bool scripted = false;  // the pages answer themselves
  // The next answer ("" for the default when none is left); nullopt when the user answers.
  std::function<std::optional<std::string>()> take;
  // One line per page answered, as a dialog records it: caption, text, answer.
  std::function<void(const std::string&, const std::string&, const std::string&)> record;
  // A picture of the window, taken when a page shows (after a script filled it).
  std::function<void(QWidget*)> snapshot;
};

// Answers the wizard's current page (when the script answers) and takes its picture.
void AnswerCurrentPage(CInstallWizard& wizard, const WizardScript& script);

}  // namespace vx
