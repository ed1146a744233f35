// The read-only result field: its drawing, its selection and copying, and what it tells screen readers.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <limits>

#include "widgets/bitcolours.h"
#include "widgets/edit.h"

namespace quorvane {

// The text laid out on one line, made when the field is first drawn or measured after a change.
class TEdit::Layout {
 public:
  Layout(const QString& text, const QFont& font, const QPaintDevice* device) : m_layout(text, font, device) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    m_layout.setTextOption(option);
    m_layout.setCacheEnabled(true);
    m_layout.beginLayout();
    m_line = m_layout.createLine();
    m_line.setLineWidth(std::numeric_limits<int>::max() / 256);
    m_layout.endLayout();
  }

  const QTextLayout& layout() const { return m_layout; }
  int width() const { return qCeil(m_line.naturalTextWidth()); }
  int xOf(int position) const { return qRound(m_line.cursorToX(position)); }
  int positionAt(int x) const { return m_line.xToCursor(x, QTextLine::CursorBetweenCharacters); }
  // The neighbouring cursor positions, a whole character (with its marks) away.
  int previous(int position) const { return m_layout.previousCursorPosition(position); }
  int next(int position) const { return m_layout.nextCursorPosition(position); }

 private:
  QTextLayout m_layout;
  QTextLine m_line;
};

namespace {

// The edit's own margins inside the style's contents rectangle, as Qt's line edit keeps them.
constexpr int kHorizontalMargin = 2;
constexpr int kVerticalMargin = 1;

QStyleOptionFrame frameOption(const QWidget* field) {
  QStyleOptionFrame option;
  option.initFrom(field);
  option.rect = field->contentsRect();
  option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
  option.features = QStyleOptionFrame::None;
  return option;
}

// The style's frame of an edit, drawn once for every size, state and palette and copied from then on: the
// seventeen fields come in two sizes, and an antialiased frame costs more to draw than the text inside it.
QPixmap framePixmap(const QWidget* field) {
  const QStyleOptionFrame option = frameOption(field);
  const qreal ratio = field->devicePixelRatioF();
  QString key = QStringLiteral("quorvane.edit.%1.%2x%3.%4,%5,%6x%7.%8.%9.%10.")
                    .arg(field->style()->name())
                    .arg(field->width())
                    .arg(field->height())
                    .arg(option.rect.x())
                    .arg(option.rect.y())
                    .arg(option.rect.width())
                    .arg(option.rect.height())
                    .arg(ratio)
                    .arg(int(option.state))
                    .arg(option.lineWidth);
  // The colours themselves: two fields with equal palettes hold distinct palette objects.
  for (int role = 0; role < QPalette::NColorRoles; ++role)
    key += QString::number(option.palette.color(QPalette::ColorRole(role)).rgba(), 16) + QLatin1Char(',');
  QPixmap frame;
  if (QPixmapCache::find(key, &frame)) return frame;
  frame = QPixmap((QSizeF(field->size()) * ratio).toSize());
  frame.setDevicePixelRatio(ratio);
  frame.fill(Qt::transparent);
  {
    QPainter painter(&frame);
    field->style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, field);
  }
  QPixmapCache::insert(key, frame);
  return frame;
}

// The text position where the host bits of a binary value begin: after `networkBits` binary digits.
int hostBitsStart(const QString& text, int networkBits) {
  int digits = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'0' && text[i] != u'1') continue;
    if (digits++ == networkBits) return int(i);
  }
  return int(text.size());
}

// The context menu's entries use the line edit's own words, so that they read as in every other edit of
// the desktop, in its language.
QString withShortcut(const char* text, QKeySequence::StandardKey key) {
  QString entry = QCoreApplication::translate("QLineEdit", text);
  const QKeySequence sequence(key);
  if (!sequence.isEmpty()) entry += QLatin1Char('\t') + sequence.toString(QKeySequence::NativeText);
  return entry;
}

// What a screen reader learns of a result field: a read-only text it can read and select in.
class EditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit EditAccessible(TEdit* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

  TEdit* field() const { return static_cast<TEdit*>(widget()); }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return field()->text();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.editable = false;
    state.selectableText = true;
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !field()->hasSelectedText()) return;
    *start = field()->selectionStart();
    *end = *start + field()->selectionLength();
  }
  int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) field()->deselect();
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    field()->setCursorPosition(start);
    field()->setCursorPosition(end, true);
  }
  int cursorPosition() const override { return field()->cursorPosition(); }
  void setCursorPosition(int position) override { field()->setCursorPosition(position); }
  QString text(int start, int end) const override { return field()->text().mid(start, end - start); }
  int characterCount() const override { return int(field()->text().size()); }
  QRect characterRect(int offset) const override {
    const QRect rect = field()->cursorRect(offset);
    return QRect(field()->mapToGlobal(rect.topLeft()), rect.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return field()->positionAt(field()->mapFromGlobal(point));
  }
  void scrollToSubstring(int, int end) override {
    field()->setCursorPosition(end, field()->hasSelectedText());
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }
};

QAccessibleInterface* accessibleEdit(const QString& className, QObject* object) {
  if (className != QLatin1String(TEdit::staticMetaObject.className())) return nullptr;
  auto* field = qobject_cast<TEdit*>(object);
  return field ? new EditAccessible(field) : nullptr;
}

}  // namespace

void UseButtonFace(QWidget* control) {
  QPalette palette = control->palette();
  bool changed = false;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto& [role, face] :
         {std::pair{QPalette::Base, QPalette::Button}, std::pair{QPalette::Text, QPalette::ButtonText}}) {
      if (palette.brush(group, role) == palette.brush(group, face)) continue;
      palette.setBrush(group, role, palette.brush(group, face));
      changed = true;
    }
  }
  if (changed) control->setPalette(palette);
}

TEdit::TEdit(QWidget* parent, const QString& name, const QRect& rect) : TControl<QWidget>(parent) {
  static const bool accessible = [] {
    QAccessible::installFactory(accessibleEdit);
    return true;
  }();
  (void)accessible;
  setObjectName(name);
  setGeometry(rect);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setCursor(Qt::IBeamCursor);
  setBackgroundRole(QPalette::Base);
  UseButtonFace(this);
}

TEdit::~TEdit() = default;

void TEdit::setText(const QString& text) {
  if (text == m_text) return;
  const QString old = m_text;
  m_text = text;
  const bool hadSelection = hasSelectedText();
  // A new value shows its beginning, without a selection.
  m_anchor = m_cursor = 0;
  m_scroll = 0;
  invalidateLayout();
  update();
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent change(this, 0, old, m_text);
    QAccessible::updateAccessibility(&change);
  }
  Q_EMIT textChanged(m_text);
  if (hadSelection) Q_EMIT selectionChanged();
}

QString TEdit::selectedText() const {
  return hasSelectedText() ? m_text.mid(selectionStart(), selectionLength()) : QString();
}

void TEdit::selectAll() { select(0, int(m_text.size())); }

void TEdit::deselect() { select(m_cursor, m_cursor); }

void TEdit::setCursorPosition(int position, bool extend) {
  const int at = std::clamp(position, 0, int(m_text.size()));
  select(extend ? m_anchor : at, at);
}

void TEdit::select(int anchor, int cursor) {
  if (anchor == m_anchor && cursor == m_cursor) return;
  const bool selectionMoved = hasSelectedText() || anchor != cursor;
  m_anchor = anchor;
  m_cursor = cursor;
  keepCursorInView();
  update();
  if (!selectionMoved) return;
  if (QAccessible::isActive()) {
    QAccessibleTextSelectionEvent change(this, std::min(m_anchor, m_cursor), std::max(m_anchor, m_cursor));
    change.setCursorPosition(m_cursor);
    QAccessible::updateAccessibility(&change);
  }
  Q_EMIT selectionChanged();
}

void TEdit::copy() const {
  if (hasSelectedText()) QGuiApplication::clipboard()->setText(selectedText());
}

// X11's primary selection follows what the mouse or the keyboard selected, as in every other edit there.
void TEdit::publishSelection() const {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (hasSelectedText() && clipboard->supportsSelection())
    clipboard->setText(selectedText(), QClipboard::Selection);
}

const TEdit::Layout& TEdit::layout() const {
  if (!m_layout) m_layout = std::make_unique<Layout>(m_text, font(), this);
  return *m_layout;
}

void TEdit::invalidateLayout() { m_layout.reset(); }

QRect TEdit::textArea() const {
  const QStyleOptionFrame option = frameOption(this);
  return style()
      ->subElementRect(QStyle::SE_LineEditContents, &option, this)
      .adjusted(kHorizontalMargin, kVerticalMargin, -kHorizontalMargin, -kVerticalMargin);
}

int TEdit::positionAt(const QPoint& point) const {
  return layout().positionAt(point.x() - textArea().x() + m_scroll);
}

QRect TEdit::cursorRect(int position) const {
  const QRect area = textArea();
  const int top = area.y() + (area.height() - fontMetrics().height() + 1) / 2;
  return QRect(area.x() + layout().xOf(position) - m_scroll, top, 1, fontMetrics().height());
}

void TEdit::keepCursorInView() {
  if (m_text.isEmpty()) {
    m_scroll = 0;
    return;
  }
  const int room = textArea().width();
  const int x = layout().xOf(m_cursor);
  if (x - m_scroll >= room) m_scroll = x - room + 1;
  if (x - m_scroll < 0) m_scroll = x;
  // Never further than the end of the text and the cursor after it.
  m_scroll = std::clamp(m_scroll, 0, std::max(0, layout().width() + 1 - room));
}

QSize TEdit::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  QStyleOptionFrame option = frameOption(this);
  const QSize text(metrics.horizontalAdvance(QLatin1Char('x')) * 17 + 2 * kHorizontalMargin,
                   metrics.height() + 2 * kVerticalMargin);
  return style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this);
}

bool TEdit::event(QEvent* event) {
  // The keys the field answers are its own while it has the focus, even where a command has them too.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) event->accept();
  }
  return QWidget::event(event);
}

void TEdit::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, framePixmap(this));
  if (m_text.isEmpty()) return;
  const QRect area = textArea();
  painter.setClipRect(area);
  painter.setPen(palette().color(QPalette::Text));
  QList<QTextLayout::FormatRange> selections;
  if (hasSelectedText()) {
    QTextLayout::FormatRange range;
    range.start = selectionStart();
    range.length = selectionLength();
    range.format.setBackground(palette().brush(QPalette::Highlight));
    range.format.setForeground(palette().brush(QPalette::HighlightedText));
    selections << range;
  }
  const QPointF origin(area.x() - m_scroll, area.y() + (area.height() - fontMetrics().height() + 1) / 2);
  if (m_bitBoundary < 0) return layout().layout().draw(&painter, origin, selections);
  // The text twice, each time in its colour and clipped to its bits; the selection draws over both.
  const BitColours colours = BinaryBitColours(palette());
  const int boundary = std::clamp(int(origin.x()) + layout().xOf(hostBitsStart(m_text, m_bitBoundary)),
                                  area.left(), area.right() + 1);
  painter.setClipRect(QRect(area.left(), area.top(), boundary - area.left(), area.height()));
  painter.setPen(colours.network);
  layout().layout().draw(&painter, origin, selections);
  painter.setClipRect(QRect(boundary, area.top(), area.right() + 1 - boundary, area.height()));
  painter.setPen(colours.host);
  layout().layout().draw(&painter, origin, selections);
}

void TEdit::setBitBoundary(int networkBits) {
  networkBits = std::max(networkBits, -1);
  if (networkBits == m_bitBoundary) return;
  m_bitBoundary = networkBits;
  update();
}

void TEdit::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::PaletteChange:
      // Keeps the button face when the desktop's palette changes while the program runs (a dark theme).
      UseButtonFace(this);
      break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
      invalidateLayout();
      m_scroll = 0;
      keepCursorInView();
      update();
      break;
    default:
      break;
  }
}

void TEdit::focusInEvent(QFocusEvent* event) {
  // Reached from the keyboard, the whole value is selected, ready to be copied.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
    selectAll();
  QWidget::focusInEvent(event);
}

void TEdit::focusOutEvent(QFocusEvent* event) {
  // As in any edit, a selection ends with the focus, unless a menu or another window took it for a while.
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) deselect();
  QWidget::focusOutEvent(event);
}

void TEdit::keyPressEvent(QKeyEvent* event) {
  const int length = int(m_text.size());
  const auto move = [&](int position, bool extend) {
    setCursorPosition(position, extend);
    if (extend) publishSelection();
  };
  if (event->matches(QKeySequence::Copy)) {
    copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    publishSelection();
  } else if (event->matches(QKeySequence::MoveToNextChar)) {
    // Without Shift an arrow ends a selection at its side, as in any edit.
    move(hasSelectedText() ? std::max(m_anchor, m_cursor) : layout().next(m_cursor), false);
  } else if (event->matches(QKeySequence::MoveToPreviousChar)) {
    move(hasSelectedText() ? std::min(m_anchor, m_cursor) : layout().previous(m_cursor), false);
  } else if (event->matches(QKeySequence::SelectNextChar)) {
    move(layout().next(m_cursor), true);
  } else if (event->matches(QKeySequence::SelectPreviousChar)) {
    move(layout().previous(m_cursor), true);
  } else if (event->matches(QKeySequence::MoveToNextWord)) {
    move(nextWord(m_cursor), false);
  } else if (event->matches(QKeySequence::MoveToPreviousWord)) {
    move(previousWord(m_cursor), false);
  } else if (event->matches(QKeySequence::SelectNextWord)) {
    move(nextWord(m_cursor), true);
  } else if (event->matches(QKeySequence::SelectPreviousWord)) {
    move(previousWord(m_cursor), true);
  } else if (event->matches(QKeySequence::MoveToStartOfLine) ||
             event->matches(QKeySequence::MoveToStartOfBlock)) {
    move(0, false);
  } else if (event->matches(QKeySequence::MoveToEndOfLine) ||
             event->matches(QKeySequence::MoveToEndOfBlock)) {
    move(length, false);
  } else if (event->matches(QKeySequence::SelectStartOfLine) ||
             event->matches(QKeySequence::SelectStartOfBlock)) {
    move(0, true);
  } else if (event->matches(QKeySequence::SelectEndOfLine) ||
             event->matches(QKeySequence::SelectEndOfBlock)) {
    move(length, true);
  } else {
    // Everything else is the window's: Return, Escape, the commands' keys. Typing changes nothing.
    event->ignore();
  }
}

void TEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  const int at = positionAt(event->position().toPoint());
  // A press soon after a double-click, where it was, is a triple-click: it selects the whole value.
  if (QDateTime::currentMSecsSinceEpoch() - m_doubleClickTime < QApplication::doubleClickInterval() &&
      (event->position().toPoint() - m_doubleClickPoint).manhattanLength() <
          QApplication::startDragDistance()) {
    m_doubleClickTime = 0;
    selectAll();
    publishSelection();
    return;
  }
  m_dragging = true;
  setCursorPosition(at, event->modifiers().testFlag(Qt::ShiftModifier));
}

void TEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging || !(event->buttons() & Qt::LeftButton)) return;
  setCursorPosition(positionAt(event->position().toPoint()), true);
}

void TEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_dragging = false;
  publishSelection();
}

void TEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int length = int(m_text.size());
  const int at = std::min(positionAt(event->position().toPoint()), std::max(0, length - 1));
  if (at < length && m_text.at(at).isSpace()) {
    // The blanks between two values.
    int start = at, end = at;
    while (start > 0 && m_text.at(start - 1).isSpace()) --start;
    while (end < length && m_text.at(end).isSpace()) ++end;
    select(start, end);
  } else {
    select(wordStart(at), wordEnd(at));
  }
  publishSelection();
  m_dragging = false;
  m_doubleClickTime = QDateTime::currentMSecsSinceEpoch();
  m_doubleClickPoint = event->position().toPoint();
}

// A word is what blanks separate: a whole address, number or binary view, with its dots.
int TEdit::wordStart(int position) const {
  while (position > 0 && !m_text.at(position - 1).isSpace()) --position;
  return position;
}

int TEdit::wordEnd(int position) const {
  while (position < m_text.size() && !m_text.at(position).isSpace()) ++position;
  return position;
}

int TEdit::nextWord(int position) const {
  position = wordEnd(position);
  while (position < m_text.size() && m_text.at(position).isSpace()) ++position;
  return position;
}

int TEdit::previousWord(int position) const {
  while (position > 0 && m_text.at(position - 1).isSpace()) --position;
  return wordStart(position);
}

void TEdit::contextMenuEvent(QContextMenuEvent* event) {
  // Not modal: the menu closes itself and is deleted once it is closed.
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("TEditMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* copyEntry = menu->addAction(withShortcut("&Copy", QKeySequence::Copy), this, &TEdit::copy);
  copyEntry->setEnabled(hasSelectedText());
  menu->addSeparator();
  QAction* allEntry =
      menu->addAction(withShortcut("Select All", QKeySequence::SelectAll), this, &TEdit::selectAll);
  allEntry->setEnabled(!m_text.isEmpty() && selectionLength() < m_text.size());
  menu->popup(event->globalPos());
}

}  // namespace quorvane
