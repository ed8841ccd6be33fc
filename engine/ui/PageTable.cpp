#include "engine/ui/PageTable.h"

#include <cstdlib>

#include "engine/ui/Ui.h"
#include "engine/ui/WizardPages.h"

namespace vx {

namespace {

std::string WelcomeText() { return LoadWelcomePage().text; }

std::string AgreementText() {
  AgreementContent c = LoadAgreementPage();
  return c.intro + "\n\n" + c.license;
}

std::string CompletionText() {
  CompletionContent c = LoadCompletionPage();
  return c.text + (c.more.empty() ? "" : "\n\n" + c.more);
}

using B = PageButtons;
using R = PageAnswerRule;
using T = TextId;

// In sheet order.
constexpr PageRow kPages[] = {
    {PageKind::Welcome, "Welcome", 132, T::WelcomeTitle, B::Next, T::Next, T::Cancel, R::Confirm,
     kMbOkCancel, WelcomeText},
    {PageKind::Agreement, "License", 133, T::LicenseTitle, B::BackNext, T::Yes, T::No, R::Confirm,
     kMbYesNo, AgreementText},
    {PageKind::UserInfo, "UserInfo", 134, T::UserInfoTitle, B::BackNext, T::Next, T::Cancel,
     R::Fields, kMbOkCancel, nullptr},
    {PageKind::SelectType, "Type", 136, T::TypeTitle, B::BackNext, T::Next, T::Cancel, R::Choice,
     kMbOkCancel, nullptr},
    {PageKind::SelectComponent, "Components", 137, T::ComponentsTitle, B::BackNext, T::Next,
     T::Cancel, R::Rows, kMbOkCancel, nullptr},
    {PageKind::SelectDestination, "Destination", 141, T::DestinationTitle, B::BackNext, T::Next,
     T::Cancel, R::Paths, kMbOkCancel, nullptr},
    {PageKind::Review, "Summary", 138, T::SummaryTitle, B::BackNext, T::Start, T::Cancel,
     R::Confirm, kMbOkCancel, ReviewText},
    {PageKind::Completion, "Completion", 139, T::CompletionTitle, B::Finish, T::Next, T::Cancel,
     R::Acknowledge, kMbOk, CompletionText},
};

// A row's place is its kind's number, so that a lookup is an index.
constexpr bool RowsInKindOrder() {
  for (std::size_t i = 0; i < std::size(kPages); ++i)
    if (static_cast<std::size_t>(kPages[i].kind) != i) return false;
  return true;
}
static_assert(RowsInKindOrder() && std::size(kPages) == kPageKindCount,
              "one page row per kind, in kind order");

}  // namespace

std::span<const PageRow> PageTable() { return kPages; }

const PageRow& PageRowOf(PageKind kind) {
  auto i = static_cast<std::size_t>(kind);
  if (i >= std::size(kPages)) std::abort();  // a kind without its row is a build fault
  return kPages[i];
}

}  // namespace vx
