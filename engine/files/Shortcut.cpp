#include "engine/files/Shortcut.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "library/Karvo.h"
#include "platform/LinkFile.h"
#include "platform/Machine.h"
#include "platform/Files.h"
#include "platform/WinPath.h"
#include "platform/Trim.h"

namespace vx {

namespace {

// What the shell records about an existing target: attributes, size, times and its volume's
// drive type. A target that does not exist (yet) leaves these zero, as the shell does.
void DescribeTarget(ShellLinkData& link) {
  const std::string& target = link.target;
  if (winpath::DriveLetter(target) != 0) {
    DriveType type = GetDriveType(target.substr(0, 2) + "\\");
    if (type != DriveType::NoRootDir) link.driveType = static_cast<std::uint32_t>(type);
  }
  // A wildcard would make the listing match some other file.
  if (target.find_first_of("*?") != std::string::npos) return;
  FindData found;
  FindHandle find = FindFirstFile(target, &found);
  if (find == kInvalidFind) return;
  FindClose(find);
  link.fileAttributes = found.attributes;
  link.fileSize = found.size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(found.size);
  link.creationTime = link.accessTime = link.writeTime = found.writeTime;
  FileHandle h = CreateFile(target, kGenericRead, kShareRead | kShareWrite | kShareDelete,
                            Disposition::OpenExisting);
  if (h != kInvalidHandle) {
    GetFileTime(h, &link.creationTime, &link.accessTime, &link.writeTime);
    CloseHandle(h);
  }
}

}  // namespace

void SplitIconField(const std::string& field, std::string* file, int* index) {
  file->clear();
  *index = 0;
  std::size_t blank = field.rfind(' ');
  if (blank == std::string::npos) return;
  std::string path = field.substr(0, blank);
  while (!path.empty() && IsWhiteSpace(path.back())) path.pop_back();
  *file = path;

  // Leading decimal digits with an optional sign, as atoi reads them, held inside an int.
  std::size_t p = blank + 1;
  bool negative = false;
  if (p < field.size() && (field[p] == '-' || field[p] == '+')) negative = field[p++] == '-';
  long long value = 0;
  for (; p < field.size() && field[p] >= '0' && field[p] <= '9'; ++p) {
    value = value * 10 + (field[p] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  *index = static_cast<int>(value);
}

void CreateShortcut(const std::string& line) {
  std::string rest = line;
  ExpandFully(rest);
  std::string name = NextField(rest);
  std::string target = NextField(rest);
  std::string arguments = NextField(rest);
  std::string icon = NextField(rest);
  std::string workingDir = NextField(rest);
  std::string folder = NextField(rest);
  // Without a name or a folder the line names no file; it is skipped like any malformed line.
  if (name.empty() || folder.empty()) return;
  if (folder.back() != '\\') folder.push_back('\\');

  if (CreateDirectoryAtOnce(folder.c_str()) == 0) return;

  ShellLinkData link;
  link.target = target;
  // A target that is no full path cannot go into the link information; the shell keeps such
  // a name as the link's relative path.
  bool fullPath = winpath::IsAbsolute(target) || target.rfind("\\\\", 0) == 0;
  if (!target.empty() && !fullPath) link.relativePath = target;
  // The shell takes "C:/App/app.exe" for "C:\App\app.exe" when it saves a link.
  if (winpath::IsAbsolute(target)) link.target = winpath::ToBackslashes(target);
  link.arguments = arguments;
  link.description = name;
  link.workingDir = workingDir;
  SplitIconField(icon, &link.iconFile, &link.iconIndex);
  if (fullPath) DescribeTarget(link);

  std::string path = folder + name + ".lnk";
  // The save takes the path through a 260-character buffer; a longer one would be cut into some
  // other name, so no shortcut is made.
  if (path.size() > kMaxShortcutPath) return;
  SaveLinkFile(path, link);
}

}  // namespace vx
