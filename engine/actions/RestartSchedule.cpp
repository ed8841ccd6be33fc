#include "engine/actions/RestartSchedule.h"

#include "platform/Files.h"
#include "platform/RestartQueue.h"
#include "platform/RestartQueueParse.h"
#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

namespace {

void AppendToWininit(const std::vector<std::string>& files, const std::string& target) {
  const std::string path = WininitPath();
  std::string text;
  std::int64_t length = 0;
  FileHandle h =
      CreateFile(path, kGenericRead | kGenericWrite, kShareNone, Disposition::OpenExisting);
  if (h != kInvalidHandle) {
    length = GetFileSize(h);
    if (length < 0) {
      CloseHandle(h);
      return;
    }
    std::string existing(static_cast<std::size_t>(length), '\0');
    std::uint32_t got = 0;
    if (length > 0 && (!ReadFile(h, existing.data(), static_cast<std::uint32_t>(length), &got) ||
                       got != length)) {
      CloseHandle(h);
      return;
    }
    // Lines behind another section would be lost to the restart: open [Rename] again.
    if (!WininitEndsInRename(existing)) text = length > 0 ? "\r\n[Rename]" : "[Rename]";
  } else {
    // Only a file that is not there is created; one that is merely busy is left alone.
    if (GetLastError() != kErrorFileNotFound) return;
    h = CreateFile(path, kGenericRead | kGenericWrite, kShareNone, Disposition::CreateAlways);
    if (h == kInvalidHandle) return;
    text = "[Rename]";
  }
  const std::string left = target.empty() ? "NUL" : target;
  for (const auto& file : files) text += "\r\n" + left + "=" + file;

  std::uint32_t written = 0;
  bool ok = SetFilePointer(h, length, SeekFrom::Begin) == length &&
            WriteFile(h, text.data(), static_cast<std::uint32_t>(text.size()), &written) &&
            written == text.size();
  if (!ok) {
    // No half line may stay behind for the restart to misread.
    SetFilePointer(h, length, SeekFrom::Begin);
    SetEndOfFile(h);
  }
  CloseHandle(h);
}

}  // namespace

void ScheduleAtRestart(const std::vector<std::string>& files, const std::string& target) {
  if (files.empty()) return;
  const OsVersion version = GetVersionEx();
  if (version.platformId == kVerPlatformWindows) {
    AppendToWininit(files, target);
  } else if (version.platformId == kVerPlatformNT) {
    // A replacement must be allowed to replace: the target normally exists (an in-use file).
    const std::uint32_t flags =
        kMoveFileDelayUntilReboot | (target.empty() ? 0u : kMoveFileReplaceExisting);
    for (const auto& file : files) MoveFileEx(file, target, flags);
  }
}

}  // namespace vx
