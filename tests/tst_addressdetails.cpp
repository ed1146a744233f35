// Tests of the address details dialog and Copy results, driven through the main window's commands.
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "dialogs/dlgaddressdetails.h"
#include "main/quorvaneform.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/stringgrid.h"

using namespace quorvane;

namespace {

// How the user closes the dialog.
enum class Close { CloseButton, EscapeKey, CloseBox };

// What one opening of the details showed.
struct Seen {
  QStringList dialogs;   // object names of the dialogs that opened
  QStringList messages;  // texts of the message boxes
  QStringList rows;      // the grid's rows as "item: value"
  QString header;        // the grid's two header cells as "item | value"
  QString title;
  bool modal = false;
  bool ownedByMain = false;
  bool global = false;  // the global form variable held it while it was open
  bool closed = false;  // the way out closed it
  QString clipboard;    // after Copy all, when it was asked for
};

}  // namespace

Q_DECLARE_METATYPE(Close)

class TestAddressDetails : public test::GuiFixture {
  Q_OBJECT

 private:
  void start(const QString& language = QStringLiteral("english.lng"), int type = 0) {
    QVERIFY(copyShippedLanguages());
    QVERIFY(startWindow([&](TQuorvaneForm&) {
      Settings().DefaultLang = language;
      Settings().DefaultTypeConvert = std::uint8_t(type);
    }));
  }

  // Opens the details on the inputs (through the command, or Ctrl+I) and closes them the given way.
  Seen open(const QString& address, const QString& mask, Close close = Close::CloseButton,
            bool copyAll = false, bool byKey = false) {
    Seen seen;
    setInputs(address, mask);
    m_boxes->setHandler([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.messages << box->text();
        box->button(QMessageBox::Ok)->click();
        return;
      }
      seen.dialogs << modal->objectName();
      seen.title = modal->windowTitle();
      seen.modal = modal->isModal();
      seen.ownedByMain = modal->parentWidget() == m_form.get();
      seen.global = modal == dlgAddressDetails;
      if (auto* grid = modal->findChild<TStringGrid*>(QStringLiteral("sgDetails"))) {
        seen.header = grid->cell(0, 0) + " | " + grid->cell(1, 0);
        for (int row = 1; row <= grid->rowCount(); ++row)
          seen.rows << grid->cell(0, row) + ": " + grid->cell(1, row);
      }
      if (copyAll) {
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btnCopyAll")), Qt::LeftButton);
        seen.clipboard = QGuiApplication::clipboard()->text();
      }
      switch (close) {
        case Close::CloseButton:
          QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
          break;
        case Close::EscapeKey:
          QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Escape);
          break;
        case Close::CloseBox:
          modal->close();
          break;
      }
      QApplication::processEvents();
      seen.closed = !modal->isVisible();
    });
    m_boxes->during([&] {
      if (byKey)
        QTest::keyClick(m_form.get(), Qt::Key_I, Qt::ControlModifier);
      else
        m_form->command("actAddressDetails")->trigger();
      QApplication::processEvents();
    });
    m_boxes->setHandler({});
    return seen;
  }

  QStringList clipboardLines() const {
    QString text = QGuiApplication::clipboard()->text();
    if (text.endsWith('\n')) text.chop(1);
    return text.split('\n');
  }

 private Q_SLOTS:
  void init() { QVERIFY(setUpFixture()); }
  void cleanup() {
    tearDownFixture();
    QApplication::setPalette(QApplication::style()->standardPalette());
  }

  void exampleAddressRows() {
    start();
    const Seen seen = open("192.168.28.6", "/27");
    QCOMPARE(seen.dialogs, QStringList{"dlgAddressDetails"});
    QCOMPARE(seen.header, "Item | Value");
    QCOMPARE(seen.rows, QStringList({
                            "Network: 192.168.28.0/27",
                            "Address: 192.168.28.6/27",
                            "Total addresses: 32",
                            "Usable hosts: 30",
                            "Address block: Private-Use (RFC 1918), globally reachable: no",
                            "Network block: Private-Use (RFC 1918), globally reachable: no",
                            "Class: C (historical, before classless addressing)",
                            "Reverse DNS name: 6.28.168.192.in-addr.arpa",
                            "Reverse DNS zone: 28.168.192.in-addr.arpa",
                            "Classless delegation (RFC 2317): 0-31.28.168.192.in-addr.arpa",
                            "Network | host bits: 11000000.10101000.00011100.000|00110",
                        }));
    QVERIFY(seen.closed);
  }

  // The blocks, counts and zones that other addresses and masks bring; each row must be among those shown.
  void rowsOfOtherRequests_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("shared address space /10")
        << "100.64.3.7"
        << "/10"
        << QStringList{"Address block: Shared Address Space (RFC 6598), globally reachable: no",
                       "Network block: Shared Address Space (RFC 6598), globally reachable: no",
                       "Total addresses: 4194304", "Class: A (historical, before classless addressing)",
                       "Reverse DNS zone: 64 zones, from 64.100.in-addr.arpa to 127.100.in-addr.arpa"};
    QTest::newRow("anycast address in a /31 of protocol assignments")
        << "192.0.0.9"
        << "255.255.255.254"
        << QStringList{
               "Address block: Port Control Protocol Anycast (RFC 7723), globally reachable: yes",
               "Network block: IETF Protocol Assignments (RFC 6890, Section 2.1), globally reachable: no",
               "Network block: in part: IPv4 dummy address (RFC 7600), globally reachable: no",
               "Network block: in part: Port Control Protocol Anycast (RFC 7723), globally reachable: yes",
               "Usable hosts: 2",
               "Total addresses: 2",
               "Classless delegation (RFC 2317): 8-9.0.0.192.in-addr.arpa"};
    QTest::newRow("a /7 over Private-Use")
        << "10.1.2.3"
        << "/7"
        << QStringList{"Network: 10.0.0.0/7",
                       "Network block: in part: Private-Use (RFC 1918), globally reachable: no",
                       "Reverse DNS zone: 10.in-addr.arpa", "Reverse DNS zone: 11.in-addr.arpa",
                       "Total addresses: 33554432"};
    QTest::newRow("a /23 covers two zones")
        << "10.1.2.0"
        << "/23"
        << QStringList{"Reverse DNS zone: 2.1.10.in-addr.arpa", "Reverse DNS zone: 3.1.10.in-addr.arpa",
                       "Network | host bits: 00001010.00000001.0000001|0.00000000"};
    QTest::newRow("public address") << "8.8.8.8"
                                    << "255.255.255.0"
                                    << QStringList{"Address block: Public (globally routable)",
                                                   "Network block: Public (globally routable)",
                                                   "Usable hosts: 254"};
    QTest::newRow("deprecated relay block and its anycast address")
        << "192.88.99.2"
        << "/24"
        << QStringList{
               "Address block: 6a44-relay anycast address (RFC 6751), globally reachable: no",
               "Network block: Deprecated (6to4 Relay Anycast) (RFC 7526), globally reachable: not stated",
               "Network block: in part: 6a44-relay anycast address (RFC 6751), globally reachable: no"};
    QTest::newRow("multicast test network")
        << "233.252.0.7"
        << "/24"
        << QStringList{"Address block: MCAST-TEST-NET (RFC 5771), globally reachable: not stated",
                       "Class: D (historical, before classless addressing)"};
  }

  void rowsOfOtherRequests() {
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QStringList, rows);
    start();
    const Seen seen = open(address, mask);
    for (const QString& row : rows)
      QVERIFY2(seen.rows.contains(row), qPrintable(row + "\n" + seen.rows.join('\n')));
  }

  void opensAsDialogOfMainWindow() {
    start();
    const Seen seen = open("192.168.28.6", "/27", Close::CloseButton, false, true);
    QCOMPARE(seen.dialogs, QStringList{"dlgAddressDetails"});
    QCOMPARE(seen.title, "Address details");
    QVERIFY(seen.modal);
    QVERIFY(seen.ownedByMain);
    QVERIFY(seen.global);
    QCOMPARE(dlgAddressDetails, nullptr);
  }

  void closes_data() {
    QTest::addColumn<Close>("close");
    QTest::newRow("Close button") << Close::CloseButton;
    QTest::newRow("Esc") << Close::EscapeKey;
    QTest::newRow("close box") << Close::CloseBox;
  }

  // Every way out closes the dialog and changes nothing in the main window.
  void closes() {
    QFETCH(Close, close);
    start();
    const Seen seen = open("192.168.28.6", "/27", close);
    QVERIFY(seen.closed);
    QCOMPARE(m_form->addressField()->text(), "192.168.28.6");
    QCOMPARE(m_form->maskField()->text(), "/27");
  }

  void copyAllPutsEveryRow() {
    start();
    QGuiApplication::clipboard()->setText("before");
    const Seen seen = open("192.168.28.6", "/27", Close::CloseButton, true);
    QCOMPARE(seen.clipboard, seen.rows.join('\n') + '\n');
  }

  void translatedRows() {
    start("german.lng");
    const Seen seen = open("192.168.28.6", "/27");
    QCOMPARE(seen.title, "Adressdetails");
    QCOMPARE(seen.rows.value(4), "Block der Adresse: Private-Use (RFC 1918), global erreichbar: nein");
    QCOMPARE(seen.rows.value(8), "Reverse-DNS-Zone: 28.168.192.in-addr.arpa");
  }

  void invalidInputShowsCalculatesMessage_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("message");
    QTest::newRow("address out of range") << "10.1.2.300"
                                          << "/24"
                                          << "edAddress" << int(Text::sErrorInIP);
    QTest::newRow("empty address") << ""
                                   << "/24"
                                   << "edAddress" << int(Text::sErrorInIP);
    QTest::newRow("mask not contiguous") << "10.1.2.3"
                                         << "255.0.255.0"
                                         << "edMask" << int(Text::sErrorInMask);
    QTest::newRow("prefix out of range") << "10.1.2.3"
                                         << "/32"
                                         << "edMask" << int(Text::sErrorInMask);
  }

  void invalidInputShowsCalculatesMessage() {
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, field);
    QFETCH(int, message);
    start();
    const Seen details = open(address, mask);
    QVERIFY(details.dialogs.isEmpty());
    QCOMPARE(details.messages, QStringList{Tr(Text(message))});
    auto* input = control<QLineEdit>(field);
    QCOMPARE(input->selectedText(), input->text());
    QCOMPARE(m_form->focusWidget(), input);

    // Calculate says the same of the same inputs.
    QStringList calculated;
    for (const test::AnsweredBox& box : m_boxes->during([&] { m_form->command("actCalculate")->trigger(); }))
      calculated << box.text;
    QCOMPARE(calculated, details.messages);
  }

  void copyResults_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("english binary") << "english.lng" << 0
                                    << QStringList{
                                           "Address: 192.168.28.6 11000000.10101000.00011100.00000110",
                                           "Subnet Mask: 255.255.255.224 11111111.11111111.11111111.11100000",
                                           "Inverted Mask: 0.0.0.31 00000000.00000000.00000000.00011111",
                                           "Prefix: /27",
                                           "Network: 192.168.28.0 11000000.10101000.00011100.00000000",
                                           "Min IP: 192.168.28.1 11000000.10101000.00011100.00000001",
                                           "Max IP: 192.168.28.30 11000000.10101000.00011100.00011110",
                                           "Broadcast: 192.168.28.31 11000000.10101000.00011100.00011111",
                                           "Hosts per Network: 30 192.168.28.1 - 192.168.28.30",
                                           "Network: 192.168.28.0/27",
                                       };
    QTest::newRow("german hexadecimal") << "german.lng" << 2
                                        << QStringList{
                                               "Adresse: 192.168.28.6 C0.A8.1C.06",
                                               "Subnetzmaske: 255.255.255.224 FF.FF.FF.E0",
                                               "Inverse Maske: 0.0.0.31 00.00.00.1F",
                                               "Präfix: /27",
                                               "Netzwerk: 192.168.28.0 C0.A8.1C.00",
                                               "Erster Host: 192.168.28.1 C0.A8.1C.01",
                                               "Letzter Host: 192.168.28.30 C0.A8.1C.1E",
                                               "Broadcast: 192.168.28.31 C0.A8.1C.1F",
                                               "Anzahl Hosts: 30 192.168.28.1 - 192.168.28.30",
                                               "Netzwerk: 192.168.28.0/27",
                                           };
  }

  void copyResults() {
    QFETCH(QString, language);
    QFETCH(int, type);
    QFETCH(QStringList, lines);
    start(language, type);
    setInputs("192.168.28.6", "/27");
    m_form->command("actCalculate")->trigger();
    QGuiApplication::clipboard()->setText("before");
    m_form->command("actCopyResults")->trigger();
    QCOMPARE(clipboardLines(), lines);
    // Ctrl+Shift+C does the same, also while a result field has the focus.
    QGuiApplication::clipboard()->setText("before");
    control<TEdit>("edNetworkBIN")->setFocus();
    QTest::keyClick(control<TEdit>("edNetworkBIN"), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboardLines(), lines);
  }

  void copyResultsWithoutResultsKeepsClipboard() {
    start();
    QGuiApplication::clipboard()->setText("kept");
    m_form->command("actClearAll")->trigger();
    m_form->command("actCopyResults")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), "kept");
    // Typing empties the results too.
    setInputs("10.0.0.1", "/8");
    m_form->command("actCopyResults")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), "kept");
  }

  void commandsInActionMenu() {
    start();
    QStringList entries;
    for (QAction* action : control<QMenu>("mnAction")->actions()) entries << action->objectName();
    QCOMPARE(entries.indexOf("actCopyResults"), entries.indexOf("actClearAll") + 1);
    QCOMPARE(entries.indexOf("actAddressDetails"), entries.indexOf("actShowDiap") + 1);
    QCOMPARE(m_form->command("actCopyResults")->text(), "C&opy results");
    QCOMPARE(m_form->command("actAddressDetails")->text(), "A&ddress details");
    QCOMPARE(m_form->command("actCopyResults")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    QCOMPARE(m_form->command("actAddressDetails")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
  }
};

QUORVANE_GUI_TEST_MAIN(TestAddressDetails)
#include "tst_addressdetails.moc"
