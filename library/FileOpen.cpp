#include <string>
#include <string_view>

#include "library/Karvo.h"
#include "platform/Trim.h"
#include "platform/Files.h"
#include "platform/WinPath.h"

KARVO_API vx::FileHandle PrepareFileForRead(const char* path) {
  if (path == nullptr) return vx::kInvalidHandle;
  return vx::CreateFile(path, vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
}

KARVO_API vx::FileHandle PrepareFileForWrite(const char* path, int overwrite) {
  if (path == nullptr) return vx::kInvalidHandle;
  // The folder part, trimmed and ending with a backslash; a bare name gives "\", for which
  // nothing is created and the file opens in the current directory.
  std::string folder(vx::TrimWhiteSpace(vx::winpath::Folder(path)));
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  if (CreateDirectoryAtOnce(folder.c_str()) == 0) return vx::kInvalidHandle;
  return vx::CreateFile(path, vx::kGenericWrite, vx::kShareNone,
                        overwrite ? vx::Disposition::CreateAlways : vx::Disposition::OpenAlways);
}
