#include "extract/win32/WindowSnapshots.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vx::extract {

namespace {

constexpr int kOrderDigits = 4;

bool SaveWindowPicture(HWND, const std::string&) { return false; }  // TODO: capture

}  // namespace

WindowSnapshots::WindowSnapshots(std::string folder) {
  if (folder.empty()) return;
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
    const char* name = found.cFileName;
    int n = 0, digits = 0;
    for (; digits < kOrderDigits && name[digits] >= '0' && name[digits] <= '9'; ++digits)
      n = n * 10 + (name[digits] - '0');
    if (digits == kOrderDigits && n > highest) highest = n;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return highest + 1;
}

void WindowSnapshots::Take(HWND window, const std::string& kind) {
  if (folder_.empty() || !IsWindowVisible(window)) return;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%0*d-", kOrderDigits, NextOrder());
  std::string name = prefix + kind + ".png";
  if (!SaveWindowPicture(window, folder_ + name))
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot write %s\n", name.c_str());
}

}  // namespace vx::extract
