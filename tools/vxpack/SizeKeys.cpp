#include "tools/vxpack/SizeKeys.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "platform/WinPath.h"

namespace vx::pack {

namespace {

constexpr const char* kWindowsDriveTokens[] = {"{Windows}",  "{System}",        "{ProgramFiles}",
                                               "{Programs}", "{ProductFolder}", "{StartUp}",
                                               "{Desktop}",  "{Start}"};

// The install path number of "{InstallPathN}", 0 when the token is not one.
int InstallPathNumber(std::string_view token) {
  constexpr std::string_view kPrefix = "{InstallPath";
  if (token.size() <= kPrefix.size() + 1 || token.substr(0, kPrefix.size()) != kPrefix) return 0;
  std::string_view digits = token.substr(kPrefix.size(), token.size() - kPrefix.size() - 1);
  int n = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || n <= 0) return 0;
  return n;
}

}  // namespace

std::string LocationKeyOf(std::string_view destination,
                          const std::vector<std::pair<std::string, std::string>>& variables) {
  std::string text(destination);
  // A variable may stand for another variable; the bound keeps a self-reference finite.
  for (int depth = 0; depth < 32; ++depth) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] != '{') return {};
    std::size_t close = text.find('}', first);
    if (close == std::string::npos) return {};
    std::string token = text.substr(first, close - first + 1);
    if (int n = InstallPathNumber(token)) return "{InstallPath" + std::to_string(n) + "}";
    if (winpath::EqualsNoCase(token, "{Temp}")) return "{Temp}";
    for (const char* t : kWindowsDriveTokens)
      if (winpath::EqualsNoCase(token, t)) return "{Windows}";
    const std::string* value = nullptr;
    for (const auto& [name, v] : variables) {
      if (winpath::EqualsNoCase("{" + name + "}", token)) {
        value = &v;
        break;
      }
    }
    if (value == nullptr) return {};
    text = *value + text.substr(close + 1);
  }
  return {};
}

ComponentSizes SizesOf(const PackComponent& component, const PackScript& script) {
  ComponentSizes sizes;
  for (const PackFile& f : component.files) {
    sizes.total += f.size;
    std::string key = LocationKeyOf(f.destination, script.variables);
    if (!key.empty()) sizes.byLocation[key] += f.size;
  }
  return sizes;
}

std::vector<std::string> LocationKeys(const PackScript& script,
                                      const std::vector<ComponentSizes>& sizes) {
  // Every destination of the script, and any further install path a file line uses.
  std::set<int> numbers;
  for (int n = 1; n <= script.destinations; ++n) numbers.insert(n);
  for (const ComponentSizes& s : sizes)
    for (const auto& [key, bytes] : s.byLocation)
      if (int n = InstallPathNumber(key)) numbers.insert(n);
  std::vector<std::string> keys = {"{Windows}", "{Temp}"};
  for (int n : numbers) keys.push_back("{InstallPath" + std::to_string(n) + "}");
  return keys;
}

}  // namespace vx::pack
