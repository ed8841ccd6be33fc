// What the Win32 interface lends the wizard's windows: the owner window, the module that holds
// the dialog templates, the scripted answers and the pictures. The interface (Win32Ui) fills it
// and calls the wizard's windows through the hook below; the wizard (engine/ui/win32/wizard)
// registers that hook at start, as the Qt wizard registers its own.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "engine/ui/AnswerCheck.h"
#include "engine/ui/WizardRunner.h"

namespace vx::win32 {

struct WizardHost {
  HWND owner = nullptr;          // the backdrop when it is shown, else null
  HINSTANCE instance = nullptr;  // the module holding the page templates
  bool scripted = false;         // the pages answer themselves
  // The next answer (empty for the default when none is left); nullopt when the user answers.
  std::function<std::optional<ScriptedAnswer>()> take;
  // One line per page answered: caption, text, answer.
  std::function<void(const std::string&, const std::string&, const std::string&)> record;
  // A picture of `window` (kind "wizard", named by its title) when snapshots are asked for.
  std::function<void(HWND window, const std::string& kind)> snapshot;
  // The main window's quit confirmation: true when the user quits.
  std::function<bool()> confirmQuit;
};

// Runs the wizard in its windows until it ends; runs on the interface thread.
using WizardWindows = std::function<WizardOutcome(const WizardHost&, InstallWizard&)>;
// Set once at start by a program linked with the wizard's windows; without it the interface
// walks the pages through its dialogs.
void SetWizardWindows(WizardWindows run);
const WizardWindows& GetWizardWindows();

}  // namespace vx::win32
