#include "engine/base/PathOps.h"

#include "platform/Files.h"
#include "platform/Trim.h"

namespace vx {

std::string Trim(std::string_view s) { return std::string(TrimWhiteSpace(s)); }

std::string EnsureTrailingBackslash(std::string_view path) {
  if (path.empty()) return {};
  std::string out = Trim(path);
  // A text of blanks only has nothing to end; leave it empty rather than make it "\".
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

std::string FolderOfPath(std::string_view path) {
  std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return EnsureTrailingBackslash(path.substr(0, slash + 1));
}

std::string FileNameOfPath(std::string_view path) {
  std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  std::string ext;
  if (extension.empty() || extension.front() != '.') ext = ".";
  ext += extension;
  std::size_t dot = path.rfind('.');
  std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
  return out + ext;
}

bool FileExists(std::string_view path) {
  if (path.empty()) return false;
  std::uint32_t attributes = GetFileAttributes(path);
  if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return false;
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  CloseHandle(h);
  return true;
}

}  // namespace vx
