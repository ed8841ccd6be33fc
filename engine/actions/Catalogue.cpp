#include "engine/ui/InterfaceWait.h"
#include "engine/actions/Catalogue.h"

#include <chrono>
#include <vector>

#include "engine/actions/ActionLine.h"
#include "engine/actions/ActionTable.h"
#include "engine/actions/Bulletin.h"
#include "engine/actions/ValueSource.h"
#include "engine/base/Flags.h"
#include "engine/base/Macros.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/NextField.h"
#include "engine/base/Store.h"
#include "engine/ui/Ui.h"
#include "library/Karvo.h"
#include "platform/System.h"

namespace vx {

namespace {
// How often a pause looks at the clock and the keys.
constexpr std::uint32_t kPausePollMs = 10;
}  // namespace

std::string DialogCaption() { return ReadScriptString("<ScreenLayout>", "MsgBoxCaption"); }

void DispatchAction(int code, std::string arguments) {
  if (const ActionRow* row = ActionRowOf(code)) row->run(std::move(arguments));
}

void DispatchUndoAction(int code, std::string arguments) {
  const ActionRow* row = ActionRowOf(code);
  if (row && row->undo) row->undo(std::move(arguments));
}

void UpdateBulletinBoard(std::string arguments) { UpdateBulletin(arguments); }

void PlaySoundAction(std::string arguments) {
  ExpandFully(arguments);
  std::string file = NextField(arguments);
  std::string mode = NextField(arguments);
  if (file.empty()) return;
  VxPlaySound(file.c_str(), mode == "-1" ? 1 : 0);
}

void ShowMessageAction(std::string arguments) {
  ExpandFully(arguments);
  std::string text = NextField(arguments);
  std::string type = NextField(arguments);
  std::string continueOnYes = NextField(arguments);
  if (text.empty()) return;
  if (type == "0") {
    ShowMessage(text, kMbOk);
  } else if (type == "1") {
    if (ShowMessage(text, kMbYesNo | kMbIconExclamation) == kIdYes) {
      SetYesNoResponse("YES");
      if (continueOnYes == "0") Flags().stopRequest = true;
    } else {
      SetYesNoResponse("NO");
    }
  } else if (type == "2") {
    ShowMessage(text, kMbOk | kMbIconStop);
    Flags().stopRequest = true;
  }
}

void ChooseFromListAction(std::string arguments) {
  std::string prompt = NextField(arguments);
  std::vector<std::string> items;
  while (true) {
    std::string item = NextField(arguments);
    if (item.empty()) break;
    items.push_back(std::move(item));
  }
  int chosen = CurrentUi().ChooseFromList(DialogCaption(), prompt, items, 0);
  // Closing the dialog without OK stores 0, not the initial -1.
  if (chosen < 0 || chosen >= static_cast<int>(items.size())) chosen = 0;
  Flags().selectedStringIndex = chosen;
}

void PauseAction(std::string arguments) {
  const int seconds = LeadingInt(arguments);
  RunFlags& flags = Flags();
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  if (seconds >= 0) {
    // A timed pause ignores keys; its length follows the pace of the visible waits.
    const auto limit = std::chrono::duration<double, std::milli>(static_cast<double>(seconds) *
                                                                 1000.0 * PaceFactor());
    while (Clock::now() - start <= limit) {
      auto left = limit - (Clock::now() - start);
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1;
      InterfaceSleep(static_cast<std::uint32_t>(std::min<long long>(ms, kPausePollMs)));
    }
    return;
  }
  flags.pauseKeySignal = 0;
  flags.waitingForKey = true;
  while (flags.pauseKeySignal == 0) {
    int key = CurrentUi().PollArrowKey();
    if (key != 0 && flags.waitingForKey.exchange(false)) flags.pauseKeySignal = key < 0 ? -1 : 1;
    if (flags.pauseKeySignal != 0) break;
    // A stop asked for meanwhile (Cancel, Exit) must not stay behind an endless key wait.
    if (flags.stopRequest) break;
    InterfaceSleep(kPausePollMs);
  }
  flags.waitingForKey = false;
}

void StopInstallation(std::string) { Flags().stopRequest = true; }

}  // namespace vx
