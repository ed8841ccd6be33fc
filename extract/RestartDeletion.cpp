#include "extract/RestartDeletion.h"

#include <string_view>

#include "platform/Files.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx::extract {

namespace {

// The name of the last section header in an INI text, "" when there is none.
std::string LastSection(std::string_view text) {
  std::string last;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos && line[first] == '[') {
      std::size_t close = line.find(']', first);
      if (close != std::string_view::npos)
        last = std::string(line.substr(first + 1, close - first - 1));
    }
    start = end + 1;
  }
  return last;
}

bool ReadAll(FileHandle h, std::string& text) {
  std::int64_t size = GetFileSize(h);
  if (size < 0 || size > (std::int64_t(1) << 30)) return false;
  text.assign(std::size_t(size), '\0');
  std::uint32_t got = 0;
  return size == 0 || (ReadFile(h, text.data(), std::uint32_t(size), &got) && got == size);
}

}  // namespace

bool AppendWininitDeletions(const std::string& wininit, const std::vector<std::string>& files) {
  std::string text;
  FileHandle h = kInvalidHandle;
  if (FileOrFolderExists(wininit)) {
    h = CreateFile(wininit, kGenericRead | kGenericWrite, kShareNone, Disposition::OpenExisting);
    if (h == kInvalidHandle) return false;
    std::string existing;
    if (!ReadAll(h, existing) || SetFilePointer(h, 0, SeekFrom::End) < 0) {
      CloseHandle(h);
      return false;
    }
    if (!winpath::EqualsNoCase(LastSection(existing), "Rename")) text = "\r\n[Rename]";
  } else {
    h = CreateFile(wininit, kGenericWrite, kShareNone, Disposition::CreateNew);
    if (h == kInvalidHandle) return false;
    text = "[Rename]";
  }
  for (const std::string& file : files) text += "\r\nNUL=" + file;
  std::uint32_t written = 0;
  bool ok =
      WriteFile(h, text.data(), std::uint32_t(text.size()), &written) && written == text.size();
  CloseHandle(h);
  return ok;
}

void ScheduleDeletionAtRestart(const std::vector<std::string>& files) {
  OsVersion version = GetVersionEx();
  if (version.platformId == kVerPlatformWindows) {
    AppendWininitDeletions(WininitPath(), files);
  } else if (version.platformId == kVerPlatformNT) {
    for (const std::string& file : files) MoveFileEx(file, {}, kMoveFileDelayUntilReboot);
  }
}

}  // namespace vx::extract
