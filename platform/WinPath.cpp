#include "platform/WinPath.h"

#include <vector>

namespace vx::winpath {

char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

static char ToLowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpper(c);
  return out;
}

std::string ToLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerChar(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpper(a[i]) != ToUpper(b[i])) return false;
  }
  return true;
}

char DriveLetter(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  char c = ToUpper(path[0]);
  return (c >= 'A' && c <= 'Z') ? c : 0;
}

bool IsAbsolute(std::string_view path) {
  return DriveLetter(path) != 0 && path.size() >= 3 && (path[2] == '\\' || path[2] == '/');
}

bool HasInvalidCharacters(std::string_view path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') return true;
    if (c == ':' && !(i == 1 && DriveLetter(path))) return true;
  }
  return false;
}

std::string DeviceName(std::string_view path) {
  std::string_view name = path.substr(path.find_last_of("\\/") + 1);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.size() != 3 && name.size() != 4) return {};
  std::string upper = ToUpper(name);
  static constexpr std::string_view kPlain[] = {"NUL", "CON", "PRN", "AUX"};
  for (std::string_view device : kPlain) {
    if (upper == device) return upper;
  }
  const bool numbered = upper.size() == 4 && upper[3] >= '1' && upper[3] <= '9' &&
                        (upper.starts_with("COM") || upper.starts_with("LPT"));
  return numbered ? upper : std::string();
}

std::string ToBackslashes(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

bool Normalize(std::string_view absolutePath, std::string& out) {
  if (!IsAbsolute(absolutePath)) return false;
  std::vector<std::string_view> parts;
  std::string_view rest = absolutePath.substr(3);
  while (!rest.empty()) {
    std::size_t cut = rest.find_first_of("\\/");
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      // Folding is textual: ".." at the root would leave the drive.
      if (parts.empty()) return false;
      parts.pop_back();
      continue;
    }
    // As Windows trims names: a period ending an inner name goes, and every period and
    // blank ending the last one (readme.txt. is readme.txt).
    const bool last = rest.empty() && cut == std::string_view::npos;
    if (last) {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
      if (part.empty()) continue;
    } else if (part.size() > 1 && part.back() == '.' && part.find_first_not_of('.') != part.npos) {
      part.remove_suffix(1);
    }
    parts.push_back(part);
  }
  std::string result;
  result.reserve(absolutePath.size());
  result.push_back(DriveLetter(absolutePath));
  result += ":\\";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) result.push_back('\\');
    result.append(parts[i]);
  }
  out = std::move(result);
  return true;
}

std::string Join(std::string_view folder, std::string_view name) {
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  if (out.back() != '\\' && out.back() != '/') out.push_back('\\');
  out.append(name);
  return out;
}

std::string_view FileName(std::string_view path) {
  std::size_t cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view Folder(std::string_view path) {
  std::size_t cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view Extension(std::string_view path) {
  std::string_view name = FileName(path);
  std::size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

// '*' and '?' over the whole name; backtracks only to the last '*', so the cost stays
// proportional to pattern length times name length whatever the input.
static bool MatchPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || ToUpper(pattern[p]) == ToUpper(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (MatchPlain(pattern, name)) return true;
  // As on Windows, a final ".*" also matches a name without any extension ("a*.*" finds "abc")
  // and a final "." asks for a name without one ("*." finds "README").
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return MatchPlain(pattern.substr(0, pattern.size() - 2), name);
  }
  if (pattern.size() >= 2 && pattern.back() == '.' && name.find('.') == std::string_view::npos) {
    return MatchPlain(pattern.substr(0, pattern.size() - 1), name);
  }
  return false;
}

}  // namespace vx::winpath
