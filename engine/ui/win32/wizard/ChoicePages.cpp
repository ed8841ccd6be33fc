// The pages that ask: user information, install type and components.
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

void CWZUserInfo::Initialise() {
  logic_.Initialise();
  // A group box clips its title to the letters' advance, cutting a last letter that leans out
  // (the "f" of "yourself"): a space after it leaves the room.
  SetText(kCtlUserGroup, logic_.groupText.empty() ? "" : logic_.groupText + " ");
  Show(kCtlUserGroup, !logic_.groupText.empty());
  for (int i = 0; i < 3; ++i) {
    const UserInfoPage::Field& f = logic_.fields[static_cast<std::size_t>(i)];
    SetText(kCtlUserNameLabel + i, f.label);
    SetText(kCtlUserNameEdit + i, f.value);
    Show(kCtlUserNameLabel + i, f.asked);
    Show(kCtlUserNameEdit + i, f.asked);
  }
  SetPictureFile(logic_.picture);
}

PageNext CWZUserInfo::Next() {
  for (int i = 0; i < 3; ++i)
    logic_.fields[static_cast<std::size_t>(i)].value = Text(kCtlUserNameEdit + i);
  empty_ = logic_.Next();
  if (empty_ < 0) return PageNext::Proceed;
  CurrentUi().Beep();
  SetFocus(Control(kCtlUserNameEdit + empty_));
  return PageNext::Stay;
}

void CWZSelectType::Initialise() {
  logic_.Initialise();
  SetText(kCtlPagePrompt, LoadText(TextId::SelectType));
  list_.onCommand = [this](int id) {
    if (id < 0 || id >= static_cast<int>(logic_.types.size())) return;
    logic_.Select(id);
    SetStaticText(kCtlTypeDescription, logic_.description);
  };
  std::vector<CItemListWnd::Item> items;
  for (const std::string& t : logic_.types) items.push_back({t, true, false});
  // Built once per wizard, so that the choice survives Back and Next.
  list_.Create(Hwnd(), Control(kCtlListPlace), kCtlItemList, CItemListWnd::Mode::Radio, items);
  SetPictureFile(logic_.picture);
}

bool CWZSelectType::Notify(NMHDR& header, LRESULT& result) { return list_.Notify(header, result); }

PageNext CWZSelectType::Next() {
  logic_.Next();
  return PageNext::Proceed;
}

void CWZSelectComponent::Initialise() {
  SetText(kCtlPagePrompt, LoadText(TextId::SelectComponents));
  SetText(kCtlUninstallAll, LoadText(TextId::UninstallAll));
  Show(kCtlUninstallAll, Info().maintenanceMode);
}

void CWZSelectComponent::Activate() {
  // The list is made anew from the script each time the page shows.
  logic_.Activate();
  list_.onCommand = [this](int id) { ListCommand(id); };
  std::vector<CItemListWnd::Item> items;
  for (const ComponentPage::Row& r : logic_.rows)
    items.push_back({r.name, r.enabled && !r.disabledByUninstallAll, r.checked});
  list_.Create(Hwnd(), Control(kCtlListPlace), kCtlItemList, CItemListWnd::Mode::Check, items);
  SetPictureFile(logic_.picture);
  UpdateTotal();
}

void CWZSelectComponent::ReadChecks() {
  for (int i = 0; i < list_.RowCount() && i < static_cast<int>(logic_.rows.size()); ++i)
    logic_.rows[static_cast<std::size_t>(i)].checked = list_.Checked(i);
}

void CWZSelectComponent::UpdateTotal() {
  ReadChecks();
  SetStaticText(kCtlComponentTotal, logic_.TotalText());
}

void CWZSelectComponent::ListCommand(int id) {
  ReadChecks();
  logic_.Click(id);
  SetStaticText(kCtlComponentDescription, logic_.description);
  // Only a check box changes the total; a name only shows its description.
  if (id < static_cast<int>(logic_.rows.size())) UpdateTotal();
}

void CWZSelectComponent::Command(int id, int code) {
  if (id != kCtlUninstallAll || code != BN_CLICKED) return;
  const bool checked = IsDlgButtonChecked(Hwnd(), kCtlUninstallAll) == BST_CHECKED;
  ReadChecks();
  logic_.SetUninstallAll(checked);
  // Locked rows stay disabled either way.
  for (int i = 0; i < list_.RowCount(); ++i)
    if (logic_.rows[static_cast<std::size_t>(i)].enabled) list_.SetRowEnabled(i, !checked);
}

bool CWZSelectComponent::Notify(NMHDR& header, LRESULT& result) {
  return list_.Notify(header, result);
}

PageNext CWZSelectComponent::Next() {
  ReadChecks();
  return logic_.Next() == ComponentPage::NextResult::UninstallAll ? PageNext::UninstallAll
                                                                  : PageNext::Proceed;
}

}  // namespace vx::win32
