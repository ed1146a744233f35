// An edit with its label on its left.
#include "widgets/labelededit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace quorvane {

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QLineEdit>(parent),
      m_label(new TLabel(parent, name + QStringLiteral("Label"), caption, QRect())) {
  PlaceControl(this, name, rect);
  m_label->setBuddy(this);
  m_label->installEventFilter(this);
  connect(m_label, &TLabel::captionChanged, this, &TLabeledEdit::placeLabel);
  placeLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  placeLabel();
}

bool TLabeledEdit::eventFilter(QObject* watched, QEvent* event) {
  // A new font changes the label's width; keep its right edge beside the edit.
  if (watched == m_label && event->type() == QEvent::FontChange) placeLabel();
  return QLineEdit::eventFilter(watched, event);
}

void TLabeledEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  const bool first = !m_hadFocus;
  m_hadFocus = true;
  switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
      selectAll();
      break;
    case Qt::ActiveWindowFocusReason:
      if (first) selectAll();
      break;
    default:
      break;
  }
}

void TLabeledEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly() &&
      filtered(QGuiApplication::clipboard()->text(QClipboard::Clipboard))) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TLabeledEdit::mouseReleaseEvent(QMouseEvent* event) {
  // On X11 the middle button pastes the selection, as the line edit would.
  if (event->button() == Qt::MiddleButton && !isReadOnly() &&
      QGuiApplication::clipboard()->supportsSelection() &&
      filtered(QGuiApplication::clipboard()->text(QClipboard::Selection))) {
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TLabeledEdit::contextMenuEvent(QContextMenuEvent* event) {
  QPointer<QMenu> menu = createStandardContextMenu();
  if (!menu) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The menu's Paste goes through the filter too; what the filter leaves is pasted as the line edit does.
  // The line edit names its items by their text only: Paste is the one with its caption, shortcut or not.
  const QString caption = QCoreApplication::translate("QLineEdit", "&Paste");
  for (QAction* item : menu->actions()) {
    if (item->text() != caption && !item->text().startsWith(caption + QLatin1Char('\t'))) continue;
    disconnect(item, &QAction::triggered, nullptr, nullptr);
    connect(item, &QAction::triggered, this, [this] {
      if (!filtered(QGuiApplication::clipboard()->text(QClipboard::Clipboard))) paste();
    });
  }
  menu->popup(event->globalPos());
}

void TLabeledEdit::dropEvent(QDropEvent* event) {
  if (!isReadOnly() && event->mimeData()->hasText() && filtered(event->mimeData()->text())) {
    event->acceptProposedAction();
    return;
  }
  QLineEdit::dropEvent(event);
}

void TLabeledEdit::placeLabel() {
  constexpr int kSpacing = 3;
  const int width = m_label->sizeHint().width();
  m_label->setGeometry(x() - kSpacing - width, y(), width, height());
  m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace quorvane
