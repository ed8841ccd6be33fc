#include "engine/ui/win32/wizard/InstallWizardWnd.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

namespace {

template <class Window>
std::unique_ptr<CWZPage> Make(CInstallWizard& wizard, const WizardPage& info) {
  return std::make_unique<Window>(wizard, info);
}

struct PageWindow {
  PageKind kind;
  std::unique_ptr<CWZPage> (*make)(CInstallWizard&, const WizardPage&);
};

// The window class of each row of the page table.
constexpr PageWindow kWindows[] = {
    {PageKind::Welcome, Make<CWZWelcome>},
    {PageKind::Agreement, Make<CWZAgreement>},
    {PageKind::UserInfo, Make<CWZUserInfo>},
    {PageKind::SelectType, Make<CWZSelectType>},
    {PageKind::SelectComponent, Make<CWZSelectComponent>},
    {PageKind::SelectDestination, Make<CWZSelectDestination>},
    {PageKind::Review, Make<CWZReview>},
    {PageKind::Completion, Make<CWZCompletion>},
};

}  // namespace

std::unique_ptr<CWZPage> CreatePage(CInstallWizard& wizard, const WizardPage& info) {
  for (const PageWindow& w : kWindows)
    if (w.kind == info.kind) return w.make(wizard, info);
  return std::make_unique<CWZPage>(wizard, info);
}

}  // namespace vx::win32
