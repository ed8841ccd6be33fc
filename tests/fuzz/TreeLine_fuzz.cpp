// Fuzz target for vxpack's Tree lines: any value parses or is refused with a reason, and a
// parsed line makes a file line that splits back into its name and shared flag.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/base/NextField.h"
#include "tests/fuzz/FuzzRequire.h"
#include "tools/vxpack/TreeLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string value(reinterpret_cast<const char*>(data), size);
  vx::pack::TreeLine tree;
  std::string why;
  if (!vx::pack::ParseTreeLine(value, tree, why)) {
    vx::fuzz::Require(!why.empty());
    return 0;
  }
  vx::fuzz::Require(tree.shared == "0" || tree.shared == "1");
  std::string line = vx::pack::FileLineOf(tree, {"sub", "name.txt"});
  vx::fuzz::Require(vx::NextField(line) == "name.txt");
  return 0;
}
