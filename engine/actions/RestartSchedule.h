// Files deleted (empty target) or moved onto a target at the next start of the machine.
#pragma once
#include <string>
#include <vector>

namespace vx {

void ScheduleAtRestart(const std::vector<std::string>& files, const std::string& target);

}  // namespace vx
