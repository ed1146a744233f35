// The two inputs as a person meets them: the prefilled address ready to be typed over, Tab selecting what it
// enters, and a request pasted in one piece filling both inputs.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

#include "main/quorvaneform.h"
#include "tests/fixture.h"

using namespace quorvane;

namespace {

enum class PasteBy { CtrlV, ShiftInsert, ContextMenu, Drop, MiddleButton };

}  // namespace

Q_DECLARE_METATYPE(PasteBy)

class tst_Inputs : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init() { QVERIFY(setUpFixture()); }
  void cleanup() { tearDownFixture(); }

  // At start the address taken from the adapter is selected whole in the focused edAddress: the first
  // keystrokes replace it.
  void startSelectsThePrefilledAddress() {
    m_adapters.report = test::threeAddresses();
    QVERIFY(startWindow());
    QLineEdit* address = m_form->addressField();
    QCOMPARE(QApplication::focusWidget(), address);
    QCOMPARE(address->text(), QStringLiteral("192.168.28.6"));
    QCOMPARE(address->selectedText(), address->text());
    QTest::keyClicks(address, QStringLiteral("192.168.1.77"));
    QCOMPARE(address->text(), QStringLiteral("192.168.1.77"));
    QCOMPARE(m_form->maskField()->text(), QStringLiteral("255.255.255.224"));
  }

  // Tab and Shift+Tab go between the two inputs only, and each selects the whole text it enters; a click
  // places the caret without selecting, and a window that comes back to the front keeps the caret.
  void tabSelectsTheInputItEnters() {
    m_adapters.report = test::threeAddresses();
    QVERIFY(startWindow());
    QLineEdit* address = m_form->addressField();
    QLineEdit* mask = m_form->maskField();
    address->setCursorPosition(3);
    QVERIFY(!address->hasSelectedText());

    for (const auto& [modifiers, from, to] : {std::tuple{Qt::NoModifier, address, mask},
                                              {Qt::NoModifier, mask, address},
                                              {Qt::ShiftModifier, address, mask},
                                              {Qt::ShiftModifier, mask, address}}) {
      from->deselect();
      QTest::keyClick(from, Qt::Key_Tab, modifiers);
      QCOMPARE(QApplication::focusWidget(), to);
      QCOMPARE(to->selectedText(), to->text());
    }
    QTest::keyClick(address, Qt::Key_Tab);
    QTest::keyClicks(mask, QStringLiteral("/16"));
    QCOMPARE(mask->text(), QStringLiteral("/16"));

    QTest::mouseClick(address, Qt::LeftButton, {}, QPoint(4, address->height() / 2));
    QCOMPARE(QApplication::focusWidget(), address);
    QVERIFY(!address->hasSelectedText());

    // Another window takes the front and gives it back.
    address->setCursorPosition(5);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    other.close();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), address);
    QVERIFY(!address->hasSelectedText());
    QCOMPARE(address->cursorPosition(), 5);
  }

  void pasteInOnePiece_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<PasteBy>("by");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("network");  // after Enter

    const auto row = [](const char* tag, const QString& pasted, PasteBy by, const char* address,
                        const char* mask, const char* network) {
      QTest::newRow(tag) << pasted << by << QString::fromLatin1(address) << QString::fromLatin1(mask)
                         << QString::fromLatin1(network);
    };
    row("prefix, Ctrl+V", "192.168.1.0/24", PasteBy::CtrlV, "192.168.1.0", "/24", "192.168.1.0");
    row("dotted mask after a blank, Ctrl+V", "192.168.1.130 255.255.255.128", PasteBy::CtrlV, "192.168.1.130",
        "255.255.255.128", "192.168.1.128");
    row("dotted mask after a tab, Shift+Insert", "10.20.30.40\t255.255.0.0", PasteBy::ShiftInsert,
        "10.20.30.40", "255.255.0.0", "10.20.0.0");
    row("a copied line with blanks and line breaks", "  172.16.9.9/20\r\n", PasteBy::CtrlV, "172.16.9.9",
        "/20", "172.16.0.0");
    row("the context menu's Paste", "10.1.2.3 0.0.0.255", PasteBy::ContextMenu, "10.1.2.3", "0.0.0.255",
        "10.1.2.0");
    row("a drop", "10.9.8.7/255.255.255.252", PasteBy::Drop, "10.9.8.7", "255.255.255.252", "10.9.8.4");
    // Only where the desktop has a selection (X11): elsewhere the row is skipped.
    row("the middle button's selection", "10.5.6.7 255.255.255.240", PasteBy::MiddleButton, "10.5.6.7",
        "255.255.255.240", "10.5.6.0");
  }

  // A request pasted into edAddress in one piece fills both inputs; the results wait for Enter as after
  // typing, and Ctrl+Z takes the address back.
  void pasteInOnePiece() {
    QFETCH(QString, pasted);
    QFETCH(PasteBy, by);
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, network);
    m_adapters.report = test::threeAddresses();
    QVERIFY(startWindow());
    QLineEdit* addressField = m_form->addressField();
    QCOMPARE(control<TEdit>(QStringLiteral("edNetwork"))->text(), QStringLiteral("192.168.28.0"));

    if (by == PasteBy::MiddleButton && !QGuiApplication::clipboard()->supportsSelection())
      QSKIP("this desktop has no selection to paste");
    paste(addressField, pasted, by);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(addressField->text(), address);
    QCOMPARE(m_form->maskField()->text(), mask);
    QVERIFY(control<TEdit>(QStringLiteral("edNetwork"))->text().isEmpty());
    QTest::keyClick(addressField, Qt::Key_Return);
    QCOMPARE(control<TEdit>(QStringLiteral("edNetwork"))->text(), network);
    QVERIFY(m_boxes->take().isEmpty());

    QTest::keyClick(addressField, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(addressField->text(), QStringLiteral("192.168.28.6"));
  }

  void pasteAsBefore_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");  // of the field the text was pasted into, after the paste
    // edAddress holds "192.168.28.6", its "28" selected; edMask holds "255.255.255.224", its "224" selected.
    QTest::newRow("an address alone replaces the selection") << "10"
                                                             << "edAddress"
                                                             << "192.168.10.6";
    QTest::newRow("a mask alone into edAddress") << "/24"
                                                 << "edAddress"
                                                 << "192.168./24.6";
    QTest::newRow("a pair into edMask is not split") << "10.0.0.1/8"
                                                     << "edMask"
                                                     << "255.255.255.10.0.0.1/8";
  }

  // What is not one piece, or goes into edMask, is pasted as the line edit always did.
  void pasteAsBefore() {
    QFETCH(QString, pasted);
    QFETCH(QString, field);
    QFETCH(QString, text);
    m_adapters.report = test::threeAddresses();
    QVERIFY(startWindow());
    m_form->addressField()->setSelection(8, 2);
    m_form->maskField()->setSelection(12, 3);
    auto* target = control<QLineEdit>(field);
    target->setFocus(Qt::MouseFocusReason);
    paste(target, pasted, PasteBy::CtrlV);
    QCOMPARE(target->text(), text);
    auto* other = target == m_form->addressField() ? m_form->maskField() : m_form->addressField();
    QCOMPARE(other->text(), other == m_form->maskField() ? QStringLiteral("255.255.255.224")
                                                         : QStringLiteral("192.168.28.6"));
  }

  // Typing is not pasting: blanks and slashes typed into edAddress stay there, character by character.
  void typingKeepsEveryCharacter() {
    QVERIFY(startWindow());
    QLineEdit* address = m_form->addressField();
    QTest::keyClicks(address, QStringLiteral("192.168.1.0/24"));
    QCOMPARE(address->text(), QStringLiteral("192.168.1.0/24"));
    address->clear();
    QTest::keyClicks(address, QStringLiteral("10.0.0.1 255.0.0.0"));
    QCOMPARE(address->text(), QStringLiteral("10.0.0.1 255.0.0.0"));
    QVERIFY(m_form->maskField()->text().isEmpty());
    QTest::keyClick(address, Qt::Key_Return);
    QCOMPARE(m_boxes->take().size(), 1);
  }

 private:
  void paste(QLineEdit* field, const QString& text, PasteBy by) {
    QGuiApplication::clipboard()->setText(text);
    switch (by) {
      case PasteBy::MiddleButton:
        QGuiApplication::clipboard()->setText(text, QClipboard::Selection);
        QTest::mouseClick(field, Qt::MiddleButton, {}, QPoint(5, field->height() / 2));
        break;
      case PasteBy::CtrlV:
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        break;
      case PasteBy::ShiftInsert:
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        break;
      case PasteBy::ContextMenu: {
        const QPoint at(5, field->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, field->mapToGlobal(at));
        QApplication::sendEvent(field, &event);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
          if (action->text().startsWith(QStringLiteral("&Paste"))) item = action;
        QVERIFY(item);
        QVERIFY(item->isEnabled());
        menu->close();
        item->trigger();
        break;
      }
      case PasteBy::Drop: {
        QMimeData data;
        data.setText(text);
        const QPoint at(5, field->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field, &drop);
        break;
      }
    }
  }
};

QUORVANE_GUI_TEST_MAIN(tst_Inputs)

#include "tst_inputs.moc"
