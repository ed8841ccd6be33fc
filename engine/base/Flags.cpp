#include "engine/base/Flags.h"

#include <mutex>

#include "engine/base/EngineRun.h"

namespace vx {

namespace {
EngineRun::ActionTexts& Texts() { return CurrentRun().texts; }
}  // namespace

RunFlags& Flags() { return CurrentRun().flags; }

std::string YesNoResponse() {
  std::lock_guard lock(Texts().mutex);
  return Texts().yesNo;
}

void SetYesNoResponse(std::string value) {
  std::lock_guard lock(Texts().mutex);
  Texts().yesNo = std::move(value);
}

std::string DllCallSuccess() {
  std::lock_guard lock(Texts().mutex);
  return Texts().dllCall;
}

void SetDllCallSuccess(std::string value) {
  std::lock_guard lock(Texts().mutex);
  Texts().dllCall = std::move(value);
}

void ResetRunFlags() {
  RunFlags& f = Flags();
  f.stopRequest = false;
  f.pauseKeySignal = 0;
  f.waitingForKey = false;
  f.restartPending = false;
  f.restartRequested = false;
  f.noRestart = false;
  f.selectedStringIndex = -1;
  SetYesNoResponse("NO");
  SetDllCallSuccess("YES");
}

}  // namespace vx
