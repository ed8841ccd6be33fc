// Values that name where they come from: "?1:" registry, "?2:" INI file, "?3:" file search.
#pragma once
#include <string>

namespace vx {

// Expands the value and, when it names a source, replaces it with what the source gives.
// False only for an unknown source ("?9:..."): the calling action then does nothing.
bool ResolveValue(std::string& value);

// Action code 2: "target | value" (the value is resolved as a value source first).
void AssignVariable(std::string arguments);

}  // namespace vx
