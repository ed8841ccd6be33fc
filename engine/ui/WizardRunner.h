// Walks a filled wizard through the UI interface without windows: each page becomes the
// dialogs it needs (a confirmation, a list choice, edit fields), answered like any dialog.
#pragma once
#include <functional>

#include "engine/ui/WizardSheet.h"

namespace vx {

class Ui;

enum class WizardOutcome {
  StartInstall,  // Next on the last page
  Quit,          // the user confirmed quitting (the stop request is raised), or a scripted
                 // answer was refused (AnswersRefused())
  UninstallAll,  // maintenance: "Uninstall all" was chosen
  Finished,      // the completion page's Finish, or a wizard without pages
};

// `confirmQuit` is the main window's quit confirmation: true when the user quits.
WizardOutcome RunWizard(InstallWizard& wizard, Ui& ui, const std::function<bool()>& confirmQuit);

}  // namespace vx
