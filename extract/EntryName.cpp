#include "extract/EntryName.h"

namespace vx::extract {

bool IsSafeEntryName(std::string_view name) {
  if (name.empty()) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view part = name.substr(start, end - start);
    // Empty parts come from a leading separator (a rooted name), doubled or trailing ones.
    if (part.empty() || part == "." || part == "..") return false;
    // Windows drops trailing dots and blanks, so "..." or ".. " would climb as well.
    if (part.find_first_not_of(". ") == std::string_view::npos) return false;
    for (char c : part) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x20 || c == ':') return false;  // drives and alternate streams
    }
    start = end + 1;
  }
  return true;
}

}  // namespace vx::extract
