// Closing a deleted file's last descriptor off the caller's thread.
#pragma once

namespace vx::posix {

// Takes ownership of `fd` and closes it soon on a thread of its own. Meant for the descriptor
// of a file just unlinked: its last close frees the file's blocks, and on a file system that
// discards freed blocks that waits on the disk for each file; a run deleting thousands of
// files need not wait in line for each. Every close handed over is made before the process
// exits through exit(); a forked child closes at once. Never blocks for long: with too many
// closes pending, it closes `fd` itself.
void CloseLater(int fd);

// Lets go of `fd` (nothing when it is -1), held over the removal of its entry: later when
// the entry is gone, at once when it is not.
void ReleaseHeld(int fd, bool removed);

}  // namespace vx::posix
