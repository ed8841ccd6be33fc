// The checks as vxpack runs them: before every build, and alone with --check.
#pragma once
#include <cstdio>

#include "tools/vxpack/Options.h"

namespace vx::pack {

enum class CheckOutcome {
  Passed,      // nothing that stops a build (warnings may have been printed)
  Failed,      // errors, or warnings with --strict
  Unreadable,  // the script could not be read (reported); an unreadable response file fails
};

// Checks the script and the response file of the options and prints the diagnostics to
// `out`; the summary line is printed when `alwaysSummary` or something was found.
CheckOutcome RunChecks(const PackOptions& options, std::FILE* out, bool alwaysSummary);

}  // namespace vx::pack
