#include <QCheckBox>
#include <QLabel>

#include "engine/base/Texts.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/ControlIds.h"

namespace vx {

CWZSelectComponent::CWZSelectComponent(const WizardPage& info, const DialogUnits& units,
                                       QWidget* parent)
    : PageOfKind(info, units, parent), logic_(info.maintenanceMode) {}

void CWZSelectComponent::Initialise() {
  AddSidePicture();
  AddText(kCtlPagePrompt, 91, 7, 182, 9, LoadText(TextId::SelectComponents));
  QWidget* place = Place(new QWidget(this), kCtlListPlace, 91, 17, 182, 85);
  place->hide();
  uninstallAll_ = Place(new QCheckBox(Qs(LoadText(TextId::UninstallAll)), this), kCtlUninstallAll,
                        91, 103, 182, 10);
  uninstallAll_->setVisible(Info().maintenanceMode);
  connect(uninstallAll_, &QCheckBox::clicked, this, [this](bool checked) {
    ReadChecks();
    logic_.SetUninstallAll(checked);
    // Locked rows stay disabled either way.
    for (int i = 0; i < list_->RowCount(); ++i)
      if (logic_.rows[i].enabled) list_->SetRowEnabled(i, !checked);
  });
  AddText(kCtlComponentDescription, 90, 116, 183, 32);
  AddText(kCtlComponentTotal, 90, 153, 183, 8);
}

void CWZSelectComponent::Activate() {
  // The list is made anew from the script each time the page shows.
  delete list_;
  logic_.Activate();
  list_ = new CItemListWnd(this);
  list_->setObjectName(QStringLiteral("list"));
  list_->setAccessibleName(Qs(LoadText(TextId::SelectComponents)));
  list_->setGeometry(Control(kCtlListPlace)->geometry());
  list_->onCommand = [this](int id) { Command(id); };
  std::vector<CItemListWnd::Item> items;
  for (const ComponentPage::Row& r : logic_.rows)
    items.push_back({r.name, r.enabled && !r.disabledByUninstallAll, r.checked});
  list_->Fill(CItemListWnd::Mode::Check, items);
  list_->show();
  // The list comes right after the title text when tabbing.
  setTabOrder(list_, uninstallAll_);
  SetPictureFile(logic_.picture);
  UpdateTotal();
}

void CWZSelectComponent::ReadChecks() {
  for (int i = 0; i < list_->RowCount() && i < static_cast<int>(logic_.rows.size()); ++i)
    logic_.rows[i].checked = list_->Checked(i);
}

void CWZSelectComponent::UpdateTotal() {
  ReadChecks();
  Control<QLabel>(kCtlComponentTotal)->setText(StaticText(logic_.TotalText()));
}

void CWZSelectComponent::Command(int id) {
  ReadChecks();
  logic_.Click(id);
  Control<QLabel>(kCtlComponentDescription)->setText(StaticText(logic_.description));
  // Only a check box changes the total; a label only shows its description.
  if (id < static_cast<int>(logic_.rows.size())) UpdateTotal();
}

PageNext CWZSelectComponent::Next() {
  ReadChecks();
  return logic_.Next() == ComponentPage::NextResult::UninstallAll ? PageNext::UninstallAll
                                                                  : PageNext::Proceed;
}

}  // namespace vx
