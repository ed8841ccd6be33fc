// A read-only, multi-line text with a vertical scroll bar whose text never shows
// highlighted: taking the focus leaves an empty selection at the start.
#pragma once
#include <QPlainTextEdit>

namespace vx {

class CNoHighlightEditor : public QPlainTextEdit {
 public:
  explicit CNoHighlightEditor(QWidget* parent);

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

}  // namespace vx
