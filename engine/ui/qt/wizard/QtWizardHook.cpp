#include "engine/ui/qt/wizard/QtWizardHook.h"

#include "engine/ui/qt/QtUi.h"
#include "engine/ui/qt/wizard/InstallWizardWnd.h"

namespace vx {

void RegisterQtWizard() {
  qt::QtUi::SetWizardWindows([](qt::QtUi& ui, InstallWizard& wizard,
                                const std::function<bool()>& confirmQuit) {
    qt::Automation& automation = ui.Script();
    WizardScript script;
    script.scripted = automation.Scripted();
    script.take = [&automation] { return automation.Take(); };
    // A refusal goes through the automation, which reports it once for the whole run.
    script.record = [&automation](const std::string& caption, const std::string& text,
                                  const std::string& answer) {
      automation.Record(caption, text, answer);
    };
    if (automation.Snapshots())
      script.snapshot = [&automation](QWidget* window) { automation.Snapshot(window, "wizard"); };
    return RunQtWizard(wizard, confirmQuit, ui.Owner(), std::move(script));
  });
}

}  // namespace vx
