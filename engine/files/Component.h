// Installing one component: its file lines from the package (or as plain copies), its action
// lines in order, then its shortcuts; and the InstalledComponents record.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace vx {

struct PackageState;
class ProgressView;

struct ComponentContext {
  PackageState& package;
  ProgressView* progress = nullptr;  // heading, detail line and bar; may be null
  std::function<bool()> checkStop;   // true when the run is to end
};

// `index` is the key of the component's line in the installed-type section.
bool InstallComponent(int index, ComponentContext& context);
// InstalledComponents lists exactly this name (with case).
bool IsComponentInstalled(const std::string& name);
std::vector<std::string> InstalledComponentNames();
void WriteInstalledComponents(const std::vector<std::string>& names);

// The name of the component on line `index` of the installed-type section.
std::string ComponentNameAt(int index);
// The installed-type section: InstalledType of [<InstSummaryWnd>].
std::string InstalledTypeSection();

}  // namespace vx
