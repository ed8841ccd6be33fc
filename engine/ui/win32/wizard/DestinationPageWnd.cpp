#include <algorithm>

#include "engine/base/Texts.h"
#include "engine/ui/MessageBox.h"
#include "engine/ui/DestinationView.h"
#include "engine/ui/Ui.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

namespace {

void SetCell(HWND table, int row, int column, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(table, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void CWZSelectDestination::Initialise() {
  SetStaticText(kCtlPagePrompt, LoadText(TextId::DestinationPrompt));
  HWND table = Control(kCtlDriveTable);
  ListView_SetExtendedListViewStyle(table, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  RECT client;
  GetClientRect(table, &client);
  for (int c = 0; c < kDriveColumnCount; ++c) {
    std::wstring title = Wide(kDriveColumnTitles[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = c == kDriveColumn ? LVCFMT_LEFT : LVCFMT_RIGHT;
    column.cx = DriveColumnWidth(c, client.right);
    column.pszText = title.data();
    SendMessageW(table, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(&column));
  }
  if (!logic_.Initialise()) {
    ShowMessage(kTooManyDestinationsText, kMbOk | kMbIconStop);
    for (int n = 0; n < kRows; ++n)
      for (int id : {LabelId(n), DrivesId(n), FolderId(n)}) Show(id, false);
    return;
  }
  for (int n = 0; n < kRows; ++n) {
    const bool used = n < static_cast<int>(logic_.rows.size());
    for (int id : {LabelId(n), DrivesId(n), FolderId(n)}) Show(id, used);
    if (!used) continue;
    const DestinationPage::Row& r = logic_.rows[static_cast<std::size_t>(n)];
    SetStaticText(LabelId(n), r.label);
    HWND drives = Control(DrivesId(n));
    for (const std::string& d : logic_.drives)
      SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(d).c_str()));
    const std::wstring drive = Wide(r.drive);
    SendMessageW(drives, CB_SETCURSEL,
                 r.drive.empty() ? static_cast<WPARAM>(-1)
                                 : SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(drive.c_str())),
                 0);
    SetText(FolderId(n), r.directory);
    EnableWindow(drives, r.editable);
    EnableWindow(Control(FolderId(n)), r.editable);
  }
  for (std::size_t i = 0; i < logic_.table.size(); ++i) {
    const auto cells = DriveCells(logic_.table[i]);
    std::wstring drive = Wide(cells[kDriveColumn]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = drive.data();
    SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = kCapacityColumn; c < kDriveColumnCount; ++c)
      SetCell(table, static_cast<int>(i), c, cells[static_cast<std::size_t>(c)]);
  }
}

void CWZSelectDestination::Activate() {
  logic_.Activate();
  ShowRequired();
}

void CWZSelectDestination::Command(int id, int code) {
  // A drive picked in any row rewrites the paths and recomputes the table.
  const int row = (id - kCtlDestinationDrives) / kCtlDestinationRowStride;
  if (code != CBN_SELCHANGE || row < 0 || row >= static_cast<int>(logic_.rows.size()) ||
      id != DrivesId(row))
    return;
  ReadRows();
  logic_.ChangeDrive(static_cast<std::size_t>(row),
                     logic_.rows[static_cast<std::size_t>(row)].drive);
  ShowRequired();
}

void CWZSelectDestination::ReadRows() {
  for (std::size_t n = 0; n < logic_.rows.size() && n < kRows; ++n) {
    const int row = static_cast<int>(n);
    HWND drives = Control(DrivesId(row));
    LRESULT at = SendMessageW(drives, CB_GETCURSEL, 0, 0);
    std::wstring drive;
    if (at != CB_ERR) {
      LRESULT length = SendMessageW(drives, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
      drive.assign(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
      SendMessageW(drives, CB_GETLBTEXT, static_cast<WPARAM>(at),
                   reinterpret_cast<LPARAM>(drive.data()));
      drive.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    }
    logic_.rows[n].drive = Narrow(drive);
    logic_.rows[n].directory = Text(FolderId(row));
  }
}

void CWZSelectDestination::ShowRequired() {
  HWND table = Control(kCtlDriveTable);
  for (std::size_t i = 0; i < logic_.table.size(); ++i)
    SetCell(table, static_cast<int>(i), kRequiredColumn, RequiredCell(logic_.table[i]));
}

PageNext CWZSelectDestination::Next() {
  ReadRows();
  const std::string refusal = TakeNext(logic_);
  if (refusal.empty()) return PageNext::Proceed;
  ShowMessage(refusal, kMbOk | kMbIconExclamation);
  return PageNext::Stay;
}

}  // namespace vx::win32
