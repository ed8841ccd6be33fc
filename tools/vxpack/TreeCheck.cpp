#include "tools/vxpack/TreeCheck.h"

#include <vector>

#include "engine/base/Store.h"
#include "tools/vxpack/CheckText.h"
#include "tools/vxpack/TreeLines.h"

namespace vx::pack {

void CheckTrees(const std::string& file, const std::string& text, const std::string& sourceRoot,
                Diagnostics& out) {
  CheckText t(file, text, out);
  for (const std::string& section : t.Doc().SectionNames()) {
    const profile::Section* s = t.Section(section);
    for (const profile::KeyLine* key : t.Doc().FirstKeys(*s)) {
      if (ListItemNumber(key->name, kTreePrefix) < 0) continue;
      TreeLine tree;
      std::vector<TreeFile> files;
      std::string why;
      if (!ParseTreeLine(key->value, tree, why) || !ListTree(sourceRoot, tree, files, why)) {
        t.Error(t.LineOf(*key), why);
      } else if (files.empty()) {
        t.Warning(t.LineOf(*key), "the Tree line matches no file in " + tree.source);
      }
    }
  }
}

}  // namespace vx::pack
