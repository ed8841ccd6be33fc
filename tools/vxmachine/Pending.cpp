// pending and boot: the file operations queued for the machine's next start.
#include <cstdio>

#include "engine/base/RunLockName.h"
#include "platform/NamedLock.h"
#include "platform/Process.h"
#include "platform/Types.h"
#include "platform/RestartQueue.h"
#include "tools/vxmachine/Commands.h"

namespace vx::tool {

int PendingCommand(const Args& args) {
  if (!args.empty()) return UsageError("pending takes no arguments");
  if (!UseMachine()) return kExitFailed;
  // One operation a line, in the order boot applies them.
  for (const PendingOperation& op : ListPendingOperations()) {
    const char* where = op.fromWininit ? "wininit" : "session";
    if (op.target.empty()) {
      std::printf("delete  %s  [%s]\n", op.source.c_str(), where);
    } else {
      std::printf("%s %s -> %s  [%s]\n", op.replace ? "replace" : "move   ", op.source.c_str(),
                  op.target.c_str(), where);
    }
  }
  if (RestartRequested()) std::printf("restart requested\n");
  return kExitOk;
}

int BootCommand(const Args& args) {
  if (!args.empty()) return UsageError("boot takes no arguments");
  if (!UseMachine()) return kExitFailed;
  // A run would lose the files its next steps need (its temporary copies are queued for
  // deletion) and its own queued operations would apply half made.
  auto noRun = NamedLock::TryTake(kRunAliveLockName);
  if (!noRun && GetLastError() == kErrorAlreadyExists) {
    std::fprintf(stderr,
                 "vxmachine: boot: refused: an installation or uninstallation is running on "
                 "this machine; boot once it has ended\n");
    return kExitRunAlive;
  }
  BootReport report = ApplyPendingOperations();
  for (const std::string& failure : report.failures) {
    std::fprintf(stderr, "vxmachine: boot: %s\n", failure.c_str());
  }
  std::printf("%d operation(s) applied, %zu failed\n", report.applied, report.failures.size());
  return report.failures.empty() ? kExitOk : kExitFailed;
}

}  // namespace vx::tool
