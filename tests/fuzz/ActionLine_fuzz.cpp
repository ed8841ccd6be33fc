// Fuzz target for action lines: any text must split and evaluate without reading out of
// bounds, and lines of the actions that touch nothing outside the process run through the
// main runner (headless, no waits). Program, file and registry actions are never run here.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/actions/ActionLine.h"
#include "engine/base/Flags.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {
using vx::fuzz::Require;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char dir[] = "/tmp/vxfuzz-actions-XXXXXX";
  if (!mkdtemp(dir)) std::abort();
  vx::Machine::SetCurrent(dir);
  vx::SetPaceFactor(0);
  vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  vx::ParsedActionLine parsed;
  if (!vx::ParseActionLine(line, &parsed)) return 0;
  bool first = vx::EvaluateCondition(parsed.firstCondition);
  bool second = vx::EvaluateCondition(parsed.secondCondition);
  Require(first == vx::EvaluateCondition(parsed.firstCondition));
  Require(parsed.firstCondition.size() < size && parsed.secondCondition.size() < size);
  // Both runners agree when one condition decides alone.
  if (!parsed.twoConditions && parsed.connective.empty()) {
    Require(vx::MainRunnerDecides(parsed, first, second) ==
            vx::UninstallRunnerDecides(parsed, first, second));
  }
  const int code = parsed.code;
  if (code >= 10 && code <= 15) {
    vx::ResetRunFlags();
    vx::RunActionLine(line);
  }
  return 0;
}
