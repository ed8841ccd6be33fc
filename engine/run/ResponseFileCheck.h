// What makes a response file unusable for an unattended run, said plainly: a run that took
// no answers from it would install nothing and still end as if it had succeeded.
#pragma once
#include <string>

namespace vx {

// Empty when `file` (a Windows path) holds one [ResponseFile] section with at least one
// answer; otherwise the reason, naming the file.
std::string ResponseFileProblem(const std::string& file);

}  // namespace vx
