// Whether a file already holds what a copy would put there.
#pragma once
#include <string_view>

namespace vx {

// True when `to` is a plain file (no link) with exactly the bytes of `from`.
bool SameContent(std::string_view from, std::string_view to);

}  // namespace vx
