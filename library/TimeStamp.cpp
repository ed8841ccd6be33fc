#include "library/Karvo.h"
#include "platform/Files.h"

// Sets the creation and last-write times of a file, keeping its last-access time and its
// attributes. A read-only file is opened for the change and stays read-only.
KARVO_API void SetFileTimeStamp(const char* path, const KarvoTime* time) {
  if (path == nullptr || time == nullptr) return;
  const std::uint32_t attributes = vx::GetFileAttributes(path);
  if (attributes == vx::kInvalidAttributes || (attributes & vx::kAttrDirectory)) return;
  const bool readOnly = (attributes & vx::kAttrReadOnly) != 0;
  if (readOnly && !vx::SetFileAttributes(path, attributes & ~vx::kAttrReadOnly)) return;
  vx::FileHandle h = vx::CreateFile(path, vx::kGenericRead | vx::kGenericWrite, vx::kShareRead,
                                    vx::Disposition::OpenExisting);
  if (h != vx::kInvalidHandle) {
    // A CTime counts seconds since 1970 in UTC; shown as local time, it converts back to the
    // same instant, so the file time is that instant.
    const vx::FileTime stamp = vx::FileTimeFromUnix(time->seconds);
    vx::SetFileTime(h, &stamp, nullptr, &stamp);
    vx::CloseHandle(h);
  }
  if (readOnly) vx::SetFileAttributes(path, attributes);
}
