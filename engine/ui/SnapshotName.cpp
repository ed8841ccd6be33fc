#include "engine/ui/SnapshotName.h"

#include <cstdio>

namespace vx {

namespace {

constexpr std::size_t kTitleChars = 40;
constexpr std::size_t kOrderDigits = 4;

// A file name part: letters, digits, '-' and '_' (blanks become '_'), at most 40 long.
std::string NamePart(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (out.size() >= kTitleChars) break;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')
      out += c;
    else if ((c == ' ' || c == '_' || c == '.') && !out.empty() && out.back() != '_')
      out += '_';
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out;
}

}  // namespace

std::string SnapshotFileName(int order, const std::string& kind, const std::string& title) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04d-", order);
  std::string part = NamePart(title);
  return prefix + kind + (part.empty() ? "" : "-" + part) + ".png";
}

int SnapshotOrderOf(const std::string& fileName) {
  if (fileName.size() < kOrderDigits) return 0;
  int n = 0;
  for (std::size_t i = 0; i < kOrderDigits; ++i) {
    char c = fileName[i];
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace vx
