#include "extract/win32/WindowSnapshots.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/ui/SnapshotName.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shlobj.h>

namespace vx::extract {

WindowSnapshots::WindowSnapshots(std::string folder) {
  if (folder.empty()) return;
  // The installer runs in another folder: the name is made whole here.
  std::vector<char> full(MAX_PATH * 4);
  DWORD n = GetFullPathNameA(folder.c_str(), DWORD(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) {
    std::fprintf(stderr, "VX_SNAPSHOTS: %s is no folder name; no pictures are saved\n",
                 folder.c_str());
    return;
  }
  std::string path(full.data(), n);
  int made = SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot create %s; no pictures are saved\n", path.c_str());
    return;
  }
  if (path.back() != '\\') path += '\\';
  folder_ = std::move(path);
}

int WindowSnapshots::NextOrder() const {
  int highest = 0;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder_ + "*.png").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 1;
  do {
    highest = std::max(highest, SnapshotOrderOf(found.cFileName));
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return highest + 1;
}

void WindowSnapshots::Take(void* window, const std::string& kind, WindowPart part) {
  if (folder_.empty() || !IsWindowVisible(static_cast<HWND>(window))) return;
  std::string name = SnapshotFileName(NextOrder(), kind, "");
  const std::string path = folder_ + name;
  if (!SaveWindowPicture(window, path, part))
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot write %s\n", name.c_str());
}

}  // namespace vx::extract
