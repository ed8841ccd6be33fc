#include "engine/ui/qt/wizard/Pages.h"

namespace vx {

namespace {

template <class Window>
CWZPage* Make(const WizardPage& info, const DialogUnits& units, QWidget* parent) {
  return new Window(info, units, parent);
}

struct PageWindow {
  PageKind kind;
  CWZPage* (*make)(const WizardPage&, const DialogUnits&, QWidget*);
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

CWZPage* CreatePage(const WizardPage& info, const DialogUnits& units, QWidget* parent) {
  for (const PageWindow& w : kWindows)
    if (w.kind == info.kind) return w.make(info, units, parent);
  return new CWZPage(info, units, parent);
}

}  // namespace vx
