#include "engine/base/FolderContent.h"

#include <vector>

#include "platform/Files.h"

namespace vx {

namespace {

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// Names in the folder but "." and "..", with their attributes.
std::vector<FindData> Entries(const std::string& folder) {
  std::vector<FindData> out;
  FindData d;
  FindHandle h = FindFirstFile(WithBackslash(folder) + "*", &d);
  if (h == kInvalidFind) return out;
  do {
    if (d.name != "." && d.name != "..") out.push_back(d);
  } while (FindNextFile(h, &d));
  FindClose(h);
  return out;
}

}  // namespace

bool FolderHasEntries(const std::string& folder) {
  if (folder.empty()) return false;
  return !Entries(folder).empty();
}

void RemoveEmptyFolders(const std::string& folder) {
  if (folder.empty()) return;
  for (const FindData& e : Entries(folder)) {
    const bool realFolder = (e.attributes & kAttrDirectory) && !(e.attributes & kAttrReparsePoint);
    if (realFolder) RemoveEmptyFolders(WithBackslash(folder) + e.name);
  }
  if (Entries(folder).empty()) RemoveDirectory(folder);
}

}  // namespace vx
