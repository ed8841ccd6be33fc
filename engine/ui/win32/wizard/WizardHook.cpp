#include "engine/ui/win32/wizard/RegisterWin32Wizard.h"
#include "engine/ui/win32/wizard/Win32Wizard.h"

namespace vx::win32 {

void RegisterWin32Wizard() { SetWizardWindows(RunWin32Wizard); }

}  // namespace vx::win32
