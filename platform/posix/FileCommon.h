// Helpers shared by the POSIX file services: path lookup with Windows errors, error codes,
// attributes and times.
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace vx::posix {

// The host path of a Windows path; on failure sets the last error (kErrorInvalidName for a
// name no file can have, kErrorPathNotFound for an unmapped drive or a climb above a root,
// kErrorInvalidParameter for a device name such as NUL).
std::optional<std::string> HostPath(std::string_view winPath, bool* absent = nullptr);
// The descriptor behind a file handle that is open; -1 (and kErrorInvalidHandle) otherwise.
int DescriptorOf(FileHandle h);

// Sets the last error for a failed host call on `hostPath`: a missing entry is "file not
// found" when its folder exists and "path not found" when it does not, as on Windows.
void SetErrorFromErrno(int err, const std::string& hostPath);
std::uint32_t ErrorFromErrno(int err);

// The read-only attribute: no write permission bit at all.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & 0222) == 0; }

// Windows attributes of a host entry: directory and read-only from the status, the rest
// (hidden, system, archive) from the extended attribute where the platform stored them.
// `hostPath` is read for that attribute (without following a final symbolic link when
// `noFollow`).
std::uint32_t AttributesOf(const struct stat& st, const std::string& hostPath, bool noFollow);
// What a listing shows of one entry. The final symbolic link is not followed (unless
// `followLink`): a link to a file shows that file's attributes, size and time with
// kAttrReparsePoint; a link to a folder or to nothing shows kAttrReparsePoint alone. False,
// with errno set, when the entry does not exist.
struct EntryInfo {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FileTime writeTime;
};
bool DescribeEntry(const std::string& hostPath, bool followLink, EntryInfo* info);

// Stores hidden, system and archive; false when the host cannot keep them.
bool StoreExtraAttributes(const std::string& hostPath, std::uint32_t attributes);

// Gives `to` the stored attributes of `from` (nothing when it has none).
void CopyExtraAttributes(const std::string& from, const std::string& to);

// Whether a name is a program's (.exe, .com, .bat, .cmd): Windows runs such a file by its
// name alone, so the host must be allowed to execute it.
bool IsProgramName(std::string_view name);
// Whether the host file's content starts as a host program (ELF, "#!").
bool StartsAsHostProgram(const std::string& hostPath);
// The same for a file's first `size` bytes (up to 4 are looked at).
bool HeadIsHostProgram(const unsigned char* head, long size);
// `mode` with execute bits wherever it has read bits.
inline mode_t WithExecute(mode_t mode) { return mode | ((mode & 0444) >> 2); }

FileTime ToFileTime(const struct timespec& ts);
struct timespec ToTimespec(FileTime t);

}  // namespace vx::posix
