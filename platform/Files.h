// Files and folders, Windows-shaped. Paths are Windows paths mapped through the current
// machine. Failures set the last error (GetLastError) to a Win32 code.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "platform/Types.h"

namespace vx {

// Access and sharing flags (values of GENERIC_* and FILE_SHARE_*).
enum : std::uint32_t {
  kGenericRead = 0x80000000u,
  kGenericWrite = 0x40000000u,
  kShareNone = 0,
  kShareRead = 1,
  kShareWrite = 2,
  kShareDelete = 4,
};

// Creation dispositions (values of CREATE_NEW ... TRUNCATE_EXISTING).
enum class Disposition : std::uint32_t {
  CreateNew = 1,
  CreateAlways = 2,
  OpenExisting = 3,
  OpenAlways = 4,
  TruncateExisting = 5,
};

// File attributes (FILE_ATTRIBUTE_*). Read-only is the absence of every write permission bit
// of a file (enforced for every user, root included); hidden, system and archive are kept in
// an extended attribute where the host file system allows it.
enum : std::uint32_t {
  kAttrReadOnly = 0x1,
  kAttrHidden = 0x2,
  kAttrSystem = 0x4,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  // A symbolic link (FILE_ATTRIBUTE_REPARSE_POINT), reported by FindFirstFile/FindNextFile and
  // GetFileAttributes without following the link; folder walks must not enter it. A link to
  // a file carries the file's attributes besides; a link to a folder (or to nothing) never
  // carries kAttrDirectory, so that even a walk that knows nothing of links stays in its tree
  // (DeleteFile and RemoveDirectory both remove such a link itself).
  kAttrReparsePoint = 0x400,
  kInvalidAttributes = 0xFFFFFFFFu,
};

enum class SeekFrom { Begin = 0, Current = 1, End = 2 };

// Opens a file. Sharing is enforced between open handles, in this process and others: a
// handle opened without kShareRead (or kShareWrite) makes later opens for reading (writing)
// fail with kErrorSharingViolation, and vice versa. Opening a read-only file for writing
// fails with kErrorAccessDenied; a running executable cannot be opened for writing
// (kErrorSharingViolation); a folder cannot be opened (kErrorAccessDenied). An existing file
// is truncated (CreateAlways, TruncateExisting) only after the sharing check has passed.
// Writing never follows a symbolic link in the last component of the path: opening one for
// writing, or with a disposition that may create the file, fails with kErrorAccessDenied and
// leaves the link and its target alone (reading follows links).
// CreateAlways and OpenAlways on an existing file succeed with the last error set to
// kErrorAlreadyExists. Handles are not inherited by started programs. A new file whose name
// is a program's (.exe, .com, .bat, .cmd) may be executed by the host, as Windows would run it.
FileHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                      Disposition disposition);
bool ReadFile(FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read);
bool WriteFile(FileHandle h, const void* data, std::uint32_t size, std::uint32_t* written);
// Returns the new position, or -1.
std::int64_t SetFilePointer(FileHandle h, std::int64_t offset, SeekFrom from);
std::int64_t GetFileSize(FileHandle h);  // -1 on failure
bool SetEndOfFile(FileHandle h);
bool FlushFileBuffers(FileHandle h);
bool CloseHandle(FileHandle h);
// Null pointers leave that time alone. Creation time is kept by the platform beside the
// file's own times where the host has none (where it cannot be kept, the host's birth time,
// else the last-write time, is reported). SetFileTime needs a handle opened for writing.
bool GetFileTime(FileHandle h, FileTime* creation, FileTime* access, FileTime* write);
bool SetFileTime(FileHandle h, const FileTime* creation, const FileTime* access,
                 const FileTime* write);

// A file made new for the caller alone: whatever non-folder entry holds the name goes first
// (a symbolic link is removed itself, a file only when DeleteFile may remove it), then the
// file is created exclusively (CreateNew), so that nothing written to it can reach another
// file. Fails (the name left as it was, or free) when the entry cannot be removed, when it
// is a folder, or when another entry takes the name in between.
FileHandle CreateFreshFile(std::string_view path, std::uint32_t access = kGenericWrite);
// CopyFile onto a fresh file at `to`, as CreateFreshFile makes it.
bool CopyFileFresh(std::string_view from, std::string_view to);

// Which file a handle or a name is (volume and file index, as GetFileInformationByHandle
// gives them): two equal ids are one file. The id of a path is that of the entry itself; a
// symbolic link has its own, not its target's.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};
bool GetFileId(FileHandle h, FileId* id);
bool GetFileIdOfPath(std::string_view path, FileId* id);

std::uint32_t GetFileAttributes(std::string_view path);
bool SetFileAttributes(std::string_view path, std::uint32_t attributes);
bool FileOrFolderExists(std::string_view path);

// Fails on a read-only or in-use destination (and on an existing one with failIfExists,
// kErrorFileExists). The copy gets the source's content, last-write time and attributes
// (read-only included), as on Windows.
bool CopyFile(std::string_view from, std::string_view to, bool failIfExists);
// Fails on a read-only file (kErrorAccessDenied), a running executable (kErrorAccessDenied),
// a folder (kErrorAccessDenied) or one held open without delete sharing
// (kErrorSharingViolation). A symbolic link is removed itself.
bool DeleteFile(std::string_view path);
// Renames a file or folder; fails when the destination exists (kErrorAlreadyExists) unless it
// is the source itself in other case, or when the source is held open without delete
// sharing. Files move across host file systems, folders do not (kErrorNotSameDevice).
bool MoveFile(std::string_view from, std::string_view to);
// Renames a file onto `to` in one step, replacing a file (or a link) there, as MoveFileEx
// with MOVEFILE_REPLACE_EXISTING: `to` is at every moment the old file or the new one.
// Fails, leaving both as they were, when `to` is a folder, read-only (kErrorAccessDenied), a
// running program or held open without delete sharing, or on another file system.
bool MoveFileReplacing(std::string_view from, std::string_view to);
// Closes `h`, a handle on the file `from`, then moves that file as MoveFileReplacing does. The
// check that no other handle keeps it from being renamed is made through `h` before it
// closes, which spares opening the file again. The handle is closed whatever the outcome;
// when the move fails, the file keeps the name `from`.
bool CloseAndMoveFileReplacing(FileHandle h, std::string_view from, std::string_view to);
// Fails with kErrorAlreadyExists when the folder exists, kErrorPathNotFound without parent.
bool CreateDirectory(std::string_view path);
// Fails unless the folder is empty (kErrorDirNotEmpty). Never follows a symbolic link: on a
// link to a folder it removes the link, on anything else that is no folder it fails with
// kErrorDirectory.
bool RemoveDirectory(std::string_view path);

struct FindData {
  std::string name;  // long name, as stored on the host
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FileTime writeTime;
};
// Find-first/next over one folder: pattern is folder + "\" + wildcard (e.g. "C:\A\*.*"),
// or a wildcard alone for the current directory. "." and ".." are listed first when the
// pattern matches them (not at a drive root, as on Windows); the other names follow sorted
// without regard to case, so every walk is repeatable. Names that no Windows path can spell
// (holding a backslash or a wildcard) are left out. No match: kInvalidFind with
// kErrorFileNotFound; a missing folder: kErrorPathNotFound; the end: kErrorNoMoreFiles.
using FindHandle = std::intptr_t;
inline constexpr FindHandle kInvalidFind = -1;
FindHandle FindFirstFile(std::string_view pattern, FindData* data);
bool FindNextFile(FindHandle h, FindData* data);
bool FindClose(FindHandle h);

// Bit 0 = A:, bit 2 = C:, ... for every mapped drive.
std::uint32_t GetLogicalDrives();
// The roots of the mapped drives in order ("C:\", "Z:\"), as GetLogicalDriveStrings lists them.
std::vector<std::string> GetLogicalDriveStrings();
DriveType GetDriveType(std::string_view root);  // "C:\"; NoRootDir when unmapped
// Space of the file system that holds `root` (any existing folder of a drive will do): the
// bytes free to the user and the total. Null pointers are left alone.
bool GetDiskFreeSpace(std::string_view root, std::uint64_t* freeBytes, std::uint64_t* totalBytes);

// The process's current Windows directory (with no trailing backslash but on a root). It
// starts at "C:\" and goes back there when another machine becomes current. It is a Windows
// path kept by the platform, not the host's working directory.
std::string GetCurrentDirectory();
// Fails when the folder does not exist (kErrorFileNotFound, or kErrorPathNotFound without its
// parent) or is no folder (kErrorDirectory). Keeps the path normalized, in the case given.
bool SetCurrentDirectory(std::string_view path);

// The Windows name of the running program ("" when it has none). Given whole even beyond
// 260 characters: a cut path would name another file.
std::string GetModuleFileName();

// A host path for a Windows path, or "" when it maps outside every drive.
std::string HostPathOf(std::string_view winPath);

// The address of this process's table of file handles: the engine and Karvo.dll compare
// theirs to prove they share one (see library/Boundary.cpp).
const void* FileHandleTableIdentity();

// A file whose content is a host program (it starts with an ELF header or "#!") gets the
// execute bits wherever it has read bits, as a Windows program runs whatever its name; any
// other file is left as it is. False when the file could not be read or changed.
bool MarkIfHostProgram(std::string_view path);
// The same through a handle open for reading and writing, before the file is closed: no
// second open, for files written by the thousand. It reads the file's start, which may change
// its access time: set the times after.
bool MarkIfHostProgram(FileHandle h);
// The same for a file whose first bytes its writer passes in (`size` of them: four, or all
// of a shorter file): nothing is read back.
bool MarkIfHostProgram(FileHandle h, const std::uint8_t* head, std::size_t size);

}  // namespace vx
