#include "engine/ui/win32/wizard/ItemListWnd.h"

#include "engine/ui/ControlIds.h"

namespace vx::win32 {

namespace {
// State images, 1-based as the list view counts them.
enum : int { kOff = 1, kOn = 2, kOffLocked = 3, kOnLocked = 4 };
const COLORREF kHighlight = RGB(0, 0, 255);
const COLORREF kPlain = RGB(0, 0, 0);
}  // namespace

CItemListWnd::~CItemListWnd() { Destroy(); }

void CItemListWnd::Destroy() {
  if (list_) DestroyWindow(list_);
  list_ = nullptr;
  if (images_) ImageList_Destroy(images_);
  images_ = nullptr;
  rows_.clear();
}

void CItemListWnd::Create(HWND page, HWND place, int id, Mode mode,
                          const std::vector<Item>& items) {
  Destroy();
  mode_ = mode;
  highlighted_ = kCtlItemLabelBase;
  RECT r;
  GetWindowRect(place, &r);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LVS_REPORT | LVS_NOCOLUMNHEADER |
                LVS_SINGLESEL | LVS_SHOWSELALWAYS;
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, r.left, r.top,
                          r.right - r.left, r.bottom - r.top, page,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  // Tabbing reaches the list where its place stands among the page's controls.
  SetWindowPos(list_, place, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(list_, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  MakeImages();
  RECT client;
  GetClientRect(list_, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  // The whole width but the scroll bar's, which a long list shows.
  column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  for (std::size_t i = 0; i < items.size(); ++i) {
    rows_.push_back({items[i].enabled, mode == Mode::Check && items[i].checked});
    std::wstring text = Wide(items[i].text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ShowState(static_cast<int>(i));
  }
  // The names take the width the scroll bar leaves.
  ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE_USEHEADER);
  if (mode == Mode::Radio && !rows_.empty()) Choose(0);
}

void CItemListWnd::MakeImages() {
  // The boxes as tall as the list's text, drawn by the system at that size.
  HDC screen = GetDC(list_);
  HGDIOBJ oldFont =
      SelectObject(screen, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(screen, &tm);
  SelectObject(screen, oldFont);
  const int box = std::max<int>(tm.tmHeight, GetSystemMetrics(SM_CXMENUCHECK));
  const int size = box + 2;
  images_ = ImageList_Create(size, size, ILC_COLOR32, 4, 0);
  HDC dc = CreateCompatibleDC(screen);
  const UINT kind = mode_ == Mode::Radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  const UINT looks[] = {kind, kind | DFCS_CHECKED, kind | DFCS_INACTIVE,
                        kind | DFCS_CHECKED | DFCS_INACTIVE};
  for (UINT look : looks) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    RECT mark{1, 1, 1 + box, 1 + box};
    DrawFrameControl(dc, &mark, DFC_BUTTON, look | DFCS_FLAT);
    SelectObject(dc, old);
    ImageList_Add(images_, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(list_, screen);
  ListView_SetImageList(list_, images_, LVSIL_STATE);
}

bool CItemListWnd::Checked(int row) const {
  return row >= 0 && row < RowCount() && rows_[static_cast<std::size_t>(row)].checked;
}

bool CItemListWnd::Enabled(int row) const {
  return row >= 0 && row < RowCount() && rows_[static_cast<std::size_t>(row)].enabled;
}

void CItemListWnd::SetRowEnabled(int row, bool enabled) {
  if (row < 0 || row >= RowCount()) return;
  rows_[static_cast<std::size_t>(row)].enabled = enabled;
  ShowState(row);
}

void CItemListWnd::ShowState(int row) {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  int image = r.enabled ? (r.checked ? kOn : kOff) : (r.checked ? kOnLocked : kOffLocked);
  ListView_SetItemState(list_, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

void CItemListWnd::Toggle(int row) {
  if (!Enabled(row)) return;
  rows_[static_cast<std::size_t>(row)].checked = !rows_[static_cast<std::size_t>(row)].checked;
  ShowState(row);
  Clicked(row);
}

void CItemListWnd::Choose(int row) {
  if (row < 0 || row >= RowCount() || choosing_) return;
  choosing_ = true;
  for (int i = 0; i < RowCount(); ++i) {
    rows_[static_cast<std::size_t>(i)].checked = i == row;
    ShowState(i);
  }
  ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
  choosing_ = false;
  Clicked(row);
}

void CItemListWnd::Clicked(int id) {
  const int before = highlighted_;
  highlighted_ = id < kCtlItemLabelBase ? id + kCtlItemLabelBase : id;
  // Only the rows that lose and take the highlight are drawn again.
  for (int label : {before, highlighted_}) {
    int row = label - kCtlItemLabelBase;
    if (row >= 0 && row < RowCount()) ListView_RedrawItems(list_, row, row);
  }
  if (onCommand) onCommand(id);
}

bool CItemListWnd::Notify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case NM_CLICK:
    case NM_DBLCLK: {
      auto& click = reinterpret_cast<NMITEMACTIVATE&>(header);
      LVHITTESTINFO hit{};
      hit.pt = click.ptAction;
      int row = ListView_SubItemHitTest(list_, &hit);
      if (row < 0) return false;
      if (mode_ == Mode::Radio)
        Choose(row);
      else if (hit.flags & LVHT_ONITEMSTATEICON)
        Toggle(row);
      else
        Clicked(kCtlItemLabelBase + row);
      result = 0;
      return true;
    }
    case LVN_KEYDOWN: {
      auto& key = reinterpret_cast<NMLVKEYDOWN&>(header);
      if (key.wVKey != VK_SPACE || mode_ != Mode::Check) return false;
      Toggle(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      // Arrow keys walk the install types as they walk a group of radio buttons.
      auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if (mode_ == Mode::Radio && (change.uChanged & LVIF_STATE) &&
          (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) &&
          !Checked(change.iItem))
        Choose(change.iItem);
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || mode_ != Mode::Check) return false;
      // A component's name is blue once clicked, black otherwise; the selection bar would
      // hide that, so check mode shows only the focus.
      const int row = static_cast<int>(draw.nmcd.dwItemSpec);
      draw.nmcd.uItemState &= ~CDIS_SELECTED;
      draw.clrText = kCtlItemLabelBase + row == highlighted_ ? kHighlight : kPlain;
      draw.clrTextBk = GetSysColor(COLOR_WINDOW);
      result = CDRF_NEWFONT;
      return true;
    }
  }
  return false;
}

}  // namespace vx::win32
