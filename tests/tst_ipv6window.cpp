// The IPv6 window driven through its object names: the fields it shows for addresses of every kind and the
// prefix edges, its errors, the prefix pasted or typed after the address, results emptied by typing, Enter
// anywhere, one instance made on first use, its settings section and a hostile one, the language switch.
#include <QClipboard>
#include <QMenuBar>
#include <QtTest>

#include "platform/profile.h"
#include "tests/fixture.h"

using namespace quorvane;

namespace {

const char* const kFields[] = {"edV6Expanded", "edV6Compressed", "edV6Network",  "edV6First",   "edV6Last",
                               "edV6Count",    "edV6Type",       "edV6Embedded", "edV6Reverse", "edV6Zone"};

// The first lines of the shipped English error texts.
const QString kErrorInIPv6 = QStringLiteral("The address is not a valid IPv6 address.");
const QString kErrorInPrefix6 = QStringLiteral("The prefix is not valid.");

// The reverse zone of the first `nibbles` nibbles of 2001:db8:abcd:12::, as typed out by hand.
const QString kZone64 = QStringLiteral("2.1.0.0.d.c.b.a.8.b.d.0.1.0.0.2.ip6.arpa");

}  // namespace

class tst_Ipv6Window : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void notMadeUntilFirstUse();
  void showsEveryField_data();
  void showsEveryField();
  void prefixEdges_data();
  void prefixEdges();
  void rejectsWhatDoesNotRead_data();
  void rejectsWhatDoesNotRead();
  void prefixAfterAddressWins();
  void typingEmptiesResults();
  void enterCalculatesAnywhere();
  void pasteSplitsAddressAndPrefix_data();
  void pasteSplitsAddressAndPrefix();
  void oneInstanceRaisedAgain();
  void settingsRoundTrip();
  void hostileSettingsSection_data();
  void hostileSettingsSection();
  void languageSwitchRewritesResults();
  void zonesPastTheLimitAreCounted();
  void typeAndEmbeddedAddress_data();
  void typeAndEmbeddedAddress();
  void argumentOpensWindowCalculated();

 private:
  TfrmIPv6* open();
  // Writes both inputs and calculates through the window's command.
  void calculate(const QString& address, const QString& prefix);
  QStringList results() const;
  QString field(const char* name) const;

  TfrmIPv6* m_window = nullptr;
};

void tst_Ipv6Window::init() {
  QVERIFY(setUpFixture());
  QVERIFY(copyShippedLanguages());
  QVERIFY(startWindow());
  m_window = nullptr;
}

void tst_Ipv6Window::cleanup() {
  if (m_form && m_form->ipv6Window()) m_form->ipv6Window()->close();
  tearDownFixture();
}

TfrmIPv6* tst_Ipv6Window::open() {
  m_form->command("actIPv6")->trigger();
  m_window = m_form->ipv6Window();
  // Keys reach a window's own shortcuts only once it is the application's active window.
  if (m_window && !test::becomesActive(m_window)) qWarning("the IPv6 window did not become active");
  return m_window;
}

void tst_Ipv6Window::calculate(const QString& address, const QString& prefix) {
  m_window->addressField()->setText(address);
  m_window->prefixField()->setText(prefix);
  m_window->command("actV6Calculate")->trigger();
}

QString tst_Ipv6Window::field(const char* name) const {
  const TEdit* edit = m_window->findChild<TEdit*>(QLatin1String(name));
  return edit ? edit->text() : QStringLiteral("<no field %1>").arg(QLatin1String(name));
}

QStringList tst_Ipv6Window::results() const {
  QStringList texts;
  for (const char* name : kFields) texts << field(name);
  return texts;
}

// Start-up pays nothing for the window: it exists only once the Tools menu's command opens it, and that menu
// sits between Action and Help.
void tst_Ipv6Window::notMadeUntilFirstUse() {
  QVERIFY(m_form->findChildren<TfrmIPv6*>().isEmpty());
  QStringList menus;
  for (QAction* entry : m_form->menuBar()->actions()) menus << entry->menu()->objectName();
  QCOMPARE(menus.mid(menus.indexOf(QStringLiteral("mnAction"))),
           QStringList({"mnAction", "mnTools", "mnHelp"}));
  const QMenu* tools = m_form->findChild<QMenu*>(QStringLiteral("mnTools"));
  QCOMPARE(tools->actions().value(0), m_form->command("actIPv6"));
  QCOMPARE(m_form->command("actIPv6")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_6));
  QVERIFY(open());
  QCOMPARE(m_window->windowTitle(), QStringLiteral("IPv6 calculator"));
  QCOMPARE(m_window->addressField()->text(), QString());
  QCOMPARE(m_window->prefixField()->text(), QStringLiteral("64"));
  QCOMPARE(results().join(QString()), QString());
}

void tst_Ipv6Window::showsEveryField_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<QStringList>("shown");  // the ten fields, top to bottom
  QTest::newRow("documentation /64") << "2001:DB8:ABCD:0012::1"
                                     << "/64"
                                     << QStringList{"2001:0db8:abcd:0012:0000:0000:0000:0001",
                                                    "2001:db8:abcd:12::1",
                                                    "2001:db8:abcd:12::/64",
                                                    "2001:db8:abcd:12::",
                                                    "2001:db8:abcd:12:ffff:ffff:ffff:ffff",
                                                    "18446744073709551616 (2^64)",
                                                    "Documentation (RFC 3849), globally reachable: no",
                                                    "",
                                                    "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0." + kZone64,
                                                    kZone64};
  QTest::newRow("IPv4-mapped")
      << "::ffff:192.0.2.128"
      << "96"
      << QStringList{"0000:0000:0000:0000:0000:ffff:c000:0280",
                     "::ffff:192.0.2.128",
                     "::ffff:0.0.0.0/96",
                     "::ffff:0.0.0.0",
                     "::ffff:255.255.255.255",
                     "4294967296 (2^32)",
                     "IPv4-mapped Address (RFC 4291), globally reachable: no",
                     "192.0.2.128",
                     "0.8.2.0.0.0.0.c.f.f.f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.ip6.arpa",
                     "f.f.f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.ip6.arpa"};
  QTest::newRow("Teredo: server, and the client inverted")
      << "2001:0:4136:e378:8000:63bf:3fff:fdd2"
      << "32"
      << QStringList{"2001:0000:4136:e378:8000:63bf:3fff:fdd2",
                     "2001:0:4136:e378:8000:63bf:3fff:fdd2",
                     "2001::/32",
                     "2001::",
                     "2001:0:ffff:ffff:ffff:ffff:ffff:ffff",
                     "79228162514264337593543950336 (2^96)",
                     "TEREDO (RFC 4380, RFC 8190), globally reachable: not stated",
                     "server 65.54.227.120, client 192.0.2.45",
                     "2.d.d.f.f.f.f.3.f.b.3.6.0.0.0.8.8.7.3.e.6.3.1.4.0.0.0.0.1.0.0.2.ip6.arpa",
                     "0.0.0.0.1.0.0.2.ip6.arpa"};
}

// Every field as a person reads it, for addresses whose fields differ in kind.
void tst_Ipv6Window::showsEveryField() {
  QFETCH(QString, address);
  QFETCH(QString, prefix);
  QFETCH(QStringList, shown);
  QVERIFY(open());
  calculate(address, prefix);
  QCOMPARE(results(), shown);
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Ipv6Window::prefixEdges_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<QStringList>("shown");  // network, first, last, count, zone; "type" and "embedded" by row
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("embedded");
  const QString ones = QStringLiteral("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff");
  QTest::newRow("/0: every address, 2^128 written out")
      << "::/0"
      << QStringList{"::/0", "::", ones, "340282366920938463463374607431768211456 (2^128)", "ip6.arpa"}
      << "Unspecified Address (RFC 4291), globally reachable: no"
      << "";
  QTest::newRow("/1: eight zones of the next nibble")
      << "8000::1/1"
      << QStringList{"8000::/1", "8000::", ones, "170141183460469231731687303715884105728 (2^127)",
                     "8.ip6.arpa, 9.ip6.arpa, a.ip6.arpa, b.ip6.arpa, c.ip6.arpa, d.ip6.arpa, e.ip6.arpa, "
                     "f.ip6.arpa"}
      << "Reserved or unassigned (RFC 4291)"
      << "";
  QTest::newRow("/63: two /64 zones")
      << "2002:c000:204:1::1/63"
      << QStringList{"2002:c000:204::/63", "2002:c000:204::", "2002:c000:204:1:ffff:ffff:ffff:ffff",
                     "36893488147419103232 (2^65)",
                     "0.0.0.0.4.0.2.0.0.0.0.c.2.0.0.2.ip6.arpa, 1.0.0.0.4.0.2.0.0.0.0.c.2.0.0.2.ip6.arpa"}
      << "6to4 (RFC 3056), globally reachable: not stated"
      << "192.0.2.4";
  QTest::newRow("/64 of global unicast")
      << "2a00:1450:4001:82a::200e/64"
      << QStringList{"2a00:1450:4001:82a::/64",
                     "2a00:1450:4001:82a::", "2a00:1450:4001:82a:ffff:ffff:ffff:ffff",
                     "18446744073709551616 (2^64)", "a.2.8.0.1.0.0.4.0.5.4.1.0.0.a.2.ip6.arpa"}
      << "Global unicast"
      << "";
  QTest::newRow("/65: the lower half, eight zones of /68")
      << "64:ff9b::c000:221/65"
      << QStringList{"64:ff9b::/65", "64:ff9b::", "64:ff9b::7fff:ffff:ffff:ffff",
                     "9223372036854775808 (2^63)",
                     "0.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "1.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "2.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "3.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "4.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "5.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, "
                     "6.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa, 7.0.0.0.0.0.0.0.0.b.9.f.f.4.6.0.0.ip6.arpa"}
      << "IPv4-IPv6 Translat. (RFC 6052), globally reachable: yes"
      << "192.0.2.33";
  QTest::newRow("/127: a point-to-point link of two addresses")
      << "fe80::1%eth0/127"
      << QStringList{"fe80::/127", "fe80::", "fe80::1", "2 (2^1)",
                     "0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa, "
                     "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa"}
      << "Link-Local Unicast (RFC 4291), globally reachable: no"
      << "";
  QTest::newRow("/128: one address, multicast of link-local scope")
      << "[ff02::1]/128"
      << QStringList{"ff02::1/128", "ff02::1", "ff02::1", "1 (2^0)",
                     "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.2.0.f.f.ip6.arpa"}
      << "Multicast (RFC 4291, Section 2.7), globally reachable: not stated, link-local scope"
      << "";
}

// The block edges, each with the prefix written after the address (which wins over the field's 64).
void tst_Ipv6Window::prefixEdges() {
  QFETCH(QString, input);
  QFETCH(QStringList, shown);
  QFETCH(QString, type);
  QFETCH(QString, embedded);
  QVERIFY(open());
  calculate(input, QStringLiteral("64"));
  QCOMPARE((QStringList{field("edV6Network"), field("edV6First"), field("edV6Last"), field("edV6Count"),
                        field("edV6Zone")}),
           shown);
  QCOMPARE(field("edV6Type"), type);
  QCOMPARE(field("edV6Embedded"), embedded);
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Ipv6Window::rejectsWhatDoesNotRead_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("faulty");
  QTest::newRow("empty address") << ""
                                 << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("an IPv4 address") << "192.0.2.1"
                                   << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9"
                               << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("seven groups and ::") << "1:2:3:4::5:6:7:8"
                                       << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow(":::") << "2001:::1"
                       << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("a bad octet in the tail") << "::ffff:192.0.2.256"
                                           << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("a prefix after the address above 128") << "2001:db8::/129"
                                                        << "64" << kErrorInIPv6 << "edV6Address";
  QTest::newRow("prefix above 128") << "2001:db8::1"
                                    << "129" << kErrorInPrefix6 << "edV6Prefix";
  QTest::newRow("negative prefix") << "2001:db8::1"
                                   << "-1" << kErrorInPrefix6 << "edV6Prefix";
  QTest::newRow("empty prefix") << "2001:db8::1"
                                << "" << kErrorInPrefix6 << "edV6Prefix";
  QTest::newRow("a dotted mask as prefix") << "2001:db8::1"
                                           << "255.255.255.0" << kErrorInPrefix6 << "edV6Prefix";
}

// The main window's error box with the window's own text; the faulty field selected whole and focused, every
// result empty, also those of an earlier calculation.
void tst_Ipv6Window::rejectsWhatDoesNotRead() {
  QFETCH(QString, address);
  QFETCH(QString, prefix);
  QFETCH(QString, message);
  QFETCH(QString, faulty);
  QVERIFY(open());
  calculate(QStringLiteral("2001:db8::1"), QStringLiteral("64"));
  QVERIFY(!field("edV6Count").isEmpty());
  m_window->addressField()->setText(address);
  m_window->prefixField()->setText(prefix);
  // Filled again behind the inputs' backs: only the failed calculation may empty them now.
  m_window->findChild<TEdit*>(QStringLiteral("edV6Count"))->setText(QStringLiteral("stale"));
  const QList<test::AnsweredBox> boxes =
      m_boxes->during([this] { m_window->command("actV6Calculate")->trigger(); });
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(boxes[0].text.section(QStringLiteral("\r\n"), 0, 0), message);
  QCOMPARE(boxes[0].icon, QMessageBox::Critical);
  QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(results().join(QString()), QString());
  const auto* edit = m_window->findChild<QLineEdit*>(faulty);
  QTRY_COMPARE(QApplication::focusWidget(), edit);
  QCOMPARE(edit->selectedText(), edit->text());
}

// A prefix after the address is taken even when the prefix field would not read.
void tst_Ipv6Window::prefixAfterAddressWins() {
  QVERIFY(open());
  calculate(QStringLiteral(" [2001:db8::1]/48 "), QStringLiteral("not a prefix"));
  QCOMPARE(field("edV6Network"), QStringLiteral("2001:db8::/48"));
  QCOMPARE(field("edV6Count"), QStringLiteral("1208925819614629174706176 (2^80)"));
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Ipv6Window::typingEmptiesResults() {
  QVERIFY(open());
  for (TLabeledEdit* input : {m_window->addressField(), m_window->prefixField()}) {
    calculate(QStringLiteral("2001:db8::1"), QStringLiteral("64"));
    QCOMPARE(results().filter(QRegularExpression(QStringLiteral("."))).size(), 9);
    input->setFocus();
    QTest::keyClick(input, Qt::Key_End);
    QTest::keyClick(input, Qt::Key_1);
    QCOMPARE(results().join(QString()), QString());
  }
}

// Return and the keypad's Enter calculate whichever control has the focus, a result field too.
void tst_Ipv6Window::enterCalculatesAnywhere() {
  QVERIFY(open());
  m_window->addressField()->setText(QStringLiteral("2001:db8::1"));
  const QList<std::pair<QWidget*, QKeyCombination>> presses{
      {m_window->addressField(), Qt::Key_Return},
      {m_window->prefixField(), Qt::KeypadModifier | Qt::Key_Enter},
      {m_window->findChild<TEdit*>(QStringLiteral("edV6Type")), Qt::Key_Return}};
  for (const auto& [target, key] : presses) {
    m_window->prefixField()->clear();
    m_window->prefixField()->setText(QStringLiteral("56"));
    QVERIFY(field("edV6Network").isEmpty());
    target->setFocus();
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
    QCOMPARE(field("edV6Network"), QStringLiteral("2001:db8::/56"));
  }
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Ipv6Window::pasteSplitsAddressAndPrefix_data() {
  QTest::addColumn<QString>("pasted");
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("prefix");
  QTest::newRow("address/prefix") << "2001:db8::1/48"
                                  << "2001:db8::1"
                                  << "48";
  QTest::newRow("blanks, brackets and a zone") << "\t[fe80::1%eth0]/010\n"
                                               << "[fe80::1%eth0]"
                                               << "10";
  QTest::newRow("no prefix: pasted as it is") << "2001:db8::5"
                                              << "2001:db8::5"
                                              << "64";
  QTest::newRow("no address: pasted as it is") << "hello/48"
                                               << "hello/48"
                                               << "64";
}

// Pasting an address with its prefix puts the prefix into its own field; Ctrl+Z takes each input back.
void tst_Ipv6Window::pasteSplitsAddressAndPrefix() {
  QFETCH(QString, pasted);
  QFETCH(QString, address);
  QFETCH(QString, prefix);
  QVERIFY(open());
  QGuiApplication::clipboard()->setText(pasted);
  TLabeledEdit* input = m_window->addressField();
  input->setFocus();
  input->selectAll();
  QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(input->text(), address);
  QCOMPARE(m_window->prefixField()->text(), prefix);
  QTest::keyClick(input, Qt::Key_Return);
  QCOMPARE(m_boxes->takeTexts().isEmpty(), address != QLatin1String("hello/48"));
}

// One window, however often it is asked for: closed, it is shown again with what it held; behind the main
// window, it comes to the front. Ctrl+6 in the main window asks for it as the menu does.
void tst_Ipv6Window::oneInstanceRaisedAgain() {
  QVERIFY(open());
  TfrmIPv6* first = m_window;
  calculate(QStringLiteral("2001:db8::1"), QStringLiteral("64"));
  first->close();
  QVERIFY(!first->isVisible());
  m_form->activateWindow();
  QVERIFY(test::becomesActive(m_form.get()));
  QTest::keyClick(m_form.get(), Qt::Key_6, Qt::ControlModifier);
  QVERIFY(test::becomesActive(first));
  QCOMPARE(m_form->ipv6Window(), first);
  QCOMPARE(field("edV6Network"), QStringLiteral("2001:db8::/64"));
  m_form->activateWindow();
  QVERIFY(test::becomesActive(m_form.get()));
  QCOMPARE(open(), first);
  QCOMPARE(m_form->findChildren<TfrmIPv6*>().size(), 1);
  QCOMPARE(m_window->isModal(), false);
  QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
}

// The place and the inputs of the last use come back with the next start, calculated; a start that never
// opened the window writes no section for it.
void tst_Ipv6Window::settingsRoundTrip() {
  const QString ini = m_form->settingsPath();
  QVERIFY(startWindow());
  QCOMPARE(profile::ReadKeyNames(ini, "IPv6 Window"), QList<QByteArray>());
  QVERIFY(open());
  calculate(QStringLiteral("2001:db8:abcd:12::1%eth0"), QStringLiteral("/56"));
  m_window->move(123, 145);
  QVERIFY(startWindow());
  QCOMPARE(profile::ReadString(ini, "IPv6 Window", "Address", {}), QByteArray("2001:db8:abcd:12::1%eth0"));
  QCOMPARE(profile::ReadString(ini, "IPv6 Window", "Prefix", {}), QByteArray("/56"));
  QVERIFY(open());
  QCOMPARE(m_window->pos(), QPoint(123, 145));
  QCOMPARE(m_window->addressField()->text(), QStringLiteral("2001:db8:abcd:12::1%eth0"));
  QCOMPARE(field("edV6Network"), QStringLiteral("2001:db8:abcd::/56"));
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Ipv6Window::hostileSettingsSection_data() {
  QTest::addColumn<QByteArray>("section");
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<bool>("calculated");
  QTest::newRow("place at the ends of int")
      << QByteArray("Left=2147483647\r\nTop=-2147483648\r\nAddress=::1\r\nPrefix=128\r\n") << "::1"
      << "128" << true;
  QTest::newRow("place that is no number, prefix out of range")
      << QByteArray("Left=far\r\nTop=0x\r\nAddress=2001:db8::1\r\nPrefix=999\r\n") << "2001:db8::1"
      << "999" << false;
  QTest::newRow("a zero byte and text that is no UTF-8")
      << QByteArray("Address=2001:db8::1") + '\0' + QByteArray("garbage\r\nPrefix=\xff\xfe\r\n")
      << "2001:db8::1" << QString::fromUtf8("\xff\xfe") << false;
  QTest::newRow("an address of 100 kB") << "Address=" + QByteArray(100000, 'a') + "\r\n"
                                        << QString(255, QLatin1Char('a')) << "64" << false;
}

// Whatever the section holds, the window opens on a screen with the inputs cut to what a field may hold and
// without a message, and the exit writes the settings back without a refusal.
void tst_Ipv6Window::hostileSettingsSection() {
  QFETCH(QByteArray, section);
  QFETCH(QString, address);
  QFETCH(QString, prefix);
  QFETCH(bool, calculated);
  const QString ini = m_form->settingsPath();
  m_form.reset();
  QVERIFY(test::writeFile(ini, "[Defaults]\r\nDefaultLang=english.lng\r\n[IPv6 Window]\r\n" + section));
  QVERIFY(startWindow());
  QVERIFY(open());
  QCOMPARE(m_window->addressField()->text(), address);
  QCOMPARE(m_window->prefixField()->text(), prefix);
  QCOMPARE(field("edV6Compressed").isEmpty(), !calculated);
  const QRect frame = m_window->frameGeometry();
  const QRect titleBar(frame.topLeft(), QSize(frame.width(), frame.height() - m_window->height()));
  QVERIFY(QGuiApplication::primaryScreen()->geometry().intersects(titleBar.isEmpty() ? frame : titleBar));
  QVERIFY(startWindow());
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(profile::ReadString(ini, "IPv6 Window", "Address", {}, 100000), address.toUtf8());
}

// Choosing another language translates the open window, its captions and the words of its results.
void tst_Ipv6Window::languageSwitchRewritesResults() {
  QVERIFY(open());
  calculate(QStringLiteral("ff05::2"), QStringLiteral("128"));
  QCOMPARE(
      field("edV6Type"),
      QStringLiteral("Multicast (RFC 4291, Section 2.7), globally reachable: not stated, site-local scope"));
  QAction* german = nullptr;
  for (QAction* item : m_form->findChild<QMenu*>(QStringLiteral("mnChangeLang"))->actions()) {
    if (item->property("languageFile").toString() == QLatin1String("german.lng")) german = item;
  }
  QVERIFY(german);
  german->trigger();
  QCOMPARE(m_window->windowTitle(), QStringLiteral("IPv6-Rechner"));
  QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblV6Embedded"))->text(),
           QStringLiteral("Eingebettete IPv4"));
  QCOMPARE(field("edV6Type"), QStringLiteral("Multicast (RFC 4291, Section 2.7), global erreichbar: nicht "
                                             "angegeben, Bereich: standortlokal"));
}

// A zone list longer than the limit shows its count with the first and the last zone, in the language's
// words.
void tst_Ipv6Window::zonesPastTheLimitAreCounted() {
  const std::optional<Ipv6> address = ParseIpv6("2001:db8::");
  QVERIFY(address);
  QCOMPARE(ReverseZonesText(Ipv6ReverseZones(*address, 29, 4)),
           QStringLiteral("8 zones, from 8.b.d.0.1.0.0.2.ip6.arpa to f.b.d.0.1.0.0.2.ip6.arpa"));
  QCOMPARE(ReverseZonesText(Ipv6ReverseZones(*address, 31)),
           QStringLiteral("8.b.d.0.1.0.0.2.ip6.arpa, 9.b.d.0.1.0.0.2.ip6.arpa"));
}

void tst_Ipv6Window::typeAndEmbeddedAddress_data() {
  QTest::addColumn<QByteArray>("address");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("embedded");
  const QString multicast =
      QStringLiteral("Multicast (RFC 4291, Section 2.7), globally reachable: not stated, ");
  QTest::newRow("scope 1") << QByteArray("ff01::1") << multicast + "interface-local scope"
                           << "";
  QTest::newRow("scope 3") << QByteArray("ff13::1") << multicast + "realm-local scope"
                           << "";
  QTest::newRow("scope 4") << QByteArray("ff34::1") << multicast + "admin-local scope"
                           << "";
  QTest::newRow("scope 8") << QByteArray("ff78::1") << multicast + "organization-local scope"
                           << "";
  QTest::newRow("scope e") << QByteArray("ff0e::101") << multicast + "global scope"
                           << "";
  QTest::newRow("scope 0 is reserved") << QByteArray("ff00::1") << multicast + "reserved scope"
                                       << "";
  QTest::newRow("scope f is reserved") << QByteArray("ff0f::1") << multicast + "reserved scope"
                                       << "";
  QTest::newRow("scope 6 is unassigned") << QByteArray("ff06::1") << multicast + "unassigned scope"
                                         << "";
  QTest::newRow("loopback") << QByteArray("::1") << "Loopback Address (RFC 4291), globally reachable: no"
                            << "";
  QTest::newRow("unique local") << QByteArray("fd12:3456::1")
                                << "Unique-Local (RFC 4193, RFC 8190), globally reachable: no"
                                << "";
  QTest::newRow("outside 2000::/3 and every block")
      << QByteArray("4000::1") << "Reserved or unassigned (RFC 4291)"
      << "";
  QTest::newRow("mapped, all ones") << QByteArray("::ffff:255.255.255.255")
                                    << "IPv4-mapped Address (RFC 4291), globally reachable: no"
                                    << "255.255.255.255";
  QTest::newRow("IPv4-compatible carries nothing")
      << QByteArray("::192.0.2.1") << "Reserved or unassigned (RFC 4291)"
      << "";
  QTest::newRow("NAT64 local-use prefix carries nothing here")
      << QByteArray("64:ff9b:1::c000:201") << "IPv4-IPv6 Translat. (RFC 8215), globally reachable: no"
      << "";
  QTest::newRow("6to4: bits 16 to 47, not the last 32")
      << QByteArray("2002:cb00:7101::c000:201") << "6to4 (RFC 3056), globally reachable: not stated"
      << "203.0.113.1";
  QTest::newRow("Teredo: a client of all zeros is written all ones")
      << QByteArray("2001:0:102:304::ffff:ffff")
      << "TEREDO (RFC 4380, RFC 8190), globally reachable: not stated"
      << "server 1.2.3.4, client 0.0.0.0";
}

// The type and the embedded IPv4 address as written for every multicast scope and for the prefixes that
// carry an IPv4 address, and for the near misses that carry none.
void tst_Ipv6Window::typeAndEmbeddedAddress() {
  QFETCH(QByteArray, address);
  QFETCH(QString, type);
  QFETCH(QString, embedded);
  const std::optional<Ipv6> value = ParseIpv6(address.toStdString());
  QVERIFY(value);
  QCOMPARE(Ipv6TypeText(*value), type);
  QCOMPARE(EmbeddedIpv4Text(*value), embedded);
}

// An IPv6 address given to a start or handed off later opens this window calculated; the main window starts
// as it would without one. An IPv4 address keeps to the main window.
void tst_Ipv6Window::argumentOpensWindowCalculated() {
  m_adapters.report = test::threeAddresses();
  m_form.reset();
  m_form = std::make_unique<TQuorvaneForm>();
  m_form->FormCreate(QStringLiteral("2001:db8::7 48"));
  m_form->show();
  QTRY_VERIFY(m_form->ipv6Window() && m_form->ipv6Window()->isVisible());
  m_window = m_form->ipv6Window();
  QCOMPARE(m_form->addressField()->text(), QStringLiteral("192.168.28.6"));
  QCOMPARE(m_window->addressField()->text(), QStringLiteral("2001:db8::7/48"));
  QCOMPARE(field("edV6Network"), QStringLiteral("2001:db8::/48"));

  m_window->close();
  m_form->receiveHandOff(QStringLiteral("fe80::9/10"));
  QVERIFY(m_window->isVisible());
  QCOMPARE(field("edV6Network"), QStringLiteral("fe80::/10"));
  m_form->receiveHandOff(QStringLiteral("10.1.2.3/24"));
  QCOMPARE(m_form->addressField()->text(), QStringLiteral("10.1.2.3"));
  QCOMPARE(field("edV6Network"), QStringLiteral("fe80::/10"));
  m_form->receiveHandOff(QStringLiteral("2001:db8::g"));
  QCOMPARE(m_boxes->takeTexts().value(0).section(QStringLiteral("\r\n"), 0, 0), kErrorInIPv6);
  QCOMPARE(m_form->findChildren<TfrmIPv6*>().size(), 1);
}

QUORVANE_GUI_TEST_MAIN(tst_Ipv6Window)

#include "tst_ipv6window.moc"
