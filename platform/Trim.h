// Trims for every layer, each named by the blanks it removes. OS-free.
#pragma once
#include <string_view>

namespace vx {

constexpr bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }
constexpr bool IsSpaceTabOrLineEnd(char c) { return IsSpaceOrTab(c) || c == '\r' || c == '\n'; }
// What the C library calls white space: space, tab, line feed, vertical tab, form feed, CR.
constexpr bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

template <bool (*Blank)(char)>
constexpr std::string_view TrimLeading(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  return s;
}
template <bool (*Blank)(char)>
constexpr std::string_view TrimTrailing(std::string_view s) {
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return s;
}
template <bool (*Blank)(char)>
constexpr std::string_view TrimBoth(std::string_view s) {
  return TrimTrailing<Blank>(TrimLeading<Blank>(s));
}

constexpr std::string_view TrimSpacesAndTabs(std::string_view s) {
  return TrimBoth<IsSpaceOrTab>(s);
}
constexpr std::string_view TrimLeadingSpacesAndTabs(std::string_view s) {
  return TrimLeading<IsSpaceOrTab>(s);
}
constexpr std::string_view TrimSpacesTabsAndLineEnds(std::string_view s) {
  return TrimBoth<IsSpaceTabOrLineEnd>(s);
}
constexpr std::string_view TrimWhiteSpace(std::string_view s) { return TrimBoth<IsWhiteSpace>(s); }
constexpr std::string_view TrimLeadingWhiteSpace(std::string_view s) {
  return TrimLeading<IsWhiteSpace>(s);
}
constexpr std::string_view TrimTrailingWhiteSpace(std::string_view s) {
  return TrimTrailing<IsWhiteSpace>(s);
}

}  // namespace vx
