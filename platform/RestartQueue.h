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

// Takes back what the queues would do to `path` at the next start, for a program about to write
// it: every deletion of `path` or of a folder holding it, and every move onto it, in both
// queues (the NT value, whose last operation taken back removes it, and the [Rename] lines of
// Wininit.ini). What such a move would have brought (a staged copy) is deleted now, or queued
// for deletion when that fails, unless another operation left in a queue still names it.
// Other operations and their order stay. Paths are compared without regard to case, with "."
// and ".." resolved. False when a queue holding such operations could not be rewritten (the
// value or the file cannot be written): nothing of that queue is taken back then.
bool CancelAtRestart(std::string_view path);

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
