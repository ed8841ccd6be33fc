#include "engine/ui/PageWindows.h"
#include "engine/ui/qt/wizard/Pages.h"

namespace vx {

CWZPage* CreatePage(const WizardPage& info, const DialogUnits& units, QWidget* parent) {
  return MakePageWindow<CWZPage*, CWZWelcome, CWZAgreement, CWZUserInfo, CWZSelectType,
                        CWZSelectComponent, CWZSelectDestination, CWZReview, CWZCompletion>(
      info.kind, info, units, parent);
}

}  // namespace vx
