// The program for screen-reader and keyboard users: every field and grid speaks its visible label, also after
// a switch of language, and the keyboard reaches everything the mouse does, including copying a result.
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QtTest>

#include "main/quorvaneform.h"
#include "settings/about.h"
#include "settings/settingsvalues.h"
#include "tests/fixture.h"
#include "widgets/stringgrid.h"

using namespace quorvane;
using quorvane::test::becomesActive;

namespace {

// The captions a sighted user reads the fields by, as the shipped language files write them.
struct Captions {
  const char* file;
  QStringList rows;  // address, mask, inverted mask, prefix, network, min IP, max IP, broadcast, hosts
  QString view;      // the additional view
  QString up, down;  // the spinner's arrows
  QStringList glyphHints;
};

const Captions kEnglish{"english.lng",
                        {"Address", "Subnet Mask", "Inverted Mask", "Prefix", "Network", "Min IP", "Max IP",
                         "Broadcast", "Hosts per Network"},
                        "Additional view",
                        "Next mask",
                        "Previous mask",
                        {"Class A subnet mask", "Class B subnet mask", "Class C subnet mask", "Masks info"}};
const Captions kGerman{"german.lng",
                       {"Adresse", "Subnetzmaske", "Inverse Maske", "Präfix", "Netzwerk", "Erster Host",
                        "Letzter Host", "Broadcast", "Anzahl Hosts"},
                       "Zusätzliche Darstellung",
                       "Nächste Maske",
                       "Vorherige Maske",
                       {"Subnetzmaske der Klasse A", "Subnetzmaske der Klasse B", "Subnetzmaske der Klasse C",
                        "Übersicht der Masken"}};

// The fields of each row: first column, second column (empty where the row has none).
const QList<QStringList> kRowFields = {{"edInputAddress", "edInputAddressBIN"},
                                       {"edInputMask", "edInputMaskBIN"},
                                       {"edInputMaskInverse", "edInputMaskInverseBIN"},
                                       {"edInputPrefix", ""},
                                       {"edNetwork", "edNetworkBIN"},
                                       {"edMinIP", "edMinIPBIN"},
                                       {"edMaxIP", "edMaxIPBIN"},
                                       {"edBroadcast", "edBroadcastBIN"},
                                       {"edHostNum", "edHostRange"}};

// The controls that Tab skips, in reading order: what F6 visits.
const QStringList kF6Order =
    QStringLiteral(
        "cbType edInputAddress edInputAddressBIN edInputMask edInputMaskBIN edInputMaskInverse "
        "edInputMaskInverseBIN edInputPrefix edNetwork edNetworkBIN edMinIP edMinIPBIN edMaxIP "
        "edMaxIPBIN edBroadcast edBroadcastBIN edHostNum edHostRange")
        .split(u' ');

QString spokenName(QWidget* widget) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
  return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

}  // namespace

class tst_Accessibility : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void controlNames_data();
  void controlNames();
  void gridNamesAndCells_data();
  void gridNamesAndCells();
  void spinnerKeys_data();
  void spinnerKeys();
  void f6ReachesWhatTabSkips_data();
  void f6ReachesWhatTabSkips();
  void displayTypeByKeyboard();
  void resultFieldsTakeClicksNotTab();
  void resultFieldCopies_data();
  void resultFieldCopies();
  void dialogKeys_data();
  void dialogKeys();
  void aboutLinksByKeyboard_data();
  void aboutLinksByKeyboard();

 private:
  // The user's way: the language's item of the Select language menu.
  bool switchLanguage(const QString& file);
  // Keys to whatever has the focus in the active window, as a keyboard delivers them.
  static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }
};

void tst_Accessibility::init() {
  QVERIFY(setUpFixture());
  QVERIFY(copyShippedLanguages());
  m_adapters.report = test::threeAddresses();
  // Start-up takes the first adapter address and calculates it: 192.168.28.6 /27.
  QVERIFY(startWindow([](TQuorvaneForm&) {
    Settings().DefaultLang = QStringLiteral("english.lng");
    Settings().DefaultTypeConvert = 0;
  }));
  QCOMPARE(control<TEdit>("edHostNum")->text(), "30");
}

void tst_Accessibility::cleanup() { tearDownFixture(); }

bool tst_Accessibility::switchLanguage(const QString& file) {
  for (QAction* item : control<QMenu>("mnChangeLang")->actions()) {
    if (item->iconText() != file) continue;  // the file name as the menu shows it, without its access key
    item->trigger();
    return item->isChecked();
  }
  return false;
}

void tst_Accessibility::controlNames_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QString>("control");
  QTest::addColumn<QString>("name");
  for (const Captions& c : {kEnglish, kGerman}) {
    const QString language = QString::fromLatin1(c.file);
    const auto row = [&](const QString& control, const QString& name) {
      QTest::addRow("%s %s", c.file, qPrintable(control)) << language << control << name;
    };
    row("edAddress", c.rows[0]);
    row("edMask", c.rows[1]);
    for (int i = 0; i < kRowFields.size(); ++i) {
      row(kRowFields[i][0], c.rows[i]);
      if (kRowFields[i][1] == "edHostRange")
        row("edHostRange", c.rows[5] + " - " + c.rows[6]);
      else if (!kRowFields[i][1].isEmpty())
        row(kRowFields[i][1], c.rows[i] + ", " + c.view);
    }
    row("cbType", c.view);
    row("udMaskUp", c.up);
    row("udMaskDown", c.down);
    const QStringList glyphs = {"sbClassA", "sbClassB", "sbClassC", "sbShowInfo"};
    for (int i = 0; i < glyphs.size(); ++i) row(glyphs[i], c.glyphHints[i]);
  }
}

void tst_Accessibility::controlNames() {
  QFETCH(QString, language);
  QFETCH(QString, control);
  QFETCH(QString, name);
  if (language != "english.lng") QVERIFY(switchLanguage(language));
  QWidget* widget = this->control(control);
  QVERIFY(widget);
  QCOMPARE(widget->accessibleName(), name);
  if (qobject_cast<QComboBox*>(widget)) {
    // On this desktop a list's spoken name is its current entry; the label comes as its "labelled by"
    // relation.
    QStringList labels;
    for (const auto& [label, relation] :
         QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label))
      labels << label->text(QAccessible::Name);
    QVERIFY2(labels.contains(name), qPrintable(labels.join(", ")));
  } else {
    QCOMPARE(spokenName(widget), name);
  }
}

void tst_Accessibility::gridNamesAndCells_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("header");
  QTest::addColumn<int>("dataRow");  // 1-based, as the grid counts its rows
  QTest::addColumn<QString>("cell");
  QTest::newRow("english mask table /27") << "english.lng"
                                          << "actShowInfo"
                                          << "Masks Info" << 1 << "Subnet mask" << 20 << "255.255.255.224";
  QTest::newRow("german mask table hosts of /8") << "german.lng"
                                                 << "actShowInfo"
                                                 << "Subnetzmasken" << 3 << "Hosts" << 1 << "16777214";
  QTest::newRow("english reserved blocks")
      << "english.lng"
      << "actShowDiap"
      << "Reserved blocks of IP addresses [RFC 6890]" << 0 << "Block" << 3 << "100.64.0.0/10";
  QTest::newRow("german reserved blocks use")
      << "german.lng"
      << "actShowDiap"
      << "Reservierte IP-Adressblöcke [RFC 6890]" << 1 << "Verwendung" << 4 << "Loopback";
}

void tst_Accessibility::gridNamesAndCells() {
  QFETCH(QString, language);
  QFETCH(QString, command);
  QFETCH(QString, name);
  QFETCH(int, column);
  QFETCH(QString, header);
  QFETCH(int, dataRow);
  QFETCH(QString, cell);
  if (language != "english.lng") QVERIFY(switchLanguage(language));
  QString spoken, spokenHeader, spokenCell, shownCell;
  m_boxes->setHandler([&](QWidget* dialog) {
    auto* grid = dialog->findChild<TStringGrid*>();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
    spoken = iface->text(QAccessible::Name);
    if (QAccessibleTableInterface* table = iface->tableInterface()) {
      spokenHeader = table->columnDescription(column);
      if (QAccessibleInterface* at = table->cellAt(dataRow - 1, column))
        spokenCell = at->text(QAccessible::Name);
    }
    shownCell = grid->cell(column, dataRow);
    static_cast<QDialog*>(dialog)->reject();
  });
  m_form->command(qPrintable(command))->trigger();
  QCOMPARE(m_boxes->take().size(), 1);
  QCOMPARE(spoken, name);
  QCOMPARE(spokenHeader, header);
  QCOMPARE(shownCell, cell);
  QCOMPARE(spokenCell, cell);
}

void tst_Accessibility::spinnerKeys_data() {
  QTest::addColumn<QString>("mask");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QString>("stepped");
  QTest::addColumn<QString>("hosts");
  QTest::newRow("Up on a prefix") << "/27" << int(Qt::Key_Up) << 0 << "/28"
                                  << "14";
  QTest::newRow("Down on a prefix") << "/27" << int(Qt::Key_Down) << 0 << "/26"
                                    << "62";
  QTest::newRow("keypad Up on a dotted mask")
      << "255.255.255.224" << int(Qt::Key_Up) << int(Qt::KeypadModifier) << "255.255.255.240"
      << "14";
  QTest::newRow("Down on an inverted mask") << "0.0.0.31" << int(Qt::Key_Down) << 0 << "0.0.0.63"
                                            << "62";
  QTest::newRow("Up past /30 wraps to /8") << "/30" << int(Qt::Key_Up) << 0 << "/8"
                                           << "16777214";
  // With a modifier the key is the edit's own (Shift+Up selects), and nothing is calculated.
  QTest::newRow("Shift+Up leaves the mask") << "/27" << int(Qt::Key_Up) << int(Qt::ShiftModifier) << "/27"
                                            << "";
}

void tst_Accessibility::spinnerKeys() {
  QFETCH(QString, mask);
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(QString, stepped);
  QFETCH(QString, hosts);
  auto* edMask = control<QLineEdit>("edMask");
  edMask->setText(mask);
  edMask->setFocus();
  QTest::keyClick(edMask, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  QCOMPARE(edMask->text(), stepped);
  QCOMPARE(control<TEdit>("edHostNum")->text(), hosts);
  QCOMPARE(m_boxes->count(), 0);
}

void tst_Accessibility::f6ReachesWhatTabSkips_data() {
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QStringList>("visited");
  QTest::newRow("F6 forward, back to the address") << 0 << kF6Order + QStringList{"edAddress"};
  QStringList backward(kF6Order.rbegin(), kF6Order.rend());
  QTest::newRow("Shift+F6 backward, back to the address")
      << int(Qt::ShiftModifier) << backward + QStringList{"edAddress"};
}

void tst_Accessibility::f6ReachesWhatTabSkips() {
  QFETCH(int, modifiers);
  QFETCH(QStringList, visited);
  control("edAddress")->setFocus();
  QStringList seen;
  for (int i = 0; i < visited.size(); ++i) {
    press(Qt::Key_F6, Qt::KeyboardModifiers(modifiers));
    QWidget* focus = QApplication::focusWidget();
    seen << (focus ? focus->objectName() : QStringLiteral("<none>"));
    // A result reached from the keyboard is selected whole, ready for Ctrl+C.
    if (auto* field = qobject_cast<TEdit*>(focus)) QCOMPARE(field->selectedText(), field->text());
  }
  QCOMPARE(seen, visited);
}

void tst_Accessibility::displayTypeByKeyboard() {
  control("edAddress")->setFocus();
  press(Qt::Key_F6);
  QCOMPARE(QApplication::focusWidget(), control("cbType"));
  press(Qt::Key_Down);
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), 1);
  QCOMPARE(int(Settings().DefaultTypeConvert), 1);
  QCOMPARE(control<TEdit>("edInputAddressBIN")->text(), "3232242694");
}

void tst_Accessibility::resultFieldsTakeClicksNotTab() {
  auto* network = control<TEdit>("edNetwork");
  QTest::mouseClick(network, Qt::LeftButton);
  QCOMPARE(QApplication::focusWidget(), network);
  QStringList seen;
  for (int i = 0; i < 3; ++i) {
    press(Qt::Key_Tab);
    seen << QApplication::focusWidget()->objectName();
  }
  // From a result the Tab order goes on at an input; it never stops at a result.
  QVERIFY2(seen == QStringList({"edAddress", "edMask", "edAddress"}) ||
               seen == QStringList({"edMask", "edAddress", "edMask"}),
           qPrintable(seen.join(", ")));
}

void tst_Accessibility::resultFieldCopies_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<bool>("byMouse");
  QTest::newRow("drag across the binary address, Ctrl+C") << "edInputAddressBIN" << true;
  QTest::newRow("drag across the network, Ctrl+C") << "edNetwork" << true;
  QTest::newRow("drag across the host range, Ctrl+C") << "edHostRange" << true;
  QTest::newRow("F6 to the host count, Ctrl+C") << "edHostNum" << false;
}

void tst_Accessibility::resultFieldCopies() {
  QFETCH(QString, field);
  QFETCH(bool, byMouse);
  auto* edit = control<TEdit>(field);
  const QString value = edit->text();
  QVERIFY(!value.isEmpty());
  QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
  if (byMouse) {
    const int middle = edit->height() / 2;
    QTest::mousePress(edit, Qt::LeftButton, {}, {3, middle});
    QTest::mouseMove(edit, {edit->width() - 3, middle});
    QTest::mouseRelease(edit, Qt::LeftButton, {}, {edit->width() - 3, middle});
    QCOMPARE(QApplication::focusWidget(), edit);
  } else {
    control("edAddress")->setFocus();
    for (int i = 0; i < kF6Order.size() && QApplication::focusWidget() != edit; ++i) press(Qt::Key_F6);
  }
  QCOMPARE(edit->selectedText(), value);
  press(Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), value);
  // Copying is all a result field lets the keyboard do.
  press(Qt::Key_X, Qt::ControlModifier);
  press(Qt::Key_Delete);
  QCOMPARE(edit->text(), value);
}

void tst_Accessibility::dialogKeys_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QList<int>>("keys");
  QTest::addColumn<QString>("firstFocus");
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("mask");
  const int down = Qt::Key_Down, up = Qt::Key_Up, ret = Qt::Key_Return, enter = Qt::Key_Enter;
  QTest::newRow("mask table: Down three times, Return")
      << "actShowInfo" << QList<int>{down, down, down, ret} << "sgMask"
      << "192.168.28.6"
      << "255.224.0.0";
  QTest::newRow("mask table: Down, keypad Enter") << "actShowInfo" << QList<int>{down, enter} << "sgMask"
                                                  << "192.168.28.6"
                                                  << "255.128.0.0";
  QTest::newRow("reserved blocks: Down twice, Return")
      << "actShowDiap" << QList<int>{down, down, ret} << "sgDiap"
      << "100.64.0.0"
      << "/10";
  QTest::newRow("reserved blocks: Down, Up, Return") << "actShowDiap" << QList<int>{down, up, ret} << "sgDiap"
                                                     << "0.0.0.0"
                                                     << "/8";
  QTest::newRow("own addresses: Down, Return") << "actMyParameters" << QList<int>{down, ret} << "rgItem0"
                                               << "10.0.0.5"
                                               << "255.0.0.0";
  QTest::newRow("own addresses: Down past the last, keypad Enter")
      << "actMyParameters" << QList<int>{down, down, down, enter} << "rgItem0"
      << "172.16.1.9"
      << "255.255.0.0";
  QTest::newRow("own addresses: Down, Up, Return")
      << "actMyParameters" << QList<int>{down, up, ret} << "rgItem0"
      << "192.168.28.6"
      << "255.255.255.224";
}

void tst_Accessibility::dialogKeys() {
  QFETCH(QString, command);
  QFETCH(QList<int>, keys);
  QFETCH(QString, firstFocus);
  QFETCH(QString, address);
  QFETCH(QString, mask);
  QString focusAtOpening;
  m_boxes->setHandler([&](QWidget* dialog) {
    if (!becomesActive(dialog)) return static_cast<QDialog*>(dialog)->reject();
    focusAtOpening = QApplication::focusWidget()->objectName();
    for (const int key : keys)
      press(Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  });
  control<QLineEdit>("edMask")->setText("/24");
  m_form->command(qPrintable(command))->trigger();
  QCOMPARE(m_boxes->take().size(), 1);
  QCOMPARE(focusAtOpening, firstFocus);
  QCOMPARE(control<QLineEdit>("edAddress")->text(), address);
  QCOMPARE(control<QLineEdit>("edMask")->text(), mask);
  // Closed with OK: the window calculated the choice.
  QVERIFY(!control<TEdit>("edNetwork")->text().isEmpty());
}

void tst_Accessibility::aboutLinksByKeyboard_data() {
  QTest::addColumn<QString>("link");
  QTest::addColumn<int>("key");
  QTest::addColumn<QUrl>("target");
  QTest::newRow("Return on the home page") << "lHome" << int(Qt::Key_Return) << QUrl(kHomePage);
  QTest::newRow("keypad Enter on the home page") << "lHome" << int(Qt::Key_Enter) << QUrl(kHomePage);
  QTest::newRow("Space on the mail address") << "lMail" << int(Qt::Key_Space) << QUrl(kMailLink);
  QTest::newRow("Return on the mail address") << "lMail" << int(Qt::Key_Return) << QUrl(kMailLink);
}

void tst_Accessibility::aboutLinksByKeyboard() {
  QFETCH(QString, link);
  QFETCH(int, key);
  QFETCH(QUrl, target);
  bool reached = false, openAfterKey = false;
  m_boxes->setHandler([&](QWidget* box) {
    const auto focusIs = [box](const QString& name) {
      return box->isVisible() && box->focusWidget() && box->focusWidget()->objectName() == name;
    };
    if (!becomesActive(box)) {
      box->close();
      return;
    }
    for (int tabs = 0; tabs < 4 && !reached; ++tabs) {
      press(Qt::Key_Tab);
      reached = focusIs(link);
    }
    if (reached) press(Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    openAfterKey = box->isVisible();
    // Its button, by keyboard too.
    for (int tabs = 0; tabs < 4 && box->isVisible() && !focusIs("Button1"); ++tabs) press(Qt::Key_Tab);
    if (focusIs("Button1")) press(Qt::Key_Space);
  });
  m_form->command("actAbout")->trigger();
  QCOMPARE(m_boxes->take().size(), 1);
  QVERIFY2(reached, "Tab never reached the link");
  QCOMPARE(m_opened, QList<QUrl>{target});
  QVERIFY2(openAfterKey, "the key closed the box instead of opening the link");
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
