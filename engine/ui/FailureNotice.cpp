#include "engine/ui/FailureNotice.h"

#include "engine/base/Texts.h"
#include "engine/ui/MessageBox.h"
#include "engine/ui/Ui.h"

namespace vx {

std::string FailureNoticeText(const std::string& reason) {
  return FormatText(LoadText(TextId::FailureNotice),
                    reason.empty() ? std::string("the cause is not known") : reason);
}

void ShowFailureNotice(const std::string& reason) {
  ShowMessage(FailureNoticeText(reason), kMbOk | kMbIconStop);
}

}  // namespace vx
