// A multi-line edit of plain text.
#pragma once

#include <QPlainTextEdit>

#include "widgets/control.h"

namespace quorvane {

// A multi-line edit of plain text without word wrap, one item a line.
class TMemo : public TControl<QPlainTextEdit> {
  Q_OBJECT
  Q_PROPERTY(QString Text READ toPlainText WRITE setPlainText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TMemo(QWidget* parent, const QString& name, const QRect& place);
  // Selects the whole of line `line` (1-based, as a list's error reports count), scrolls it into view and
  // gives the edit the focus.
  void selectLine(int line);
  // The selected text, for tests and screen readers.
  QString selectedText() const;
};

}  // namespace quorvane
