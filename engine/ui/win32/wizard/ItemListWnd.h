// The item list of the install type and component pages as a list view: one row per item,
// with a radio mark (install types) or a check box (components) drawn at the screen's
// resolution, rows as tall as the font needs. A click on a row's box reports the row's id,
// a click on its name the label id kCtlItemLabelBase plus the row, as to the owning page.
#pragma once
#include "engine/ui/win32/Win32Api.h"

#include <functional>
#include <string>
#include <vector>

namespace vx::win32 {

class CItemListWnd {
 public:
  enum class Mode { Radio, Check };
  struct Item {
    std::string text;
    bool enabled = true;
    bool checked = false;
  };

  CItemListWnd() = default;
  ~CItemListWnd();
  CItemListWnd(const CItemListWnd&) = delete;
  CItemListWnd& operator=(const CItemListWnd&) = delete;

  // Makes the list over the rectangle of `place` on `page`, with the page's font, and fills
  // it. In radio mode row 0 starts chosen and is reported at once.
  void Create(HWND page, HWND place, int id, Mode mode, const std::vector<Item>& items);
  void Destroy();
  HWND Hwnd() const { return list_; }

  int RowCount() const { return static_cast<int>(rows_.size()); }
  bool Checked(int row) const;
  bool Enabled(int row) const;
  void SetRowEnabled(int row, bool enabled);
  int HighlightedId() const { return highlighted_; }
  // The owner's command: box (or radio) i, or label kCtlItemLabelBase + i.
  std::function<void(int id)> onCommand;

  // The list's WM_NOTIFY (forwarded by the page); true when it set `result`.
  bool Notify(NMHDR& header, LRESULT& result);

 private:
  void MakeImages();
  void ShowState(int row);
  void Toggle(int row);  // a click on the box, or Space
  void Choose(int row);  // radio mode
  void Clicked(int id);

  struct Row {
    bool enabled = true;
    bool checked = false;
  };
  HWND list_ = nullptr;
  HIMAGELIST images_ = nullptr;
  Mode mode_ = Mode::Check;
  std::vector<Row> rows_;
  int highlighted_ = 0;
  bool choosing_ = false;
};

}  // namespace vx::win32
