// The wizard in native windows: a modeless wizard-mode property sheet over the owner the
// interface lends, one page window per page of the filled InstallWizard.
#pragma once
#include "engine/ui/WizardRunner.h"
#include "engine/ui/WizardSheet.h"
#include "engine/ui/win32/WizardHost.h"

namespace vx::win32 {

// Shows the sheet and pumps its messages until it ends; on the interface thread.
WizardOutcome RunWin32Wizard(const WizardHost& host, InstallWizard& wizard);

}  // namespace vx::win32
