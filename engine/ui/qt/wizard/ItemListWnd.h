// The scrolling item list of the install type and component pages: one row of 20 pixels per
// item, radio buttons (install types) or check boxes with a label (components). A click on
// any row is passed on to the owning page as a command with the row's control id.
#pragma once
#include <QFrame>
#include <functional>
#include <string>
#include <vector>

#include "engine/ui/ControlIds.h"

class QAbstractButton;
class QLabel;
class QScrollBar;

namespace vx {

class CItemListWnd : public QFrame {
 public:
  enum class Mode { Radio, Check };
  enum class Scroll { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Other };
  struct Item {
    std::string text;
    bool enabled = true;
    bool checked = false;
  };
  static constexpr int kRowHeight = 20;
  static constexpr int kLabelBase = kCtlItemLabelBase;

  explicit CItemListWnd(QWidget* parent);

  // Builds the rows for the list's current size. In radio mode row 0 starts checked and is
  // reported to the owner at once, so that it learns the initial choice.
  void Fill(Mode mode, const std::vector<Item>& items);
  // The owner's command handler: check box / radio button i, or label kLabelBase + i.
  std::function<void(int id)> onCommand;

  // A scroll request as the scroll bar sends it; `thumb` is the new thumb value of a track.
  void ScrollRequest(Scroll request, int thumb = 0);

  int RowCount() const { return static_cast<int>(buttons_.size()); }
  int Position() const { return position_; }
  int Maximum() const { return maximum_; }
  int ClientHeight() const { return clientHeight_; }
  int HighlightedId() const { return highlighted_; }
  QScrollBar* ScrollBar() const { return bar_; }
  QAbstractButton* Button(int row) const;
  QLabel* Label(int row) const;  // check mode only
  bool Checked(int row) const;
  void SetRowEnabled(int row, bool enabled);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Clicked(int id);
  void MoveTo(int position);
  void BringIntoView(int row);
  void SyncBar();

  Mode mode_ = Mode::Check;
  QWidget* viewport_;
  QWidget* content_ = nullptr;
  QScrollBar* bar_;
  std::vector<QAbstractButton*> buttons_;
  std::vector<QLabel*> labels_;
  int clientHeight_ = 0;
  int maximum_ = 0;
  int position_ = 0;
  int highlighted_ = kLabelBase;
};

}  // namespace vx
