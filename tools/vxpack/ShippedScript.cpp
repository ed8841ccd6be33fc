#include "tools/vxpack/ShippedScript.h"

#include "engine/base/PathOps.h"

namespace vx::pack {

void FillSizeKeys(ScriptText& text, const PackScript& script,
                  const std::vector<ComponentSizes>& sizes) {
  if (Trim(text.String("<General>", "ProjectName")).empty())
    text.Set("<General>", "ProjectName", script.projectName);
  const std::vector<std::string> keys = LocationKeys(script, sizes);
  for (std::size_t c = 0; c < script.components.size(); ++c) {
    const std::string& section = script.components[c].section;
    text.Set(section, "ComponentSize", std::to_string(sizes[c].total));
    for (const std::string& key : keys) {
      auto it = sizes[c].byLocation.find(key);
      text.Set(section, key, std::to_string(it == sizes[c].byLocation.end() ? 0 : it->second));
    }
  }
}

void FillDiskKeys(ScriptText& text, const PackScript& script, int totalDisks,
                  const std::map<std::int32_t, int>& startDisk) {
  text.Set("<General>", "TotalDisks", std::to_string(totalDisks));
  for (const PackComponent& component : script.components) {
    auto it = startDisk.find(component.index);
    if (it != startDisk.end()) text.Set(component.section, "StartDisk", std::to_string(it->second));
  }
}

}  // namespace vx::pack
