// The sections and keys the engine reads, for telling a misspelt name from a right one.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vx::pack {

struct KeyRules {
  std::vector<std::string_view> names;     // whole key names
  std::vector<std::string_view> numbered;  // prefixes of list items ("" for "0", "1" ...)
  bool braceKeys = false;                  // "{InstallPath1}=..." size keys
};

// The engine's own sections, as they stand between the brackets.
const std::vector<std::string_view>& EngineSections();
// The keys of an engine section; null for any other section.
const KeyRules* EngineSectionKeys(std::string_view section);
const KeyRules& ComponentKeys();
const KeyRules& InstallTypeKeys();

bool IsKnownKey(const KeyRules& rules, std::string_view key);
// The engine key that `key` is one edit away from ("" when none): "nItem" gives "nItems",
// "Icn2" gives "Icon2".
std::string LookalikeKey(const KeyRules& rules, std::string_view key);
// The engine section that `section` is one edit away from, also when its angle brackets
// are missing or misspelt ("" when none).
std::string LookalikeSection(std::string_view section);

// True when the names differ, without regard to case, by exactly one inserted, deleted or
// replaced character, or by two neighbours swapped.
bool OneEditApart(std::string_view a, std::string_view b);

}  // namespace vx::pack
