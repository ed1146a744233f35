// The start-up sequence as the user sees the window open: language menu, title, first adapter address,
// stored language and display type, first calculation, and the language menu afterwards.
#include <QActionGroup>
#include <QComboBox>
#include <QDirIterator>
#include <QGroupBox>
#include <QMenu>
#include <QtTest>

#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/profile.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/errorguard.h"
#include "widgets/radiogroup.h"

using namespace quorvane;
using quorvane::test::adapter;
using quorvane::test::AdapterReport;
using quorvane::test::AnsweredBox;

namespace {

// Network, Min IP, Max IP, Broadcast, Hosts per Network.
const QStringList kSummary = {"edNetwork", "edMinIP", "edMaxIP", "edBroadcast", "edHostNum"};
// The first lines of the shipped English error texts.
const QString kEnglishErrorInIP = "The address is not a valid IPv4 address.";
const QString kEnglishErrorInMask = "The subnet mask is not valid.";

}  // namespace

class tst_Startup : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void firstAdapterAddress_data();
  void firstAdapterAddress();
  void firstCalculableAdapter_data();
  void firstCalculableAdapter();
  void storedDisplayType_data();
  void storedDisplayType();
  void storedLanguage();
  void withoutLanguagesFolder();
  void refusedLanguageRewriteDoesNotStopTheStart();
  void languageMenu_data();
  void languageMenu();
  void choosingLanguage_data();
  void choosingLanguage();

 private:
  QStringList texts(const QStringList& names) const;
  // The seventeen result fields are the window's only plain edits.
  bool resultsEmpty() const {
    for (const TEdit* field : m_form->findChildren<TEdit*>())
      if (!field->text().isEmpty()) return false;
    return m_form->findChildren<TEdit*>().size() == 17;
  }
  QList<QAction*> languageItems() const;
  QString checkedLanguage() const;
};

void tst_Startup::init() {
  QVERIFY(setUpFixture());
  m_adapters.report = QList<Adapter>{adapter({{"192.168.28.6", "255.255.255.224"}})};
}

void tst_Startup::cleanup() { tearDownFixture(); }

QStringList tst_Startup::texts(const QStringList& names) const {
  QStringList result;
  // Inputs and results alike publish their text as "Text".
  for (const QString& name : names) result << control<QWidget>(name)->property("Text").toString();
  return result;
}

QList<QAction*> tst_Startup::languageItems() const { return control<QMenu>("mnChangeLang")->actions(); }

QString tst_Startup::checkedLanguage() const {
  QStringList checked;
  for (QAction* item : languageItems())
    if (item->isChecked()) checked << item->iconText();
  return checked.join(" | ");
}

void tst_Startup::firstAdapterAddress_data() {
  QTest::addColumn<AdapterReport>("report");
  QTest::addColumn<QStringList>("inputs");
  QTest::addColumn<QString>("message");  // first line of the one message expected; empty: none
  QTest::addColumn<QString>("active");
  QTest::addColumn<QStringList>("summary");
  const QStringList empty(kSummary.size(), QString());

  QTest::newRow("one adapter 192.168.28.6/27")
      << AdapterReport(QList<Adapter>{adapter({{"192.168.28.6", "255.255.255.224"}})})
      << QStringList{"192.168.28.6", "255.255.255.224"} << QString() << "edAddress"
      << QStringList{"192.168.28.0", "192.168.28.1", "192.168.28.30", "192.168.28.31", "30"};
  QTest::newRow("several adapters: the first, without asking")
      << AdapterReport(QList<Adapter>{adapter({{"10.1.2.3", "255.0.0.0"}}),
                                      adapter({{"192.168.28.6", "255.255.255.224"}})})
      << QStringList{"10.1.2.3", "255.0.0.0"} << QString() << "edAddress"
      << QStringList{"10.0.0.0", "10.0.0.1", "10.255.255.254", "10.255.255.255", "16777214"};
  QTest::newRow("first adapter with two addresses")
      << AdapterReport(
             QList<Adapter>{adapter({{"172.16.5.9", "255.255.0.0"}, {"192.168.1.1", "255.255.255.0"}})})
      << QStringList{"172.16.5.9", "255.255.0.0"} << QString() << "edAddress"
      << QStringList{"172.16.0.0", "172.16.0.1", "172.16.255.254", "172.16.255.255", "65534"};
}

void tst_Startup::firstAdapterAddress() {
  QFETCH(AdapterReport, report);
  QFETCH(QStringList, inputs);
  QFETCH(QString, message);
  QFETCH(QString, active);
  QFETCH(QStringList, summary);
  QVERIFY(copyShippedLanguages());
  m_adapters.report = report;
  QVERIFY(startWindow());

  // One box at most, and no address choice: the message that names the faulty input, as an error.
  const QList<AnsweredBox> boxes = m_boxes->take();
  QCOMPARE(boxes.size(), message.isEmpty() ? 0 : 1);
  if (!message.isEmpty()) {
    QCOMPARE(boxes[0].className, "QMessageBox");
    QCOMPARE(boxes[0].text.section("\r\n", 0, 0), message);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }
  QCOMPARE(texts({"edAddress", "edMask"}), inputs);
  QCOMPARE(texts(kSummary), summary);
  if (!message.isEmpty()) QVERIFY(resultsEmpty());
  // The window opens in the address field, or in the faulty field with its text selected, ready to retype.
  QCOMPARE(QApplication::focusWidget(), control(active));
  if (!message.isEmpty())
    QCOMPARE(control<QLineEdit>(active)->selectedText(), control<QLineEdit>(active)->text());
}

// Offline machines and tunnels: the first address that calculates fills the inputs; without one the window
// opens empty and silent, and "My parameters" still offers every address the adapters reported.
void tst_Startup::firstCalculableAdapter_data() {
  QTest::addColumn<AdapterReport>("report");
  QTest::addColumn<QStringList>("inputs");
  QTest::addColumn<QString>("network");  // empty: no calculation, all results empty
  const QList<Adapter> wireGuard{adapter({{"10.8.0.2", "255.255.255.255"}})};

  QTest::newRow("no adapter") << AdapterReport(QList<Adapter>{}) << QStringList{"", ""} << QString();
  QTest::newRow("adapter query failed") << AdapterReport() << QStringList{"", ""} << QString();
  QTest::newRow("adapter without an address")
      << AdapterReport(QList<Adapter>{adapter({{"0.0.0.0", "0.0.0.0"}})}) << QStringList{"", ""} << QString();
  QTest::newRow("only a /32 tunnel") << AdapterReport(wireGuard) << QStringList{"", ""} << QString();
  QTest::newRow("/32 tunnel before a LAN")
      << AdapterReport(wireGuard + QList<Adapter>{adapter({{"192.168.1.20", "255.255.255.0"}})})
      << QStringList{"192.168.1.20", "255.255.255.0"} << "192.168.1.0";
  QTest::newRow("garbled mask, then a good address of the same adapter")
      << AdapterReport(QList<Adapter>{adapter({{"172.16.5.9", "255.0.255.0"}, {"172.16.5.9", "/12"}})})
      << QStringList{"172.16.5.9", "/12"} << "172.16.0.0";
  QTest::newRow("garbled address, then a good adapter")
      << AdapterReport(
             QList<Adapter>{adapter({{"fe80::1", "255.255.0.0"}}), adapter({{"10.1.2.3", "255.0.0.0"}})})
      << QStringList{"10.1.2.3", "255.0.0.0"} << "10.0.0.0";
  QTest::newRow("all ones address, then a /31 link")
      << AdapterReport(QList<Adapter>{adapter({{"255.255.255.255", "255.0.0.0"}}),
                                      adapter({{"10.0.0.1", "255.255.255.254"}})})
      << QStringList{"10.0.0.1", "255.255.255.254"} << "10.0.0.0";
}

void tst_Startup::firstCalculableAdapter() {
  QFETCH(AdapterReport, report);
  QFETCH(QStringList, inputs);
  QFETCH(QString, network);
  QVERIFY(copyShippedLanguages());
  m_adapters.report = report;
  QVERIFY(startWindow());

  QCOMPARE(m_boxes->takeTexts(), QStringList());
  QCOMPARE(texts({"edAddress", "edMask"}), inputs);
  if (network.isEmpty())
    QVERIFY(resultsEmpty());
  else
    QCOMPARE(control<TEdit>("edNetwork")->text(), network);
  QCOMPARE(QApplication::focusWidget(), control("edAddress"));

  // Every address the adapters reported is offered, the unusable ones too; a single one is taken as it is.
  QStringList reported;
  for (const Adapter& each : report.value_or(QList<Adapter>{}))
    for (const AdapterAddress& entry : each.addresses) reported << QString::fromLatin1(entry.address);
  QStringList offered;
  m_boxes->setHandler([&offered](QWidget* modal) {
    if (const auto* group = modal->findChild<TRadioGroup*>()) offered = group->items();
    modal->close();
  });
  m_form->command("actMyParameters")->trigger();
  if (reported.size() > 1) QCOMPARE(offered, reported);
  if (reported.size() == 1) QCOMPARE(control<QLineEdit>("edAddress")->text(), reported[0]);
  m_boxes->take();
}

void tst_Startup::storedDisplayType_data() {
  QTest::addColumn<int>("stored");
  QTest::addColumn<int>("selected");
  QTest::addColumn<QStringList>("view");  // network and broadcast in the additional view
  QTest::newRow("binary") << 0 << 0
                          << QStringList{"11000000.10101000.00011100.00000000",
                                         "11000000.10101000.00011100.00011111"};
  QTest::newRow("decimal") << 1 << 1 << QStringList{"3232242688", "3232242719"};
  QTest::newRow("hexadecimal") << 2 << 2 << QStringList{"C0.A8.1C.00", "C0.A8.1C.1F"};
  QTest::newRow("unknown number selects nothing") << 7 << -1 << QStringList{"", ""};
}

void tst_Startup::storedDisplayType() {
  QFETCH(int, stored);
  QFETCH(int, selected);
  QFETCH(QStringList, view);
  QVERIFY(copyShippedLanguages());
  QVERIFY(writeDefaults("DefaultTypeConvert=" + QByteArray::number(stored) + "\r\n"));
  QVERIFY(startWindow());
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), selected);
  QCOMPARE(texts({"edNetworkBIN", "edBroadcastBIN"}), view);
  QCOMPARE(control<TEdit>("edNetwork")->text(), "192.168.28.0");
}

void tst_Startup::storedLanguage() {
  QVERIFY(copyShippedLanguages());
  QVERIFY(writeDefaults("DefaultLang=german.lng\r\n"));
  QVERIFY(startWindow());
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(m_form->command("actCalculate")->text(), "&Berechnen");
  QCOMPARE(control<QGroupBox>("gbResult")->title(), "Ergebnis");
  QCOMPARE(checkedLanguage(), "german.lng");
  QCOMPARE(m_form->windowTitle(), "Quorvane 1.0.2");
  QCOMPARE(control<TEdit>("edNetwork")->text(), "192.168.28.0");
}

void tst_Startup::withoutLanguagesFolder() {
  m_adapters.report = QList<Adapter>{};
  QVERIFY(startWindow());
  QVERIFY(languageItems().isEmpty());
  QCOMPARE(m_boxes->count(), 0);
  // Every text is its key; the message names it.
  control<QLineEdit>("edAddress")->clear();
  m_form->command("actCalculate")->trigger();
  QCOMPARE(m_boxes->takeTexts(), QStringList{"sErrorInIP"});
  QCOMPARE(Tr(Text::sMask), "sMask");
  QCOMPARE(m_form->command("actCalculate")->text(), "Calculate");
  QCOMPARE(control<QComboBox>("cbType")->currentText(), "Binary");
  QCOMPARE(m_form->windowTitle(), "Quorvane 1.0.2");
}

// A language file that cannot be rewritten does not cut the start short: the file applies as it is, the
// stored display type is selected, the first calculation runs, and the refusal is shown once.
void tst_Startup::refusedLanguageRewriteDoesNotStopTheStart() {
  QVERIFY(copyShippedLanguages());
  // No temporary file can exist beside a file whose name has the longest length allowed, so the language
  // file's rewrite is refused. The file needs one: a line without "=" is turned into an entry.
  const QString name = QString(251, 'l') + ".lng";
  QVERIFY(QFile::copy(QUORVANE_SHIPPED_LANGUAGES "/english.lng", folder("languages/" + name)));
  QFile bare(folder("languages/" + name));
  QVERIFY(bare.open(QIODevice::Append));
  QVERIFY(bare.write("sBareKey\r\n") > 0);
  bare.close();
  const QByteArray bytes = test::readFile(folder("languages/" + name));
  QVERIFY(writeDefaults("DefaultLang=" + name.toLatin1() + "\r\nDefaultTypeConvert=2\r\n"));
  QVERIFY(startWindow());

  const QList<AnsweredBox> boxes = m_boxes->take();
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(boxes[0].text, "An error occurred in the application.");
  QVERIFY2(boxes[0].informativeText.startsWith("Cannot create file"), qPrintable(boxes[0].informativeText));
  QCOMPARE(checkedLanguage(), name);
  QCOMPARE(m_form->windowTitle(), "Quorvane 1.0.2");
  QCOMPARE(control<QLineEdit>("edAddress")->text(), "192.168.28.6");
  QCOMPARE(Tr(Text::sMask), "Subnet mask");
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), 2);
  QCOMPARE(control<TEdit>("edNetwork")->text(), "192.168.28.0");
  QVERIFY(m_form->isVisible());
  QCOMPARE(test::readFile(folder("languages/" + name)), bytes);
}

void tst_Startup::languageMenu_data() {
  QTest::addColumn<QStringList>("files");
  QTest::addColumn<QString>("stored");
  QTest::addColumn<QString>("checked");
  QTest::newRow("stored name checked") << QStringList{"english.lng", "german.lng", "zulu.lng"} << "german.lng"
                                       << "german.lng";
  QTest::newRow("letter case differs: none checked")
      << QStringList{"English.lng", "russian.lng"} << "english.lng"
      << "";
  QTest::newRow("stored file missing: none checked") << QStringList{"english.lng"} << "klingon.lng"
                                                     << "";
  QTest::newRow("ampersand in the name") << QStringList{"a&b.lng", "english.lng"} << "a&b.lng"
                                         << "a&b.lng";
}

void tst_Startup::languageMenu() {
  QFETCH(QStringList, files);
  QFETCH(QString, stored);
  QFETCH(QString, checked);
  for (const QString& file : files) QVERIFY(writeLanguage(file, "sMask=" + file.toUtf8() + "\r\n"));
  QVERIFY(test::writeFile(folder("languages/readme.txt"), "not a language"));
  QVERIFY(writeDefaults("DefaultLang=" + stored.toUtf8() + "\r\n"));
  QVERIFY(startWindow());
  m_boxes->take();

  // In the order the file system lists them, not sorted.
  QStringList listed;
  for (QDirIterator it(folder("languages"), {"*.lng"}, QDir::Files); it.hasNext();)
    listed << it.next().section('/', -1);
  QStringList shown;
  for (QAction* item : languageItems()) {
    shown << item->iconText();  // the text as the menu shows it, with no accelerator taken from "&"
    QVERIFY(item->isCheckable());
    QVERIFY(item->actionGroup() && item->actionGroup()->isExclusive());
    QCOMPARE(item->actionGroup(), languageItems().first()->actionGroup());
  }
  QCOMPARE(shown, listed);
  QCOMPARE(checkedLanguage(), checked);
}

void tst_Startup::choosingLanguage_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("result");  // gbResult's caption in that language
  QTest::addColumn<QString>("mask");    // sMask in that language
  QTest::newRow("shipped German") << "german.lng"
                                  << "Ergebnis"
                                  << "Subnetzmaske";
  QTest::newRow("ampersand in the name") << "a&b.lng"
                                         << "A&B result"
                                         << "A&B mask";
}

void tst_Startup::choosingLanguage() {
  QFETCH(QString, name);
  QFETCH(QString, result);
  QFETCH(QString, mask);
  QVERIFY(copyShippedLanguages());
  // New entries for the display type drop its selection; the choice selects the stored type again.
  QVERIFY(writeLanguage("a&b.lng",
                        "QuorvaneForm.gbResult.Caption=A&B result\r\nQuorvaneForm.cbType.Items=B,D,H\r\n"
                        "sMask=A&B mask\r\n"));
  QVERIFY(writeDefaults("DefaultTypeConvert=2\r\n"));
  QVERIFY(startWindow());
  QCOMPARE(checkedLanguage(), "english.lng");

  // Chosen in the menu as the user does: open it and click the item.
  auto* menu = control<QMenu>("mnChangeLang");
  QAction* item = nullptr;
  for (QAction* candidate : languageItems())
    if (candidate->iconText() == name) item = candidate;
  QVERIFY(item);
  menu->popup(m_form->mapToGlobal(QPoint(20, 20)));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  QTRY_VERIFY(!menu->isVisible());

  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(checkedLanguage(), name);
  QCOMPARE(control<QGroupBox>("gbResult")->title(), result);
  QCOMPARE(Tr(Text::sMask), mask);
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), 2);
  // Remembered at exit.
  const QString ini = m_form->settingsPath();
  m_form.reset();
  QCOMPARE(profile::ReadString(ini, "Defaults", "DefaultLang", ""), name.toUtf8());
}

QUORVANE_GUI_TEST_MAIN(tst_Startup)

#include "tst_startup.moc"
