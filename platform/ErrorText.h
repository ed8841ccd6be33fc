// The system's wording of an error code (GetLastError), as a user reads it: never a bare
// number where the cause is known.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

std::string SystemErrorText(std::uint32_t code);

}  // namespace vx
