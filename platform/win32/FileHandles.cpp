// Files through kernel32: a platform FileHandle is the Windows HANDLE itself, so a handle
// that Karvo.dll opens is valid in the program that loaded it (one process, one table).
#include "platform/win32/WinApi.h"

#include "platform/Files.h"

namespace vx {

using win32::FromHandle;
using win32::Report;
using win32::ToHandle;
using win32::Z;

namespace {

bool MayCreate(Disposition d) {
  return d == Disposition::CreateNew || d == Disposition::CreateAlways ||
         d == Disposition::OpenAlways;
}

bool IsLink(std::string_view path) {
  const DWORD a = ::GetFileAttributesA(Z(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

FILETIME ToFiletime(const FileTime& t) {
  FILETIME f;
  f.dwLowDateTime = static_cast<DWORD>(t.ticks);
  f.dwHighDateTime = static_cast<DWORD>(t.ticks >> 32);
  return f;
}

FileTime FromFiletime(const FILETIME& f) {
  return FileTime{(std::uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime};
}

}  // namespace

FileHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                      Disposition disposition) {
  // Writing never goes through a link planted where the file is to be.
  if (((access & kGenericWrite) != 0 || MayCreate(disposition)) && IsLink(path)) {
    SetLastError(kErrorAccessDenied);
    return kInvalidHandle;
  }
  HANDLE h = ::CreateFileA(Z(path).c_str(), access, share, nullptr, static_cast<DWORD>(disposition),
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  Report(h != INVALID_HANDLE_VALUE);
  return h == INVALID_HANDLE_VALUE ? kInvalidHandle : FromHandle(h);
}

bool ReadFile(FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) {
  DWORD n = 0;
  const bool ok = ::ReadFile(ToHandle(h), buffer, size, &n, nullptr) != FALSE;
  if (read) *read = n;
  return Report(ok);
}

bool WriteFile(FileHandle h, const void* data, std::uint32_t size, std::uint32_t* written) {
  DWORD n = 0;
  const bool ok = ::WriteFile(ToHandle(h), data, size, &n, nullptr) != FALSE;
  if (written) *written = n;
  return Report(ok);
}

std::int64_t SetFilePointer(FileHandle h, std::int64_t offset, SeekFrom from) {
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!Report(::SetFilePointerEx(ToHandle(h), distance, &position, static_cast<DWORD>(from)) !=
              FALSE))
    return -1;
  return position.QuadPart;
}

std::int64_t GetFileSize(FileHandle h) {
  LARGE_INTEGER size;
  if (!Report(::GetFileSizeEx(ToHandle(h), &size) != FALSE)) return -1;
  return size.QuadPart;
}

bool SetEndOfFile(FileHandle h) { return Report(::SetEndOfFile(ToHandle(h)) != FALSE); }
bool FlushFileBuffers(FileHandle h) { return Report(::FlushFileBuffers(ToHandle(h)) != FALSE); }

bool CloseHandle(FileHandle h) {
  if (h == kInvalidHandle || h == 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  return Report(::CloseHandle(ToHandle(h)) != FALSE);
}

bool GetFileTime(FileHandle h, FileTime* creation, FileTime* access, FileTime* write) {
  FILETIME c, a, w;
  if (!Report(::GetFileTime(ToHandle(h), &c, &a, &w) != FALSE)) return false;
  if (creation) *creation = FromFiletime(c);
  if (access) *access = FromFiletime(a);
  if (write) *write = FromFiletime(w);
  return true;
}

bool SetFileTime(FileHandle h, const FileTime* creation, const FileTime* access,
                 const FileTime* write) {
  FILETIME c, a, w;
  if (creation) c = ToFiletime(*creation);
  if (access) a = ToFiletime(*access);
  if (write) w = ToFiletime(*write);
  return Report(::SetFileTime(ToHandle(h), creation ? &c : nullptr, access ? &a : nullptr,
                              write ? &w : nullptr) != FALSE);
}

FileHandle CreateFreshFile(std::string_view path, std::uint32_t access) {
  const std::string p = Z(path);
  const DWORD a = ::GetFileAttributesA(p.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    const bool link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) {
      SetLastError(kErrorAccessDenied);
      return kInvalidHandle;
    }
    const bool gone = (link && (a & FILE_ATTRIBUTE_DIRECTORY) != 0)
                          ? ::RemoveDirectoryA(p.c_str()) != FALSE
                          : ::DeleteFileA(p.c_str()) != FALSE;
    if (!Report(gone)) return kInvalidHandle;
  }
  HANDLE h =
      ::CreateFileA(p.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  Report(h != INVALID_HANDLE_VALUE);
  return h == INVALID_HANDLE_VALUE ? kInvalidHandle : FromHandle(h);
}

bool GetFileId(FileHandle h, FileId* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!Report(::GetFileInformationByHandle(ToHandle(h), &info) != FALSE)) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool GetFileIdOfPath(std::string_view path, FileId* id) {
  // The entry itself, a link included: opened for no access, with backup semantics so that
  // folders open too.
  HANDLE h = ::CreateFileA(
      Z(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (!Report(h != INVALID_HANDLE_VALUE)) return false;
  const bool ok = GetFileId(FromHandle(h), id);
  ::CloseHandle(h);
  return ok;
}

const void* FileHandleTableIdentity() {
  // Handles live in the process's kernel table: every module of the process shares it.
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(::GetCurrentProcessId()));
}

}  // namespace vx
