// The subnet planner window, driven through its objectNames from the main window's Tools menu: every mode,
// the errors, a split of four million rows, copy, export, a cancelled long export and the way back into
// the main window.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "forms/frmipv6.h"
#include "forms/frmplanner.h"
#include "forms/tableoutput.h"
#include "main/quorvaneform.h"
#include "tests/fixture.h"
#include "tests/testfiles.h"
#include "widgets/checkbox.h"
#include "widgets/drawgrid.h"
#include "widgets/edit.h"
#include "widgets/label.h"
#include "widgets/labelededit.h"
#include "widgets/memo.h"

using namespace quorvane;

class TestPlannerWindow : public test::GuiFixture {
  Q_OBJECT

  TfrmPlanner* planner() const { return m_form->planner(); }
  template <typename T = QWidget>
  T* part(const char* name) const {
    T* found = planner()->findChild<T*>(QLatin1String(name));
    if (!found) qWarning("no control %s", name);
    return found;
  }
  TDrawGrid* grid() const { return part<TDrawGrid>("sgPlan"); }

  // Opens the planner through the menu command with the main window's inputs.
  void open() {
    m_form->command("actPlanner")->trigger();
    QVERIFY(planner() && planner()->isVisible());
  }
  void plan(const QString& network, int mode, const QString& value, const QString& hosts = {},
            bool p2p = false) {
    part<QLineEdit>("edPlanNetwork")->setText(network);
    part<QComboBox>("cbPlanMode")->setCurrentIndex(mode);
    part<QLineEdit>("edPlanValue")->setText(value);
    part<TMemo>("mePlanHosts")->setPlainText(hosts);
    part<TCheckBox>("cbPlanP2P")->setChecked(p2p);
    QTest::mouseClick(part<QPushButton>("btnPlan"), Qt::LeftButton);
  }
  void summarise(const QString& list) {
    part<QTabWidget>("pcPlanner")->setCurrentWidget(part("tsSummarise"));
    part<TMemo>("mePlanRanges")->setPlainText(list);
    QTest::mouseClick(part<QPushButton>("btnSummarise"), Qt::LeftButton);
  }
  static QStringList rows(const TDrawGrid* g) {
    QStringList all;
    for (qint64 r = 0; r < g->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < g->rows()->columnCount(); ++c) cells << g->cell(c, r);
      all << cells.join(u' ');
    }
    return all;
  }

 private Q_SLOTS:
  void init() {
    QVERIFY(setUpFixture());
    QVERIFY(copyShippedLanguages({QStringLiteral("english.lng"), QStringLiteral("german.lng")}));
    QVERIFY(startWindow());
    QCOMPARE(m_boxes->takeTexts(), QStringList());
  }
  void cleanup() {
    SetSaveFileChooser({});
    if (planner()) planner()->close();
    tearDownFixture();
  }

  void opensOnceWithTheMainWindowsNetwork() {
    QVERIFY(!planner());  // start-up does not make it
    setInputs(QStringLiteral("192.168.1.77"), QStringLiteral("255.255.255.192"));
    open();
    QCOMPARE(part<QLineEdit>("edPlanNetwork")->text(), QStringLiteral("192.168.1.64/26"));
    QCOMPARE(planner()->windowTitle(), QStringLiteral("Subnet planner"));
    QVERIFY(!planner()->isModal());
    QVERIFY(planner()->minimumSize() != planner()->maximumSize());
    TfrmPlanner* first = planner();
    planner()->close();
    setInputs(QStringLiteral("10.1.2.3"), QStringLiteral("/8"));
    open();
    QCOMPARE(planner(), first);
    QCOMPARE(m_form->findChildren<TfrmPlanner*>().size(), 1);
    QCOMPARE(part<QLineEdit>("edPlanNetwork")->text(), QStringLiteral("10.0.0.0/8"));
    // The page parts named by the language file.
    QCOMPARE(part<QTabWidget>("pcPlanner")->tabText(0), QStringLiteral("Split"));
    QCOMPARE(part<QComboBox>("cbPlanMode")->itemText(2), QStringLiteral("Hosts per subnet"));
  }

  void modes_data() {
    QTest::addColumn<QString>("network");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<bool>("p2p");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("totals");
    QTest::newRow("a /24 into /26")
        << "192.168.0.0/24" << 0 << "/26"
        << "" << false
        << QStringList{" 192.168.0.0/26 255.255.255.192 192.168.0.1 192.168.0.62 192.168.0.63 62",
                       " 192.168.0.64/26 255.255.255.192 192.168.0.65 192.168.0.126 192.168.0.127 62",
                       " 192.168.0.128/26 255.255.255.192 192.168.0.129 192.168.0.190 192.168.0.191 62",
                       " 192.168.0.192/26 255.255.255.192 192.168.0.193 192.168.0.254 192.168.0.255 62"}
        << "Subnets: 4. Addresses used: 256. Free: 0.";
    QTest::newRow("five subnets of a /24 are eight /27")
        << "192.168.0.0 255.255.255.0" << 1 << "5"
        << "" << false
        << QStringList{" 192.168.0.0/27 255.255.255.224 192.168.0.1 192.168.0.30 192.168.0.31 30",
                       " 192.168.0.32/27 255.255.255.224 192.168.0.33 192.168.0.62 192.168.0.63 30",
                       " 192.168.0.64/27 255.255.255.224 192.168.0.65 192.168.0.94 192.168.0.95 30",
                       " 192.168.0.96/27 255.255.255.224 192.168.0.97 192.168.0.126 192.168.0.127 30",
                       " 192.168.0.128/27 255.255.255.224 192.168.0.129 192.168.0.158 192.168.0.159 30",
                       " 192.168.0.160/27 255.255.255.224 192.168.0.161 192.168.0.190 192.168.0.191 30",
                       " 192.168.0.192/27 255.255.255.224 192.168.0.193 192.168.0.222 192.168.0.223 30",
                       " 192.168.0.224/27 255.255.255.224 192.168.0.225 192.168.0.254 192.168.0.255 30"}
        << "Subnets: 8. Addresses used: 256. Free: 0.";
    QTest::newRow("a /29 into /31 gives four links of 2 hosts")
        << "10.0.0.0/29" << 0 << "31"
        << "" << false
        << QStringList{" 10.0.0.0/31 255.255.255.254 10.0.0.0 10.0.0.1 10.0.0.1 2",
                       " 10.0.0.2/31 255.255.255.254 10.0.0.2 10.0.0.3 10.0.0.3 2",
                       " 10.0.0.4/31 255.255.255.254 10.0.0.4 10.0.0.5 10.0.0.5 2",
                       " 10.0.0.6/31 255.255.255.254 10.0.0.6 10.0.0.7 10.0.0.7 2"}
        << "Subnets: 4. Addresses used: 8. Free: 0.";
    QTest::newRow("50, 20 and 10 hosts in a /24, the rest free")
        << "192.168.0.0/24" << 2 << ""
        << "Servers 50\n\n  Clients 20\nPrinters\t10\n"
        << false
        << QStringList{"Servers 192.168.0.0/26 255.255.255.192 192.168.0.1 192.168.0.62 192.168.0.63 62",
                       "Clients 192.168.0.64/27 255.255.255.224 192.168.0.65 192.168.0.94 192.168.0.95 30",
                       "Printers 192.168.0.96/28 255.255.255.240 192.168.0.97 192.168.0.110 192.168.0.111 14",
                       "(free) 192.168.0.112/28 255.255.255.240 192.168.0.113 192.168.0.126 192.168.0.127 14",
                       "(free) 192.168.0.128/25 255.255.255.128 192.168.0.129 192.168.0.254 192.168.0.255 "
                       "126"}
        << "Subnets: 3. Addresses used: 112. Free: 144.";
    QTest::newRow("a 2-host link takes a /31 when asked")
        << "10.0.0.0/28" << 2 << ""
        << "wan 2\nlan 5" << true
        << QStringList{"lan 10.0.0.0/29 255.255.255.248 10.0.0.1 10.0.0.6 10.0.0.7 6",
                       "wan 10.0.0.8/31 255.255.255.254 10.0.0.8 10.0.0.9 10.0.0.9 2",
                       "(free) 10.0.0.10/31 255.255.255.254 10.0.0.10 10.0.0.11 10.0.0.11 2",
                       "(free) 10.0.0.12/30 255.255.255.252 10.0.0.13 10.0.0.14 10.0.0.15 2"}
        << "Subnets: 2. Addresses used: 10. Free: 6.";
    QTest::newRow("IPv6 /48 into /50")
        << "2001:db8::/48" << 0 << "50" << "" << false
        << QStringList{" 2001:db8::/50 2001:db8:: 2001:db8:0:3fff:ffff:ffff:ffff:ffff 302231454903657293676544",
                       " 2001:db8:0:4000::/50 2001:db8:0:4000:: 2001:db8:0:7fff:ffff:ffff:ffff:ffff "
                       "302231454903657293676544",
                       " 2001:db8:0:8000::/50 2001:db8:0:8000:: 2001:db8:0:bfff:ffff:ffff:ffff:ffff "
                       "302231454903657293676544",
                       " 2001:db8:0:c000::/50 2001:db8:0:c000:: 2001:db8:0:ffff:ffff:ffff:ffff:ffff "
                       "302231454903657293676544"}
        << "Subnets: 4. Addresses used: 1,208,925,819,614,629,174,706,176. Free: 0.";
    QTest::newRow("IPv6 sizing counts every address")
        << "2001:db8::/120" << 2 << ""
        << "a 100\nb 16" << false
        << QStringList{"a 2001:db8::/121 2001:db8:: 2001:db8::7f 128",
                       "b 2001:db8::80/124 2001:db8::80 2001:db8::8f 16",
                       "(free) 2001:db8::90/124 2001:db8::90 2001:db8::9f 16",
                       "(free) 2001:db8::a0/123 2001:db8::a0 2001:db8::bf 32",
                       "(free) 2001:db8::c0/122 2001:db8::c0 2001:db8::ff 64"}
        << "Subnets: 2. Addresses used: 144. Free: 112.";
  }
  void modes() {
    QFETCH(QString, network);
    QFETCH(int, mode);
    QFETCH(QString, value);
    QFETCH(QString, hosts);
    QFETCH(bool, p2p);
    QFETCH(QStringList, rows);
    QFETCH(QString, totals);
    open();
    plan(network, mode, value, hosts, p2p);
    QCOMPARE(part<TLabel>("lblPlanError")->text(), QString());
    QCOMPARE(TestPlannerWindow::rows(grid()), rows);
    QCOMPARE(part<TLabel>("lblPlanTotals")->text(), totals);
    QCOMPARE(grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Network"));
    QCOMPARE(part<TMemo>("mePlanHosts")->isVisible(), mode == TfrmPlanner::ByHosts);
  }

  void badInputEmptiesTheTable_data() {
    QTest::addColumn<QString>("network");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("selected");  // in the hosts list; empty when the focus goes to an edit
    QTest::newRow("a network that does not read") << "192.168.0/24" << 0 << "26"
                                                  << ""
                                                  << "The network is not valid: “192.168.0/24”."
                                                  << "";
    QTest::newRow("a network prefix above 32") << "10.0.0.0/33" << 0 << "26"
                                               << ""
                                               << "prefix is out of range"
                                               << "";
    QTest::newRow("a subnet prefix shorter than the network's") << "10.0.0.0/16" << 0 << "8"
                                                                << ""
                                                                << "The prefix is out of range: “8”."
                                                                << "";
    QTest::newRow("a prefix that is no number") << "10.0.0.0/16" << 0 << "x"
                                                << ""
                                                << "not a number: “x”"
                                                << "";
    // Digits past the largest number the planner counts with are still a number, of the mode's meaning.
    QTest::newRow("a prefix of 41 digits")
        << "10.0.0.0/16" << 0 << "99999999999999999999999999999999999999999"
        << ""
        << "out of range: “99999999999999999999999999999999999999999”"
        << "";
    QTest::newRow("one subnet more than ::/0 holds")
        << "::/0" << 1 << "340282366920938463463374607431768211457"
        << ""
        << "does not hold 340282366920938463463374607431768211457 subnets"
        << "";
    QTest::newRow("0 subnets") << "10.0.0.0/16" << 1 << "0"
                               << ""
                               << "at least 1"
                               << "";
    QTest::newRow("more subnets than addresses") << "10.0.0.0/30" << 1 << "5"
                                                 << ""
                                                 << "does not hold 5 subnets"
                                                 << "";
    QTest::newRow("a requirement that does not read") << "10.0.0.0/24" << 2 << ""
                                                      << "web 10\n\ndb ten\nmail 5"
                                                      << "Line 3 does not read: “db ten”."
                                                      << "db ten";
    QTest::newRow("a requirement of 0 hosts") << "10.0.0.0/24" << 2 << ""
                                              << "web 10\nbackup 0"
                                              << "Line 2 asks for 0 hosts: “backup 0”."
                                              << "backup 0";
    QTest::newRow("the first requirement that finds no room")
        << "192.168.0.0/24" << 2 << ""
        << "a 100\nb 100\nc 60\nd 2"
        << "Line 3 does not fit into the network: “c 60”."
        << "c 60";
  }
  // Every address of ::/0 as a subnet of its own: a count one past the largest 128-bit number.
  void allAddressesOfTheWholeIpv6Space() {
    open();
    plan(QStringLiteral("::/0"), 1, QStringLiteral("340282366920938463463374607431768211456"));
    QCOMPARE(part<TLabel>("lblPlanError")->text(), QString());
    QCOMPARE(grid()->rowCount(), kMaxGridRows);
    QCOMPARE(grid()->cell(1, 1), QStringLiteral("::1/128"));
    QVERIFY2(part<TLabel>("lblPlanTotals")
                 ->text()
                 .startsWith(QStringLiteral("Subnets: 340,282,366,920,938,463,463,374,607,431,768,211,456.")),
             qPrintable(part<TLabel>("lblPlanTotals")->text()));
    // An IPv4 network cannot hold that many.
    plan(QStringLiteral("0.0.0.0/0"), 1, QStringLiteral("0340282366920938463463374607431768211456"));
    QVERIFY2(part<TLabel>("lblPlanError")->text().contains(QStringLiteral("does not hold")),
             qPrintable(part<TLabel>("lblPlanError")->text()));
  }

  void badInputEmptiesTheTable() {
    QFETCH(QString, network);
    QFETCH(int, mode);
    QFETCH(QString, value);
    QFETCH(QString, hosts);
    QFETCH(QString, message);
    QFETCH(QString, selected);
    open();
    plan(QStringLiteral("10.0.0.0/24"), 0, QStringLiteral("26"));
    QCOMPARE(grid()->rowCount(), 4);
    plan(network, mode, value, hosts);
    QCOMPARE(grid()->rowCount(), 0);
    QCOMPARE(part<TLabel>("lblPlanTotals")->text(), QString());
    QVERIFY2(part<TLabel>("lblPlanError")->text().contains(message),
             qPrintable(part<TLabel>("lblPlanError")->text()));
    if (!selected.isEmpty()) QCOMPARE(part<TMemo>("mePlanHosts")->selectedText(), selected);
    // The next plan that reads clears the message.
    plan(QStringLiteral("10.0.0.0/24"), 0, QStringLiteral("25"));
    QCOMPARE(part<TLabel>("lblPlanError")->text(), QString());
  }

  void summary() {
    open();
    summarise(
        QStringLiteral("10.0.0.0/24\r\n10.0.1.0 - 10.0.1.255, 10.0.2.5\n"
                       "10.0.3.0 255.255.255.0\n2001:db8::/48, 2001:db8:1::/48\n10.0.0.7\n"));
    QCOMPARE(rows(part<TDrawGrid>("sgSummary")),
             (QStringList{
                 "10.0.0.0/23 10.0.0.0 10.0.1.255 512", "10.0.2.5/32 10.0.2.5 10.0.2.5 1",
                 "10.0.3.0/24 10.0.3.0 10.0.3.255 256",
                 "2001:db8::/47 2001:db8:: 2001:db8:1:ffff:ffff:ffff:ffff:ffff 2417851639229258349412352"}));
    QCOMPARE(part<TEdit>("edSupernet")->text(), QStringLiteral("10.0.0.0/22; 2001:db8::/47"));
    QCOMPARE(part<TLabel>("lblSummaryTotals")->text(), QStringLiteral("CIDR blocks: 4."));

    summarise(QStringLiteral("10.0.0.0/24\n10.0.0.9 - 10.0.0.3\n"));
    QCOMPARE(part<TDrawGrid>("sgSummary")->rowCount(), 0);
    QCOMPARE(part<TEdit>("edSupernet")->text(), QString());
    QCOMPARE(part<TLabel>("lblSummaryError")->text(),
             QStringLiteral("Line 2: the range ends below its start: “10.0.0.9 - 10.0.0.3”."));
    QCOMPARE(part<TMemo>("mePlanRanges")->selectedText(), QStringLiteral("10.0.0.9 - 10.0.0.3"));
    // Ctrl+Enter in the list summarises it.
    QVERIFY(test::becomesActive(planner()));
    part<TMemo>("mePlanRanges")->setPlainText(QStringLiteral("10.0.0.0/25\n10.0.0.128/25"));
    part<TMemo>("mePlanRanges")->setFocus();
    QTest::keyClick(part<TMemo>("mePlanRanges"), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(rows(part<TDrawGrid>("sgSummary")), QStringList{"10.0.0.0/24 10.0.0.0 10.0.0.255 256"});
    QCOMPARE(part<TMemo>("mePlanRanges")->toPlainText(), QStringLiteral("10.0.0.0/25\n10.0.0.128/25"));
    summarise(QStringLiteral("10.0.0.0/24\n\n300.1.1.1\n"));
    QCOMPARE(part<TLabel>("lblSummaryError")->text(), QStringLiteral("Line 3 does not read: “300.1.1.1”."));
    QCOMPARE(part<TMemo>("mePlanRanges")->selectedText(), QStringLiteral("300.1.1.1"));
  }

  // A pasted megabyte that does not read is quoted by its start only, in every list and field, in the
  // message's own words; the whole line is still selected where it stands.
  void aLongRejectedLineIsQuotedByItsStart() {
    open();
    const QString line = QStringLiteral("10.0.0.0/24 ") + QString(1 << 20, u'\u0416');
    const auto quotedStart = [](const QString& message) {
      const qsizetype open = message.indexOf(u'“'), close = message.lastIndexOf(u'”');
      return open < 0 || close < open ? QString() : message.mid(open + 1, close - open - 1);
    };
    summarise(QStringLiteral("10.0.1.0/24\n") + line + u'\n');
    const QString ranges = part<TLabel>("lblSummaryError")->text();
    QVERIFY2(ranges.size() < 200, qPrintable(ranges.left(200)));
    QVERIFY2(ranges.startsWith(QStringLiteral("Line 2 does not read: “10.0.0.0/24 ЖЖ")), qPrintable(ranges));
    QCOMPARE(quotedStart(ranges).back(), u'…');
    QCOMPARE(part<TMemo>("mePlanRanges")->selectedText().size(), line.size());

    part<QTabWidget>("pcPlanner")->setCurrentWidget(part("tsSplit"));
    plan(QStringLiteral("10.0.0.0/8"), 2, QString(), QStringLiteral("web 5\n") + line);
    const QString hosts = part<TLabel>("lblPlanError")->text();
    QVERIFY2(hosts.size() < 200 && hosts.startsWith(QStringLiteral("Line 2 does not read: “10.0.0.0/24 Ж")),
             qPrintable(hosts.left(200)));
    QCOMPARE(part<TMemo>("mePlanHosts")->selectedText().size(), line.size());
    plan(QStringLiteral("10.0.0.0/8"), 0, QString(40000, u'7'));
    QVERIFY2(part<TLabel>("lblPlanError")->text().size() < 200,
             qPrintable(part<TLabel>("lblPlanError")->text().left(200)));
    // A line just as long as a quote may be is quoted whole, without the mark.
    plan(QStringLiteral("10.0.0.0/8"), 2, QString(), QString(64, u'z'));
    QCOMPARE(quotedStart(part<TLabel>("lblPlanError")->text()), QString(64, u'z'));
  }

  void hugeSplitComputesOnlyTheRowsInView() {
    open();
    plan(QStringLiteral("10.0.0.0/24"), 0, QStringLiteral("30"));
    const auto planWhole = [&] { plan(QStringLiteral("10.0.0.0/8"), 0, QStringLiteral("30")); };
    const std::optional<qint64> growth = test::peakMemoryGrowth(planWhole);
    // Where the peak cannot be measured (a sanitizer build) the plan was not made: it is made all the same.
    if (growth)
      QVERIFY2(*growth < 16 * 1024 * 1024, qPrintable(QString::number(*growth)));
    else
      planWhole();
    QCOMPARE(grid()->rowCount(), 4194304);
    QCOMPARE(part<TLabel>("lblPlanTotals")->text(),
             QStringLiteral("Subnets: 4,194,304. Addresses used: 16,777,216. Free: 0."));
    // The view's own table holds one screenful, however long the plan.
    QVERIFY(grid()->model()->rowCount() <= grid()->pageRows() + 1);
    QTest::keyClick(grid(), Qt::Key_End);
    QCOMPARE(grid()->currentRow(), 4194303);
    QCOMPARE(grid()->cell(1, grid()->currentRow()), QStringLiteral("10.255.255.252/30"));
    QCOMPARE(grid()->topRow(), 4194304 - grid()->pageRows());
    const QModelIndex last = grid()->model()->index(int(grid()->currentRow() - grid()->topRow()), 5);
    QCOMPARE(last.data().toString(), QStringLiteral("10.255.255.255"));
    QTest::keyClick(grid(), Qt::Key_PageUp);
    QCOMPARE(grid()->currentRow(), 4194303 - grid()->pageRows());
    QTest::keyClick(grid(), Qt::Key_Home);
    QCOMPARE(grid()->topRow(), 0);
    QCOMPARE(grid()->model()->index(0, 1).data().toString(), QStringLiteral("10.0.0.0/30"));
    grid()->verticalScrollBar()->setValue(1000);
    QCOMPARE(grid()->model()->index(0, 1).data().toString(), QStringLiteral("10.0.15.160/30"));

    // More rows than a view can count: as many as it can, and the count said.
    plan(QStringLiteral("2001:db8::/32"), 0, QStringLiteral("64"));
    QCOMPARE(grid()->rowCount(), kMaxGridRows);
    QCOMPARE(part<TLabel>("lblPlanTotals")->text(),
             QStringLiteral("Subnets: 4,294,967,296. Addresses used: 79,228,162,514,264,337,593,543,950,336. "
                            "Free: 0. The list shows the first 2,147,483,647."));
    QTest::keyClick(grid(), Qt::Key_End);
    QCOMPARE(grid()->cell(1, grid()->currentRow()), QStringLiteral("2001:db8:7fff:fffe::/64"));
  }

  void rowChosenGoesToTheMainWindow() {
    open();
    plan(QStringLiteral("192.168.0.0/24"), 0, QStringLiteral("26"));
    const QRect second = grid()->visualRect(grid()->model()->index(1, 1));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(m_form->addressField()->text(), QStringLiteral("192.168.0.64"));
    QCOMPARE(m_form->maskField()->text(), QStringLiteral("/26"));
    QCOMPARE(m_form->findChild<TEdit*>(QStringLiteral("edBroadcast"))->text(),
             QStringLiteral("192.168.0.127"));
    // Enter on a row does the same, with the planner in front again.
    planner()->activateWindow();
    QVERIFY(test::becomesActive(planner()));
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Return);
    QCOMPARE(m_form->addressField()->text(), QStringLiteral("192.168.0.128"));
    // An IPv6 row goes to the IPv6 window's hook.
    QSignalSpy ipv6(planner(), &TfrmPlanner::ipv6NetworkChosen);
    planner()->activateWindow();
    QVERIFY(test::becomesActive(planner()));
    plan(QStringLiteral("2001:db8::/63"), 0, QStringLiteral("64"));
    grid()->setCurrentRow(1);
    QTest::keyClick(grid(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(ipv6.size(), 1);
    QCOMPARE(ipv6.at(0).at(0).toString(), QStringLiteral("2001:db8:0:1::/64"));
    QCOMPARE(m_form->addressField()->text(), QStringLiteral("192.168.0.128"));
    // ...and is calculated there.
    TfrmIPv6* window = m_form->ipv6Window();
    QVERIFY(window != nullptr && window->isVisible());
    QCOMPARE(window->resultNetwork(), QStringLiteral("2001:db8:0:1::/64"));

    // Ctrl+P in the IPv6 window opens the planner on that window's network.
    window->takeAddress(QStringLiteral("2001:db8:abcd:12::5/56"));
    window->activateWindow();
    QVERIFY(test::becomesActive(window));
    QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(part<QLineEdit>("edPlanNetwork")->text(), QStringLiteral("2001:db8:abcd::/56"));
    window->close();
  }

  void copyAsTabSeparatedText() {
    open();
    plan(QStringLiteral("10.0.0.0/24"), 2, QString(), QStringLiteral("Web, \"front\"\t9 4\nlink 2"));
    QApplication::clipboard()->clear();
    QTest::mouseClick(part<QPushButton>("btnPlanCopy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral(
                 "Name\tNetwork\tMask\tFirst host\tLast host\tBroadcast\tHosts\r\n"
                 "Web, \"front\" 9\t10.0.0.0/29\t255.255.255.248\t10.0.0.1\t10.0.0.6\t10.0.0.7\t6\r\n"
                 "link\t10.0.0.8/30\t255.255.255.252\t10.0.0.9\t10.0.0.10\t10.0.0.11\t2\r\n"
                 "(free)\t10.0.0.12/30\t255.255.255.252\t10.0.0.13\t10.0.0.14\t10.0.0.15\t2\r\n"
                 "(free)\t10.0.0.16/28\t255.255.255.240\t10.0.0.17\t10.0.0.30\t10.0.0.31\t14\r\n"
                 "(free)\t10.0.0.32/27\t255.255.255.224\t10.0.0.33\t10.0.0.62\t10.0.0.63\t30\r\n"
                 "(free)\t10.0.0.64/26\t255.255.255.192\t10.0.0.65\t10.0.0.126\t10.0.0.127\t62\r\n"
                 "(free)\t10.0.0.128/25\t255.255.255.128\t10.0.0.129\t10.0.0.254\t10.0.0.255\t126\r\n"));
  }

  void exportAsCsvThroughTheChooser() {
    open();
    summarise(QStringLiteral("192.0.2.0/25\n192.0.2.128/25\n"));
    const QString path = folder(QStringLiteral("plan.csv"));
    QStringList asked;
    SetSaveFileChooser([&](QWidget*, const QString&, const QString& filter) {
      asked << filter;
      return path;
    });
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    QCOMPARE(asked, QStringList{QStringLiteral("CSV files (*.csv)")});
    QCOMPARE(test::readFile(path), QByteArray("Network,First address,Last address,Addresses\r\n"
                                              "192.0.2.0/24,192.0.2.0,192.0.2.255,256\r\n"));
    // A name with a comma or a quote is quoted, its quotes doubled.
    part<QTabWidget>("pcPlanner")->setCurrentWidget(part("tsSplit"));
    plan(QStringLiteral("10.0.0.0/30"), 2, QString(), QStringLiteral("Büro \"A\", Etage 2 2"));
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    QCOMPARE(test::readFile(path),
             QByteArray("Name,Network,Mask,First host,Last host,Broadcast,Hosts\r\n"
                        "\"B\xC3\xBCro \"\"A\"\", Etage "
                        "2\",10.0.0.0/30,255.255.255.252,10.0.0.1,10.0.0.2,10.0.0.3,2\r\n"));
    // A cancelled choice writes nothing.
    SetSaveFileChooser([](QWidget*, const QString&, const QString&) { return QString(); });
    plan(QStringLiteral("10.0.0.0/30"), 0, QStringLiteral("31"));
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    QVERIFY(test::readFile(path).startsWith("Name,Network,Mask,First host,Last host,Broadcast,Hosts\r\n\"B"));
    // A file that cannot be written is named in a message with the system's reason.
    const QString missing = folder(QStringLiteral("no such folder/plan.csv"));
    SetSaveFileChooser([&](QWidget*, const QString&, const QString&) { return missing; });
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    const QStringList told = m_boxes->takeTexts();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].startsWith(QStringLiteral("The file could not be saved:\r\n") + missing +
                                QStringLiteral("\r\n")) &&
                 told[0].size() > missing.size() + 34,
             qPrintable(told[0]));
    QVERIFY(!QFile::exists(missing));
  }

  void longOutputAsksAndCanBeCancelled() {
    open();
    plan(QStringLiteral("10.0.0.0/8"), 0, QStringLiteral("30"));
    const QString path = folder(QStringLiteral("big.csv"));
    QVERIFY(test::writeFile(path, "before\n"));
    SetSaveFileChooser([&](QWidget*, const QString&, const QString&) { return path; });

    // "No" to the question: nothing written.
    m_boxes->setButton(QMessageBox::No);
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    QCOMPARE(m_boxes->takeTexts(),
             QStringList{QStringLiteral("The table has 4,194,304 rows. Save them all?")});
    QCOMPARE(test::readFile(path), QByteArray("before\n"));

    // "Yes", then Cancel while the progress shows: the old file stays, and the window went on drawing.
    int progressShown = 0;
    m_boxes->setHandler([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        box->button(QMessageBox::Yes)->click();
      } else if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
        ++progressShown;
        QVERIFY(progress->value() < progress->maximum());
        progress->cancel();
      }
    });
    QTest::mouseClick(part<QPushButton>("btnPlanExport"), Qt::LeftButton);
    QCOMPARE(progressShown, 1);
    QCOMPARE(test::readFile(path), QByteArray("before\n"));
    QCOMPARE(QDir(folder()).entryList({QStringLiteral("big.csv*")}, QDir::Files), QStringList{"big.csv"});

    // The same for a copy: the clipboard keeps what it had.
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::mouseClick(part<QPushButton>("btnPlanCopy"), Qt::LeftButton);
    QCOMPARE(progressShown, 2);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
    m_boxes->setHandler({});
    m_boxes->take();
  }

  // A larger window gives the grids and lists the room; the buttons stay at the bottom right.
  void resizingStretchesTheGrids() {
    open();
    QVERIFY(QTest::qWaitForWindowExposed(planner()));
    const QRect grid = this->grid()->geometry(), hosts = part("mePlanHosts")->geometry();
    const QRect copy = part("btnPlanCopy")->geometry(), totals = part("lblPlanTotals")->geometry();
    const QRect network = part("edPlanNetwork")->geometry();
    planner()->resize(planner()->size() + QSize(120, 90));
    QTRY_COMPARE(this->grid()->geometry(), grid.adjusted(0, 0, 120, 90));
    QCOMPARE(part("mePlanHosts")->geometry(), hosts.adjusted(0, 0, 120, 0));
    QCOMPARE(part("btnPlanCopy")->geometry(), copy.translated(120, 90));
    QCOMPARE(part("lblPlanTotals")->geometry(), totals.adjusted(0, 90, 120, 90));
    QCOMPARE(part("edPlanNetwork")->geometry(), network);
    // The summary page, shown only now, takes the size the window has then.
    part<QTabWidget>("pcPlanner")->setCurrentWidget(part("tsSummarise"));
    QTRY_COMPARE(part("sgSummary")->geometry().right(), this->grid()->geometry().right());
    planner()->resize(planner()->minimumSize());
    QTRY_VERIFY(part("btnPlanExport")->geometry().right() < planner()->width());
    QVERIFY(part("sgSummary")->geometry().right() < part("tsSummarise")->width());
  }

  void newLanguageRewordsTheWindow() {
    open();
    part<QComboBox>("cbPlanMode")->setCurrentIndex(TfrmPlanner::ByHosts);
    plan(QStringLiteral("10.0.0.0/24"), 2, QString(), QStringLiteral("a 10\nb x"));
    QAction* german = nullptr;
    for (QAction* item : m_form->findChild<QMenu*>(QStringLiteral("mnChangeLang"))->actions())
      if (item->property("languageFile").toString() == QStringLiteral("german.lng")) german = item;
    QVERIFY(german);
    german->trigger();
    QCOMPARE(planner()->windowTitle(), QStringLiteral("Subnetzplaner"));
    QCOMPARE(part<QComboBox>("cbPlanMode")->currentIndex(), int(TfrmPlanner::ByHosts));
    QCOMPARE(part<TLabel>("lblPlanError")->text(), QStringLiteral("Zeile 2 ist nicht lesbar: „b x“."));
    plan(QStringLiteral("10.0.0.0/24"), 0, QStringLiteral("25"));
    QCOMPARE(grid()->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Letzter Host"));
    QCOMPARE(part<QPushButton>("btnPlan")->text(), QStringLiteral("&Planen"));
  }
};

QTEST_MAIN(TestPlannerWindow)
#include "tst_plannerwindow.moc"
