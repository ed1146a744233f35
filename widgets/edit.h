// The read-only result field of the forms, and the button-face colours it is drawn on.
#pragma once

#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "widgets/control.h"

namespace quorvane {

// Read-only fields are drawn on the button face, as the palette of the desktop defines it. Sets nothing when
// the palette has it already, so that the palette change it causes ends there.
void UseButtonFace(QWidget* control);

// A read-only result field: one line of text in an edit's frame, drawn on the button-face colour, never a
// Tab stop. Its text can be selected with the mouse (drag, double-click for a word: what blanks separate, a
// whole address; triple-click for all)
// or the keyboard (Shift with the arrows, Home, End; Ctrl+A) and copied (Ctrl+C, the context menu; on X11
// a mouse selection is also the primary selection). Writing a text only stores it and asks for a repaint:
// the text is laid out when the field is drawn, so a calculation that rewrites seventeen fields lays out
// each of them once per frame at most, and not at all while the window is hidden.
class TEdit : public TControl<QWidget> {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText NOTIFY textChanged)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TEdit(QWidget* parent, const QString& name, const QRect& place);
  ~TEdit() override;

  QString text() const { return m_text; }
  void setText(const QString& text);
  void clear() { setText(QString()); }
  // Nothing the keyboard, the mouse or a paste does changes the text; only the program writes it.
  bool isReadOnly() const { return true; }

  QString selectedText() const;
  bool hasSelectedText() const { return m_anchor != m_cursor; }
  void selectAll();
  void deselect();
  // Places the cursor (kept within the text); with `extend` the selection runs from its anchor to there.
  void setCursorPosition(int position, bool extend = false);
  int cursorPosition() const { return m_cursor; }
  // The selection's start and length; -1 and 0 without one.
  int selectionStart() const { return hasSelectedText() ? std::min(m_anchor, m_cursor) : -1; }
  int selectionLength() const { return std::abs(m_cursor - m_anchor); }
  // Puts the selected text on the clipboard; nothing happens without a selection.
  void copy() const;

  // For a value in binary: the digits of its first `networkBits` bits are drawn in the network colour and
  // the others in the host colour (BinaryBitColours); a dot goes with the bit before it. -1, the default,
  // draws the whole text in the text colour. Only the drawing changes: the text, its selection (drawn in
  // the selection colours) and what is copied stay as they are.
  void setBitBoundary(int networkBits);
  int bitBoundary() const { return m_bitBoundary; }

  // The text area inside the frame, and where a position of the text is drawn in it (widget coordinates).
  QRect textArea() const;
  int positionAt(const QPoint& point) const;
  QRect cursorRect(int position) const;

  QSize sizeHint() const override;

 Q_SIGNALS:
  void textChanged(const QString& text);
  void selectionChanged();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class Layout;
  const Layout& layout() const;
  void invalidateLayout();
  void select(int anchor, int cursor);
  void keepCursorInView();
  void publishSelection() const;
  int wordStart(int position) const;
  int wordEnd(int position) const;
  int nextWord(int position) const;
  int previousWord(int position) const;

  QString m_text;
  int m_anchor = 0;
  int m_cursor = 0;
  int m_scroll = 0;  // how far the text is scrolled to the left, in pixels
  int m_bitBoundary = -1;
  bool m_dragging = false;
  qint64 m_doubleClickTime = 0;  // when the last double-click came, for a triple-click
  QPoint m_doubleClickPoint;
  mutable std::unique_ptr<Layout> m_layout;
};

}  // namespace quorvane
