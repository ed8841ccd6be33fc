#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/Karvo.h"
#include "platform/Trim.h"
#include "platform/Files.h"
#include "platform/WinPath.h"

KARVO_API int CreateDirectoryAtOnce(const char* path) {
  if (path == nullptr) return 1;
  std::string_view rest(path);
  // The first component is the root (a drive, or empty before a leading backslash) and is
  // never created; the folders run left to right up to the first empty component.
  std::size_t cut = rest.find('\\');
  std::string built(vx::TrimWhiteSpace(rest.substr(0, cut)));
  std::vector<std::string> folders;
  while (cut != std::string_view::npos) {
    rest.remove_prefix(cut + 1);
    cut = rest.find('\\');
    std::string_view component = vx::TrimWhiteSpace(rest.substr(0, cut));
    if (component.empty()) break;
    built += '\\';
    built += component;
    folders.push_back(built);
  }
  // Made from the deepest one whose parent exists, which is nearly always the last: the
  // result is that of making each in turn, with one call where they are all there.
  std::size_t made = folders.size();
  while (made > 0 && !vx::CreateDirectory(folders[made - 1])) {
    const std::uint32_t error = vx::GetLastError();
    if (error == vx::kErrorAlreadyExists) break;
    if (error != vx::kErrorPathNotFound) return 0;
    --made;
  }
  if (made == 0 && !folders.empty()) return 0;
  for (; made < folders.size(); ++made) {
    if (!vx::CreateDirectory(folders[made]) && vx::GetLastError() != vx::kErrorAlreadyExists)
      return 0;
  }
  return 1;
}

namespace {

// Deeper than any real tree; a guard against a folder structure that never ends.
constexpr int kMaxDepth = 256;

struct Entry {
  std::string name;
  std::uint32_t attributes;
};

std::vector<Entry> ListCurrent(const std::string& current) {
  std::vector<Entry> entries;
  vx::FindData data;
  vx::FindHandle find = vx::FindFirstFile(vx::winpath::Join(current, "*.*"), &data);
  if (find == vx::kInvalidFind) return entries;
  do {
    entries.push_back({data.name, data.attributes});
  } while (vx::FindNextFile(find, &data));
  vx::FindClose(find);
  return entries;
}

bool IsLink(std::uint32_t attributes) { return (attributes & vx::kAttrReparsePoint) != 0; }
bool IsFolder(std::uint32_t attributes) {
  return (attributes & vx::kAttrDirectory) != 0 && !IsLink(attributes);
}

// Deletes the files of the current directory, then empties and removes each subfolder
// whose name does not begin with ".". A symbolic link is removed as a link and never
// entered, so nothing outside the tree is touched.
void EmptyCurrent(int depth) {
  const std::string current = vx::GetCurrentDirectory();
  const std::vector<Entry> entries = ListCurrent(current);
  for (const Entry& e : entries) {
    if (IsFolder(e.attributes)) continue;
    const std::string full = current + "\\" + e.name;
    if (!vx::DeleteFile(full) && IsLink(e.attributes)) vx::RemoveDirectory(full);
  }
  if (depth >= kMaxDepth) return;
  for (const Entry& e : entries) {
    if (!IsFolder(e.attributes) || e.name.empty() || e.name[0] == '.') continue;
    const std::string sub = vx::winpath::Join(current, e.name);
    if (!vx::SetCurrentDirectory(sub)) continue;
    EmptyCurrent(depth + 1);
    vx::SetCurrentDirectory(current);
    vx::RemoveDirectory(sub);
  }
}

}  // namespace

KARVO_API void DelTree(const char* folder, int removeFolder) {
  if (folder == nullptr || *folder == 0) return;
  // A folder that is itself a link would lead the walk out of the tree: leave it alone.
  const std::uint32_t attributes = vx::GetFileAttributes(folder);
  if (attributes != vx::kInvalidAttributes && IsLink(attributes)) return;
  const std::string saved = vx::GetCurrentDirectory();
  if (!vx::SetCurrentDirectory(folder)) return;
  // Removed by its full name: a relative name no longer means the same folder once the
  // walk has moved to its parent.
  const std::string full = vx::GetCurrentDirectory();
  EmptyCurrent(0);
  if (removeFolder) {
    const std::string parent(vx::winpath::Folder(full));
    if (!parent.empty()) vx::SetCurrentDirectory(parent);
    vx::RemoveDirectory(full);
  }
  vx::SetCurrentDirectory(saved);
}
