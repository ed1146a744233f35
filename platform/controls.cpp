// The form library's controls.
#include "platform/controls.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Design sizes are given at 96 pixels per inch: 8 points are 11 pixels.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

void place(QWidget* widget, const QString& name, const QRect& rect) {
  widget->setObjectName(name);
  widget->setGeometry(rect);
}

// "&" marks the mnemonic letter and is not read out; "&&" stands for one "&".
QString withoutMnemonicMarker(const QString& caption) {
  QString spoken;
  spoken.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 == caption.size() || caption[i + 1] != u'&') continue;
      ++i;
    }
    spoken += caption[i];
  }
  return spoken;
}

// Widgets created later join the Tab order at the end of their window's; these belong where their group
// stands. The Tab order links only controls that take the focus, so the group takes it for a moment.
void takeGroupsTabPlace(QWidget* group, const QList<QWidget*>& widgets) {
  const Qt::FocusPolicy policy = group->focusPolicy();
  group->setFocusPolicy(Qt::TabFocus);
  QWidget* last = group;
  for (QWidget* w : widgets) {
    QWidget::setTabOrder(last, w);
    last = w;
  }
  group->setFocusPolicy(policy);
}

// A button that shows nothing but a glyph is named after its hint.
void nameAfterHint(QAbstractButton* button) {
  if (button->text().isEmpty()) button->setAccessibleName(button->toolTip());
}

// The design's fonts are Windows fonts. Where the desktop lacks them, the metric-compatible free fonts keep
// the designed texts inside their controls; fontconfig's own choice is usually a much wider face.
void installFontSubstitutes() {
  static const bool done = [] {
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
    return true;
  }();
  (void)done;
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

void NameAfterLabels(QWidget* control, const QList<TLabel*>& labels, const QString& separator) {
  const QList<QPointer<TLabel>> sources(labels.begin(), labels.end());
  const auto rename = [control, sources, separator] {
    QStringList captions;
    for (const QPointer<TLabel>& label : sources)
      if (label) captions << label->spokenCaption();
    control->setAccessibleName(captions.join(separator));
  };
  for (TLabel* label : labels) QObject::connect(label, &TLabel::captionChanged, control, rename);
  rename();
}

TFont::TFont(QWidget* owner) : QObject(owner), m_owner(owner) {}

QString TFont::name() const { return m_owner->font().family(); }

void TFont::setName(const QString& name) {
  QFont font = m_owner->font();
  font.setFamily(name);
  m_owner->setFont(font);
}

int TFont::size() const {
  const QFont font = m_owner->font();
  if (font.pointSizeF() > 0) return static_cast<int>(std::lround(font.pointSizeF()));
  return static_cast<int>(std::lround(font.pixelSize() / kPixelsPerPoint));
}

void TFont::setSize(int points) {
  if (points <= 0) return;
  QFont font = m_owner->font();
  font.setPointSize(points);
  m_owner->setFont(font);
}

int TFont::height() const {
  const QFont font = m_owner->font();
  if (font.pixelSize() > 0) return -font.pixelSize();
  return -static_cast<int>(std::lround(font.pointSizeF() * kPixelsPerPoint));
}

void TFont::setHeight(int height) {
  // A negative height is the character height; a positive one the cell height, of which the character
  // takes about four fifths.
  const int pixels = height < 0 ? -height : static_cast<int>(std::lround(height * 0.8));
  if (pixels <= 0) return;
  setSize(static_cast<int>(std::lround(pixels / kPixelsPerPoint)));
}

TForm::TForm(QWidget* parent) : QMainWindow(parent) { installFontSubstitutes(); }

int TForm::clientWidth() const { return width(); }

void TForm::setClientWidth(int width) { setClientSize(width, clientHeight()); }

int TForm::clientHeight() const {
  const QWidget* menu = menuWidget();
  return height() - (menu ? menu->sizeHint().height() : 0);
}

void TForm::setClientHeight(int height) { setClientSize(clientWidth(), height); }

void TForm::setClientSize(int width, int height) {
  const QWidget* menu = menuWidget();
  if (width <= 0 || height <= 0) return;
  setFixedSize(width, height + (menu ? menu->sizeHint().height() : 0));
}

void TForm::reachWithF6(const QList<QWidget*>& controls) {
  if (m_f6Order.isEmpty()) {
    for (const auto& [key, step] :
         {std::pair{QKeySequence(Qt::Key_F6), 1}, std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F6), -1}}) {
      auto* shortcut = new QShortcut(key, this);
      shortcut->setContext(Qt::WindowShortcut);
      connect(shortcut, &QShortcut::activated, this, [this, step = step] { moveAlongF6(step); });
    }
  }
  m_f6Order = controls;
}

void TForm::moveAlongF6(int step) {
  // Sorted at each press: a language file may have moved the controls.
  const auto readingPlace = [this](const QWidget* control) {
    const QPoint at = control->mapTo(this, QPoint(0, 0));
    return std::pair{at.y(), at.x()};
  };
  std::stable_sort(m_f6Order.begin(), m_f6Order.end(),
                   [&](const QWidget* a, const QWidget* b) { return readingPlace(a) < readingPlace(b); });
  const auto reachable = [this](const QWidget* control) {
    return control->isVisibleTo(this) && control->isEnabled();
  };
  const qsizetype count = m_f6Order.size();
  qsizetype at = m_f6Order.indexOf(focusWidget());
  // From outside the list F6 enters it at its first control, Shift+F6 at its last.
  if (at < 0) at = step > 0 ? -1 : count;
  for (at += step; at >= 0 && at < count; at += step) {
    if (!reachable(m_f6Order[at])) continue;
    // A shortcut's focus selects an edit's whole text, ready to be copied.
    m_f6Order[at]->setFocus(Qt::ShortcutFocusReason);
    return;
  }
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (w->window() == this && reachable(w) && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

TDialogForm::TDialogForm(QWidget* owner) : QDialog(owner) {
  installFontSubstitutes();
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
  setModal(true);
}

void TDialogForm::showEvent(QShowEvent* event) {
  if (const QWidget* owner = parentWidget()) {
    const QRect frame = owner->window()->frameGeometry();
    move(frame.center() - rect().center());
  }
  QDialog::showEvent(event);
}

TLabel::TLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : QLabel(caption, parent) {
  place(this, name, rect);
}

void TLabel::setCaption(const QString& caption) {
  setText(caption);
  Q_EMIT captionChanged();
}

QString TLabel::spokenCaption() const { return withoutMnemonicMarker(text()); }

void TLabel::setBuddy(QWidget* buddy) {
  QLabel::setBuddy(buddy);
  if (buddy) NameAfterLabels(buddy, {this});
}

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : QLineEdit(parent), m_label(new TLabel(parent, name + QStringLiteral("Label"), caption, QRect())) {
  place(this, name, rect);
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

void TLabeledEdit::placeLabel() {
  constexpr int kSpacing = 3;
  const int width = m_label->sizeHint().width();
  m_label->setGeometry(x() - kSpacing - width, y(), width, height());
  m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TGroupBox::TGroupBox(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : QGroupBox(caption, parent) {
  place(this, name, rect);
}

TButton::TButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : QPushButton(caption, parent) {
  place(this, name, rect);
}

TSpeedButton::TSpeedButton(QWidget* parent, const QString& name, const QRect& rect) : QToolButton(parent) {
  place(this, name, rect);
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setIconSize(QSize(16, 16));
}

bool TSpeedButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTipChange) nameAfterHint(this);
  return QToolButton::event(event);
}

TUpDownArrow::TUpDownArrow(QWidget* parent) : QToolButton(parent) {}

bool TUpDownArrow::event(QEvent* event) {
  if (event->type() == QEvent::ToolTipChange) nameAfterHint(this);
  return QToolButton::event(event);
}

TComboBox::TComboBox(QWidget* parent, const QString& name, const QRect& rect) : QComboBox(parent) {
  place(this, name, rect);
  setEditable(false);
}

QStringList TComboBox::items() const {
  QStringList list;
  for (int i = 0; i < count(); ++i) list << itemText(i);
  return list;
}

void TComboBox::setItems(const QStringList& items) {
  const QSignalBlocker blocker(this);
  clear();
  addItems(items);
  setCurrentIndex(-1);
}

TUpDown::TUpDown(QWidget* parent, const QString& name, const QRect& rect, int minimum, int maximum,
                 int position)
    : QWidget(parent),
      m_minimum(minimum),
      m_maximum(maximum),
      m_position(position),
      m_up(new TUpDownArrow(this)),
      m_down(new TUpDownArrow(this)) {
  place(this, name, rect);
  const struct {
    TUpDownArrow* button;
    Qt::ArrowType arrow;
    const char* suffix;
    UpDownDirection direction;
  } arrows[] = {{m_up, Qt::UpArrow, "Up", UpDownDirection::Up},
                {m_down, Qt::DownArrow, "Down", UpDownDirection::Down}};
  for (const auto& a : arrows) {
    a.button->setObjectName(name + QLatin1String(a.suffix));
    a.button->setArrowType(a.arrow);
    a.button->setFocusPolicy(Qt::NoFocus);
    // Holding an arrow steps again and again, as a spinner does.
    a.button->setAutoRepeat(true);
    connect(a.button, &QToolButton::clicked, this, [this, direction = a.direction] { step(direction); });
  }
  setFocusPolicy(Qt::NoFocus);
  resizeEvent(nullptr);
}

void TUpDown::setPosition(int position) { m_position = std::clamp(position, m_minimum, m_maximum); }

QToolButton* TUpDown::arrow(UpDownDirection direction) const {
  return direction == UpDownDirection::Up ? m_up : m_down;
}

void TUpDown::step(UpDownDirection direction) {
  const int delta = direction == UpDownDirection::Up ? 1 : direction == UpDownDirection::Down ? -1 : 0;
  const int newValue = std::clamp(m_position + delta, m_minimum, m_maximum);
  bool allowChange = true;
  if (m_onChangingEx) m_onChangingEx(allowChange, newValue, direction);
  if (allowChange) m_position = newValue;
}

void TUpDown::stepWithArrowKeysOf(QWidget* edit) {
  if (m_keyboardEdit) m_keyboardEdit->removeEventFilter(this);
  m_keyboardEdit = edit;
  if (edit) edit->installEventFilter(this);
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int upper = height() / 2;
  m_up->setGeometry(0, 0, width(), upper);
  m_down->setGeometry(0, upper, width(), height() - upper);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_keyboardEdit && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // The keypad's arrows too; with Ctrl, Alt or Shift the keys keep the edit's own meaning.
    if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      step(key->key() == Qt::Key_Up ? UpDownDirection::Up : UpDownDirection::Down);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

TImage::TImage(QWidget* parent, const QString& name, const QRect& rect) : QLabel(parent) {
  place(this, name, rect);
  setAlignment(Qt::AlignCenter);
}

TStringGrid::TStringGrid(QWidget* parent, const QString& name, const QRect& rect, int columns, int rows)
    : QTableWidget(rows - 1, columns, parent) {
  place(this, name, rect);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(18);
  verticalHeader()->setMinimumSectionSize(18);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  for (int c = 0; c < columns; ++c) setHorizontalHeaderItem(c, new QTableWidgetItem);
  for (int r = 0; r < rows - 1; ++r)
    for (int c = 0; c < columns; ++c) setItem(r, c, new QTableWidgetItem);
  if (rows > 1) setCurrentCell(0, 0);
  if (QWidget* form = window(); form != this) {
    setAccessibleName(form->windowTitle());
    form->installEventFilter(this);
  }
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window() && event->type() == QEvent::WindowTitleChange)
    setAccessibleName(window()->windowTitle());
  return QTableWidget::eventFilter(watched, event);
}

QString TStringGrid::cell(int column, int row) const {
  const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
  return it ? it->text() : QString();
}

void TStringGrid::setCell(int column, int row, const QString& text) {
  QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
  if (it) it->setText(text);
}

void TStringGrid::setColumnWidths(std::initializer_list<int> widths) {
  int column = 0;
  for (const int width : widths) setColumnWidth(column++, width);
}

int TStringGrid::currentDataRow() const { return currentRow() < 0 ? 1 : currentRow() + 1; }

TRadioGroup::TRadioGroup(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : QGroupBox(caption, parent),
      m_scroll(new QScrollArea(this)),
      m_column(new QWidget),
      m_layout(new QVBoxLayout(m_column)),
      m_buttons(new QButtonGroup(this)) {
  place(this, name, rect);
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(6, 4, 2, 4);
  frame->addWidget(m_scroll);
  m_scroll->setFrameShape(QFrame::NoFrame);
  // The buttons take the focus, not the area around them.
  m_scroll->setFocusPolicy(Qt::NoFocus);
  m_scroll->setWidgetResizable(true);
  m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scroll->setWidget(m_column);
  m_layout->setContentsMargins(2, 2, 2, 2);
  m_layout->setSpacing(4);
  m_layout->addStretch();
  m_buttons->setExclusive(true);
  // The arrow keys check the next button; it is kept in view as setItemIndex keeps it.
  connect(m_buttons, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool checked) {
    if (checked) m_scroll->ensureWidgetVisible(button);
  });
}

void TRadioGroup::setItems(const QStringList& items) {
  const int keep = itemIndex();
  for (QAbstractButton* button : m_buttons->buttons()) {
    m_buttons->removeButton(button);
    delete button;
  }
  m_items = items;
  QList<QWidget*> created;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], m_column);
    button->setObjectName(QStringLiteral("rgItem%1").arg(i));
    m_buttons->addButton(button, i);
    m_layout->insertWidget(i, button);
    created << button;
  }
  takeGroupsTabPlace(this, created);
  setItemIndex(keep);
}

int TRadioGroup::itemIndex() const { return m_buttons->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
  if (QAbstractButton* button = m_buttons->button(index)) {
    button->setChecked(true);
    m_scroll->ensureWidgetVisible(button);
  } else if (QAbstractButton* checked = m_buttons->checkedButton()) {
    m_buttons->setExclusive(false);
    checked->setChecked(false);
    m_buttons->setExclusive(true);
  }
}

TAction::TAction(QObject* parent, const QString& name) : QAction(parent) { setObjectName(name); }

// The hint is a tooltip only: no status tip, since the status bar stays empty and menu hints show nowhere.
void TAction::setHintText(const QString& hint) { setToolTip(hint); }

TMenu::TMenu(QWidget* parent, const QString& name, const QString& caption) : QMenu(caption, parent) {
  setObjectName(name);
  menuAction()->setObjectName(QString());
}

TToolBar::TToolBar(QWidget* parent, const QString& name) : QToolBar(parent) {
  setObjectName(name);
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(16, 16));
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setContextMenuPolicy(Qt::PreventContextMenu);
}

TStatusBar::TStatusBar(QWidget* parent, const QString& name, std::initializer_list<int> panelWidths)
    : QStatusBar(parent) {
  setObjectName(name);
  setSizeGripEnabled(false);
  setFixedHeight(19);
  int index = 0;
  for (const int width : panelWidths) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(index++));
    panel->setFixedWidth(width);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    addWidget(panel);
  }
}

}  // namespace quorvane
