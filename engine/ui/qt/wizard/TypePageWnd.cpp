#include <QLabel>

#include "engine/base/Texts.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/ControlIds.h"

namespace vx {

void CWZSelectType::Initialise() {
  logic_.Initialise();
  AddSidePicture();
  AddText(kCtlPagePrompt, 96, 7, 177, 9, LoadText(TextId::SelectType));
  // kCtlListPlace only marks where the list goes.
  QWidget* place = Place(new QWidget(this), kCtlListPlace, 91, 17, 182, 85);
  place->hide();
  AddText(kCtlTypeDescription, 90, 105, 183, 44);
  list_ = new CItemListWnd(this);
  list_->setObjectName(QStringLiteral("list"));
  list_->setAccessibleName(Qs(LoadText(TextId::SelectType)));
  list_->setGeometry(place->geometry());
  list_->onCommand = [this](int id) { Command(id); };
  std::vector<CItemListWnd::Item> items;
  for (const std::string& t : logic_.types) items.push_back({t, true, false});
  list_->Fill(CItemListWnd::Mode::Radio, items);
  SetPictureFile(logic_.picture);
}

void CWZSelectType::Command(int id) {
  if (id < 0 || id >= static_cast<int>(logic_.types.size())) return;
  logic_.Select(id);
  Control<QLabel>(kCtlTypeDescription)->setText(StaticText(logic_.description));
}

PageNext CWZSelectType::Next() {
  logic_.Next();
  return PageNext::Proceed;
}

}  // namespace vx
