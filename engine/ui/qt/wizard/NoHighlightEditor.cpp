#include "engine/ui/qt/wizard/NoHighlightEditor.h"

#include <QTextCursor>

namespace vx {

CNoHighlightEditor::CNoHighlightEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Tab moves on to the next control instead of being typed.
  setTabChangesFocus(true);
}

void CNoHighlightEditor::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  QTextCursor c = textCursor();
  c.setPosition(0);
  setTextCursor(c);
}

}  // namespace vx
