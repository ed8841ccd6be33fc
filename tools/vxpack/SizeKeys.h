// The size keys of a component section that the component and destination pages read:
// ComponentSize (every byte of the component's files) and, per install location, the bytes
// the component puts there: {Windows}, {Temp}, {InstallPath1} ... {InstallPathN}.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/vxpack/PackScript.h"

namespace vx::pack {

// The location key a destination folder counts under, or "" when it names none that the
// pages know (a literal path, the source folder). User variables are followed through
// their values. The Windows and system folders, program files and the shell folders all lie
// on the Windows drive and count under {Windows}.
std::string LocationKeyOf(std::string_view destination,
                          const std::vector<std::pair<std::string, std::string>>& variables);

struct ComponentSizes {
  std::uint64_t total = 0;
  std::map<std::string, std::uint64_t> byLocation;
};

// Sizes of one component (its files' sizes must be filled in).
ComponentSizes SizesOf(const PackComponent& component, const PackScript& script);

// The location keys written for every component, in the order the pages read them:
// {Windows}, {Temp}, then {InstallPath1} ... for every destination of the script and every
// further install path a file line uses, in number order.
std::vector<std::string> LocationKeys(const PackScript& script,
                                      const std::vector<ComponentSizes>& sizes);

}  // namespace vx::pack
