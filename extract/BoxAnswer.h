// The extractor's two boxes (a message with OK, and the question whether to cancel) as a
// scripted answer takes them, the same in every dialog: terminal, Qt and Win32.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ui/AnswerCheck.h"

namespace vx::extract {

// The button (kId*) `answer` presses on the box of `type` (kMbOk, or kMbYesNo) that shows
// `text` and whose default is `defaultId`. An answer that fits no button is refused and takes
// the default; once the run's answers were refused the question answers Yes, as it asks
// whether to cancel.
int BoxAnswer(const ScriptedAnswer& answer, const std::string& text, std::uint32_t type,
              int defaultId);
// The box's one line on `out`, "| text | word", as every dialog records it.
void PrintBoxLine(std::FILE* out, const std::string& text, const std::string& word);

}  // namespace vx::extract
