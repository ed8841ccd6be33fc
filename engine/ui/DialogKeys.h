// The keyboard answers of the engine's questions, as Windows gives them: Escape takes Cancel
// (or No, or the lone OK), and each button has an underlined letter that answers it, with or
// without Alt, so that Y and N answer a Yes/No question.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// The answer (kId*) Escape gives a message box of `type`; 0 when Escape answers nothing
// (Abort/Retry/Ignore wants a choice).
int EscapeAnswer(std::uint32_t type);

// Each label with one "&" before the letter that answers it: a letter a label marks already
// stays; otherwise the first letter of the label no earlier label took (Yes, Yes to all, No,
// No to all: &Yes, Y&es to all, &No, N&o to all). A label with no free letter stays unmarked.
std::vector<std::string> WithAccessKeys(const std::vector<std::string>& labels);

// The letter (upper case) a marked label answers to, or 0.
char AccessKeyOf(const std::string& label);

}  // namespace vx
