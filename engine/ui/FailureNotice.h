// A run that fails says why in the one message box before its windows close; the same
// reason ends the run's standard error.
#pragma once
#include <string>

namespace vx {

// The text of the notice: text 40074 filled with `reason`, or with a plain word when no
// step said why.
std::string FailureNoticeText(const std::string& reason);
// Shows it with the stop icon and OK.
void ShowFailureNotice(const std::string& reason);

}  // namespace vx
