#include "engine/ui/WizardSheet.h"

#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/PageTable.h"

namespace vx {

TextId InstallWizard::TitleId(PageKind kind) { return PageRowOf(kind).title; }

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
  const PageRow& row = PageRowOf(page.kind);
  WizardButtons b;
  b.backText = LoadText(TextId::Back);
  b.nextText = LoadText(row.nextText);
  b.cancelText = LoadText(row.cancelText);
  b.finishText = LoadText(TextId::Finish);
  b.nextEnabled = row.buttons != PageButtons::Finish;
  b.backEnabled = row.buttons == PageButtons::BackNext && !page.isFirstPage;
  b.finishEnabled = row.buttons == PageButtons::Finish;
  b.cancelEnabled = row.buttons != PageButtons::Finish;
  return b;
}

}  // namespace vx
