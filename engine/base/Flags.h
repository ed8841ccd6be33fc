// Process-wide flags and action results, shared between the interface thread and the
// worker threads without locks of their own.
#pragma once
#include <atomic>
#include <string>

namespace vx {

struct RunFlags {
  std::atomic<bool> stopRequest{false};
  std::atomic<int> pauseKeySignal{0};  // 0 waiting, -1 back, +1 forward
  std::atomic<bool> waitingForKey{false};
  std::atomic<bool> restartPending{false};
  // This run asked the machine to restart (code 16). The machine's own record of the request
  // outlives the run, so it cannot tell whether this run or an earlier one made it.
  std::atomic<bool> restartRequested{false};
  // /NORESTART: a restart is only reported (exit status 4), never carried out.
  std::atomic<bool> noRestart{false};
  std::atomic<int> selectedStringIndex{-1};
};
RunFlags& Flags();

// {YesNoResponse} ("NO" at start) and {DllCallSuccess} ("YES" at start).
std::string YesNoResponse();
void SetYesNoResponse(std::string value);
std::string DllCallSuccess();
void SetDllCallSuccess(std::string value);

// Back to the initial values (tests and a fresh run).
void ResetRunFlags();

}  // namespace vx
