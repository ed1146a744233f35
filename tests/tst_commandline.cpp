// An address from the command line: how it splits into the inputs, the first start that opens with it
// calculated, the later start that hands it to the running window, and --help and --version, which need no
// display and reach no running instance.
#include <QProcess>
#include <QtTest>
#include <memory>

#include "main/commandline.h"
#include "main/program.h"
#include "platform/instancechannel.h"
#include "settings/versiontext.h"
#include "tests/childprocesses.h"
#include "tests/fixture.h"

using namespace quorvane;

namespace {

// The first lines of the shipped English error texts.
const QString kErrorInIP = QStringLiteral("The address is not a valid IPv4 address.");
const QString kErrorInMask = QStringLiteral("The subnet mask is not valid.");

}  // namespace

class tst_CommandLine : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void readsOptions_data();
  void readsOptions();
  void splitsAddressArgument_data();
  void splitsAddressArgument();
  void firstStartOpensWithArgumentCalculated_data();
  void firstStartOpensWithArgumentCalculated();
  void laterStartHandsArgumentToRunningWindow_data();
  void laterStartHandsArgumentToRunningWindow();
  void helpAndVersionNeedNoDisplayNorInstance_data();
  void helpAndVersionNeedNoDisplayNorInstance();
  void ipv6ArgumentText_data();
  void ipv6ArgumentText();
  void ipv6ArgumentOpensIpv6Window();

 private:
  // RunProgram in this process, as the program's entry calls it, with this test's runtime folder; the window
  // runs `whileShown` once it is shown, and closes afterwards.
  int runProgram(const QString& argument, const std::function<void(TQuorvaneForm&)>& whileShown);
  QStringList inputs() const;

  std::unique_ptr<QTemporaryDir> m_runtime;
  test::ChildProcesses m_processes;
  TQuorvaneForm* m_running = nullptr;
};

void tst_CommandLine::init() {
  QVERIFY(setUpFixture());
  m_runtime = test::privateRuntimeFolder();
  QVERIFY(m_runtime);
  QVERIFY(copyShippedLanguages({QStringLiteral("english.lng")}));
  m_adapters.report = QList<Adapter>{test::adapter({{"192.168.28.6", "255.255.255.224"}})};
}

void tst_CommandLine::cleanup() {
  m_processes.killAll();
  m_runtime.reset();
  tearDownFixture();
}

int tst_CommandLine::runProgram(const QString& argument,
                                const std::function<void(TQuorvaneForm&)>& whileShown) {
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
  return RunProgram(argument, 0, [&](TQuorvaneForm& form) {
    m_running = &form;
    QTimer::singleShot(0, &form, [&form, &whileShown] {
      whileShown(form);
      form.close();
    });
  });
}

QStringList tst_CommandLine::inputs() const {
  return {m_running->addressField()->text(), m_running->maskField()->text(),
          m_running->findChild<TEdit*>(QStringLiteral("edNetwork"))->text()};
}

void tst_CommandLine::readsOptions_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("request");
  QTest::addColumn<QString>("address");
  using Request = CommandLine::Request;
  QTest::newRow("nothing") << QStringList{} << int(Request::Run) << "";
  QTest::newRow("one argument") << QStringList{"10.1.2.3/24"} << int(Request::Run) << "10.1.2.3/24";
  QTest::newRow("address and mask unquoted")
      << QStringList{"10.1.2.3", "255.255.255.0"} << int(Request::Run) << "10.1.2.3 255.255.255.0";
  QTest::newRow("--help") << QStringList{"--help"} << int(Request::Help) << "";
  QTest::newRow("-h after an address") << QStringList{"10.1.2.3", "-h"} << int(Request::Help) << "";
  QTest::newRow("--version") << QStringList{"--version"} << int(Request::Version) << "";
  QTest::newRow("--help wins over an unknown option")
      << QStringList{"-x", "--help"} << int(Request::Help) << "";
  QTest::newRow("unknown option") << QStringList{"--frobnicate", "10.1.2.3"} << int(Request::UnknownOption)
                                  << "10.1.2.3";
  QTest::newRow("after --, a dash is an argument")
      << QStringList{"--", "-1.2.3.4"} << int(Request::Run) << "-1.2.3.4";
}

void tst_CommandLine::readsOptions() {
  QFETCH(QStringList, arguments);
  QFETCH(int, request);
  QFETCH(QString, address);
  const CommandLine line = ParseCommandLine(arguments);
  QCOMPARE(int(line.request), request);
  QCOMPARE(line.address, address);
}

void tst_CommandLine::splitsAddressArgument_data() {
  QTest::addColumn<QString>("argument");
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("mask");
  QTest::newRow("prefix") << "10.1.2.3/24"
                          << "10.1.2.3"
                          << "/24";
  QTest::newRow("dotted mask after a slash") << "10.1.2.3/255.255.255.0"
                                             << "10.1.2.3"
                                             << "255.255.255.0";
  QTest::newRow("inverted mask after a slash") << "10.1.2.3/0.0.0.255"
                                               << "10.1.2.3"
                                               << "0.0.0.255";
  QTest::newRow("mask after a blank") << "10.1.2.3 255.255.255.0"
                                      << "10.1.2.3"
                                      << "255.255.255.0";
  QTest::newRow("tab and surrounding blanks") << " 10.1.2.3\t/27 \n"
                                              << "10.1.2.3"
                                              << "/27";
  QTest::newRow("prefix after a blank") << "10.1.2.3 /24"
                                        << "10.1.2.3"
                                        << "/24";
  QTest::newRow("prefix out of range, as written") << "10.1.2.3/33"
                                                   << "10.1.2.3"
                                                   << "/33";
  QTest::newRow("address alone") << "10.1.2.3"
                                 << "10.1.2.3"
                                 << "";
  // As a paste in one piece: the rest after the address is the mask, as written.
  QTest::newRow("three pieces: the rest is the mask") << "10.1.2.3 255.255.255.0 x"
                                                      << "10.1.2.3"
                                                      << "255.255.255.0 x";
  QTest::newRow("two slashes: the rest is the mask") << "10.1.2.3/24/8"
                                                     << "10.1.2.3"
                                                     << "/24/8";
  QTest::newRow("nothing before the slash goes whole") << "/24"
                                                       << "/24"
                                                       << "";
  QTest::newRow("nothing after the slash goes whole") << "10.1.2.3/"
                                                      << "10.1.2.3/"
                                                      << "";
}

void tst_CommandLine::splitsAddressArgument() {
  QFETCH(QString, argument);
  QFETCH(QString, address);
  QFETCH(QString, mask);
  const AddressArgument parts = SplitAddressArgument(argument);
  QCOMPARE(parts.address, address);
  QCOMPARE(parts.mask, mask);
}

void tst_CommandLine::firstStartOpensWithArgumentCalculated_data() {
  QTest::addColumn<QString>("argument");
  QTest::addColumn<QStringList>("shown");     // address, mask and network as the window shows them
  QTest::addColumn<QStringList>("messages");  // first lines of the messages at start
  QTest::newRow("prefix") << "10.1.2.3/24" << QStringList{"10.1.2.3", "/24", "10.1.2.0"} << QStringList{};
  QTest::newRow("dotted mask") << "10.1.2.3/255.255.255.0"
                               << QStringList{"10.1.2.3", "255.255.255.0", "10.1.2.0"} << QStringList{};
  QTest::newRow("address and mask apart")
      << "172.16.5.9 255.255.0.0" << QStringList{"172.16.5.9", "255.255.0.0", "172.16.0.0"} << QStringList{};
  QTest::newRow("mask it cannot read")
      << "10.1.2.3/33" << QStringList{"10.1.2.3", "/33", ""} << QStringList{kErrorInMask};
  QTest::newRow("address it cannot read")
      << "10.1.2.300/24" << QStringList{"10.1.2.300", "/24", ""} << QStringList{kErrorInIP};
  QTest::newRow("text it cannot read")
      << "where is my subnet" << QStringList{"where", "is my subnet", ""} << QStringList{kErrorInIP};
  QTest::newRow("no argument: the machine's address")
      << "" << QStringList{"192.168.28.6", "255.255.255.224", "192.168.28.0"} << QStringList{};
}

// The argument takes the place of the machine's own address: the window opens with it calculated, in the
// language of the settings, or with Calculate's own message about what it cannot read.
void tst_CommandLine::firstStartOpensWithArgumentCalculated() {
  QFETCH(QString, argument);
  QFETCH(QStringList, shown);
  QFETCH(QStringList, messages);
  QStringList seen;
  QStringList boxes;
  QCOMPARE(runProgram(argument,
                      [&](TQuorvaneForm&) {
                        seen = inputs();
                        for (const QString& text : m_boxes->takeTexts())
                          boxes << text.section(QStringLiteral("\r\n"), 0, 0);
                      }),
           0);
  QCOMPARE(seen, shown);
  QCOMPARE(boxes, messages);
}

void tst_CommandLine::laterStartHandsArgumentToRunningWindow_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QStringList>("shown");
  QTest::addColumn<QStringList>("messages");
  QTest::newRow("prefix") << QStringList{"10.1.2.3/24"} << QStringList{"10.1.2.3", "/24", "10.1.2.0"}
                          << QStringList{};
  QTest::newRow("address and mask, quoted")
      << QStringList{"10.9.8.7 255.255.255.252"} << QStringList{"10.9.8.7", "255.255.255.252", "10.9.8.4"}
      << QStringList{};
  QTest::newRow("address and mask, unquoted")
      << QStringList{"10.9.8.7", "255.255.255.252"} << QStringList{"10.9.8.7", "255.255.255.252", "10.9.8.4"}
      << QStringList{};
  QTest::newRow("mask it cannot read")
      << QStringList{"10.1.2.3/40"} << QStringList{"10.1.2.3", "/40", ""} << QStringList{kErrorInMask};
  QTest::newRow("no argument keeps the inputs")
      << QStringList{} << QStringList{"192.168.28.6", "255.255.255.224", "192.168.28.0"} << QStringList{};
}

// A later start of the real program hands its argument over; the running window takes it as a first start
// does, and the later start ends without a window of its own.
void tst_CommandLine::laterStartHandsArgumentToRunningWindow() {
  QFETCH(QStringList, arguments);
  QFETCH(QStringList, shown);
  QFETCH(QStringList, messages);
  QStringList seen;
  QStringList boxes;
  int exitCode = -1;
  QCOMPARE(
      runProgram(QString(),
                 [&](TQuorvaneForm& form) {
                   QSignalSpy taken(&form, &TQuorvaneForm::handOffReceived);
                   QProcess* later = m_processes.start(qEnvironmentVariable("QUORVANE_PROGRAM"), arguments,
                                                       m_runtime->path());
                   if (!taken.wait(10000)) return;
                   if (QTest::qWaitFor([later] { return later->state() == QProcess::NotRunning; }, 10000))
                     exitCode = later->exitCode();
                   seen = inputs();
                   for (const QString& text : m_boxes->takeTexts())
                     boxes << text.section(QStringLiteral("\r\n"), 0, 0);
                 }),
      0);
  QCOMPARE(exitCode, 0);
  QCOMPARE(seen, shown);
  QCOMPARE(boxes, messages);
}

void tst_CommandLine::helpAndVersionNeedNoDisplayNorInstance_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("printed");  // the start of standard output
  QTest::newRow("--help") << QStringList{"--help"} << "Usage: quorvane [ADDRESS[/MASK] | \"ADDRESS MASK\"]\n";
  QTest::newRow("-h with an address") << QStringList{"10.1.2.3/24", "-h"} << "Usage: quorvane";
  QTest::newRow("--version") << QStringList{"--version"} << "Quorvane " PROJECT_VERSION_TEXT "\n";
}

// --help and --version print and end with exit code 0: on a machine without a display, and beside a running
// instance, which hears nothing of them (the next start's hand-off is the first it receives).
void tst_CommandLine::helpAndVersionNeedNoDisplayNorInstance() {
  QFETCH(QStringList, arguments);
  QFETCH(QString, printed);
  const QString program = qEnvironmentVariable("QUORVANE_PROGRAM");
  QProcess bare;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
  bare.setProcessEnvironment(env);
  bare.start(program, arguments);
  QVERIFY(bare.waitForFinished(10000));
  QCOMPARE(bare.exitCode(), 0);
  QVERIFY2(QString::fromLocal8Bit(bare.readAllStandardOutput()).startsWith(printed), qPrintable(printed));
  QCOMPARE(bare.readAllStandardError(), QByteArray());

  QStringList received;
  QCOMPARE(
      runProgram(QString(),
                 [&](TQuorvaneForm& form) {
                   connect(&form, &TQuorvaneForm::handOffReceived, &form,
                           [&received](const QString& argument) { received << argument; });
                   QProcess* asked = m_processes.start(program, arguments, m_runtime->path());
                   if (!QTest::qWaitFor([asked] { return asked->state() == QProcess::NotRunning; }, 10000))
                     return;
                   QProcess* later = m_processes.start(program, {QStringLiteral("next")}, m_runtime->path());
                   // Compared below; "next" is no address, and Calculate says so.
                   if (QTest::qWaitFor([&] { return !received.isEmpty(); }, 10000)) m_boxes->takeTexts();
                   later->waitForFinished(5000);
                 }),
      0);
  QCOMPARE(received, QStringList{"next"});
}

void tst_CommandLine::ipv6ArgumentText_data() {
  QTest::addColumn<QString>("argument");
  QTest::addColumn<QString>("text");  // for the IPv6 window's address field; empty for the main window
  QTest::newRow("address and prefix") << "2001:db8::1/48"
                                      << "2001:db8::1/48";
  QTest::newRow("apart, unquoted") << " 2001:db8::1 48 "
                                   << "2001:db8::1/48";
  QTest::newRow("apart, with a slash") << "2001:db8::1 /064"
                                       << "2001:db8::1/64";
  QTest::newRow("with a zone") << "fe80::1%eth0"
                               << "fe80::1%eth0";
  QTest::newRow("a colon that does not read: the IPv6 window says why") << "2001:db8::g"
                                                                        << "2001:db8::g";
  QTest::newRow("apart, but no prefix after it") << "2001:db8::1 255.255.0.0"
                                                 << "2001:db8::1 255.255.0.0";
  QTest::newRow("IPv4 keeps to the main window") << "10.1.2.3/24"
                                                 << "";
  QTest::newRow("IPv4 and mask apart") << "10.1.2.3 255.255.255.0"
                                       << "";
  QTest::newRow("text without a colon") << "where is my subnet"
                                        << "";
}

void tst_CommandLine::ipv6ArgumentText() {
  QFETCH(QString, argument);
  QFETCH(QString, text);
  QCOMPARE(Ipv6ArgumentText(argument), text);
}

// An IPv6 address at the first start opens the IPv6 window calculated beside the main window, which starts
// with the machine's address; a later start's IPv6 address goes to that window and leaves the main one alone.
void tst_CommandLine::ipv6ArgumentOpensIpv6Window() {
  const auto network = [](const TQuorvaneForm& form) {
    const TfrmIPv6* window = form.ipv6Window();
    return window && window->isVisible() ? window->findChild<TEdit*>(QStringLiteral("edV6Network"))->text()
                                         : QStringLiteral("<no IPv6 window>");
  };
  QStringList seen;
  QCOMPARE(runProgram(QStringLiteral("2001:db8:1:2::3 56"),
                      [&](TQuorvaneForm& form) {
                        seen = inputs();
                        seen << network(form);
                        QProcess* later = m_processes.start(qEnvironmentVariable("QUORVANE_PROGRAM"),
                                                            {QStringLiteral("fd00::1/8")}, m_runtime->path());
                        QSignalSpy taken(&form, &TQuorvaneForm::handOffReceived);
                        if (!taken.wait(10000)) return;
                        later->waitForFinished(5000);
                        seen << inputs() << network(form);
                      }),
           0);
  QCOMPARE(seen, QStringList({"192.168.28.6", "255.255.255.224", "192.168.28.0", "2001:db8:1::/56",
                              "192.168.28.6", "255.255.255.224", "192.168.28.0", "fd00::/8"}));
  QCOMPARE(m_boxes->count(), 0);
}

QUORVANE_GUI_TEST_MAIN(tst_CommandLine)

#include "tst_commandline.moc"
