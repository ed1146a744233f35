// The form library: thin Qt subclasses that publish the property vocabulary that language files name
// (Caption, Hint, Left, Top, Width, Height, Font, Items, EditLabel, ...), so that a property is looked up by
// name through the meta-object system exactly as the language files spell it.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

class QButtonGroup;
class QScrollArea;
class QVBoxLayout;

namespace quorvane {

class TLabel;

// Names a control for screen readers after the labels a sighted user reads it by: their captions without
// the "&" mnemonic marker, joined by `separator`. The name follows every later change of a caption.
void NameAfterLabels(QWidget* control, const QList<TLabel*>& labels,
                     const QString& separator = QStringLiteral(", "));

// Read-only fields are drawn on the button face, as the palette of the desktop defines it. Sets nothing when
// the palette has it already, so that the palette change it causes ends there.
void UseButtonFace(QWidget* control);

// A control's font as an object of its own: Font.Name, Font.Size (points), Font.Height (pixels, negative
// for the character height as the design stores it).
class TFont : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ name WRITE setName)
  Q_PROPERTY(int Size READ size WRITE setSize)
  Q_PROPERTY(int Height READ height WRITE setHeight)
 public:
  explicit TFont(QWidget* owner);
  QString name() const;
  void setName(const QString& name);
  int size() const;
  void setSize(int points);
  int height() const;
  void setHeight(int height);

 private:
  QWidget* m_owner;
};

// Geometry, hint and font of any control; the integers are the control's place inside its parent.
#define QUORVANE_CONTROL_PROPERTIES                                                                \
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)                                           \
  Q_PROPERTY(int Left READ controlLeft WRITE setControlLeft)                                       \
  Q_PROPERTY(int Top READ controlTop WRITE setControlTop)                                          \
  Q_PROPERTY(int Width READ controlWidth WRITE setControlWidth)                                    \
  Q_PROPERTY(int Height READ controlHeight WRITE setControlHeight)                                 \
  Q_PROPERTY(QObject* Font READ fontObject)                                                        \
 public:                                                                                           \
  int controlLeft() const { return x(); }                                                          \
  void setControlLeft(int v) { move(v, y()); }                                                     \
  int controlTop() const { return y(); }                                                           \
  void setControlTop(int v) { move(x(), v); }                                                      \
  int controlWidth() const { return width(); }                                                     \
  void setControlWidth(int v) { resize(v, height()); }                                             \
  int controlHeight() const { return height(); }                                                   \
  void setControlHeight(int v) { resize(width(), v); }                                             \
  QObject* fontObject() { return m_fontObject ? m_fontObject : (m_fontObject = new TFont(this)); } \
                                                                                                   \
 private:                                                                                          \
  TFont* m_fontObject = nullptr;

// Client size and frame geometry of a form. Forms keep a fixed size, which these properties move.
#define QUORVANE_FORM_PROPERTIES                                                                   \
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)                                \
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)                                           \
  Q_PROPERTY(int Left READ formLeft WRITE setFormLeft)                                             \
  Q_PROPERTY(int Top READ formTop WRITE setFormTop)                                                \
  Q_PROPERTY(int Width READ formWidth WRITE setFormWidth)                                          \
  Q_PROPERTY(int Height READ formHeight WRITE setFormHeight)                                       \
  Q_PROPERTY(int ClientWidth READ clientWidth WRITE setClientWidth)                                \
  Q_PROPERTY(int ClientHeight READ clientHeight WRITE setClientHeight)                             \
  Q_PROPERTY(QObject* Font READ fontObject)                                                        \
 public:                                                                                           \
  int formLeft() const { return pos().x(); }                                                       \
  void setFormLeft(int v) { move(v, pos().y()); }                                                  \
  int formTop() const { return pos().y(); }                                                        \
  void setFormTop(int v) { move(pos().x(), v); }                                                   \
  int formWidth() const { return frameGeometry().width(); }                                        \
  void setFormWidth(int v) { setClientWidth(clientWidth() + v - formWidth()); }                    \
  int formHeight() const { return frameGeometry().height(); }                                      \
  void setFormHeight(int v) { setClientHeight(clientHeight() + v - formHeight()); }                \
  QObject* fontObject() { return m_fontObject ? m_fontObject : (m_fontObject = new TFont(this)); } \
                                                                                                   \
 private:                                                                                          \
  TFont* m_fontObject = nullptr;

// A form that is a main window: its client area lies below the menu bar.
class TForm : public QMainWindow {
  Q_OBJECT
  QUORVANE_FORM_PROPERTIES
 public:
  explicit TForm(QWidget* parent = nullptr);
  int clientWidth() const;
  void setClientWidth(int width);
  int clientHeight() const;
  void setClientHeight(int height);
  // Fixes the client area to the designed size (the window can be neither resized nor maximised).
  void setClientSize(int width, int height);
  // The keyboard's way to the controls that Tab skips: F6 moves the focus to the next of them in reading
  // order (top to bottom, then left to right), Shift+F6 to the previous; past either end the focus goes
  // back to the first Tab stop.
  void reachWithF6(const QList<QWidget*>& controls);

 private:
  void moveAlongF6(int step);
  QList<QWidget*> m_f6Order;
};

// A form that is a dialog: modal, fixed border, centred on its owner when shown.
class TDialogForm : public QDialog {
  Q_OBJECT
  QUORVANE_FORM_PROPERTIES
 public:
  explicit TDialogForm(QWidget* owner);
  int clientWidth() const { return width(); }
  void setClientWidth(int width) { setFixedSize(width, height()); }
  int clientHeight() const { return height(); }
  void setClientHeight(int height) { setFixedSize(width(), height); }

 protected:
  void showEvent(QShowEvent* event) override;
};

class TLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setCaption NOTIFY captionChanged)
  QUORVANE_CONTROL_PROPERTIES
 public:
  explicit TLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  void setCaption(const QString& caption);
  // The caption as a screen reader says it: without the "&" that marks the mnemonic ("&&" is one "&").
  QString spokenCaption() const;
  // The buddy takes the focus on the label's mnemonic and is named after the label (NameAfterLabels).
  void setBuddy(QWidget* buddy);

 Q_SIGNALS:
  void captionChanged();
};

// An edit with its label on its left, the label's right edge three pixels before the edit.
class TLabeledEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(QObject* EditLabel READ editLabel)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  TLabel* editLabel() const { return m_label; }

 protected:
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeLabel();
  TLabel* m_label;
};

// A read-only result field: one line of text in an edit's frame, drawn on the button-face colour, never a
// Tab stop. Its text can be selected with the mouse (drag, double-click for a word: what blanks separate, a
// whole address; triple-click for all)
// or the keyboard (Shift with the arrows, Home, End; Ctrl+A) and copied (Ctrl+C, the context menu; on X11
// a mouse selection is also the primary selection). Writing a text only stores it and asks for a repaint:
// the text is laid out when the field is drawn, so a calculation that rewrites seventeen fields lays out
// each of them once per frame at most, and not at all while the window is hidden.
class TEdit : public QWidget {
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
  bool m_dragging = false;
  qint64 m_doubleClickTime = 0;  // when the last double-click came, for a triple-click
  QPoint m_doubleClickPoint;
  mutable std::unique_ptr<Layout> m_layout;
};

class TGroupBox : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TGroupBox(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
};

class TButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
};

// A flat button that never takes the focus: either bound to an action (its caption and glyph) or with a
// glyph and a hint of its own.
class TSpeedButton : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TSpeedButton(QWidget* parent, const QString& name, const QRect& place);

 protected:
  bool event(QEvent* event) override;
};

// One arrow of a spinner. It shows a glyph only, so its hint, which a language file may set, is also its
// name for screen readers.
class TUpDownArrow : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  explicit TUpDownArrow(QWidget* parent);

 protected:
  bool event(QEvent* event) override;
};

// A drop-down list that cannot be typed into.
class TComboBox : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(QStringList Items READ items WRITE setItems)
  Q_PROPERTY(QString Text READ currentText WRITE setCurrentText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TComboBox(QWidget* parent, const QString& name, const QRect& place);
  QStringList items() const;
  // Replaces the entries; the selection is cleared, as a new list of entries has none.
  void setItems(const QStringList& items);
};

enum class UpDownDirection { None, Up, Down };

// A vertical up-down spinner of two arrows. Before its position would move, it asks its ChangingEx handler,
// which may forbid the move.
class TUpDown : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int Position READ position WRITE setPosition)
  QUORVANE_CONTROL_PROPERTIES
 public:
  using ChangingEx = std::function<void(bool& allowChange, int newValue, UpDownDirection direction)>;
  TUpDown(QWidget* parent, const QString& name, const QRect& place, int minimum, int maximum, int position);
  void setOnChangingEx(ChangingEx handler) { m_onChangingEx = std::move(handler); }
  int position() const { return m_position; }
  void setPosition(int position);
  QToolButton* arrow(UpDownDirection direction) const;
  // What a click on one arrow does.
  void step(UpDownDirection direction);
  // The Up and Down keys pressed in `edit` step the spinner as its arrows do. The spinner stays unattached:
  // it writes nothing into the edit of its own accord.
  void stepWithArrowKeysOf(QWidget* edit);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int m_minimum;
  int m_maximum;
  int m_position;
  TUpDownArrow* m_up;
  TUpDownArrow* m_down;
  QWidget* m_keyboardEdit = nullptr;
  ChangingEx m_onChangingEx;
};

class TImage : public QLabel {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TImage(QWidget* parent, const QString& name, const QRect& place);
};

// A grid of text cells: row 0 is the fixed header row, whole rows are selected, cells are not editable.
// A grid has no label of its own, so screen readers name it after its form's caption.
class TStringGrid : public QTableWidget {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TStringGrid(QWidget* parent, const QString& name, const QRect& place, int columns, int rows);
  QString cell(int column, int row) const;
  void setCell(int column, int row, const QString& text);
  void setColumnWidths(std::initializer_list<int> widths);
  int currentDataRow() const;  // 1-based, as the grid's rows count with the header

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// A titled group of radio buttons in one column; a long list scrolls. The buttons stand where the group
// stands in the Tab order, the arrow keys move the choice among them, and the chosen one is kept in view.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  Q_PROPERTY(QStringList Items READ items WRITE setItems)
  Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TRadioGroup(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  QStringList items() const { return m_items; }
  void setItems(const QStringList& items);
  int itemIndex() const;
  void setItemIndex(int index);

 private:
  QStringList m_items;
  QScrollArea* m_scroll;
  QWidget* m_column;
  QVBoxLayout* m_layout;
  QButtonGroup* m_buttons;
};

class TAction : public QAction {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  Q_PROPERTY(QString Hint READ toolTip WRITE setHintText)
 public:
  TAction(QObject* parent, const QString& name);
  void setHintText(const QString& hint);
};

// A menu or submenu; its caption is the title of the entry that opens it.
class TMenu : public QMenu {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TMenu(QWidget* parent, const QString& name, const QString& caption);
};

class TToolBar : public QToolBar {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TToolBar(QWidget* parent, const QString& name);
};

class TStatusBar : public QStatusBar {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TStatusBar(QWidget* parent, const QString& name, std::initializer_list<int> panelWidths);
};

}  // namespace quorvane
