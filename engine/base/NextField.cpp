#include "engine/base/NextField.h"

#include "engine/base/PathOps.h"

namespace vx {

std::string NextField(std::string& rest, char delimiter) {
  if (rest.empty()) return {};
  std::string r = Trim(rest);
  std::size_t at = r.find(delimiter);
  if (at == std::string::npos) {
    rest.clear();
    return r;  // already trimmed on both sides
  }
  std::string field = Trim(std::string_view(r).substr(0, at));
  rest = Trim(std::string_view(r).substr(at + 1));
  return field;
}

}  // namespace vx
