#include "engine/files/FileCopy.h"

#include <mutex>
#include <set>

#include "engine/base/RunReport.h"
#include "engine/actions/RestartSchedule.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunJournal.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "library/Karvo.h"
#include "platform/Machine.h"  // DriveType, used by Files.h
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;

using StagedNames = EngineRun::StagedNames;

StagedNames& Staged() { return CurrentRun().staged; }

std::string TempFolder() {
  std::string temp = Folders().temp;
  if (temp.empty()) temp = GetTempPath();
  return EnsureTrailingBackslash(temp);
}

// The first staged file of a name sits right in the temporary folder; later ones with the
// same name go to numbered subfolders that nothing occupies yet.
std::string StagedPathFor(const std::string& fileName) {
  StagedNames& names = Staged();
  std::lock_guard lock(names.mutex);
  std::string temp = TempFolder();
  std::string candidate = temp + fileName;
  for (unsigned n = 1; names.taken.count(winpath::ToUpper(candidate)) != 0 ||
                       (n > 1 && FileOrFolderExists(candidate));
       ++n) {
    candidate = temp + "VxStaged" + std::to_string(n) + "\\" + fileName;
  }
  names.taken.insert(winpath::ToUpper(candidate));
  return candidate;
}

bool CanOpen(const std::string& path, std::uint32_t access, std::uint32_t share) {
  FileHandle h = CreateFile(path, access, share, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  CloseHandle(h);
  return true;
}

// Last-write time of a file, read from its folder entry so that a file held open by
// another program still gives its time.
std::optional<FileTime> LastWriteTime(const std::string& path) {
  std::string_view name = winpath::FileName(path);
  if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return std::nullopt;
  FindData data;
  FindHandle find = FindFirstFile(path, &data);
  if (find == kInvalidFind) return std::nullopt;
  FindClose(find);
  if ((data.attributes & kAttrDirectory) != 0 || !winpath::EqualsNoCase(data.name, name)) {
    return std::nullopt;
  }
  return data.writeTime;
}

// Whole seconds, as file times are compared: a difference below a second is no difference.
bool StrictlyLater(FileTime a, FileTime b) {
  return a.ticks / kTicksPerSecond > b.ticks / kTicksPerSecond;
}

// Asks when the remembered answer is a plain Yes or No; true when the file is to be kept.
bool Refused(int& remembered, TextId textId, const std::string& path) {
  if (remembered == 0 || remembered == 2) {
    remembered = AskFourChoice(FormatText(LoadText(textId), path));
  }
  return remembered == 2 || remembered == 3;
}

}  // namespace

RememberedAnswers& Answers() { return CurrentRun().copyAnswers; }

void ResetFileCopyState() {
  Answers() = RememberedAnswers{};
  StagedNames& names = Staged();
  std::lock_guard lock(names.mutex);
  names.taken.clear();
}

DestinationCheck CheckDestination(const std::string& destination,
                                  std::optional<FileTime> compareTime, bool stopOnReadOnlyRefusal) {
  DestinationCheck check;
  check.target = check.destination = destination;
  std::uint32_t attributes = GetFileAttributes(destination);
  // Nothing by that name, not even a dangling link: nothing to check or to open.
  if (attributes == kInvalidAttributes && GetLastError() != kErrorSharingViolation) return check;
  if (!CanOpen(destination, kGenericRead, kShareRead)) {
    // A file that another program holds without sharing cannot be read either, but it is
    // there and in use: taken for absent, it would be written over and fail the component.
    bool held = GetLastError() == kErrorSharingViolation && attributes != kInvalidAttributes &&
                (attributes & kAttrDirectory) == 0;
    if (!held) return check;  // nothing there
  }

  // A link at the destination is replaced itself, never written through: what it points at
  // is neither asked about nor changed.
  const bool link = attributes != kInvalidAttributes && (attributes & kAttrReparsePoint) != 0;
  bool readOnly = !link && attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0;
  if (readOnly) {
    if (Refused(Answers().readOnly, TextId::ReadOnlyOverwriteQuestion, destination)) {
      check.skip = true;
      Journal().KeptByUser(destination);
      if (stopOnReadOnlyRefusal) return check;
    } else {
      SetFileAttributes(destination, kAttrNormal);
    }
  } else if (!link && !CanOpen(destination, kGenericWrite, kShareNone)) {
    // In use: the new file waits beside it until the next restart.
    check.target = StagedPathFor(std::string(winpath::FileName(destination)));
    check.staged = true;
  }

  // The newer-file rule looks at the target, which for a staged file is the staged path.
  if (compareTime) {
    std::optional<FileTime> existing = LastWriteTime(check.target);
    if (existing && StrictlyLater(*existing, *compareTime) &&
        Refused(Answers().newerFile, TextId::NewerFileQuestion, check.target)) {
      check.skip = true;
      Journal().KeptByUser(destination);
    }
  }
  return check;
}

void CommitStaged(const DestinationCheck& check) {
  if (!check.staged || check.skip) return;
  ScheduleAtRestart({check.target}, check.destination);
  Flags().restartPending = true;
}

std::string PartialPathOf(const std::string& target) {
  // The name keeps the target's extension, so a program is written as a program file.
  return std::string(winpath::Folder(target)) + "~vx-" + std::string(winpath::FileName(target));
}

FileHandle CreatePartialFile(const std::string& target) {
  // Most files go into a folder that an earlier file made: the folders are made only when
  // the file cannot be created without them.
  FileHandle h = CreateFreshFile(PartialPathOf(target));
  if (h != kInvalidHandle || GetLastError() != kErrorPathNotFound) return h;
  std::string folder(winpath::Folder(target));
  if (!folder.empty() && !CreateDirectoryAtOnce(folder.c_str())) return kInvalidHandle;
  return CreateFreshFile(PartialPathOf(target));
}

void DiscardPartialFile(const std::string& target) {
  std::string partial = PartialPathOf(target);
  std::uint32_t error = GetLastError();
  std::uint32_t attributes = GetFileAttributes(partial);
  if (attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0) {
    SetFileAttributes(partial, kAttrNormal);
  }
  DeleteFile(partial);
  SetLastError(error);  // the caller reports why the write failed, not this
}

bool CommitPartialFile(const std::string& target) {
  if (MoveFileReplacing(PartialPathOf(target), target)) return true;
  DiscardPartialFile(target);
  return false;
}

bool CommitPartialFile(const std::string& target, FileHandle written) {
  if (CloseAndMoveFileReplacing(written, PartialPathOf(target), target)) return true;
  DiscardPartialFile(target);
  return false;
}

CopyResult PlainCopy(const std::string& sourceFolder, const std::string& destinationFolder,
                     const std::string& fileName) {
  std::string source = sourceFolder + fileName;
  DestinationCheck check =
      CheckDestination(destinationFolder + fileName, LastWriteTime(source), true);
  if (check.skip) return CopyResult::Skipped;
  for (const std::string& folder : {destinationFolder, FolderOfPath(check.target)}) {
    if (!CreateDirectoryAtOnce(folder.c_str())) {
      NoteFailure("cannot create the folder " + folder + ": " + SystemErrorText(GetLastError()));
      return CopyResult::Failed;
    }
  }
  // Copied beside the target first: a copy that fails half-way never replaces it.
  if (!CopyFileFresh(source, PartialPathOf(check.target)) || !CommitPartialFile(check.target)) {
    std::uint32_t error = GetLastError();
    DiscardPartialFile(check.target);
    NoteFailure("cannot copy " + source + " to " + check.target + ": " + SystemErrorText(error));
    CurrentUi().MessageBox("Error", SystemErrorText(error), kMbOk | kMbIconStop);
    return CopyResult::Failed;
  }
  CommitStaged(check);
  return CopyResult::Copied;
}

}  // namespace vx
