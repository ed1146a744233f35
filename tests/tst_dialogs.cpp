// Tests of the reference dialogs and the adapter enumerator, driven through the main window's commands.
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "core/exception.h"
#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "dialogs/ipandmask.h"
#include "main/quorvaneform.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"

using namespace quorvane;
using quorvane::test::AdapterReport;

// What the user does in an open dialog. `row` is the grid row or radio index that the action starts from.
enum class Answer {
  OkButton,
  ReturnKey,
  KeypadEnter,
  CancelButton,
  CloseBox,
  EscapeKey,
  ClickThenOk,            // click the row (or radio button), then OK
  DoubleClickRow,         // double-click the row
  ClickThenHeaderDClick,  // click the row (0: none), then double-click the header
  ClickThenBesideDClick,  // click the row, then double-click beside the cells of another row
};
Q_DECLARE_METATYPE(Answer)

namespace {

AdapterAddress entry(const QByteArray& address, const QByteArray& mask, quint32 context = 0) {
  return {address, mask, context};
}

QString dotted(quint32 value) { return QHostAddress(value).toString(); }

QString resultField(const TQuorvaneForm& form, const char* name) {
  return form.findChild<TEdit*>(QLatin1String(name))->text();
}

QWidget* focusTarget(QWidget* dialog) {
  QWidget* focus = QApplication::focusWidget();
  return focus && focus->window() == dialog ? focus : dialog;
}

QPushButton* defaultButton(QWidget* dialog) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>())
    if (button->isDefault()) return button;
  return nullptr;
}

QPushButton* cancelButton(QWidget* dialog) {
  auto* button = dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"));
  return button ? button : dialog->findChild<QPushButton*>(QStringLiteral("CancelBtn"));
}

// Mouse input through the window, as a real mouse delivers it: a double-click is press, release, press
// (with the double-click) and release.
void clickAt(QWidget* widget, QPoint pos) {
  QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                    widget->mapTo(widget->window(), pos));
}

void doubleClickAt(QWidget* widget, QPoint pos) {
  QTest::mouseDClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                     widget->mapTo(widget->window(), pos));
}

QPoint cellCentre(TStringGrid* grid, int row, int column = 1) {
  QTableWidgetItem* item = grid->item(row - 1, column);
  grid->scrollToItem(item);
  return grid->visualItemRect(item).center();
}

void pressKey(QWidget* dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(focusTarget(dialog), key, modifiers);
}

// Carries out the answer. A dialog that an Esc leaves open is then cancelled, so that the test goes on;
// `openAfterEscape` tells.
void act(QWidget* dialog, Answer answer, int row, bool* openAfterEscape = nullptr) {
  auto* grid = dialog->findChild<TStringGrid*>();
  switch (answer) {
    case Answer::OkButton:
      QTest::mouseClick(defaultButton(dialog), Qt::LeftButton);
      return;
    case Answer::ReturnKey:
      return pressKey(dialog, Qt::Key_Return);
    case Answer::KeypadEnter:
      return pressKey(dialog, Qt::Key_Enter, Qt::KeypadModifier);
    case Answer::CancelButton:
      QTest::mouseClick(cancelButton(dialog), Qt::LeftButton);
      return;
    case Answer::CloseBox:
      dialog->close();
      return;
    case Answer::EscapeKey:
      pressKey(dialog, Qt::Key_Escape);
      QApplication::processEvents();
      if (openAfterEscape) *openAfterEscape = dialog->isVisible();
      if (dialog->isVisible()) QTest::mouseClick(cancelButton(dialog), Qt::LeftButton);
      return;
    case Answer::ClickThenOk:
      if (grid) {
        clickAt(grid->viewport(), cellCentre(grid, row));
      } else {
        auto* button = dialog->findChild<QRadioButton*>(QStringLiteral("rgItem%1").arg(row));
        dialog->findChild<QScrollArea*>()->ensureWidgetVisible(button);
        // On the indicator: a radio button takes clicks on its indicator and text only.
        QTest::mouseClick(button, Qt::LeftButton, {}, {6, button->height() / 2});
      }
      QTest::mouseClick(defaultButton(dialog), Qt::LeftButton);
      return;
    case Answer::DoubleClickRow:
      return doubleClickAt(grid->viewport(), cellCentre(grid, row));
    case Answer::ClickThenHeaderDClick: {
      if (row > 0) clickAt(grid->viewport(), cellCentre(grid, row));
      QHeaderView* header = grid->horizontalHeader();
      return doubleClickAt(header->viewport(),
                           {header->sectionViewportPosition(1) + 20, header->height() / 2});
    }
    case Answer::ClickThenBesideDClick: {
      clickAt(grid->viewport(), cellCentre(grid, row));
      const QRect other = grid->visualItemRect(grid->item(grid->rowAt(40), grid->columnCount() - 1));
      return doubleClickAt(grid->viewport(), {other.right() + 3, other.center().y()});
    }
  }
}

// One opening of a dialog as the test saw it.
struct Visit {
  QStringList dialogs;   // object names of the dialogs answered
  QStringList messages;  // texts of the message boxes answered afterwards
  QPointer<QWidget> dialog;
  bool global = false;  // the dialog's global form variable held it while it was open
  bool openAfterEscape = false;
  QList<QStringList> grid;  // the grid's cells, header row first
  QStringList radios;
  int checkedRadio = -1;
  bool scrolls = false;  // the radio list has somewhere to scroll to
};

QList<QStringList> gridCells(TStringGrid* grid) {
  QList<QStringList> rows;
  for (int row = 0; row <= grid->rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < grid->columnCount(); ++column) cells << grid->cell(column, row);
    rows << cells;
  }
  return rows;
}

}  // namespace

class TestDialogs : public test::GuiFixture {
  Q_OBJECT

 private:
  TQuorvaneForm& form() { return *m_form; }

  bool recalculated() { return !resultField(form(), "edInputMask").isEmpty(); }

  // Opens a dialog through `open` and answers it with `answer`, reading what it shows first.
  Visit visit(const std::function<void()>& open, Answer answer, int row = 0) {
    Visit seen;
    const qsizetype stuckBefore = m_boxes->stuck().size();
    m_boxes->setHandler([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.messages << box->text();
        box->button(QMessageBox::Ok)->click();
        return;
      }
      seen.dialogs << modal->objectName();
      seen.dialog = modal;
      seen.global = modal == dlgShowInfo || modal == dlgShowDiap || modal == dlgSelectAddresses;
      if (auto* grid = modal->findChild<TStringGrid*>()) seen.grid = gridCells(grid);
      if (auto* group = modal->findChild<TRadioGroup*>()) {
        seen.radios = group->items();
        seen.checkedRadio = group->itemIndex();
        seen.scrolls = modal->findChild<QScrollArea*>()->verticalScrollBar()->maximum() > 0;
      }
      act(modal, answer, row, &seen.openAfterEscape);
    });
    // The visit reports what it met in its own way; the answerer's records of it are not kept.
    m_boxes->during([&] {
      open();
      QApplication::processEvents();
    });
    m_boxes->setHandler({});
    // A dialog that the answer did not close fails every comparison of the dialogs met.
    for (const QString& stuck : m_boxes->stuck().mid(stuckBefore))
      seen.dialogs << QStringLiteral("left open: ") + stuck;
    return seen;
  }

  Visit showInfo(Answer answer, int row = 0) {
    return visit([this] { form().command("actShowInfo")->trigger(); }, answer, row);
  }
  Visit showDiap(Answer answer, int row = 0) {
    return visit([this] { form().command("actShowDiap")->trigger(); }, answer, row);
  }
  Visit myParameters(Answer answer, int row = 0) {
    return visit([this] { form().command("actMyParameters")->trigger(); }, answer, row);
  }

  void useLanguage(const QByteArray& entries) {
    QVERIFY(writeLanguage(QStringLiteral("test.lng"), entries));
    Settings().DefaultLang = QStringLiteral("test.lng");
    LoadLanguage();
  }

  // Every text its key, but the entries given.
  static void fillTexts(const QHash<QString, QString>& entries) {
    TextTable::Refill([&](const char* key) { return entries.value(QLatin1String(key), QLatin1String(key)); });
  }

 private Q_SLOTS:
  void init() {
    // No languages folder: every text is its key. No adapter either, so the window opens empty and silent.
    QVERIFY(setUpFixture());
    QVERIFY(startWindow());
    QCOMPARE(m_boxes->takeTexts(), QStringList());
  }

  void cleanup() {
    QVERIFY(dlgShowInfo == nullptr);
    QVERIFY(dlgShowDiap == nullptr);
    QVERIFY(dlgSelectAddresses == nullptr);
    tearDownFixture();
  }

  void maskTable_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("header") << 0 << QStringList{"sClass", "sMask", "sInvMask", "sNumHost", "sPrefix"};
    QTest::newRow("row 1 class A") << 1
                                   << QStringList{"sClass A", "255.0.0.0", "0.255.255.255", "16777214", "/8"};
    QTest::newRow("row 2") << 2 << QStringList{"", "255.128.0.0", "0.127.255.255", "8388606", "/9"};
    QTest::newRow("row 9 class B") << 9
                                   << QStringList{"sClass B", "255.255.0.0", "0.0.255.255", "65534", "/16"};
    QTest::newRow("row 17 class C") << 17
                                    << QStringList{"sClass C", "255.255.255.0", "0.0.0.255", "254", "/24"};
    QTest::newRow("row 20 /27") << 20 << QStringList{"", "255.255.255.224", "0.0.0.31", "30", "/27"};
    QTest::newRow("row 23 /30") << 23 << QStringList{"", "255.255.255.252", "0.0.0.3", "2", "/30"};
    for (int p = 8; p <= 30; ++p) {
      const quint32 mask = 0xFFFFFFFFu << (32 - p);
      const QString label = p == 8 ? "sClass A" : p == 16 ? "sClass B" : p == 24 ? "sClass C" : "";
      QTest::addRow("/%d by formula", p)
          << p - 7
          << QStringList{label, dotted(mask), dotted(~mask), QString::number((1ll << (32 - p)) - 2),
                         QStringLiteral("/%1").arg(p)};
    }
  }

  void maskTable() {
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    const Visit seen = showInfo(Answer::CancelButton);
    QCOMPARE(seen.dialogs, QStringList{"dlgShowInfo"});
    QVERIFY(seen.global);
    QCOMPARE(seen.grid.size(), 24);
    QCOMPARE(seen.grid[row], cells);
  }

  void maskTableChoice_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("bySpeedButton");
    QTest::addColumn<QString>("mask");
    QTest::newRow("OK without moving") << Answer::OkButton << 0 << false << "255.0.0.0";
    QTest::newRow("Return without moving") << Answer::ReturnKey << 0 << false << "255.0.0.0";
    QTest::newRow("keypad Enter without moving") << Answer::KeypadEnter << 0 << false << "255.0.0.0";
    QTest::newRow("speed button, OK without moving") << Answer::OkButton << 0 << true << "255.0.0.0";
    QTest::newRow("click /27, OK") << Answer::ClickThenOk << 20 << false << "255.255.255.224";
    QTest::newRow("double-click /27") << Answer::DoubleClickRow << 20 << false << "255.255.255.224";
    QTest::newRow("double-click /30 at the bottom")
        << Answer::DoubleClickRow << 23 << true << "255.255.255.252";
    QTest::newRow("double-click header, nothing moved")
        << Answer::ClickThenHeaderDClick << 0 << false << "255.0.0.0";
    QTest::newRow("click /16, double-click header")
        << Answer::ClickThenHeaderDClick << 9 << false << "255.255.0.0";
    QTest::newRow("click /12, double-click beside cells")
        << Answer::ClickThenBesideDClick << 5 << false << "255.240.0.0";
  }

  void maskTableChoice() {
    QFETCH(Answer, answer);
    QFETCH(int, row);
    QFETCH(bool, bySpeedButton);
    QFETCH(QString, mask);
    setInputs(QStringLiteral("192.168.28.6"), QStringLiteral("/27"));
    const auto open = [&] {
      if (bySpeedButton)
        QTest::mouseClick(form().findChild<QToolButton*>(QStringLiteral("sbShowInfo")), Qt::LeftButton);
      else
        form().command("actShowInfo")->trigger();
    };
    const Visit seen = visit(open, answer, row);
    QCOMPARE(seen.dialogs.size(), 1);
    QVERIFY(seen.dialog.isNull());
    QCOMPARE(form().maskField()->text(), mask);
    QCOMPARE(form().addressField()->text(), QStringLiteral("192.168.28.6"));
    const quint32 network =
        QHostAddress(QStringLiteral("192.168.28.6")).toIPv4Address() & QHostAddress(mask).toIPv4Address();
    QCOMPARE(resultField(form(), "edNetwork"), dotted(network));
    QCOMPARE(seen.messages, QStringList());
  }

  void maskTableChoiceReportsBadAddress() {
    setInputs(QStringLiteral("300.1.1.1"), QStringLiteral("/27"));
    const Visit seen = showInfo(Answer::OkButton);
    QCOMPARE(form().maskField()->text(), QStringLiteral("255.0.0.0"));
    QCOMPARE(seen.messages, QStringList{"sErrorInIP"});
    QVERIFY(!recalculated());
  }

  void maskTableCancel_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("openAfterEscape");
    QTest::newRow("Cancel") << Answer::CancelButton << false;
    QTest::newRow("close box") << Answer::CloseBox << false;
    QTest::newRow("Esc does nothing") << Answer::EscapeKey << true;
  }

  void maskTableCancel() {
    QFETCH(Answer, answer);
    QFETCH(bool, openAfterEscape);
    setInputs(QStringLiteral("10.1.2.3"), QStringLiteral("0.0.0.15"));
    const Visit seen = showInfo(answer);
    QCOMPARE(seen.dialogs.size(), 1);
    QCOMPARE(seen.openAfterEscape, openAfterEscape);
    QCOMPARE(form().maskField()->text(), QStringLiteral("0.0.0.15"));
    QCOMPARE(form().addressField()->text(), QStringLiteral("10.1.2.3"));
    QVERIFY(!recalculated());
  }

  void blockRowShapes_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("three lines, CR LF")
        << "10.0.0.0/8\r\nPrivate\r\nRFC 1918" << QStringList{"10.0.0.0/8", "Private", "RFC 1918"};
    QTest::newRow("CR alone") << "a/1\rb\rc" << QStringList{"a/1", "b", "c"};
    QTest::newRow("LF alone") << "a/1\nb\nc" << QStringList{"a/1", "b", "c"};
    QTest::newRow("LF CR is two breaks") << "a/1\n\rc" << QStringList{"a/1", " ", "c"};
    QTest::newRow("break at the end starts no line") << "a/1\r\nb\r\n" << QStringList{"a/1", "b", ""};
    QTest::newRow("two breaks at the end") << "a/1\r\n\r\n" << QStringList{"a/1", " ", ""};
    QTest::newRow("empty second line keeps the reference in column 2")
        << "169.254.0.0/16\r\n\r\nRFC 3927" << QStringList{"169.254.0.0/16", " ", "RFC 3927"};
    QTest::newRow("empty first line") << "\r\nuse\r\nref" << QStringList{" ", "use", "ref"};
    QTest::newRow("fourth and fifth lines dropped")
        << "a/1\r\nb\r\nc\r\nd\r\ne" << QStringList{"a/1", "b", "c"};
    QTest::newRow("one line") << "192.0.2.0/24" << QStringList{"192.0.2.0/24", "", ""};
    QTest::newRow("empty entry") << "" << QStringList{"", "", ""};
    QTest::newRow("a break alone") << "\n" << QStringList{" ", "", ""};
    const QString longLine = QString(3000, u'x') + QStringLiteral("/24");
    QTest::newRow("very long line kept whole") << longLine + "\r\nuse" << QStringList{longLine, "use", ""};
  }

  void blockRowShapes() {
    QFETCH(QString, entry);
    QFETCH(QStringList, cells);
    fillTexts({{"sBlock1", entry}});
    const Visit seen = showDiap(Answer::CancelButton);
    QCOMPARE(seen.dialogs, QStringList{"dlgShowDiap"});
    QVERIFY(seen.global);
    QCOMPARE(seen.grid[1], cells);
  }

  void blocksFromLanguageFile() {
    QByteArray entries = "sBlock=Block\r\nsUse=Use\r\nsReference=Reference\r\nsClass=Klasse\r\n";
    // Every row's first line names its key's number; sBlock9 is missing; sBlock6 must never show.
    for (int n = 1; n <= 18; ++n)
      if (n != 9)
        entries += QStringLiteral("sBlock%1=10.%1.0.0/%1{ENTER}use %1{ENTER}ref %1\r\n").arg(n).toUtf8();
    useLanguage(entries);

    const Visit seen = showDiap(Answer::CancelButton);
    QCOMPARE(seen.grid.size(), 18);
    QCOMPARE(seen.grid[0], (QStringList{"Block", "Use", "Reference"}));
    const int keys[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    for (int row = 1; row <= 17; ++row) {
      const int n = keys[row - 1];
      const QStringList expected =
          n == 9 ? QStringList{"sBlock9", "", ""}
                 : QStringList{QStringLiteral("10.%1.0.0/%1").arg(n), QStringLiteral("use %1").arg(n),
                               QStringLiteral("ref %1").arg(n)};
      QCOMPARE(seen.grid[row], expected);
    }
    for (const QStringList& cells : seen.grid)
      QVERIFY2(!cells.join('|').contains(QStringLiteral("10.6.0.0")), qPrintable(cells.join('|')));

    // The mask table takes its class word from the same file.
    QCOMPARE(showInfo(Answer::CancelButton).grid[1][0], QStringLiteral("Klasse A"));
  }

  void dialogsAreTranslated_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::newRow("mask table button")
        << "actShowInfo" << QByteArray("dlgShowInfo.btnCancel.Caption=Abbrechen") << "btnCancel"
        << "Abbrechen";
    QTest::newRow("blocks table button")
        << "actShowDiap" << QByteArray("dlgShowDiap.btnChoose.Caption=Nehmen") << "btnChoose"
        << "Nehmen";
    QTest::newRow("address choice group")
        << "actMyParameters" << QByteArray("dlgSelectAddresses.rgIPAddresses.Caption=Adressen")
        << "rgIPAddresses"
        << "Adressen";
  }

  void dialogsAreTranslated() {
    QFETCH(QString, command);
    QFETCH(QByteArray, line);
    QFETCH(QString, control);
    QFETCH(QString, caption);
    useLanguage(line + "\r\n");
    m_adapters.report = QList<Adapter>{{{entry("10.0.0.1", "255.0.0.0"), entry("10.0.0.2", "255.0.0.0")}}};
    QString shown;
    m_boxes->setHandler([&](QWidget* modal) {
      if (QObject* target = modal->findChild<QObject*>(control))
        shown = target->property("Caption").toString();
      static_cast<QDialog*>(modal)->reject();
    });
    form().command(command.toLatin1().constData())->trigger();
    QCOMPARE(m_boxes->take().size(), 1);
    QCOMPARE(shown, caption);
  }

  void blockChoice_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("messages");
    const QString block = QStringLiteral("192.168.0.0/16\r\nPrivate-Use Networks\r\nRFC 1918");
    QTest::newRow("OK on the first row") << 1 << block << Answer::OkButton << "192.168.0.0"
                                         << "/16" << QStringList();
    QTest::newRow("Return on the first row") << 1 << block << Answer::ReturnKey << "192.168.0.0"
                                             << "/16" << QStringList();
    QTest::newRow("click row 12, OK") << 12 << block << Answer::ClickThenOk << "192.168.0.0"
                                      << "/16" << QStringList();
    QTest::newRow("double-click last row") << 17 << QStringLiteral("224.0.0.0/4\r\nMulticast\r\nRFC 3171")
                                           << Answer::DoubleClickRow << "224.0.0.0"
                                           << "/4" << QStringList();
    QTest::newRow("double-click header, nothing moved")
        << 1 << block << Answer::ClickThenHeaderDClick << "192.168.0.0"
        << "/16" << QStringList();
    QTest::newRow("click row 5, double-click header")
        << 5 << block << Answer::ClickThenHeaderDClick << "192.168.0.0"
        << "/16" << QStringList();
    QTest::newRow("prefix 31 is accepted")
        << 1 << QStringLiteral("10.0.0.0/31") << Answer::OkButton << "10.0.0.0"
        << "/31" << QStringList();
    QTest::newRow("no slash") << 1 << QStringLiteral("localhost\r\nuse") << Answer::OkButton << ""
                              << "localhost" << QStringList{"sErrorInIP"};
    QTest::newRow("slash first") << 1 << QStringLiteral("/24") << Answer::OkButton << ""
                                 << "/24" << QStringList{"sErrorInIP"};
    QTest::newRow("several slashes") << 1 << QStringLiteral("10.1.0.0/16/8") << Answer::OkButton << "10.1.0.0"
                                     << "/16/8" << QStringList{"sErrorInMask"};
    QTest::newRow("prefix 0") << 1 << QStringLiteral("0.0.0.0/0") << Answer::OkButton << "0.0.0.0"
                              << "/0" << QStringList{"sErrorInMask"};
    QTest::newRow("prefix 32") << 1 << QStringLiteral("10.0.0.0/32") << Answer::OkButton << "10.0.0.0"
                               << "/32" << QStringList{"sErrorInMask"};
    QTest::newRow("missing entry shows its key") << 6 << QString() << Answer::DoubleClickRow << ""
                                                 << "sBlock7" << QStringList{"sErrorInIP"};
    QTest::newRow("empty first line") << 1 << QStringLiteral("\r\nuse\r\nref") << Answer::OkButton << ""
                                      << " " << QStringList{"sErrorInIP"};
  }

  void blockChoice() {
    QFETCH(int, row);
    QFETCH(QString, entry);
    QFETCH(Answer, answer);
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QStringList, messages);
    const char* const keys[] = {"sBlock1",  "sBlock2",  "sBlock3",  "sBlock4",  "sBlock5",  "sBlock7",
                                "sBlock8",  "sBlock9",  "sBlock10", "sBlock11", "sBlock12", "sBlock13",
                                "sBlock14", "sBlock15", "sBlock16", "sBlock17", "sBlock18"};
    QHash<QString, QString> entries;
    if (!entry.isNull()) entries.insert(QLatin1String(keys[row - 1]), entry);
    fillTexts(entries);
    setInputs(QStringLiteral("1.2.3.4"), QStringLiteral("/8"));

    const Visit seen = showDiap(answer, row);
    QCOMPARE(seen.dialogs.size(), 1);
    QCOMPARE(form().addressField()->text(), address);
    QCOMPARE(form().maskField()->text(), mask);
    QCOMPARE(seen.messages, messages);
    QCOMPARE(recalculated(), messages.isEmpty());
    if (messages.isEmpty()) {
      QCOMPARE(resultField(form(), "edNetwork"), address);
      QCOMPARE(resultField(form(), "edInputPrefix"), mask);
    }
  }

  void blockCancel_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("Cancel") << Answer::CancelButton;
    QTest::newRow("Esc") << Answer::EscapeKey;
    QTest::newRow("close box") << Answer::CloseBox;
  }

  void blockCancel() {
    QFETCH(Answer, answer);
    fillTexts({{"sBlock1", "10.0.0.0/8"}});
    setInputs(QStringLiteral("1.2.3.4"), QStringLiteral("255.255.0.0"));
    const Visit seen = showDiap(answer);
    QCOMPARE(seen.dialogs.size(), 1);
    QVERIFY(!seen.openAfterEscape);
    QCOMPARE(form().addressField()->text(), QStringLiteral("1.2.3.4"));
    QCOMPARE(form().maskField()->text(), QStringLiteral("255.255.0.0"));
    QVERIFY(!recalculated());
  }

  void blockHintShowsCutText() {
    const QString longUse =
        QStringLiteral("Addresses that this network uses for a very long list of purposes");
    fillTexts({{"sBlock1", "10.0.0.0/8\r\n" + longUse + "\r\nRFC 1918"}});
    QString cutHint = QStringLiteral("<none>");
    QString shortHint = QStringLiteral("<none>");
    m_boxes->setHandler([&](QWidget* modal) {
      auto* grid = modal->findChild<TStringGrid*>();
      const auto hintAt = [&](int column) {
        const QPoint pos = grid->visualItemRect(grid->item(0, column)).center();
        QHelpEvent help(QEvent::ToolTip, pos, grid->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(grid->viewport(), &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return text;
      };
      shortHint = hintAt(2);
      cutHint = hintAt(1);
      static_cast<QDialog*>(modal)->reject();
    });
    form().command("actShowDiap")->trigger();
    QCOMPARE(m_boxes->take().size(), 1);
    QCOMPARE(cutHint, longUse);
    QCOMPARE(shortHint, QString());
  }

  void readAddresses_data() {
    QTest::addColumn<AdapterReport>("report");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("query failed") << AdapterReport() << QStringList();
    QTest::newRow("no adapter") << AdapterReport(QList<Adapter>{}) << QStringList();
    QTest::newRow("adapter without addresses") << AdapterReport(QList<Adapter>{Adapter{}}) << QStringList();
    QTest::newRow("one address") << AdapterReport(
                                        QList<Adapter>{{{entry("192.168.1.20", "255.255.255.0", 7)}}})
                                 << QStringList{"192.168.1.20|255.255.255.0|7"};
    QTest::newRow("adapters in order, addresses in order")
        << AdapterReport(QList<Adapter>{
               {{entry("10.0.0.5", "255.0.0.0", 2)}},
               {{entry("192.168.1.7", "255.255.255.0", 3), entry("172.16.3.4", "255.255.0.0", 4)}}})
        << QStringList{"10.0.0.5|255.0.0.0|2", "192.168.1.7|255.255.255.0|3", "172.16.3.4|255.255.0.0|4"};
    QTest::newRow("empty address ends only its adapter's list")
        << AdapterReport(
               QList<Adapter>{{{entry("10.0.0.1", "255.0.0.0"), entry("", ""), entry("10.0.0.2", "x")}},
                              {{entry("10.0.0.3", "255.0.0.0")}}})
        << QStringList{"10.0.0.1|255.0.0.0|0", "10.0.0.3|255.0.0.0|0"};
    QTest::newRow("blanks and control characters count as empty")
        << AdapterReport(QList<Adapter>{{{entry(" \t\r\n", "255.0.0.0"), entry("10.0.0.2", "255.0.0.0")}}})
        << QStringList();
    QTest::newRow("text kept untrimmed")
        << AdapterReport(QList<Adapter>{{{entry(" 10.0.0.1 ", " 255.0.0.0")}}})
        << QStringList{" 10.0.0.1 | 255.0.0.0|0"};
    QTest::newRow("disconnected adapter and duplicates are items")
        << AdapterReport(QList<Adapter>{{{entry("0.0.0.0", "0.0.0.0")}},
                                        {{entry("10.0.0.1", "255.0.0.0"), entry("10.0.0.1", "255.0.0.0")}}})
        << QStringList{"0.0.0.0|0.0.0.0|0", "10.0.0.1|255.0.0.0|0", "10.0.0.1|255.0.0.0|0"};
  }

  void readAddresses() {
    QFETCH(AdapterReport, report);
    QFETCH(QStringList, items);
    TIPAndMask addresses;
    // What an earlier read left is cleared first.
    addresses.Addresses.Add().IpAddress = QStringLiteral("stale");
    m_adapters.report = report;
    addresses.ReadAddresses();
    QStringList read;
    for (int i = 0; i < addresses.Addresses.Count(); ++i) {
      const TAddressItem& item = addresses.Addresses.Items(i);
      read << QStringLiteral("%1|%2|%3").arg(item.IpAddress, item.IpMAsk).arg(item.IpContext);
    }
    QCOMPARE(read, items);
    QVERIFY_THROWS_EXCEPTION(Exception, addresses.Addresses.Items(addresses.Addresses.Count()));
    QVERIFY_THROWS_EXCEPTION(Exception, addresses.Addresses.Items(-1));
  }

  void myParameters_data() {
    QTest::addColumn<AdapterReport>("report");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("radios");  // empty: no dialog may appear
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("messages");
    const QString keep = QStringLiteral("keep");
    const AdapterReport several(QList<Adapter>{
        {{entry("10.0.0.5", "255.0.0.0")}},
        {{entry("192.168.1.7", "255.255.255.0"), entry("172.16.3.4", "255.255.0.0")}},
    });
    const QStringList severalRadios{"10.0.0.5", "192.168.1.7", "172.16.3.4"};
    QTest::newRow("no address") << AdapterReport(QList<Adapter>{}) << Answer::OkButton << 0 << QStringList()
                                << keep << keep << QStringList();
    QTest::newRow("query failed") << AdapterReport() << Answer::OkButton << 0 << QStringList() << keep << keep
                                  << QStringList();
    QTest::newRow("one address, no dialog")
        << AdapterReport(QList<Adapter>{{{entry("192.168.1.20", "255.255.255.0")}}}) << Answer::OkButton << 0
        << QStringList() << "192.168.1.20"
        << "255.255.255.0" << QStringList();
    QTest::newRow("several, OK takes the first")
        << several << Answer::OkButton << 0 << severalRadios << "10.0.0.5"
        << "255.0.0.0" << QStringList();
    QTest::newRow("several, Enter takes the first")
        << several << Answer::ReturnKey << 0 << severalRadios << "10.0.0.5"
        << "255.0.0.0" << QStringList();
    QTest::newRow("third brings its own mask")
        << several << Answer::ClickThenOk << 2 << severalRadios << "172.16.3.4"
        << "255.255.0.0" << QStringList();
    QTest::newRow("Cancel") << several << Answer::CancelButton << 0 << severalRadios << keep << keep
                            << QStringList();
    QTest::newRow("Esc") << several << Answer::EscapeKey << 0 << severalRadios << keep << keep
                         << QStringList();
    QTest::newRow("close box") << several << Answer::CloseBox << 0 << severalRadios << keep << keep
                               << QStringList();
    QTest::newRow("disconnected adapter chosen")
        << AdapterReport(QList<Adapter>{{{entry("0.0.0.0", "0.0.0.0")}}, {{entry("10.0.0.1", "255.0.0.0")}}})
        << Answer::OkButton << 0 << QStringList{"0.0.0.0", "10.0.0.1"} << "0.0.0.0"
        << "0.0.0.0" << QStringList{"sErrorInMask"};
    QTest::newRow("duplicate, second chosen")
        << AdapterReport(QList<Adapter>{{{entry("10.0.0.1", "255.0.0.0"), entry("10.0.0.1", "255.255.0.0")}}})
        << Answer::ClickThenOk << 1 << QStringList{"10.0.0.1", "10.0.0.1"} << "10.0.0.1"
        << "255.255.0.0" << QStringList();
  }

  void myParameters() {
    QFETCH(AdapterReport, report);
    QFETCH(Answer, answer);
    QFETCH(int, row);
    QFETCH(QStringList, radios);
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QStringList, messages);
    m_adapters.report = report;
    setInputs(QStringLiteral("keep"), QStringLiteral("keep"));

    const Visit seen = myParameters(answer, row);
    QCOMPARE(seen.dialogs, radios.isEmpty() ? QStringList() : QStringList{"dlgSelectAddresses"});
    if (!radios.isEmpty()) {
      QVERIFY(seen.global);
      QCOMPARE(seen.radios, radios);
      QCOMPARE(seen.checkedRadio, 0);
    }
    QCOMPARE(form().addressField()->text(), address);
    QCOMPARE(form().maskField()->text(), mask);
    QCOMPARE(seen.messages, messages);
    QCOMPARE(recalculated(), address != QStringLiteral("keep") && messages.isEmpty());
  }

  void myParametersLongList() {
    QList<Adapter> adapters(4);
    QStringList radios;
    for (int i = 0; i < 200; ++i) {
      const QByteArray address = QStringLiteral("10.%1.%2.1").arg(i / 50).arg(i % 50).toLatin1();
      adapters[i / 50].addresses << entry(address, i == 199 ? "255.255.255.128" : "255.0.0.0");
      radios << QString::fromLatin1(address);
    }
    m_adapters.report = adapters;
    const Visit seen = myParameters(Answer::ClickThenOk, 199);
    QCOMPARE(seen.radios, radios);
    QVERIFY(seen.scrolls);
    QCOMPARE(form().addressField()->text(), QStringLiteral("10.3.49.1"));
    QCOMPARE(form().maskField()->text(), QStringLiteral("255.255.255.128"));
    QCOMPARE(resultField(form(), "edHostNum"), QStringLiteral("126"));
  }

  void selectWithoutAddressesChoosesNothing() {
    TIPAndMask none;
    QString address = QStringLiteral("a");
    QString mask = QStringLiteral("m");
    QVERIFY(!form().SelectIpAndMask(none, address, mask));
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(address + mask, QStringLiteral("am"));
  }

  // The system's list read straight from the kernel agrees with Qt's independent reading of it: the same
  // IPv4 entries of the same interfaces, loopback left out, interfaces in index order.
  void systemAdaptersMatchQtsInterfaceList() {
    SetAdapterSourceForTests(nullptr);
    const AdapterReport report = CurrentAdapterSource().query();
    QVERIFY(report.has_value());
    QStringList read;
    quint32 previousIndex = 0;
    for (const Adapter& adapter : *report) {
      QVERIFY(!adapter.addresses.isEmpty());
      QVERIFY(adapter.addresses.first().context > previousIndex);
      previousIndex = adapter.addresses.first().context;
      for (const AdapterAddress& address : adapter.addresses) {
        QCOMPARE(address.context, previousIndex);
        read << QStringLiteral("%1 %2/%3").arg(address.context).arg(address.address, address.mask);
      }
    }
    QMap<int, QStringList> expected;
    for (const QNetworkInterface& networkInterface : QNetworkInterface::allInterfaces()) {
      if (networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack)) continue;
      for (const QNetworkAddressEntry& entry : networkInterface.addressEntries()) {
        if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
        expected[networkInterface.index()] << QStringLiteral("%1 %2/%3")
                                                  .arg(networkInterface.index())
                                                  .arg(entry.ip().toString(), entry.netmask().toString());
      }
    }
    QStringList flattened;
    for (const QStringList& entries : std::as_const(expected)) flattened << entries;
    read.sort();
    flattened.sort();
    QCOMPARE(read, flattened);
  }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
