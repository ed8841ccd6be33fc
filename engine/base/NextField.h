// Takes the next field off the front of a text, separated by a delimiter and trimmed; the
// rest is trimmed too. A missing field reads as empty; empty middle fields are kept.
#pragma once
#include <string>

namespace vx {

std::string NextField(std::string& rest, char delimiter = '|');

}  // namespace vx
