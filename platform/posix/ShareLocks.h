// Windows sharing modes between handles of every process, on Linux open file description
// locks. Each handle marks, with shared locks on bytes far beyond any file's content, the
// access it has (read, write, delete) and the access it denies to others; an open checks the
// marks of the handles already there. A short exclusive flock on the file makes the check
// and the marking one step across processes. Locks of other programs on the file's content
// count too: any lock keeps writers out, a write lock keeps readers out.
#pragma once
#include <cstdint>

namespace vx::posix {

// Internal access bit for deletion and renaming (beside kGenericRead / kGenericWrite).
inline constexpr std::uint32_t kAccessDelete = 0x00010000u;

// Checks `access` against the handles open on the file of `fd` and, when the check passes
// and `record` is set, records this handle's access and sharing on `fd` (they go away when
// it is closed). Returns kErrorSuccess or kErrorSharingViolation. `fd` must be open for
// reading for the marks to be recorded; when it is not, the handle takes part only in the
// check.
std::uint32_t CheckAndRecordShare(int fd, std::uint32_t access, std::uint32_t share, bool record);

// Records the access and sharing of a handle on a file that it has just created exclusively:
// no other handle can be open on it, so there is nothing to check and no gate to take.
void RecordShareOfNewFile(int fd, std::uint32_t access, std::uint32_t share);

}  // namespace vx::posix
