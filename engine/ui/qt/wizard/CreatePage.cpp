#include "engine/ui/qt/wizard/Pages.h"

namespace vx {

CWZPage* CreatePage(const WizardPage& info, const DialogUnits& units, QWidget* parent) {
  switch (info.kind) {
    case PageKind::Welcome: return new CWZWelcome(info, units, parent);
    case PageKind::Agreement: return new CWZAgreement(info, units, parent);
    case PageKind::UserInfo: return new CWZUserInfo(info, units, parent);
    case PageKind::SelectType: return new CWZSelectType(info, units, parent);
    case PageKind::SelectComponent: return new CWZSelectComponent(info, units, parent);
    case PageKind::SelectDestination: return new CWZSelectDestination(info, units, parent);
    case PageKind::Review: return new CWZReview(info, units, parent);
    case PageKind::Completion: return new CWZCompletion(info, units, parent);
  }
  return new CWZPage(info, units, parent);
}

}  // namespace vx
