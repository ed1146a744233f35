// A multi-line edit of plain text.
#include "widgets/memo.h"

#include <QTextBlock>

namespace quorvane {

TMemo::TMemo(QWidget* parent, const QString& name, const QRect& rect) : TControl<QPlainTextEdit>(parent) {
  PlaceControl(this, name, rect);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(true);
}

void TMemo::selectLine(int line) {
  const QTextBlock block = document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  ensureCursorVisible();
  setFocus(Qt::OtherFocusReason);
}

QString TMemo::selectedText() const { return textCursor().selectedText(); }

}  // namespace quorvane
