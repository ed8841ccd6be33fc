#include "tools/vxpack/CheckRun.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/vxpack/Diagnostics.h"
#include "tools/vxpack/ScriptCheck.h"
#include "tools/vxpack/TreeCheck.h"

namespace vx::pack {

namespace {

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return !in.bad();
}

}  // namespace

CheckOutcome RunChecks(const PackOptions& options, std::FILE* out, bool alwaysSummary) {
  std::string script, response;
  if (!ReadFile(options.script, script)) {
    std::fprintf(stderr, "vxpack: cannot read the install script %s\n", options.script.c_str());
    return CheckOutcome::Unreadable;
  }
  if (!options.checkResponse.empty() && !ReadFile(options.checkResponse, response)) {
    std::fprintf(stderr, "vxpack: cannot read the response file %s\n",
                 options.checkResponse.c_str());
    return CheckOutcome::Failed;
  }
  Diagnostics found;
  CheckScript(options.script, script, found);
  std::string sourceRoot = options.sourceDir.empty()
                               ? std::filesystem::path(options.script).parent_path().string()
                               : options.sourceDir;
  CheckTrees(options.script, script, sourceRoot.empty() ? "." : sourceRoot, found);
  if (!options.checkResponse.empty()) CheckResponse(options.checkResponse, response, script, found);
  if (alwaysSummary || !found.All().empty()) found.Print(out, options.script, options.strict);
  return found.Stops(options.strict) ? CheckOutcome::Failed : CheckOutcome::Passed;
}

}  // namespace vx::pack
