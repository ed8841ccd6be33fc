#include "extract/BoxAnswer.h"

#include "engine/ui/Ui.h"

namespace vx::extract {

int BoxAnswer(const ScriptedAnswer& answer, const std::string& text, std::uint32_t type,
              int defaultId) {
  std::string accepts;
  std::optional<int> taken = MessageBoxAnswer(answer.text, type, accepts, defaultId);
  if (!taken) RefuseAnswer({answer, DialogName("", text), accepts});
  if ((type & kMbTypeMask) == kMbYesNo && AnswersRefused()) return kIdYes;
  return taken.value_or(defaultId);
}

void PrintBoxLine(std::FILE* out, const std::string& text, const std::string& word) {
  std::fprintf(out, "%s\n", DialogLine("", text, word).c_str());
  std::fflush(out);
}

}  // namespace vx::extract
