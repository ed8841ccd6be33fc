// Payload entry names are written into the temporary folder as stored. A name that would
// land anywhere else is refused: the payload may come from anyone.
#pragma once
#include <string_view>

namespace vx::extract {

// True for a relative name that stays inside the folder it is joined to: not empty, no
// drive or colon, no leading separator, no "." or ".." component, no empty component, no
// control characters. Both "\" and "/" count as separators.
bool IsSafeEntryName(std::string_view name);

}  // namespace vx::extract
