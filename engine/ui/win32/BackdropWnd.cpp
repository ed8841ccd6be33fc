#include "engine/ui/win32/BackdropWnd.h"

#include <algorithm>

#include "engine/base/MainEvents.h"
#include "engine/base/Texts.h"
#include "engine/ui/win32/Dialog.h"
#include "engine/ui/win32/Dialogs.h"
#include "engine/ui/win32/GdiDeviceContext.h"
#include "engine/ui/win32/ResourceIds.h"
#include "engine/ui/win32/UiThread.h"

namespace vx::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VxBackdrop";
constexpr int kDefaultDpi = 96;
constexpr int kSmallIcon = 16, kBigIcon = 32;
constexpr int kFaceChars = LF_FACESIZE - 1;
constexpr int kShadowOffset = 2;
// Sent when the window moved to a screen of another scale (Windows 8.1 and later).
constexpr UINT kMsgDpiChanged = 0x02E0;

void RegisterClassOnce() {
  static bool done = [] {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = DefWindowProcW;  // replaced per window once it is made
    c.hInstance = ResourceModule();
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    c.lpszClassName = kClassName;
    c.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    return RegisterClassExW(&c) != 0;
  }();
  static_cast<void>(done);
}

HFONT MakeFont(const FontSpec& font, int dpi) {
  LOGFONTW f{};
  // The script's heights are pixels at the ordinary scale; a scaled display keeps the
  // proportions of the picture.
  f.lfHeight = MulDiv(font.height, dpi, kDefaultDpi);
  f.lfWeight = font.weight;
  f.lfItalic = font.italic;
  f.lfUnderline = font.underline;
  f.lfStrikeOut = font.strikeOut;
  f.lfCharSet = font.charSet;
  f.lfOutPrecision = font.outPrecision;
  f.lfClipPrecision = font.clipPrecision;
  f.lfQuality = font.quality;
  f.lfPitchAndFamily = font.pitchAndFamily;
  std::wstring face = Wide(font.face).substr(0, kFaceChars);
  std::copy(face.begin(), face.end(), f.lfFaceName);
  return CreateFontIndirectW(&f);
}

void TextAt(HDC dc, int x, int y, const std::wstring& text, std::uint32_t colour) {
  SetTextColor(dc, RGB(RedOf(colour), GreenOf(colour), BlueOf(colour)));
  TextOutW(dc, x, y, text.c_str(), int(text.size()));
}

}  // namespace

CBackdropWnd::CBackdropWnd(Automation& automation) : automation_(automation) {
  ExpectInterfaceThread();
  RegisterClassOnce();
  hwnd_ = CreateWindowExW(0, kClassName, L"Vx Installer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                          ResourceModule(), nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
  bigIcon_ = ProgramIcon(MulDiv(kBigIcon, Dpi(), kDefaultDpi));
  smallIcon_ = ProgramIcon(MulDiv(kSmallIcon, Dpi(), kDefaultDpi));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  // The menu's texts come from the locale file.
  if (HMENU menu = LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(VX_IDR_MENU))) {
    auto popup = [&](int position, TextId text) {
      HMENU sub = GetSubMenu(menu, position);
      ModifyMenuW(menu, UINT(position), MF_BYPOSITION | MF_STRING | MF_POPUP,
                  reinterpret_cast<UINT_PTR>(sub), Wide(LoadText(text)).c_str());
    };
    popup(0, TextId::MenuFile);
    popup(1, TextId::MenuHelp);
    ModifyMenuW(menu, VX_ID_APP_EXIT, MF_BYCOMMAND | MF_STRING, VX_ID_APP_EXIT,
                Wide(LoadText(TextId::MenuExit)).c_str());
    ModifyMenuW(menu, VX_ID_APP_ABOUT, MF_BYCOMMAND | MF_STRING, VX_ID_APP_ABOUT,
                Wide(LoadText(TextId::MenuAbout)).c_str());
    SetMenu(hwnd_, menu);
  }
}

CBackdropWnd::~CBackdropWnd() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  FreeFonts();
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

int CBackdropWnd::Dpi() const {
  HDC dc = GetDC(hwnd_);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(hwnd_, dc);
  return dpi > 0 ? dpi : kDefaultDpi;
}

void CBackdropWnd::FreeFonts() {
  if (mainFont_) DeleteObject(mainFont_);
  if (subFont_) DeleteObject(subFont_);
  mainFont_ = subFont_ = nullptr;
}

void CBackdropWnd::MakeFonts() {
  FreeFonts();
  mainFont_ = MakeFont(layout_.main.font, Dpi());
  subFont_ = MakeFont(layout_.sub.font, Dpi());
}

void CBackdropWnd::ApplyLayout(const ScreenLayout& layout) {
  ExpectInterfaceThread();
  layout_ = layout;
  image_ = layout.image;
  if (hwnd_ == nullptr || layout.style2 == 2) return;  // no backdrop at all
  if (layout.style1 != 0)
    SetWindowLongW(hwnd_, GWL_STYLE, WS_POPUP | WS_VISIBLE);
  else
    SetText(hwnd_, layout.caption);
  Size2 size =
      BackdropSize(layout.style2, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(hwnd_, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_FRAMECHANGED);
  MakeFonts();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  automation_.SnapshotSoon(hwnd_, "backdrop");
}

int CBackdropWnd::SetBulletin(const std::string& image) {
  ExpectInterfaceThread();
  image_ = image;
  if (hwnd_ == nullptr) return 1;
  InvalidateRect(hwnd_, nullptr, TRUE);
  if (IsWindowVisible(hwnd_)) automation_.SnapshotSoon(hwnd_, "backdrop");
  return 1;
}

void CBackdropWnd::PlaceProgress(HWND progress) {
  RECT client;
  if (hwnd_ && IsWindowVisible(hwnd_)) {
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &client, 0);
  }
  RECT own;
  GetWindowRect(progress, &own);
  const int w = own.right - own.left, h = own.bottom - own.top;
  // First centred over the client area, then moved as the codes say.
  const int cx = client.left + (client.right - client.left - w) / 2;
  const int cy = client.top + (client.bottom - client.top - h) / 2;
  int x = ProgressEdge(layout_.progressX, cx, client.right, w);
  int y = ProgressEdge(layout_.progressY, cy, client.bottom, h);
  SetWindowPos(progress, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBackdropWnd::ShowAbout() { RunAboutBox(hwnd_, automation_); }

void CBackdropWnd::Paint(HDC dc, const RECT& client) {
  const int width = client.right, height = client.bottom;
  // Background: one line per row, the blue falling with the gradient; black paints nothing.
  if (PaintsBackground(layout_.background)) {
    for (int row = 0; row < height; ++row) {
      std::uint32_t c = RowColour(layout_.background, layout_.gradient, row, height);
      HPEN pen = CreatePen(PS_SOLID, 1, RGB(RedOf(c), GreenOf(c), BlueOf(c)));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, 0, row, nullptr);
      LineTo(dc, width, row);
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  }
  if (!image_.empty()) DrawPicture(dc, image_, client, unsigned(layout_.imageStyle), -1, Dpi());
  SetBkMode(dc, TRANSPARENT);
  int mainY = 0, mainHeight = 0;
  if (!layout_.main.text.empty()) {
    HGDIOBJ old = SelectObject(dc, mainFont_);
    TEXTMETRICW m;
    GetTextMetricsW(dc, &m);
    std::wstring text = Wide(layout_.main.text);
    int x = TitleX(layout_.main.xCode, width, int(text.size()), m.tmAveCharWidth);
    mainY = TitleY(layout_.main.yCode, height, m.tmHeight);
    mainHeight = m.tmHeight;
    TextAt(dc, x, mainY, text, kShadowColour);
    TextAt(dc, x + kShadowOffset, mainY + kShadowOffset, text, layout_.main.font.colour);
    SelectObject(dc, old);
  } else {
    // The sub title's place under the main title still follows the main font.
    HGDIOBJ old = SelectObject(dc, mainFont_);
    TEXTMETRICW m;
    GetTextMetricsW(dc, &m);
    mainY = TitleY(layout_.main.yCode, height, m.tmHeight);
    mainHeight = m.tmHeight;
    SelectObject(dc, old);
  }
  if (!layout_.sub.text.empty()) {
    HGDIOBJ old = SelectObject(dc, subFont_);
    TEXTMETRICW m;
    GetTextMetricsW(dc, &m);
    std::wstring text = Wide(layout_.sub.text);
    int x = TitleX(layout_.sub.xCode, width, int(text.size()), m.tmAveCharWidth);
    int y = SubTitleY(layout_.sub.yCode, layout_.main.yCode, mainY, mainHeight, height, m.tmHeight);
    TextAt(dc, x, y, text, layout_.sub.font.colour);
    SelectObject(dc, old);
  }
}

LRESULT CALLBACK CBackdropWnd::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CBackdropWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  return self->Handle(message, w, l);
}

LRESULT CBackdropWnd::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      // Drawn off screen first: the rows, the picture and the titles appear at once.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP canvas = CreateCompatibleBitmap(dc, std::max<int>(client.right, 1),
                                              std::max<int>(client.bottom, 1));
      HGDIOBJ old = SelectObject(memory, canvas);
      FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      Paint(memory, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteObject(canvas);
      DeleteDC(memory);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      if (LOWORD(w) == VX_ID_APP_EXIT) {
        if (onExit) onExit();
        return 0;
      }
      if (LOWORD(w) == VX_ID_APP_ABOUT) {
        ShowAbout();
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close box asks the quit question like Exit; the owner destroys the window.
      if (onExit) onExit();
      return 0;
    case kMsgDpiChanged:
      MakeFonts();
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case kMsgBeginSetup:
      Events().Post(MainMessage::BeginSetup);
      return 0;
    case kMsgRunUninstall:
      Events().Post(MainMessage::RunUninstall);
      return 0;
    case kMsgStartInstall:
      Events().Post(MainMessage::StartInstall);
      return 0;
    case kMsgSetBulletin:
      return l != 0 ? SetBulletin(reinterpret_cast<const char*>(l)) : 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace vx::win32
