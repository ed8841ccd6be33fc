#include "engine/actions/Catalogue.h"
#include "engine/base/Flags.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "platform/Process.h"

namespace vx {

namespace {
constexpr TextId kCannotRestartText = TextId::NoRestartPrivilege;
}  // namespace

// Code 16. The machine's restart is an event recorded for `vxmachine boot`; the host is never
// restarted. As on Windows, where the request only starts the shutdown, the action returns
// and the list goes on; the run then ends as it would anyway, and the program reports a run
// that needs a restart. (Privileges need no adjusting: the emulated machine grants the
// shutdown right to its user.)
void RestartComputer(std::string) {
  Flags().restartPending = false;
  if (Flags().noRestart)
    Flags().restartRequested = true;
  else if (ExitWindowsEx(kEwxReboot))
    Flags().restartRequested = true;
  else
    ShowMessage(LoadText(kCannotRestartText), kMbOk);
}

}  // namespace vx
