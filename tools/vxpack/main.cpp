// vxpack: builds a distribution of a product from its install script and source tree.
// See UsageText() in Options.cpp; exit status 0 done, 1 the distribution could not be
// built, 2 a usage error.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/vxpack/CheckRun.h"
#include "tools/vxpack/Layouts.h"
#include "tools/vxpack/Options.h"
#include "tools/vxpack/PackInput.h"
#include "tools/vxpack/Reporter.h"

int main(int argc, char** argv) {
  using namespace vx::pack;
  std::vector<std::string> args(argv + 1, argv + argc);
  PackOptions options;
  std::string error;
  switch (ParseOptions(args, options, error)) {
    case ParseResult::Help:
      std::fputs(UsageText(), stdout);
      return 0;
    case ParseResult::UsageError:
      std::fprintf(stderr, "vxpack: %s\n\n%s", error.c_str(), UsageText());
      return 2;
    case ParseResult::Ok:
      break;
  }
  if (options.checkOnly) {
    return RunChecks(options, stdout, true) == CheckOutcome::Passed ? 0 : 1;
  }
  // The build goes on past an unreadable script: gathering the input reports it.
  if (RunChecks(options, stderr, false) == CheckOutcome::Failed) {
    std::fputs("vxpack: the check of the script found errors; nothing was built\n", stderr);
    return 1;
  }
  Reporter reporter(stderr);
  PackInput input;
  bool usage = false;
  if (!GatherInput(options, reporter, input, usage)) return usage ? 2 : 1;
  std::size_t files = input.script.tempFiles.size();
  for (const auto& c : input.script.components) files += c.files.size();
  reporter.Note(input.scriptName + ": project " + input.script.projectName + ", " +
                std::to_string(input.script.components.size()) + " components, " +
                std::to_string(files) + " files");
  bool ok = options.layout == Layout::Sfx ? WriteSelfExtractor(input, reporter)
                                          : WriteFolder(input, reporter);
  return ok ? 0 : 1;
}
