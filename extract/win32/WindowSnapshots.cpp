#include "extract/win32/WindowSnapshots.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/ui/SnapshotName.h"
#include "platform/PngWrite.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shlobj.h>

namespace vx::extract {

namespace {

constexpr WORD kBitsPerPixel = 32;
constexpr std::size_t kBytesPerPixel = 4;

// What the window drew, from its own device context: unlike a copy of the screen it never
// catches a window whose drawing has not reached the screen yet. `whole`: frame included.
bool SaveWindowDrawing(HWND window, bool whole, const std::string& path) {
  RECT r;
  if (!(whole ? GetWindowRect(window, &r) : GetClientRect(window, &r))) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0 || width > kPngMaxSide || height > kPngMaxSide) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  bool ok = false;
  if (bitmap && memory) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC drawn = whole ? GetWindowDC(window) : GetDC(window);
    ok = drawn && BitBlt(memory, 0, 0, width, height, drawn, 0, 0, SRCCOPY) != 0;
    if (drawn) ReleaseDC(window, drawn);
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    const std::size_t stride = std::size_t(width) * kBytesPerPixel;
    std::vector<std::uint8_t> png =
        EncodePng(std::span(static_cast<const std::uint8_t*>(bits), stride * std::size_t(height)),
                  width, height, stride);
    ok = !png.empty() && WriteBytesToFile(path, png);
  }
  if (memory) DeleteDC(memory);
  if (bitmap) DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

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

void WindowSnapshots::Take(void* window, const std::string& kind, Source source) {
  if (folder_.empty() || !IsWindowVisible(static_cast<HWND>(window))) return;
  std::string name = SnapshotFileName(NextOrder(), kind, "");
  const std::string path = folder_ + name;
  if (!SaveWindowDrawing(static_cast<HWND>(window), source == Source::Window, path))
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot write %s\n", name.c_str());
}

}  // namespace vx::extract
