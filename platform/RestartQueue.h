// File operations queued for the next start of the machine, kept where Windows keeps them:
// on NT the multi-string value PendingFileRenameOperations under
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager (pairs of source and
// target, "\??\" before each path, "!" before a target that may be replaced, an empty target
// for a deletion); on 9x the lines "target=source" ("NUL=file" to delete) of the [Rename]
// section of Wininit.ini in the Windows folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// MoveFileEx flags (MOVEFILE_*).
enum : std::uint32_t {
  kMoveFileReplaceExisting = 0x1,
  kMoveFileCopyAllowed = 0x2,
  kMoveFileDelayUntilReboot = 0x4,
};

inline constexpr const char* kSessionManagerKey =
    "System\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kPendingRenameValue = "PendingFileRenameOperations";

// MoveFileEx. An empty `to` deletes. With kMoveFileDelayUntilReboot nothing happens now:
// the operation is appended to the NT queue (whatever the machine's platform; 9x callers
// write Wininit.ini themselves, as Windows 95 has no such call).
bool MoveFileEx(std::string_view from, std::string_view to, std::uint32_t flags);

struct PendingOperation {
  std::string source;  // Windows path
  std::string target;  // "" = delete the source
  bool replace = false;
  bool fromWininit = false;  // a 9x [Rename] line (these always replace)
};

// Both queues, in the order they are applied: the NT value, then the Wininit.ini lines
// (every [Rename] section of the file, in file order).
std::vector<PendingOperation> ListPendingOperations();

struct BootReport {
  int applied = 0;
  std::vector<std::string> failures;  // one text per operation that could not be done
  int deferred = 0;                   // operations left to the system's own start
};

// The start of the machine. On the emulated machine: applies every queued operation in order,
// clears both queues (Wininit.ini becomes Wininit.bak, as Windows leaves it) and the restart
// request. On Windows the system itself carries its queue out when it starts (under Wine,
// `wineboot -r`): nothing is done here, and every queued operation counts as deferred.
BootReport ApplyPendingOperations();

// The 9x file: the Windows folder's Wininit.ini.
std::string WininitPath();

}  // namespace vx
