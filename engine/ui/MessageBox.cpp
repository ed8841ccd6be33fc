#include "engine/ui/MessageBox.h"

#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"

namespace vx {

namespace {
std::string Caption() { return ReadScriptString("<ScreenLayout>", "MsgBoxCaption"); }
}  // namespace

int ShowMessage(const std::string& text, std::uint32_t type) {
  std::uint32_t buttons = type & kMbTypeMask;
  bool plainButtons = buttons == kMbOk || buttons == kMbOkCancel || buttons == kMbYesNoCancel ||
                      buttons == kMbYesNo;
  if ((type & kMbIconMask) == 0 && plainButtons) type |= kMbIconExclamation;
  return CurrentUi().MessageBox(Caption(), text, type);
}

int AskFourChoice(const std::string& question) {
  int answer = CurrentUi().FourChoice(Caption(), question,
                                      {LoadText(TextId::Yes), LoadText(TextId::YesToAll),
                                       LoadText(TextId::No), LoadText(TextId::NoToAll)});
  return answer >= 0 && answer <= 3 ? answer : 2;
}

}  // namespace vx
