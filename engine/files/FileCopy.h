// Installing one file over whatever sits at its destination: the read-only, in-use and
// newer-file checks with the four-choice prompt and its remembered answers, staging of files
// in use for replacement at the next restart, and the plain copy of a folder installation.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/base/EngineRun.h"
#include "platform/ErrorText.h"  // SystemErrorText, for the callers of these copies
#include "platform/Types.h"

namespace vx {

// The remembered answers of the two questions, in the run state.
RememberedAnswers& Answers();
// Back to the start values; also forgets the staged names handed out (tests, a fresh run).
void ResetFileCopyState();

struct DestinationCheck {
  std::string target;       // where to write: the destination, or its staged path
  std::string destination;  // the real destination
  bool skip = false;        // leave the existing file alone
  bool staged = false;      // the destination is in use: write target, replace at restart
};

// The checks against an existing destination. `compareTime` is the time of the new file
// (the package record's, or the plain copy's source); none disables the newer-file rule.
// `stopOnReadOnlyRefusal` ends the checks at a refused read-only question (plain copy).
DestinationCheck CheckDestination(const std::string& destination,
                                  std::optional<FileTime> compareTime,
                                  bool stopOnReadOnlyRefusal = false);

// A staged file has been written completely: queue its move onto the destination for the
// next restart and raise the restart-pending flag. Only a complete file is ever queued, so
// a failed or skipped write can never replace the destination at the restart.
void CommitStaged(const DestinationCheck& check);

// A file is written beside its target under a name of its own and takes the target's place
// in one step only once it is complete: a failed write (a damaged package, a cancelled disk
// prompt, a full disk) leaves the target as it was and the partial file gone.
std::string PartialPathOf(const std::string& target);
// A fresh partial file for `target`, its folders made as PrepareFileForWrite makes them.
FileHandle CreatePartialFile(const std::string& target);
// Puts the complete partial file in the target's place; false (the partial file removed,
// the target untouched) when it cannot.
bool CommitPartialFile(const std::string& target);
// The same for the partial file still open as `written`, which it closes in any case.
bool CommitPartialFile(const std::string& target, FileHandle written);
void DiscardPartialFile(const std::string& target);

enum class CopyResult { Copied, Skipped, Failed };

// Copy mode: copies sourceFolder + fileName to destinationFolder + fileName through the
// checks (both folders end with a backslash or are empty). Skipped means the user's answer
// kept the existing file; the caller then leaves its shared-use count alone.
CopyResult PlainCopy(const std::string& sourceFolder, const std::string& destinationFolder,
                     const std::string& fileName);

}  // namespace vx
