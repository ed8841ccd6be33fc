// Requests from outside to stop: the user's Ctrl-C or a request to end the process (SIGINT,
// SIGTERM on the host; Ctrl-C, Ctrl-Break and close events on Windows).
#pragma once
#include <functional>

#include "platform/Process.h"

namespace vx {

// From now on each request runs `onInterrupt` on a thread of the platform's (never inside a
// signal handler, so it may do anything) instead of ending the process. Null gives the
// requests back their default effect.
void SetInterruptHandler(std::function<void()> onInterrupt);

// Passes a stop request on to a started process, as the user's Ctrl-C would reach it.
bool InterruptProcess(ProcessHandle process);

}  // namespace vx
