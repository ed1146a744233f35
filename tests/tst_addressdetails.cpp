// Tests of the address details dialog, Copy results and the coloured network and host bits, driven through
// the main window's commands.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "dialogs/dlgaddressdetails.h"
#include "main/quorvaneform.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/bitcolours.h"
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

// Pixels of the image between x0 and x1 nearer to `colour` than to any of `others`, and near it.
int pixelsOf(const QImage& image, int x0, int x1, const QColor& colour, const QList<QColor>& others) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = std::max(0, x0); x < std::min(x1, image.width()); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      const int near = ColourDistance(pixel, colour);
      bool nearest = near < 160;
      for (const QColor& other : others) nearest = nearest && near < ColourDistance(pixel, other);
      count += nearest ? 1 : 0;
    }
  return count;
}

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

  // The colours themselves, on the desktop's palette, a dark one, and palettes whose link colours are
  // unreadable on their background.
  void bitColoursAreReadable_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << test::darkPalette();
    QPalette faint = QApplication::style()->standardPalette();
    faint.setColor(QPalette::Link, QColor(0xE0, 0xE0, 0xF0));
    faint.setColor(QPalette::LinkVisited, QColor(0xF0, 0xE0, 0xE0));
    QTest::newRow("faint links on light") << faint;
    QPalette deep = test::darkPalette();
    deep.setColor(QPalette::Link, QColor(0x10, 0x10, 0x40));
    deep.setColor(QPalette::LinkVisited, QColor(0x30, 0x10, 0x10));
    QTest::newRow("deep links on dark") << deep;
    QPalette shades = test::darkPalette();
    shades.setColor(QPalette::Link, QColor(0x74, 0xB4, 0xFF));
    shades.setColor(QPalette::LinkVisited, QColor(0x74, 0xB4, 0xFF).lighter(120));
    QTest::newRow("visited links a shade of links") << shades;
  }

  void bitColoursAreReadable() {
    QFETCH(QPalette, palette);
    QPalette field = palette;
    // The result fields draw on the button face.
    field.setColor(QPalette::Base, palette.color(QPalette::Button));
    const BitColours colours = BinaryBitColours(field);
    const QColor background = field.color(QPalette::Base);
    QVERIFY2(ContrastRatio(colours.network, background) >= kMinimumTextContrast,
             qPrintable(colours.network.name()));
    QVERIFY2(ContrastRatio(colours.host, background) >= kMinimumTextContrast,
             qPrintable(colours.host.name()));
    QVERIFY2(ColourDistance(colours.network, colours.host) >= kDistinctColours,
             qPrintable(colours.network.name() + ' ' + colours.host.name()));
  }

  void contrastRatioKnownValues() {
    QCOMPARE(qRound(ContrastRatio(Qt::black, Qt::white) * 100), 2100);
    QCOMPARE(qRound(ContrastRatio(Qt::white, Qt::white) * 100), 100);
    // #767676 on white is the lightest grey that passes 4.5:1.
    QVERIFY(ContrastRatio(QColor(0x76, 0x76, 0x76), Qt::white) >= 4.5);
    QVERIFY(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white) < 4.5);
  }

  // The binary fields draw the network bits in one colour and the host bits in the other, on light and dark
  // desktops; the text, a selection of it and what Ctrl+C copies are as without colours.
  void binaryFieldsDrawBitsApart_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
  }

  void binaryFieldsDrawBitsApart() {
    QFETCH(bool, dark);
    if (dark) QApplication::setPalette(test::darkPalette());
    start();
    setInputs("192.168.28.6", "/20");
    m_form->command("actCalculate")->trigger();
    auto* field = control<TEdit>("edNetworkBIN");
    QCOMPARE(field->text(), "11000000.10101000.00010000.00000000");
    QCOMPARE(field->bitBoundary(), 20);
    const BitColours colours = BinaryBitColours(field->palette());
    const int boundary = field->cursorRect(22).left();  // before the 21st bit: 20 digits and 2 dots
    const QImage image = field->grab().toImage();
    const QPalette& p = field->palette();
    // Every colour the field may show: background, plain text, selection and the two bit colours.
    const QList<QColor> plain{p.color(QPalette::Base), p.color(QPalette::Text), p.color(QPalette::Highlight),
                              p.color(QPalette::HighlightedText)};
    const auto count = [&](const QImage& image, int x0, int x1, const QColor& colour) {
      const QColor other = colour == colours.network ? colours.host : colours.network;
      return pixelsOf(image, x0, x1, colour, plain + QList<QColor>{other});
    };
    QVERIFY(count(image, 0, boundary, colours.network) > 20);
    QCOMPARE(count(image, boundary + 1, image.width(), colours.network), 0);
    QVERIFY(count(image, boundary + 1, image.width(), colours.host) > 20);
    QCOMPARE(count(image, 0, boundary - 1, colours.host), 0);

    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), field->text());
    // Selected whole, it is drawn in the selection's colours only, as a field without bit colours is.
    const QImage selected = field->grab().toImage();
    field->setBitBoundary(-1);
    QCOMPARE(selected, field->grab().toImage());
    field->setBitBoundary(20);

    // Another display type has no bits to tell apart.
    control<QComboBox>("cbType")->setCurrentIndex(1);
    Q_EMIT control<QComboBox>("cbType")->activated(1);
    QCOMPARE(field->text(), "3232239616");
    QCOMPARE(field->bitBoundary(), -1);
    // The other fields of the second column: every value's network bits come first.
    for (const char* name : {"edInputAddressBIN", "edInputMaskBIN", "edInputMaskInverseBIN", "edBroadcastBIN",
                             "edMinIPBIN", "edMaxIPBIN"})
      QCOMPARE(control<TEdit>(name)->bitBoundary(), -1);
    control<QComboBox>("cbType")->setCurrentIndex(0);
    Q_EMIT control<QComboBox>("cbType")->activated(0);
    for (const char* name : {"edInputAddressBIN", "edInputMaskBIN", "edInputMaskInverseBIN", "edBroadcastBIN",
                             "edMinIPBIN", "edMaxIPBIN", "edNetworkBIN"})
      QCOMPARE(control<TEdit>(name)->bitBoundary(), 20);
    QCOMPARE(control<TEdit>("edHostRange")->bitBoundary(), -1);
  }
};

QUORVANE_GUI_TEST_MAIN(TestAddressDetails)
#include "tst_addressdetails.moc"
