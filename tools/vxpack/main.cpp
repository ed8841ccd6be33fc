// vxpack: builds a distribution of a product from its install script and source tree.
// See UsageText() in Options.cpp; exit status 0 done, 1 the distribution could not be
// built, 2 a usage error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/vxpack/CheckRun.h"
#include "tools/vxpack/Layouts.h"
#include "tools/vxpack/Options.h"
#include "tools/vxpack/PackInput.h"
#include "tools/vxpack/Reference.h"
#include "tools/vxpack/Reporter.h"
#include "tools/vxpack/Signing.h"

namespace {

// Writes the generated parts of the script reference anew.
bool WriteReference(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string out, error;
  if (!in || !vx::pack::FillReference(text.str(), out, error)) {
    std::fprintf(stderr, "vxpack: %s: %s\n", path.c_str(), in ? error.c_str() : "cannot read it");
    return false;
  }
  if (out == text.str()) return true;
  std::ofstream write(path, std::ios::binary | std::ios::trunc);
  write << out;
  return bool(write);
}

}  // namespace

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
  if (!options.referenceFile.empty()) return WriteReference(options.referenceFile) ? 0 : 1;
  if (options.checkOnly) {
    return RunChecks(options, stdout, true) == CheckOutcome::Passed ? 0 : 1;
  }
  Reporter reporter(stderr);
  PackInput input;
  bool usage = false;
  bool gathered = false;
  // The checks only read. Given more than one thread, the input is gathered beside them; its
  // messages wait for theirs, and go unseen when the checks stop the build.
  const bool beside = options.jobs != 1 && std::thread::hardware_concurrency() != 1;
  std::thread gathering;
  if (beside) {
    reporter.Hold();
    gathering = std::thread([&] { gathered = GatherInput(options, reporter, input, usage); });
  }
  // The build goes on past an unreadable script: gathering the input reports it.
  const CheckOutcome checked = RunChecks(options, stderr, false);
  if (gathering.joinable()) gathering.join();
  if (checked == CheckOutcome::Failed) {
    reporter.Discard();
    DropSigningStage(input);
    std::fputs("vxpack: the check of the script found errors; nothing was built\n", stderr);
    return 1;
  }
  reporter.Release();
  if (!beside) gathered = GatherInput(options, reporter, input, usage);
  if (!gathered || !PrepareOutput(input, reporter, usage)) {
    DropSigningStage(input);
    return usage ? 2 : 1;
  }
  std::size_t files = input.script.tempFiles.size();
  for (const auto& c : input.script.components) files += c.files.size();
  reporter.Note(input.scriptName + ": project " + input.script.projectName + ", " +
                std::to_string(input.script.components.size()) + " components, " +
                std::to_string(files) + " files");
  bool ok = options.layout == Layout::Sfx ? WriteSelfExtractor(input, reporter)
                                          : WriteFolder(input, reporter);
  DropSigningStage(input);
  if (ok && options.layout == Layout::Sfx && !options.signCommand.empty()) {
    // The finished program is signed last: a signature is appended after the payload, where
    // the payload's digests do not reach. An unsigned program must not pass for a build.
    std::string exe =
        (std::filesystem::path(input.out.host) / (input.script.projectName + ".exe")).string();
    if (!SignFile(options.signCommand, exe, reporter)) {
      std::error_code ec;
      std::filesystem::remove(exe, ec);
      return 1;
    }
    reporter.Note("signed " + exe);
  }
  return ok ? 0 : 1;
}
