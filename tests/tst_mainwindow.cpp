// The main window driven offscreen as a user drives it: typing, keys, clicks, commands and message boxes.
#include <QComboBox>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "core/exception.h"
#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/buttons.h"
#include "widgets/errorguard.h"
#include "widgets/groupbox.h"
#include "widgets/image.h"

using namespace quorvane;
using quorvane::test::AnsweredBox;

namespace {

// The seventeen result fields in the order in which the window empties them.
const QStringList kResultFields = {"edInputAddress",     "edInputAddressBIN",
                                   "edInputMask",        "edInputMaskBIN",
                                   "edInputMaskInverse", "edInputMaskInverseBIN",
                                   "edInputPrefix",      "edNetwork",
                                   "edNetworkBIN",       "edBroadcast",
                                   "edBroadcastBIN",     "edMaxIP",
                                   "edMaxIPBIN",         "edMinIP",
                                   "edMinIPBIN",         "edHostNum",
                                   "edHostRange"};
// The dotted column as it reads from top to bottom: address, mask, inverted mask, prefix, network, min IP,
// max IP, broadcast, host count and host range.
const QStringList kDottedColumn = {
    "edInputAddress", "edInputMask", "edInputMaskInverse", "edInputPrefix", "edNetwork",
    "edMinIP",        "edMaxIP",     "edBroadcast",        "edHostNum",     "edHostRange"};
// The additional view in the same order.
const QStringList kAdditionalView = {"edInputAddressBIN", "edInputMaskBIN", "edInputMaskInverseBIN",
                                     "edNetworkBIN",      "edMinIPBIN",     "edMaxIPBIN",
                                     "edBroadcastBIN"};

const QStringList kWorked = {
    "192.168.28.6", "255.255.255.224", "0.0.0.31",      "/27", "192.168.28.0",
    "192.168.28.1", "192.168.28.30",   "192.168.28.31", "30",  "192.168.28.1 - 192.168.28.30"};

enum class Route {
  Action,
  CalculateButton,
  ReturnInAddress,
  ReturnInMask,
  KeypadEnterInAddress,
  KeypadEnterInMask
};

}  // namespace

Q_DECLARE_METATYPE(Route)

class tst_MainWindow : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void calculate_data();
  void calculate();
  void rejection_data();
  void rejection();
  void spinner_data();
  void spinner();
  void displayTypeWithEmptyInputs();
  void displayTypeFollowsPick_data();
  void displayTypeFollowsPick();
  void displayTypeOutOfRange();
  void clearAll();
  void classMask_data();
  void classMask();
  void classMaskWithoutAddress();
  void windowSize();
  void commandTable_data();
  void commandTable();
  void menuAndToolBar();
  void statusBarStaysEmpty();
  void tabOrder_data();
  void tabOrder();
  void designedControls_data();
  void designedControls();
  void closesWithoutQuestion_data();
  void closesWithoutQuestion();
  void helpKeys_data();
  void helpKeys();
  void unhandledError_data();
  void unhandledError();

 private:
  bool openForm(const QString& address, const QString& mask, int typeConvert = -1);
  QLineEdit* field(const QString& name) const { return control<QLineEdit>(name); }
  TEdit* result(const QString& name) const { return control<TEdit>(name); }
  QStringList results(const QStringList& names = kResultFields) const;
  bool allResultsEmpty() const { return results() == QStringList(kResultFields.size(), QString()); }
  bool allResultsFilled() const { return !results().contains(QString()); }
  void pickType(int index);
  bool reactivate();
  bool focusOn(QWidget* widget);
  bool calculateBy(Route route);
  void clickArrow(const char* name) { QTest::mouseClick(control<QToolButton>(name), Qt::LeftButton); }
};

void tst_MainWindow::init() {
  // Each window reads and writes its settings in a program folder of its own. Start-up fills the inputs
  // from the machine's first adapter; the fixture's machine has none, and the test sets them itself.
  QVERIFY(setUpFixture());
  QVERIFY(openForm(QString(), QString()));
  // A start without an address that calculates opens silently.
  QCOMPARE(m_boxes->takeTexts(), QStringList());
}

void tst_MainWindow::cleanup() { tearDownFixture(); }

bool tst_MainWindow::openForm(const QString& address, const QString& mask, int typeConvert) {
  return startWindow([&](TQuorvaneForm&) {
    if (typeConvert >= 0) Settings().DefaultTypeConvert = std::uint8_t(typeConvert);
    setInputs(address, mask);
  });
}

QStringList tst_MainWindow::results(const QStringList& names) const {
  QStringList texts;
  for (const QString& name : names) texts << result(name)->text();
  return texts;
}

// What a pick in the drop-down list does: the selection changes and the list reports the activation.
void tst_MainWindow::pickType(int index) {
  auto* cbType = control<QComboBox>("cbType");
  cbType->setCurrentIndex(index);
  Q_EMIT cbType->activated(index);
}

bool tst_MainWindow::reactivate() {
  // A closed message box leaves no window active here, where a desktop would activate the main window
  // again; the user clicks back into it.
  if (m_form->isActiveWindow()) return true;
  m_form->activateWindow();
  return QTest::qWaitForWindowActive(m_form.get());
}

bool tst_MainWindow::focusOn(QWidget* widget) {
  if (!reactivate()) return false;
  widget->setFocus();
  return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, 2000);
}

bool tst_MainWindow::calculateBy(Route route) {
  const auto press = [this](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QLineEdit* target = field(name);
    if (!focusOn(target)) return false;
    QTest::keyClick(target, key, modifiers);
    return true;
  };
  switch (route) {
    case Route::Action:
      m_form->command("actCalculate")->trigger();
      return true;
    case Route::CalculateButton:
      QTest::mouseClick(control<QToolButton>("btnCalc"), Qt::LeftButton);
      return true;
    case Route::ReturnInAddress:
      return press("edAddress", Qt::Key_Return, Qt::NoModifier);
    case Route::ReturnInMask:
      return press("edMask", Qt::Key_Return, Qt::NoModifier);
    case Route::KeypadEnterInAddress:
      return press("edAddress", Qt::Key_Enter, Qt::KeypadModifier);
    case Route::KeypadEnterInMask:
      return press("edMask", Qt::Key_Enter, Qt::KeypadModifier);
  }
  return false;
}

void tst_MainWindow::calculate_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("mask");
  QTest::addColumn<int>("type");
  QTest::addColumn<Route>("route");
  QTest::addColumn<QStringList>("dotted");  // kDottedColumn
  QTest::addColumn<QStringList>("view");    // kAdditionalView; not compared when empty

  const QStringList binary = {"11000000.10101000.00011100.00000110", "11111111.11111111.11111111.11100000",
                              "00000000.00000000.00000000.00011111", "11000000.10101000.00011100.00000000",
                              "11000000.10101000.00011100.00000001", "11000000.10101000.00011100.00011110",
                              "11000000.10101000.00011100.00011111"};
  const QStringList decimal = {"3232242694", "4294967264", "31",        "3232242688",
                               "3232242689", "3232242718", "3232242719"};
  const QStringList hex = {"C0.A8.1C.06", "FF.FF.FF.E0", "00.00.00.1F", "C0.A8.1C.00",
                           "C0.A8.1C.01", "C0.A8.1C.1E", "C0.A8.1C.1F"};
  const auto worked = [&](const char* tag, const char* mask, int type, Route route) {
    QTest::newRow(tag) << "192.168.28.6" << mask << type << route << kWorked
                       << QList<QStringList>{binary, decimal, hex}[type];
  };
  worked("worked example, binary, command", "/27", 0, Route::Action);
  worked("worked example, decimal, Return in edMask", "/27", 1, Route::ReturnInMask);
  worked("worked example, hexadecimal, Return in edAddress", "/27", 2, Route::ReturnInAddress);
  worked("dotted mask, keypad Enter in edMask", "255.255.255.224", 0, Route::KeypadEnterInMask);
  worked("inverted mask, keypad Enter in edAddress", "0.0.0.31", 1, Route::KeypadEnterInAddress);
  worked("inverted mask, Calculate button", "0.0.0.31", 2, Route::CalculateButton);

  const auto edge = [](const char* tag, const char* address, const char* mask, const QStringList& dotted) {
    QTest::newRow(tag) << address << mask << 0 << Route::Action << dotted << QStringList();
  };
  edge("prefix 1 reaches the top address", "200.1.2.3", "/1",
       {"200.1.2.3", "128.0.0.0", "127.255.255.255", "/1", "128.0.0.0", "128.0.0.1", "255.255.255.254",
        "255.255.255.255", "2147483646", "128.0.0.1 - 255.255.255.254"});
  edge("dotted class A mask", "10.1.2.3", "255.0.0.0",
       {"10.1.2.3", "255.0.0.0", "0.255.255.255", "/8", "10.0.0.0", "10.0.0.1", "10.255.255.254",
        "10.255.255.255", "16777214", "10.0.0.1 - 10.255.255.254"});
  edge("two-part address echoed in full", "10.1", "/24",
       {"10.0.0.1", "255.255.255.0", "0.0.0.255", "/24", "10.0.0.0", "10.0.0.1", "10.0.0.254", "10.0.0.255",
        "254", "10.0.0.1 - 10.0.0.254"});
  edge("octal first part", "010.0.0.1", "/8",
       {"8.0.0.1", "255.0.0.0", "0.255.255.255", "/8", "8.0.0.0", "8.0.0.1", "8.255.255.254", "8.255.255.255",
        "16777214", "8.0.0.1 - 8.255.255.254"});
  edge("zero address accepted", "0.0.0.0", "/27",
       {"0.0.0.0", "255.255.255.224", "0.0.0.31", "/27", "0.0.0.0", "0.0.0.1", "0.0.0.30", "0.0.0.31", "30",
        "0.0.0.1 - 0.0.0.30"});
  QStringList network = kWorked, broadcast = kWorked;
  network[0] = "192.168.28.0";
  broadcast[0] = "192.168.28.31";
  edge("network address as input", "192.168.28.0", "/27", network);
  edge("broadcast address as input", "192.168.28.31", "/27", broadcast);
  edge("prefix 31: both addresses are hosts", "192.168.28.6", "/31",
       {"192.168.28.6", "255.255.255.254", "0.0.0.1", "/31", "192.168.28.6", "192.168.28.6", "192.168.28.7",
        "192.168.28.7", "2", "192.168.28.6 - 192.168.28.7"});
  edge("prefix 30 keeps network and broadcast out", "192.168.28.6", "/30",
       {"192.168.28.6", "255.255.255.252", "0.0.0.3", "/30", "192.168.28.4", "192.168.28.5", "192.168.28.6",
        "192.168.28.7", "2", "192.168.28.5 - 192.168.28.6"});
}

void tst_MainWindow::calculate() {
  QFETCH(QString, address);
  QFETCH(QString, mask);
  QFETCH(int, type);
  QFETCH(Route, route);
  QFETCH(QStringList, dotted);
  QFETCH(QStringList, view);

  QTest::keyClicks(field("edAddress"), address);
  QTest::keyClicks(field("edMask"), mask);
  QVERIFY(allResultsEmpty());
  // Picking the display type calculates at once.
  pickType(type);
  QVERIFY(allResultsFilled());

  // Each keystroke in either input empties all results at once; the route under test fills them again.
  for (QLineEdit* input : {field("edAddress"), field("edMask")}) {
    const QString last = input->text().right(1);
    QTest::keyClick(input, Qt::Key_Backspace);
    QVERIFY(allResultsEmpty());
    QTest::keyClicks(input, last);
    QVERIFY(calculateBy(route));
    QVERIFY(allResultsFilled());
    QTest::keyClicks(input, "9");
    QVERIFY(allResultsEmpty());
    QTest::keyClick(input, Qt::Key_Backspace);
  }
  QVERIFY(calculateBy(route));
  QVERIFY(allResultsFilled());
  QCOMPARE(results(kDottedColumn), dotted);
  if (!view.isEmpty()) QCOMPARE(results(kAdditionalView), view);
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(field("edAddress")->text(), address);
  QCOMPARE(field("edMask")->text(), mask);
}

void tst_MainWindow::rejection_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("mask");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("faulty");

  const auto row = [](const char* tag, const char* address, const char* mask, const char* message,
                      const char* faulty) { QTest::newRow(tag) << address << mask << message << faulty; };
  const char* ip = "sErrorInIP";
  const char* mask = "sErrorInMask";
  row("empty address", "", "/27", ip, "edAddress");
  row("address part above 255", "192.168.28.256", "/27", ip, "edAddress");
  row("letter in the address", "192.168.x.6", "/27", ip, "edAddress");
  row("all-ones address", "255.255.255.255", "/27", ip, "edAddress");
  row("five-part address", "1.2.3.4.5", "/27", ip, "edAddress");
  row("empty mask", "192.168.28.6", "", mask, "edMask");
  row("mask with gaps", "192.168.28.6", "255.0.255.0", mask, "edMask");
  row("prefix without slash", "192.168.28.6", "27", mask, "edMask");
  row("prefix 0", "192.168.28.6", "/0", mask, "edMask");
  row("prefix 32", "192.168.28.6", "/32", mask, "edMask");
  row("dotted prefix 32", "192.168.28.6", "255.255.255.255", mask, "edMask");
  row("inverted zero", "192.168.28.6", "0.0.0.0", mask, "edMask");
  row("prefix that is no number", "192.168.28.6", "/abc", mask, "edMask");
  row("prefix with trailing blank", "192.168.28.6", "/27 ", mask, "edMask");
  row("slash alone", "192.168.28.6", "/", mask, "edMask");
  row("both wrong: only the address", "1.2.3.999", "/abc", ip, "edAddress");
  row("both empty: only the address", "", "", ip, "edAddress");
}

void tst_MainWindow::rejection() {
  QFETCH(QString, address);
  QFETCH(QString, mask);
  QFETCH(QString, message);
  QFETCH(QString, faulty);

  setInputs(address, mask);
  QLineEdit* wrong = field(faulty);
  QLineEdit* other = field(faulty == "edAddress" ? "edMask" : "edAddress");
  QVERIFY(focusOn(other));

  const QList<AnsweredBox> boxes = m_boxes->during([this] { m_form->command("actCalculate")->trigger(); });
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(boxes[0].objectName, "ShowCenteredMessage");
  QCOMPARE(boxes[0].title, "Error");
  QCOMPARE(boxes[0].icon, QMessageBox::Critical);
  QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(boxes[0].text, message);
  QVERIFY(allResultsEmpty());
  QCOMPARE(field("edAddress")->text(), address);
  QCOMPARE(field("edMask")->text(), mask);
  QCOMPARE(m_form->focusWidget(), wrong);
  QVERIFY(reactivate());
  QCOMPARE(QApplication::focusWidget(), wrong);
  QCOMPARE(wrong->selectedText(), wrong->text());
  QCOMPARE(wrong->hasSelectedText(), !wrong->text().isEmpty());
  QVERIFY(!other->hasSelectedText());
}

void tst_MainWindow::spinner_data() {
  QTest::addColumn<QString>("mask");
  QTest::addColumn<QString>("arrow");
  QTest::addColumn<QString>("after");
  QTest::addColumn<QString>("prefix");  // edInputPrefix after the step; empty when the step is refused

  const auto row = [](const char* tag, const char* before, const char* arrow, const char* after,
                      const char* prefix) { QTest::newRow(tag) << before << arrow << after << prefix; };
  const auto step = [&](const char* before, const char* up, const char* down, const char* upPrefix,
                        const char* downPrefix) {
    row(qPrintable(QStringLiteral("%1 up").arg(before)), before, "udMaskUp", up, upPrefix);
    row(qPrintable(QStringLiteral("%1 down").arg(before)), before, "udMaskDown", down, downPrefix);
  };
  step("/27", "/28", "/26", "/28", "/26");
  step("255.255.255.224", "255.255.255.240", "255.255.255.192", "/28", "/26");
  step("0.0.0.31", "0.0.0.15", "0.0.0.63", "/28", "/26");
  step("/30", "/8", "/29", "/8", "/29");
  step("/31", "/8", "/30", "/8", "/30");
  step("255.0.0.0", "255.128.0.0", "255.255.255.252", "/9", "/30");
  step("0.255.255.255", "0.127.255.255", "0.0.0.3", "/9", "/30");
  step("/4", "/5", "/30", "/5", "/30");
  step("/26", "/27", "/25", "/27", "/25");
  step("0.0.0.63", "0.0.0.31", "0.0.0.127", "/27", "/25");
  step("255.255.255.192", "255.255.255.224", "255.255.255.128", "/27", "/25");
  row("255.255.255.252 up", "255.255.255.252", "udMaskUp", "255.0.0.0", "/8");
  // Refused: the field stays as it is and no prefix is shown.
  row("empty mask up", "", "udMaskUp", "", "");
  row("empty mask down", "", "udMaskDown", "", "");
  row("prefix 32 up", "/32", "udMaskUp", "/32", "");
  row("prefix that is no number down", "/abc", "udMaskDown", "/abc", "");
  row("prefix with trailing blank up", "/27 ", "udMaskUp", "/27 ", "");
  row("slash alone down", "/", "udMaskDown", "/", "");
  row("mask with gaps up", "255.0.255.0", "udMaskUp", "255.0.255.0", "");
  row("mask with gaps down", "255.0.255.0", "udMaskDown", "255.0.255.0", "");
}

void tst_MainWindow::spinner() {
  QFETCH(QString, mask);
  QFETCH(QString, arrow);
  QFETCH(QString, after);
  QFETCH(QString, prefix);

  auto* spinner = control<TUpDown>("udMask");
  setInputs("192.168.28.6", mask);
  clickArrow(qPrintable(arrow));
  QCOMPARE(field("edMask")->text(), after);
  QCOMPARE(result("edInputPrefix")->text(), prefix);
  if (prefix.isEmpty()) {
    QCOMPARE(m_boxes->takeTexts(), QStringList{"sErrorInMask"});
    QVERIFY(allResultsEmpty());
  } else {
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(allResultsFilled());
  }
  // The spinner never moves, so both arrows keep working.
  QCOMPARE(spinner->position(), 50);
}

void tst_MainWindow::displayTypeWithEmptyInputs() {
  pickType(2);
  QCOMPARE(m_boxes->takeTexts(), QStringList{"sErrorInIP"});
  QCOMPARE(int(Settings().DefaultTypeConvert), 2);
  QVERIFY(allResultsEmpty());
}

void tst_MainWindow::displayTypeFollowsPick_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<QString>("network");
  QTest::newRow("Binary") << 0 << "11000000.10101000.00011100.00000000";
  QTest::newRow("Decimal") << 1 << "3232242688";
  QTest::newRow("Hexadecimal") << 2 << "C0.A8.1C.00";
}

void tst_MainWindow::displayTypeFollowsPick() {
  QFETCH(int, type);
  QFETCH(QString, network);

  setInputs("192.168.28.6", "/27");
  pickType((type + 1) % 3);
  pickType(type);
  QCOMPARE(int(Settings().DefaultTypeConvert), type);
  QCOMPARE(result("edNetworkBIN")->text(), network);
  QCOMPARE(m_boxes->count(), 0);

  // The next start shows the same display type.
  m_form.reset();
  Settings() = SettingsValues{};
  QVERIFY(openForm("192.168.28.6", "/27"));
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), type);
  QCOMPARE(result("edNetworkBIN")->text(), network);
}

void tst_MainWindow::displayTypeOutOfRange() {
  QVERIFY(openForm("192.168.28.6", "/27", 3));
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), -1);
  for (const QString& name : kResultFields) {
    const bool view = kAdditionalView.contains(name);
    QVERIFY2(result(name)->text().isEmpty() == view, qPrintable(name + ": " + result(name)->text()));
  }
  QCOMPARE(result("edNetwork")->text(), "192.168.28.0");
  QCOMPARE(result("edHostRange")->text(), kWorked[9]);
}

void tst_MainWindow::clearAll() {
  setInputs("192.168.28.6", "/27");
  pickType(1);
  QVERIFY(allResultsFilled());
  auto* toolBar = control<QToolBar>("ToolBar1");
  QTest::mouseClick(toolBar->widgetForAction(m_form->command("actClearAll")), Qt::LeftButton);
  QCOMPARE(field("edAddress")->text(), QString());
  QCOMPARE(field("edMask")->text(), QString());
  QVERIFY(allResultsEmpty());
  QCOMPARE(m_boxes->count(), 0);
  QCOMPARE(control<QComboBox>("cbType")->currentIndex(), 1);
  QCOMPARE(int(Settings().DefaultTypeConvert), 1);
  QCOMPARE(m_form->maskForm(), MaskForm::Prefix);

  QVERIFY(calculateBy(Route::Action));
  QCOMPARE(m_boxes->takeTexts(), QStringList{"sErrorInIP"});
}

void tst_MainWindow::classMask_data() {
  QTest::addColumn<QString>("trigger");  // a command or a speed button
  QTest::addColumn<QString>("mask");
  QTest::addColumn<QString>("network");
  QTest::addColumn<QString>("stepUp");  // the spinner then writes dotted masks

  const auto row = [](const char* tag, const char* trigger, const char* mask, const char* network,
                      const char* stepUp) { QTest::newRow(tag) << trigger << mask << network << stepUp; };
  row("Class A command", "actSetClassA", "255.0.0.0", "10.0.0.0", "255.128.0.0");
  row("Class B command", "actSetClassB", "255.255.0.0", "10.1.0.0", "255.255.128.0");
  row("Class C command", "actSetClassC", "255.255.255.0", "10.1.2.0", "255.255.255.128");
  row("Class A button", "sbClassA", "255.0.0.0", "10.0.0.0", "255.128.0.0");
  row("Class B button", "sbClassB", "255.255.0.0", "10.1.0.0", "255.255.128.0");
  row("Class C button", "sbClassC", "255.255.255.0", "10.1.2.0", "255.255.255.128");
}

void tst_MainWindow::classMask() {
  QFETCH(QString, trigger);
  QFETCH(QString, mask);
  QFETCH(QString, network);
  QFETCH(QString, stepUp);

  setInputs("10.1.2.3", "/27");
  if (trigger.startsWith("act"))
    m_form->command(qPrintable(trigger))->trigger();
  else
    QTest::mouseClick(control<QToolButton>(trigger), Qt::LeftButton);
  QCOMPARE(field("edMask")->text(), mask);
  QCOMPARE(result("edNetwork")->text(), network);
  QVERIFY(allResultsFilled());

  clickArrow("udMaskUp");
  QCOMPARE(field("edMask")->text(), stepUp);
  QCOMPARE(m_boxes->count(), 0);
}

void tst_MainWindow::classMaskWithoutAddress() {
  QTest::mouseClick(control<QToolButton>("sbClassC"), Qt::LeftButton);
  QCOMPARE(field("edMask")->text(), "255.255.255.0");
  QCOMPARE(m_boxes->takeTexts(), QStringList{"sErrorInIP"});
  QVERIFY(allResultsEmpty());
}

void tst_MainWindow::windowSize() {
  QCOMPARE(m_form->clientWidth(), 466);
  QCOMPARE(m_form->clientHeight(), 458);
  QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
  QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
  const QSize size = m_form->size();
  m_form->resize(size + QSize(100, 100));
  QCOMPARE(m_form->size(), size);
}

void tst_MainWindow::commandTable_data() {
  QTest::addColumn<QString>("category");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("hint");
  QTest::addColumn<bool>("image");
  QTest::addColumn<QList<QKeySequence>>("keys");

  const auto row = [](const char* name, const char* category, const QString& caption, const QString& hint,
                      bool image, const QList<QKeySequence>& keys = {}) {
    QTest::newRow(name) << category << caption << hint << image << keys;
  };
  row("actCalculate", "Action", "Calculate", "Calculate", true,
      {QKeySequence(Qt::Key_Return), QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)});
  row("actClearAll", "Action", "Clear all", "Clear all", true);
  row("actMyParameters", "Action", "My parameters", "My parameters", true);
  row("actShowDiap", "Action", "Reserved addresses", "Reserved blocks of IP addresses", true);
  row("actSetClassA", "Action", "Subnetted as Class A", "Subnetted as Class A", true);
  row("actSetClassB", "Action", "Subnetted as Class B", "Subnetted as Class B", true);
  row("actSetClassC", "Action", "Subnetted as Class C", "Subnetted as Class C", true);
  row("actShowInfo", "Action", "Subnet Mask Info", "Subnet Mask Info", true);
  row("actExit", "Action", "Exit", "Exit", false, {QKeySequence(Qt::ALT | Qt::Key_F4)});
  row("actHelp", "Help", "Help", "Help", true, {QKeySequence(Qt::Key_F1)});
  row("actFAQ", "Help", "FAQ", "FAQ", true, {QKeySequence(Qt::CTRL | Qt::Key_F1)});
  const QString whatsNew = QStringLiteral("What\u2019s new?");
  row("actWhatNew", "Help", whatsNew, whatsNew, false);
  row("actHome", "Help", "Visit Homepage", "Visit Homepage", true);
  row("actMail", "Help", "E-mail to author", "E-mail to author", true);
  row("actAbout", "Help", "About...", "About...", true);
  row("actCopyResults", "Action", "Copy results", "Copy results", false,
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
  row("actAddressDetails", "Action", "Address details", "Address details", false,
      {QKeySequence(Qt::CTRL | Qt::Key_I)});
}

void tst_MainWindow::commandTable() {
  QFETCH(QString, category);
  QFETCH(QString, caption);
  QFETCH(QString, hint);
  QFETCH(bool, image);
  QFETCH(QList<QKeySequence>, keys);

  TAction* action = m_form->command(QTest::currentDataTag());
  QVERIFY(action);
  QCOMPARE(action->property("Category").toString(), category);
  QCOMPARE(action->text(), caption);
  QCOMPARE(action->toolTip(), hint);
  QCOMPARE(action->property("Hint").toString(), hint);
  QCOMPARE(!action->icon().isNull(), image);
  QCOMPARE(action->shortcuts(), keys);
}

namespace {

// A menu tree in one line: command names, "-" for a separator, a submenu as its title with its entries in
// brackets.
QString menuTree(const QList<QAction*>& actions) {
  QStringList entries;
  for (QAction* action : actions) {
    if (action->isSeparator())
      entries << "-";
    else if (QMenu* menu = action->menu())
      entries << menu->title() + "[" + menuTree(menu->actions()) + "]";
    else
      entries << action->objectName();
  }
  return entries.join(' ');
}

}  // namespace

void tst_MainWindow::menuAndToolBar() {
  QCOMPARE(menuTree(m_form->menuBar()->actions()),
           "Action[actCalculate actClearAll actCopyResults - actMyParameters actShowDiap actAddressDetails "
           "Masks[actSetClassA actSetClassB actSetClassC - actShowInfo] - Select language[] - actExit] "
           "Tools[actIPv6 actPlanner] Help[actWhatNew actHome actMail - actAbout]");
  QCOMPARE(control<QMenu>("mnMasks")->toolTip(), "Masks");
  QCOMPARE(control<QMenu>("mnChangeLang")->title(), "Select language");
  QVERIFY(control<QMenu>("mnChangeLang")->actions().isEmpty());

  auto* toolBar = control<QToolBar>("ToolBar1");
  QCOMPARE(menuTree(toolBar->actions()),
           "actCalculate actMyParameters actShowDiap actClearAll - actSetClassA "
           "actSetClassB actSetClassC actShowInfo - actHome actAbout");
  for (QAction* action : toolBar->actions()) {
    if (action->isSeparator()) continue;
    auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
    QVERIFY(button && button->isVisible());
    QVERIFY2(!button->icon().isNull(), qPrintable(action->objectName()));
    QCOMPARE(button->toolTip(), action->toolTip());
  }
}

void tst_MainWindow::statusBarStaysEmpty() {
  auto* bar = control<QStatusBar>("StatusBar1");
  const QList<QLabel*> panels = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  QCOMPARE(panels.size(), 2);
  QCOMPARE(panels[0]->width(), 20);
  QCOMPARE(panels[1]->width(), 208);

  setInputs("192.168.28.6", "/27");
  QVERIFY(calculateBy(Route::Action));
  // Pointing at tool bar buttons, speed buttons and menu entries shows no hint in the status bar.
  auto* toolBar = control<QToolBar>("ToolBar1");
  QList<QWidget*> buttons = {control<QToolButton>("btnCalc"), control<QToolButton>("SpeedButton1"),
                             control<QToolButton>("sbClassA")};
  for (QAction* action : toolBar->actions())
    if (!action->isSeparator()) buttons << toolBar->widgetForAction(action);
  for (QWidget* button : buttons) {
    QTest::mouseMove(button);
    QVERIFY(button->underMouse());
    QVERIFY2(bar->currentMessage().isEmpty(), qPrintable(bar->currentMessage()));
  }
  auto* menu = qobject_cast<QMenu*>(m_form->menuBar()->actions().constFirst()->menu());
  menu->popup(m_form->mapToGlobal(QPoint(0, 0)));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  menu->setActiveAction(m_form->command("actClearAll"));
  const QString shownForMenu = bar->currentMessage();
  menu->hide();
  QCOMPARE(shownForMenu, QString());
  for (const QLabel* panel : panels) QCOMPARE(panel->text(), QString());
}

void tst_MainWindow::tabOrder_data() {
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::newRow("Tab") << Qt::KeyboardModifiers(Qt::NoModifier);
  QTest::newRow("Shift+Tab") << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void tst_MainWindow::tabOrder() {
  QFETCH(Qt::KeyboardModifiers, modifiers);
  setInputs("192.168.28.6", "/27");
  QVERIFY(calculateBy(Route::Action));  // read-only fields with text must not become stops either
  QVERIFY(focusOn(field("edAddress")));
  QStringList visited;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
    visited << QApplication::focusWidget()->objectName();
  }
  QCOMPARE(visited, QStringList({"edMask", "edAddress", "edMask", "edAddress"}));
}

void tst_MainWindow::designedControls_data() {
  QTest::addColumn<QString>("className");
  QTest::addColumn<QRect>("place");  // inside the parent; null where the layout does not fix it

  const auto row = [](const char* name, const char* className, QRect place = QRect()) {
    QTest::newRow(name) << className << place;
  };
  row("ToolBar1", "quorvane::TToolBar");
  row("StatusBar1", "quorvane::TStatusBar");
  row("MainMenu1", "QMenuBar");
  row("mnMasks", "quorvane::TMenu");
  row("mnChangeLang", "quorvane::TMenu");
  row("gbRequest", "quorvane::TGroupBox", {0, 0, 466, 125});
  row("gbInput", "quorvane::TGroupBox", {0, 125, 466, 144});
  row("gbResult", "quorvane::TGroupBox");
  row("Image1", "quorvane::TImage", {13, 15, 48, 48});
  row("Label9", "quorvane::TLabel", {72, 16, 385, 17});
  row("Label10", "quorvane::TLabel", {72, 32, 385, 33});
  row("edAddress", "quorvane::TLabeledEdit", {112, 73, 121, 21});
  row("edMask", "quorvane::TLabeledEdit", {112, 96, 105, 21});
  row("udMask", "quorvane::TUpDown", {217, 96, 16, 21});
  row("SpeedButton1", "quorvane::TSpeedButton", {232, 72, 113, 22});
  row("sbClassA", "quorvane::TSpeedButton", {243, 96, 24, 22});
  row("sbClassB", "quorvane::TSpeedButton", {267, 96, 23, 22});
  row("sbClassC", "quorvane::TSpeedButton", {290, 96, 23, 22});
  row("sbShowInfo", "quorvane::TSpeedButton", {313, 96, 23, 22});
  row("btnCalc", "quorvane::TSpeedButton", {346, 72, 111, 46});
  row("Label1", "quorvane::TLabel");
  row("cbType", "quorvane::TComboBox", {240, 14, 217, 21});
  const char* inputLabels[] = {"lblInputAddress", "lblInputMask", "lbledInputMaskInverse", "lblInputPrefix"};
  const char* resultLabels[] = {"lblNetwork", "lblMinIP", "lblMaxIP", "lblBroadcast", "lblHostNum"};
  for (const char* label : inputLabels) row(label, "quorvane::TLabel");
  for (const char* label : resultLabels) row(label, "quorvane::TLabel");
  // Row tops: 39, 63, 87, 111 in the input group, 15, 39, 63, 87, 111 in the result group.
  const auto place = [](const QString& name, int column, int top) {
    QTest::newRow(qPrintable(name)) << "quorvane::TEdit"
                                    << (column == 1 ? QRect(112, top, 121, 21) : QRect(240, top, 217, 21));
  };
  for (int i = 0; i < 4; ++i) place(kDottedColumn[i], 1, 39 + 24 * i);
  for (int i = 0; i < 3; ++i) place(kAdditionalView[i], 2, 39 + 24 * i);
  for (int i = 4; i < 9; ++i) place(kDottedColumn[i], 1, 15 + 24 * (i - 4));
  for (int i = 3; i < 7; ++i) place(kAdditionalView[i], 2, 15 + 24 * (i - 3));
  place("edHostRange", 2, 111);
}

void tst_MainWindow::designedControls() {
  QFETCH(QString, className);
  QFETCH(QRect, place);
  auto* object = m_form->findChild<QObject*>(QTest::currentDataTag());
  QVERIFY(object);
  QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
  if (auto* widget = qobject_cast<QWidget*>(object); widget && !qobject_cast<QMenu*>(widget))
    QCOMPARE(widget->window(), m_form.get());
  if (!place.isNull()) QCOMPARE(qobject_cast<QWidget*>(object)->geometry(), place);
  // The program alone writes the result fields.
  if (auto* result = qobject_cast<TEdit*>(object)) {
    QVERIFY(result->isReadOnly());
    QTest::keyClicks(result, "9");
    QCOMPARE(result->text(), QString());
  }
}

void tst_MainWindow::closesWithoutQuestion_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Alt+F4 in edAddress") << "edAddress";
  QTest::newRow("Alt+F4 in edMask") << "edMask";
  QTest::newRow("Exit command") << "actExit";
}

void tst_MainWindow::closesWithoutQuestion() {
  QFETCH(QString, how);
  setInputs("192.168.28.6", "/27");
  if (how == "actExit") {
    m_form->command("actExit")->trigger();
  } else {
    QVERIFY(focusOn(field(how)));
    QTest::keyClick(field(how), Qt::Key_F4, Qt::AltModifier);
  }
  QTRY_VERIFY(!m_form->isVisible());
  QCOMPARE(m_boxes->count(), 0);
}

void tst_MainWindow::helpKeys_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QString>("runs");
  QTest::addColumn<QString>("silent");
  const auto row = [](const char* tag, const char* focus, Qt::KeyboardModifiers modifiers, const char* runs,
                      const char* silent) { QTest::newRow(tag) << focus << modifiers << runs << silent; };
  row("F1 in edAddress", "edAddress", Qt::NoModifier, "actHelp", "actFAQ");
  row("F1 in edMask", "edMask", Qt::NoModifier, "actHelp", "actFAQ");
  row("Ctrl+F1 in edAddress", "edAddress", Qt::ControlModifier, "actFAQ", "actHelp");
}

void tst_MainWindow::helpKeys() {
  QFETCH(QString, focus);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QString, runs);
  QFETCH(QString, silent);
  QSignalSpy ran(m_form->command(qPrintable(runs)), &QAction::triggered);
  QSignalSpy other(m_form->command(qPrintable(silent)), &QAction::triggered);
  QVERIFY(focusOn(field(focus)));
  QTest::keyClick(field(focus), Qt::Key_F1, modifiers);
  QCOMPARE(ran.count(), 1);
  QCOMPARE(other.count(), 0);
  // The command's handler ran: it asked the shell to open the home page.
  QCOMPARE(m_opened.size(), 1);
  QCOMPARE(m_opened[0].scheme(), "https");
}

namespace {

// Runs a handler as its event handler, where only the application's own dispatch can catch what it raises.
class EventHandler : public QObject {
 public:
  explicit EventHandler(std::function<void()> handler) : m_handler(std::move(handler)) {}
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    m_handler();
    return true;
  }

 private:
  std::function<void()> m_handler;
};

}  // namespace

void tst_MainWindow::unhandledError_data() {
  QTest::addColumn<QString>("path");
  QTest::newRow("guarded handler") << "guarded";
  QTest::newRow("command triggered by its shortcut") << "shortcut";
  QTest::newRow("event handler") << "event";
}

void tst_MainWindow::unhandledError() {
  QFETCH(QString, path);
  bool reached = false;
  bool restSkipped = true;
  const auto failing = [&] {
    reached = true;
    throw Exception("boom");
    restSkipped = false;
  };
  if (path == "guarded") {
    RunGuarded(m_form.get(), failing);
  } else if (path == "shortcut") {
    auto* action = new QAction(m_form.get());
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    m_form->addAction(action);
    connect(action, &QAction::triggered, m_form.get(), [&] { RunGuarded(m_form.get(), failing); });
    QVERIFY(focusOn(field("edAddress")));
    QTest::keyClick(field("edAddress"), Qt::Key_B, Qt::ControlModifier);
  } else {
    QVERIFY(qobject_cast<QuorvaneApplication*>(qApp));
    EventHandler receiver(failing);
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QVERIFY(m_boxes->waitFor(1));
  }
  QVERIFY(reached);
  QVERIFY(restSkipped);
  const QList<AnsweredBox> boxes = m_boxes->take();
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(boxes[0].title, "Error");
  QCOMPARE(boxes[0].text, "An error occurred in the application.");
  QCOMPARE(boxes[0].informativeText, "boom");

  // The window stays open and goes on working.
  QVERIFY(m_form->isVisible());
  setInputs("192.168.28.6", "/27");
  QVERIFY(calculateBy(Route::ReturnInMask));
  QCOMPARE(result("edNetwork")->text(), "192.168.28.0");
}

QUORVANE_GUI_TEST_MAIN(tst_MainWindow)

#include "tst_mainwindow.moc"
