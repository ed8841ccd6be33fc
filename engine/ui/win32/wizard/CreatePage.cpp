#include "engine/ui/PageWindows.h"
#include "engine/ui/win32/wizard/InstallWizardWnd.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

std::unique_ptr<CWZPage> CreatePage(CInstallWizard& wizard, const WizardPage& info) {
  return MakePageWindow<std::unique_ptr<CWZPage>, CWZWelcome, CWZAgreement, CWZUserInfo,
                        CWZSelectType, CWZSelectComponent, CWZSelectDestination, CWZReview,
                        CWZCompletion>(info.kind, wizard, info);
}

}  // namespace vx::win32
