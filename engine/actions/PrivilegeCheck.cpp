#include "engine/actions/ActionLine.h"
#include "engine/actions/Catalogue.h"
#include "engine/actions/ProcessActions.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {
constexpr TextId kNotAdministratorText = TextId::NoPrivilegeQuestion;
constexpr int kPlatformNt = 5;
}  // namespace

// Code 1: on NT, the probe program says whether the user is an administrator.
void CheckUserPrivilege(std::string) {
  if (Folders().platformCode != kPlatformNt) return;
  RunActionLine("? | If (1 == 1) | 7 |  | Halvik.exe | {ProductInfFile} | 0 | -1");
  std::string verdict = GetProfileString(kHandOverSection, "admin", "YES", 256);
  WriteProfileString(kHandOverSection, "admin", nullptr);
  if (!winpath::EqualsNoCase(verdict, "NO")) return;
  std::string user = GetUserName();
  if (user.size() > 255) user.resize(255);
  std::string text = FormatText(LoadText(kNotAdministratorText), user);
  if (ShowMessage(text, kMbYesNo | kMbIconExclamation) == kIdYes) Flags().stopRequest = true;
}

}  // namespace vx
