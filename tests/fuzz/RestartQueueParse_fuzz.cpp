// Fuzz target for the restart queues' texts and the command-line splitting: any bytes parse
// without a fault, and the NT queue written back from what was read reads the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Process.h"
#include "platform/RestartQueueParse.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

using vx::fuzz::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  for (const vx::PendingOperation& op : vx::ParseWininit(bytes)) {
    Require(op.fromWininit && op.replace && !op.source.empty());
  }

  // Taking lines out keeps every other byte; taking all leaves no operation.
  Require(vx::WininitWithout(bytes, [](const vx::PendingOperation&) { return false; }) == bytes);
  Require(vx::ParseWininit(vx::WininitWithout(bytes, [](const vx::PendingOperation&) {
            return true;
          })).empty());

  const auto ops = vx::ParseNtQueue(bytes);
  const auto again = vx::ParseNtQueue(vx::SerializeNtQueue(ops));
  Require(again.size() == ops.size());
  for (std::size_t i = 0; i < ops.size(); ++i) {
    Require(again[i].source == ops[i].source && again[i].target == ops[i].target);
    // A replace without a target deletes; it is written as a plain delete.
    Require(ops[i].target.empty() || again[i].replace == ops[i].replace);
  }

  std::string program, arguments;
  vx::SplitProgram(bytes, &program, &arguments);
  Require(program.size() + arguments.size() <= size);
  for (const std::string& arg : vx::CommandLineToArgv(bytes)) Require(arg.size() <= size);
  return 0;
}
