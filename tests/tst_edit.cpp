// The read-only result field on its own: what it shows, how it is selected and copied, what it tells a
// screen reader. The main window's tests drive the same fields through the window.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "widgets/edit.h"

using quorvane::TEdit;

namespace {

const QString kRange = QStringLiteral("192.168.28.1 - 192.168.28.30");

}  // namespace

class tst_Edit : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    m_window = std::make_unique<QWidget>();
    m_window->resize(260, 80);
    m_field = new TEdit(m_window.get(), QStringLiteral("edHostRange"), {8, 8, 217, 21});
    m_other = new QWidget(m_window.get());
    m_other->setFocusPolicy(Qt::StrongFocus);
    m_other->setGeometry(8, 40, 20, 20);
    m_field->setText(kRange);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
  }
  void cleanup() { m_window.reset(); }

  void newTextShowsItsBeginningWithoutSelection() {
    QSignalSpy changed(m_field, &TEdit::textChanged);
    m_field->setFocus(Qt::MouseFocusReason);
    m_field->selectAll();
    m_field->setText(QStringLiteral("10.1.2.3"));
    QCOMPARE(m_field->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_field->selectedText(), QString());
    QCOMPARE(m_field->cursorPosition(), 0);
    m_field->setText(QStringLiteral("10.1.2.3"));
    QCOMPARE(changed.count(), 1);  // the same text is no change
    m_field->clear();
    QCOMPARE(m_field->text(), QString());
    QCOMPARE(changed.count(), 2);
  }

  // A value wider than the field starts at its left edge; the end comes into view where the cursor goes.
  void wideValueScrollsWithTheCursor() {
    m_field->setText(QString(60, QLatin1Char('8')));
    const QRect area = m_field->textArea();
    QCOMPARE(m_field->cursorRect(0).x(), area.x());
    m_field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(m_field, Qt::Key_End);
    QCOMPARE(m_field->cursorPosition(), 60);
    QVERIFY(area.contains(m_field->cursorRect(60).topLeft()));
    QVERIFY(m_field->cursorRect(0).x() < area.x());
    QTest::keyClick(m_field, Qt::Key_Home);
    QCOMPARE(m_field->cursorRect(0).x(), area.x());
  }

  void keyboardSelects_data() {
    QTest::addColumn<QList<int>>("keys");  // key codes, Shift added by the modifier bit
    QTest::addColumn<QString>("selected");
    const int shift = int(Qt::ShiftModifier), ctrl = int(Qt::ControlModifier);
    QTest::newRow("Ctrl+A") << QList<int>{ctrl | Qt::Key_A} << kRange;
    QTest::newRow("Shift+End from the start") << QList<int>{Qt::Key_Home, shift | Qt::Key_End} << kRange;
    QTest::newRow("Shift+Right twice")
        << QList<int>{Qt::Key_Home, shift | Qt::Key_Right, shift | Qt::Key_Right} << QStringLiteral("19");
    QTest::newRow("Shift+Left from the end")
        << QList<int>{Qt::Key_End, shift | Qt::Key_Left} << QStringLiteral("0");
    QTest::newRow("Shift+Home from the end") << QList<int>{Qt::Key_End, shift | Qt::Key_Home} << kRange;
    QTest::newRow("Right ends a selection") << QList<int>{ctrl | Qt::Key_A, Qt::Key_Right} << QString();
    QTest::newRow("Ctrl+Shift+Right takes a word")
        << QList<int>{Qt::Key_Home, ctrl | shift | Qt::Key_Right} << QStringLiteral("192.168.28.1 ");
  }
  void keyboardSelects() {
    QFETCH(QList<int>, keys);
    QFETCH(QString, selected);
    m_field->setFocus(Qt::MouseFocusReason);
    for (const int key : keys) {
      QTest::keyClick(m_field, Qt::Key(key & ~Qt::KeyboardModifierMask),
                      Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
    }
    QCOMPARE(m_field->selectedText(), selected);
    QCOMPARE(m_field->text(), kRange);
  }

  void mouseSelects() {
    const int middle = m_field->height() / 2;
    const QPoint inFirst(m_field->cursorRect(4).x(), middle);
    // A double-click takes the address under the pointer: its dots do not end the word.
    QTest::mouseDClick(m_field, Qt::LeftButton, {}, inFirst);
    QCOMPARE(m_field->selectedText(), QStringLiteral("192.168.28.1"));
    QCOMPARE(QApplication::focusWidget(), m_field);
    // A third click soon after takes the whole value.
    QTest::mousePress(m_field, Qt::LeftButton, {}, inFirst);
    QTest::mouseRelease(m_field, Qt::LeftButton, {}, inFirst);
    QCOMPARE(m_field->selectedText(), kRange);
    // A click places the cursor; Shift+click extends from there.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(m_field, Qt::LeftButton, {}, QPoint(m_field->cursorRect(3).x(), middle));
    QCOMPARE(m_field->selectedText(), QString());
    QTest::mouseClick(m_field, Qt::LeftButton, Qt::ShiftModifier, QPoint(m_field->cursorRect(7).x(), middle));
    QCOMPARE(m_field->selectedText(), QStringLiteral(".168"));
  }

  void copiesTheSelectionOnly_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+C") << "ctrl-c";
    QTest::newRow("Ctrl+Insert") << "ctrl-insert";
    QTest::newRow("context menu") << "menu";
  }
  void copiesTheSelectionOnly() {
    QFETCH(QString, how);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto copyNow = [&] {
      if (how == "ctrl-c") {
        QTest::keyClick(m_field, Qt::Key_C, Qt::ControlModifier);
      } else if (how == "ctrl-insert") {
        QTest::keyClick(m_field, Qt::Key_Insert, Qt::ControlModifier);
      } else {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), m_field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_field, &event);
        QMenu* menu = m_field->findChild<QMenu*>(QStringLiteral("TEditMenu"));
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QAction* copy = menu->actions().value(0);
        QVERIFY(copy->text().startsWith(QStringLiteral("&Copy")));
        if (copy->isEnabled()) copy->trigger();
        menu->close();
        QTRY_VERIFY(!m_field->findChild<QMenu*>(QStringLiteral("TEditMenu")));  // deleted once closed
      }
    };
    m_field->setFocus(Qt::MouseFocusReason);
    clipboard->setText(QStringLiteral("stale"));
    copyNow();
    QCOMPARE(clipboard->text(), QStringLiteral("stale"));  // nothing selected, nothing copied
    m_field->setCursorPosition(15);
    m_field->setCursorPosition(27, true);
    copyNow();
    QCOMPARE(clipboard->text(), QStringLiteral("192.168.28.3"));
  }

  // Keys that edit do nothing; keys the field does not use reach the window, Return among them.
  void typingChangesNothingAndOtherKeysGoOn() {
    class Catcher : public QObject {
     public:
      QList<int> keys;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) keys << static_cast<QKeyEvent*>(event)->key();
        return false;
      }
    } catcher;
    m_window->installEventFilter(&catcher);
    m_field->setFocus(Qt::MouseFocusReason);
    m_field->selectAll();
    QTest::keyClicks(m_field, QStringLiteral("9x"));
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return})
      QTest::keyClick(m_field, key);
    QTest::keyClick(m_field, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(m_field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_field->text(), kRange);
    QVERIFY(m_field->isReadOnly());
    QVERIFY(catcher.keys.contains(Qt::Key_Return));
  }

  void focusSelectsFromTheKeyboardAndLeavingDeselects() {
    m_other->setFocus(Qt::MouseFocusReason);
    m_field->setFocus(Qt::ShortcutFocusReason);
    QCOMPARE(m_field->selectedText(), kRange);
    m_other->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_field->selectedText(), QString());
    m_field->setFocus(Qt::MouseFocusReason);
    QCOMPARE(m_field->selectedText(), QString());
    QCOMPARE(m_field->focusPolicy(), Qt::ClickFocus);
  }

  // The frame is drawn once per size, state and colours and reused: it must still follow each of them.
  void frameFollowsFocusAndColours() {
    m_field->clear();
    const auto frame = [this] { return m_field->grab().toImage(); };
    const QImage plain = frame();
    m_field->setFocus(Qt::MouseFocusReason);
    const QImage focused = frame();
    QVERIFY(focused != plain);
    m_other->setFocus(Qt::MouseFocusReason);
    QCOMPARE(frame(), plain);
    auto* twin = new TEdit(m_window.get(), QStringLiteral("twin"), {8, 40, 217, 21});
    twin->show();
    QCOMPARE(twin->grab().toImage(), plain);
    QPalette dark = m_field->palette();
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    m_field->setPalette(dark);
    // Inside the frame, where only the frame's own fill is: the new button face.
    QCOMPARE(frame().pixelColor(m_field->width() / 2, m_field->height() / 2), QColor(0x30, 0x30, 0x30));
    QCOMPARE(twin->grab().toImage(), plain);
  }

  void screenReaderReadsAndSelects() {
    m_field->setAccessibleName(QStringLiteral("Hosts per Network"));
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(m_field);
    QVERIFY(field);
    QCOMPARE(field->role(), QAccessible::EditableText);
    QVERIFY(field->state().readOnly);
    QCOMPARE(field->text(QAccessible::Name), QStringLiteral("Hosts per Network"));
    QCOMPARE(field->text(QAccessible::Value), kRange);
    QAccessibleTextInterface* text = field->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), int(kRange.size()));
    QCOMPARE(text->text(0, 12), QStringLiteral("192.168.28.1"));
    QCOMPARE(text->selectionCount(), 0);
    text->setSelection(0, 15, 27);
    QCOMPARE(m_field->selectedText(), QStringLiteral("192.168.28.3"));
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(15, 27));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    QCOMPARE(text->offsetAtPoint(m_field->mapToGlobal(m_field->cursorRect(5).center())), 5);
  }

 private:
  std::unique_ptr<QWidget> m_window;
  TEdit* m_field = nullptr;
  QWidget* m_other = nullptr;
};

QTEST_MAIN(tst_Edit)
#include "tst_edit.moc"
