// Names, attributes, copies, moves, folders and finds through kernel32.
#include "platform/win32/WinApi.h"

#include <algorithm>
#include <memory>

#include "platform/Files.h"
#include "platform/WinPath.h"

namespace vx {

using win32::Report;
using win32::Z;

namespace {

FileTime FromFiletime(const FILETIME& f) {
  return FileTime{(std::uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime};
}

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::uint32_t GetFileAttributes(std::string_view path) {
  DWORD a = ::GetFileAttributesA(Z(path).c_str());
  Report(a != INVALID_FILE_ATTRIBUTES);
  // A link to a folder is not entered by walks: it never reads as a folder.
  if (IsLink(a)) a &= ~DWORD(FILE_ATTRIBUTE_DIRECTORY);
  return a;
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
  return Report(::SetFileAttributesA(Z(path).c_str(), attributes) != FALSE);
}

bool FileOrFolderExists(std::string_view path) {
  return ::GetFileAttributesA(Z(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyFile(std::string_view from, std::string_view to, bool failIfExists) {
  return Report(::CopyFileA(Z(from).c_str(), Z(to).c_str(), failIfExists) != FALSE);
}

bool CopyFileFresh(std::string_view from, std::string_view to) {
  FileHandle h = CreateFreshFile(to);
  if (h == kInvalidHandle) return false;
  CloseHandle(h);
  return CopyFile(from, to, false);
}

bool DeleteFile(std::string_view path) {
  const std::string p = Z(path);
  const DWORD a = ::GetFileAttributesA(p.c_str());
  // A link to a folder is removed itself, as a link to a file is.
  if (IsLink(a) && (a & FILE_ATTRIBUTE_DIRECTORY)) return Report(::RemoveDirectoryA(p.c_str()));
  return Report(::DeleteFileA(p.c_str()) != FALSE);
}

bool MoveFile(std::string_view from, std::string_view to) {
  return Report(::MoveFileA(Z(from).c_str(), Z(to).c_str()) != FALSE);
}

bool MoveFileReplacing(std::string_view from, std::string_view to) {
  const DWORD a = ::GetFileAttributesA(Z(to).c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(a)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  return Report(::MoveFileExA(Z(from).c_str(), Z(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE);
}

bool CloseAndMoveFileReplacing(FileHandle h, std::string_view from, std::string_view to) {
  return CloseHandle(h) && MoveFileReplacing(from, to);
}

bool CreateDirectory(std::string_view path) {
  return Report(::CreateDirectoryA(Z(path).c_str(), nullptr) != FALSE);
}

bool RemoveDirectory(std::string_view path) {
  const std::string p = Z(path);
  const DWORD a = ::GetFileAttributesA(p.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(kErrorDirectory);
    return false;
  }
  return Report(::RemoveDirectoryA(p.c_str()) != FALSE);
}

// Finds: the whole folder is read at the first call and handed out sorted without regard to
// case ("." and ".." first), so that every walk is repeatable whatever order the file system
// keeps.
namespace {

struct FindList {
  std::vector<FindData> entries;
  std::size_t next = 0;
};

FindData FromWin32(const WIN32_FIND_DATAA& w) {
  FindData d;
  d.name = w.cFileName;
  d.attributes = w.dwFileAttributes;
  if (d.attributes & FILE_ATTRIBUTE_REPARSE_POINT) d.attributes &= ~DWORD(FILE_ATTRIBUTE_DIRECTORY);
  d.size = (std::uint64_t(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
  d.writeTime = FromFiletime(w.ftLastWriteTime);
  return d;
}

int Rank(const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; }

}  // namespace

FindHandle FindFirstFile(std::string_view pattern, FindData* data) {
  WIN32_FIND_DATAA w;
  HANDLE h = ::FindFirstFileA(Z(pattern).c_str(), &w);
  if (!Report(h != INVALID_HANDLE_VALUE)) return kInvalidFind;
  auto list = std::make_unique<FindList>();
  do {
    list->entries.push_back(FromWin32(w));
  } while (::FindNextFileA(h, &w));
  ::FindClose(h);
  std::sort(list->entries.begin(), list->entries.end(), [](const FindData& a, const FindData& b) {
    if (Rank(a.name) != Rank(b.name)) return Rank(a.name) < Rank(b.name);
    const std::string ua = winpath::ToUpper(a.name), ub = winpath::ToUpper(b.name);
    return ua != ub ? ua < ub : a.name < b.name;
  });
  *data = list->entries[0];
  list->next = 1;
  SetLastError(kErrorSuccess);
  return reinterpret_cast<FindHandle>(list.release());
}

bool FindNextFile(FindHandle h, FindData* data) {
  auto* list = reinterpret_cast<FindList*>(h);
  if (h == kInvalidFind || list == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (list->next >= list->entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  *data = list->entries[list->next++];
  return true;
}

bool FindClose(FindHandle h) {
  if (h == kInvalidFind || h == 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  delete reinterpret_cast<FindList*>(h);
  return true;
}

std::uint32_t GetLogicalDrives() { return ::GetLogicalDrives(); }

std::vector<std::string> GetLogicalDriveStrings() {
  std::vector<std::string> roots;
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) roots.push_back(std::string(1, char('A' + i)) + ":\\");
  return roots;
}

DriveType GetDriveType(std::string_view root) {
  return static_cast<DriveType>(::GetDriveTypeA(Z(root).c_str()));
}

bool GetDiskFreeSpace(std::string_view root, std::uint64_t* freeBytes, std::uint64_t* totalBytes) {
  ULARGE_INTEGER available, total;
  if (!Report(::GetDiskFreeSpaceExA(Z(root).c_str(), &available, &total, nullptr) != FALSE))
    return false;
  if (freeBytes) *freeBytes = available.QuadPart;
  if (totalBytes) *totalBytes = total.QuadPart;
  return true;
}

std::string GetCurrentDirectory() {
  return win32::GrowingText([](char* b, DWORD n) { return ::GetCurrentDirectoryA(n, b); });
}

bool SetCurrentDirectory(std::string_view path) {
  return Report(::SetCurrentDirectoryA(Z(path).c_str()) != FALSE);
}

std::string GetModuleFileName() {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      return name;
    }
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
}

// Windows paths are the host's own.
std::string HostPathOf(std::string_view winPath) {
  if (winPath.empty()) return {};
  std::string full(MAX_PATH, '\0');
  DWORD n =
      ::GetFullPathNameA(Z(winPath).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = ::GetFullPathNameA(Z(winPath).c_str(), n, full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return {};
  full.resize(n);
  return full;
}

// Windows runs a program by its name: no mark is needed.
bool MarkIfHostProgram(std::string_view path) { return FileOrFolderExists(path); }
bool MarkIfHostProgram(FileHandle h) { return h != kInvalidHandle; }
bool MarkIfHostProgram(FileHandle h, const std::uint8_t*, std::size_t) {
  return h != kInvalidHandle;
}

}  // namespace vx
