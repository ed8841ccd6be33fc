// The hand-written half of the script reference: what each key means and an example line of
// each action code. The generator (Reference.h) walks the tables the engine and the check use
// and takes the words from here; a key or code without words here makes the generation fail.
#pragma once
#include <string_view>

namespace vx::pack {

struct KeyDoc {
  std::string_view section;  // as EngineSections() names it, or "component" / "install type"
  std::string_view key;      // as the key tables name it ("" for the items "0", "1" ...)
  std::string_view shown;    // how the reference writes it; "" for `key`
  std::string_view type;
  std::string_view defaultValue;
  std::string_view meaning;
};

struct ActionDoc {
  int code;
  std::string_view example;  // a whole action line that passes vxpack --check --strict
};

const KeyDoc* FindKeyDoc(std::string_view section, std::string_view key);
const ActionDoc* FindActionDoc(int code);

}  // namespace vx::pack
