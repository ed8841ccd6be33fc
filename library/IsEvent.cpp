#include <cstring>

#include "library/Karvo.h"
#include "platform/Trim.h"

using vx::IsWhiteSpace;

// An action line is one whose first "|"-separated field, trimmed, is exactly "?".
KARVO_API int IsEvent(const char* line) {
  if (line == nullptr) return 0;
  const char* end = std::strchr(line, '|');
  if (end == nullptr) end = line + std::strlen(line);
  while (line < end && IsWhiteSpace(*line)) ++line;
  while (end > line && IsWhiteSpace(end[-1])) --end;
  return (end - line == 1 && *line == '?') ? 1 : 0;
}
