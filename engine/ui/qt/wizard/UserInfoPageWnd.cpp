#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "engine/ui/Ui.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/ControlIds.h"

namespace vx {

void CWZUserInfo::Initialise() {
  logic_.Initialise();
  AddSidePicture();
  auto* group = Place(new QGroupBox(Qs(logic_.groupText), this), kCtlUserGroup, 92, 3, 181, 72);
  group->setVisible(!logic_.groupText.empty());
  const int labelIds[3] = {kCtlUserNameLabel, kCtlUserNameLabel + 1, kCtlUserNameLabel + 2};
  const int editIds[3] = {kCtlUserNameEdit, kCtlUserNameEdit + 1, kCtlUserNameEdit + 2};
  const int rowY[3] = {17, 35, 52};
  for (int i = 0; i < 3; ++i) {
    const UserInfoPage::Field& f = logic_.fields[i];
    QLabel* label = AddText(labelIds[i], 94, rowY[i] + 1, 44, 8, f.label);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setWordWrap(false);
    QLineEdit* edit = Place(new QLineEdit(Qs(f.value), this), editIds[i], 140, rowY[i], 123, 12);
    edit->setAccessibleName(Qs(f.label));
    label->setBuddy(edit);
    label->setVisible(f.asked);
    edit->setVisible(f.asked);
    edits_[i] = edit;
  }
  SetPictureFile(logic_.picture);
}

PageNext CWZUserInfo::Next() {
  for (int i = 0; i < 3; ++i) logic_.fields[i].value = Std(edits_[i]->text());
  empty_ = logic_.Next();
  if (empty_ < 0) return PageNext::Proceed;
  CurrentUi().Beep();
  edits_[empty_]->setFocus(Qt::OtherFocusReason);
  return PageNext::Stay;
}

}  // namespace vx
