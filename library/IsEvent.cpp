#include <cstring>

#include "library/Karvo.h"

namespace {
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

// An action line is one whose first "|"-separated field, trimmed, is exactly "?".
KARVO_API int IsEvent(const char* line) {
  if (line == nullptr) return 0;
  const char* end = std::strchr(line, '|');
  if (end == nullptr) end = line + std::strlen(line);
  while (line < end && IsBlank(*line)) ++line;
  while (end > line && IsBlank(end[-1])) --end;
  return (end - line == 1 && *line == '?') ? 1 : 0;
}
