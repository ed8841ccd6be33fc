#include "engine/ui/WizardSheet.h"

#include "engine/base/Store.h"
#include "engine/base/Texts.h"

namespace vx {

int InstallWizard::TitleId(PageKind kind) {
  switch (kind) {
    case PageKind::Welcome: return 40042;
    case PageKind::Agreement: return 40045;
    case PageKind::UserInfo: return 40047;
    case PageKind::SelectType: return 40055;
    case PageKind::SelectComponent: return 40058;
    case PageKind::SelectDestination: return 40062;
    case PageKind::Review: return 40064;
    case PageKind::Completion: return 40067;
  }
  return 0;
}

void InstallWizard::AddPage(PageKind kind, bool maintenance) {
  WizardPage page{kind, LoadText(TitleId(kind))};
  if (!pages_.empty()) pages_.back().isLastPage = false;
  page.isLastPage = true;
  page.isFirstPage = pages_.empty();
  page.maintenanceMode = maintenance;
  pages_.push_back(std::move(page));
}

void InstallWizard::FillFull() {
  finished_ = false;
  if (ReadScriptInt("<WelcomeWnd>", "SkipThis") == 0) AddPage(PageKind::Welcome);
  if (ReadScriptInt("<LicenseWnd>", "SkipThis") == 0) AddPage(PageKind::Agreement);
  // Only 1 hides the user information page; every other value shows it.
  if (ReadScriptInt("<UserInfoWnd>", "SkipThis") != 1) AddPage(PageKind::UserInfo);

  unsigned types = static_cast<unsigned>(ReadScriptInt("<InstTypeListWnd>", "nItems"));
  bool typePage = types > 1;
  if (typePage) AddPage(PageKind::SelectType);
  bool componentPage = typePage;
  if (!typePage) {
    if (types != 0) {
      std::string single = ReadScriptString("<InstTypeListWnd>", "0");
      componentPage = ReadScriptInt(single, "ShowComponents") == 1;
    } else {
      componentPage = static_cast<unsigned>(ReadScriptInt("<CompListWnd>", "nItems")) > 1;
    }
  }
  if (componentPage) AddPage(PageKind::SelectComponent);
  if (ReadScriptInt("<Destinations>", "PathWndVisible") == 1) AddPage(PageKind::SelectDestination);
  if (ReadScriptInt("<InstSummaryWnd>", "SkipThis") == 0) AddPage(PageKind::Review);
  if (pages_.empty()) finished_ = true;
}

void InstallWizard::FillModify() {
  std::string type = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  bool wanted = type != "<CompListWnd>"
                    ? ReadScriptInt(type, "ShowComponents") == 1
                    : static_cast<unsigned>(ReadScriptInt("<CompListWnd>", "nItems")) > 1;
  if (wanted) {
    AddPage(PageKind::SelectComponent, /*maintenance=*/true);
    if (ReadScriptInt("<InstSummaryWnd>", "SkipThis") == 0) AddPage(PageKind::Review);
  }
  // A modify wizard without pages ends at once, as the full wizard does.
  if (pages_.empty()) finished_ = true;
}

void InstallWizard::FillCompletion() {
  finished_ = false;
  AddPage(PageKind::Completion);
}

WizardButtons InstallWizard::ButtonsFor(const WizardPage& page) {
  WizardButtons b;
  b.backText = LoadText(40012);
  b.nextText = LoadText(40011);
  b.cancelText = LoadText(40001);
  b.finishText = LoadText(40014);
  switch (page.kind) {
    case PageKind::Welcome:
      b.nextEnabled = true;
      break;
    case PageKind::Completion:
      b.finishEnabled = true;
      b.cancelEnabled = false;
      break;
    default:
      b.nextEnabled = true;
      b.backEnabled = !page.isFirstPage;
      break;
  }
  if (page.kind == PageKind::Agreement) {
    b.nextText = LoadText(40002);
    b.cancelText = LoadText(40003);
  } else if (page.kind == PageKind::Review) {
    b.nextText = LoadText(40013);
  }
  return b;
}

}  // namespace vx
