// Pictures on Windows: the picture service's drawing scaled with the screen, and the pictures
// of windows read from what each window drew. Needs a display: run by win32-e2e.sh.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/ui/win32/GdiDeviceContext.h"
#include "platform/WindowPicture.h"

namespace vx::win32 {
namespace {

namespace fs = std::filesystem;

constexpr COLORREF kRed = RGB(0xFF, 0, 0), kGreen = RGB(0, 0xFF, 0), kBlue = RGB(0, 0, 0xFF);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// A 32-bit top-down canvas of `width` by `height`, white.
struct Canvas {
  Canvas(int width, int height) : width(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const std::uint32_t p = bits[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int width;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  std::uint32_t* bits = nullptr;
};

TEST(Win32Pictures, AtTwiceTheScaleEveryPicturePixelBecomesFourWithoutBlur) {
  // Two pixels, red then blue, bottom-up rows of 24 bits padded to four bytes.
  BitmapInfoHeader header;
  header.biWidth = 2;
  header.biHeight = 1;
  const std::array<std::uint8_t, 8> bits{0, 0, 0xFF, 0xFF, 0, 0, 0, 0};
  Canvas canvas(8, 3);
  GdiDeviceContext dc(canvas.dc, 2 * kOrdinaryDpi);
  ASSERT_EQ(1, dc.SetDIBitsToDevice(1, 0, header, bits.data()));
  const COLORREF row[] = {kWhite, kWhite, kRed, kRed, kBlue, kBlue, kWhite, kWhite};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(row[x], canvas.At(x, y)) << x << "," << y;
  EXPECT_EQ(kWhite, canvas.At(2, 2));
  // Stretched, the rectangle is scaled too: 3 by 1 at (0, 1) covers 6 by 2 from (0, 2).
  Canvas stretched(8, 5);
  GdiDeviceContext big(stretched.dc, 2 * kOrdinaryDpi);
  big.SetStretchBltMode(kColorOnColor);
  big.StretchDIBits(0, 1, 3, 1, header, bits.data());
  EXPECT_EQ(kWhite, stretched.At(0, 1));
  EXPECT_EQ(kRed, stretched.At(0, 2));
  EXPECT_EQ(kBlue, stretched.At(5, 3));
  EXPECT_EQ(kWhite, stretched.At(6, 3));
}

// The pixel at (x, y) of a PNG as SaveWindowPicture writes it: one IDAT chunk, rows of
// filter 0 and red, green, blue.
COLORREF PngPixel(const fs::path& file, int x, int y) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> png{std::istreambuf_iterator<char>(in), {}};
  auto u32 = [&](std::size_t at) {
    return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
           std::uint32_t(png[at + 2]) << 8 | png[at + 3];
  };
  constexpr std::size_t kSignature = 8, kChunkHead = 8, kChunkTail = 4;
  const std::uint32_t width = u32(kSignature + kChunkHead), height = u32(kSignature + 12);
  for (std::size_t at = kSignature; at + kChunkHead <= png.size();) {
    const std::uint32_t length = u32(at);
    if (at + kChunkHead + length > png.size()) break;
    if (std::equal(png.begin() + std::ptrdiff_t(at + 4), png.begin() + std::ptrdiff_t(at + 8),
                   "IDAT")) {
      const std::size_t stride = 1 + 3 * std::size_t(width);
      std::vector<std::uint8_t> rows(stride * height);
      uLongf size = uLongf(rows.size());
      if (uncompress(rows.data(), &size, &png[at + kChunkHead], length) != Z_OK) break;
      const std::uint8_t* p = &rows[std::size_t(y) * stride + 1 + 3 * std::size_t(x)];
      return RGB(p[0], p[1], p[2]);
    }
    at += kChunkHead + length + kChunkTail;
  }
  ADD_FAILURE() << "no picture in " << file;
  return CLR_INVALID;
}

// Each window paints itself in the colour it keeps in its user data.
LRESULT CALLBACK SolidProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_ERASEBKGND) return DefWindowProcW(window, message, w, l);
  HBRUSH brush = CreateSolidBrush(COLORREF(GetWindowLongPtrW(window, GWLP_USERDATA)));
  RECT r;
  GetClientRect(window, &r);
  FillRect(reinterpret_cast<HDC>(w), &r, brush);
  DeleteObject(brush);
  return 1;
}

HWND SolidWindow(COLORREF colour, HWND owner, int x, int y, int w, int h) {
  static const wchar_t kClass[] = L"VxPictureTest";
  static const bool registered = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = SolidProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = kClass;
    return RegisterClassW(&c) != 0;
  }();
  static_cast<void>(registered);
  HWND window = CreateWindowExW(0, kClass, L"", WS_POPUP, x, y, w, h, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(colour));
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

TEST(Win32Pictures, AWindowsPictureHoldsWhatItDrewAndThisProgramsWindowsOverIt) {
  HWND below = SolidWindow(kRed, nullptr, 10, 10, 100, 60);
  HWND over = SolidWindow(kGreen, below, 30, 30, 40, 20);
  ASSERT_TRUE(below && over);
  const fs::path file = fs::temp_directory_path() / "vx-window-picture.png";
  ASSERT_TRUE(SaveWindowPicture(below, file.string()));
  EXPECT_EQ(kRed, PngPixel(file, 5, 5));
  EXPECT_EQ(kGreen, PngPixel(file, 25, 25));
  EXPECT_EQ(kRed, PngPixel(file, 65, 45));  // past the green window's corner
  // The client area alone leaves the windows over it out.
  ASSERT_TRUE(SaveWindowPicture(over, file.string(), WindowPart::Client));
  EXPECT_EQ(kGreen, PngPixel(file, 0, 0));
  DestroyWindow(over);
  DestroyWindow(below);
  fs::remove(file);
}

}  // namespace
}  // namespace vx::win32
