// An edit with its label on its left.
#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>

#include "widgets/control.h"
#include "widgets/label.h"

namespace quorvane {

// An edit with its label on its left, the label's right edge three pixels before the edit.
//
// It selects its whole text when it receives the focus from the keyboard (Tab, Shift+Tab, an access key)
// and when its window first becomes active with the focus in it: what is typed then replaces the text. A
// click places the caret as usual, a window that comes back to the front keeps the caret where it was, and
// a focus that the program sets leaves the selection to the program.
class TLabeledEdit : public TControl<QLineEdit> {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(QObject* EditLabel READ editLabel)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  TLabel* editLabel() const { return m_label; }

  // Sees every text pasted into the edit (Ctrl+V, Shift+Insert, the context menu, the middle button's
  // selection on X11, a drop) before it is inserted; a paste for which it returns true is taken by it and
  // inserts nothing. Typing never reaches it.
  void setPasteFilter(std::function<bool(const QString& text)> filter) { m_pasteFilter = std::move(filter); }

 protected:
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void placeLabel();
  // True when the filter took the text.
  bool filtered(const QString& text) const { return m_pasteFilter && m_pasteFilter(text); }
  TLabel* m_label;
  std::function<bool(const QString&)> m_pasteFilter;
  bool m_hadFocus = false;
};

}  // namespace quorvane
