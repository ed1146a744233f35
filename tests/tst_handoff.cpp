// Real starts of the program against each other: a later start hands off to the running one and ends, or
// tells why it cannot; and the running one's end by a signal.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <signal.h>
#include <sys/stat.h>

#include "tests/childprocesses.h"

class tst_Handoff : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init();
  void cleanup();
  void laterStartHandsOff_data();
  void laterStartHandsOff();
  void startAfterCrashBecomesRunningInstance();
  void startBesideStoppedInstanceTellsAndEnds();
  void unusableLockIsTakenOver_data();
  void unusableLockIsTakenOver();
  void terminationSignalClosesNormally_data();
  void terminationSignalClosesNormally();

 private:
  // Starts the program offscreen with this test's private runtime folder; cleanup() kills what still runs.
  QProcess* start(const QStringList& arguments = {});
  // Starts the program and expects it to hand off: it ends by itself, at once, with exit code 0, and without
  // a complaint that the running instance did not answer.
  void expectHandOff(const QStringList& arguments);
  QString socketPath() const { return m_runtime->path() + QStringLiteral("/TQuorvaneForm.socket"); }
  QString lockPath() const { return m_runtime->path() + QStringLiteral("/TQuorvaneForm.lock"); }
  // Waits until the process has written `text` to stderr; everything it wrote so far lands in `errors`.
  static bool waitForError(QProcess* process, const QByteArray& text, QByteArray& errors, int ms = 10000);

  QString m_program;
  std::unique_ptr<QTemporaryDir> m_runtime;
  quorvane::test::ChildProcesses m_processes;
};

void tst_Handoff::initTestCase() {
  m_program = qEnvironmentVariable("QUORVANE_PROGRAM");
  QVERIFY2(QFile::exists(m_program), "QUORVANE_PROGRAM must name the built program");
}

void tst_Handoff::init() {
  m_runtime = quorvane::test::privateRuntimeFolder();
  QVERIFY(m_runtime);
}

void tst_Handoff::cleanup() {
  m_processes.killAll();
  m_runtime.reset();
}

QProcess* tst_Handoff::start(const QStringList& arguments) {
  return m_processes.start(m_program, arguments, m_runtime->path());
}

void tst_Handoff::expectHandOff(const QStringList& arguments) {
  QProcess* later = start(arguments);
  QVERIFY2(later->waitForFinished(5000), "a later start kept running");
  QCOMPARE(later->exitStatus(), QProcess::NormalExit);
  QCOMPARE(later->exitCode(), 0);
  const QByteArray errors = later->readAllStandardError();
  QVERIFY2(!errors.contains("InstanceChannel:"), errors.constData());
}

void tst_Handoff::laterStartHandsOff_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::newRow("no argument") << QStringList();
  QTest::newRow("one argument") << QStringList{"192.168.28.6"};
  QTest::newRow("several arguments") << QStringList{"first", "second"};
  QTest::newRow("blanks and non-ASCII") << QStringList{QStringLiteral("a b \u00fc")};
}

void tst_Handoff::laterStartHandsOff() {
  QFETCH(QStringList, arguments);
  // The channel listens before the window exists, so the first start's message box at start-up (nothing
  // to calculate without an adapter address) does not keep it from answering.
  QProcess* first = start();
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
  expectHandOff(arguments);
  if (QTest::currentTestFailed()) return;
  expectHandOff(arguments);  // the running instance goes on answering
  if (QTest::currentTestFailed()) return;
  QTest::qWait(200);
  QCOMPARE(first->state(), QProcess::Running);
}

void tst_Handoff::startAfterCrashBecomesRunningInstance() {
  QProcess* crashed = start();
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
  crashed->kill();
  QVERIFY(crashed->waitForFinished(3000));
  QVERIFY2(QFile::exists(socketPath()), "a killed instance leaves its socket behind");

  QProcess* next = start({"after crash"});
  QVERIFY2(!next->waitForFinished(2000), "the start after a crash ended instead of running");
  // It listens now: a later start hands off to it.
  expectHandOff({"later"});
  if (QTest::currentTestFailed()) return;
  QCOMPARE(next->state(), QProcess::Running);
}

bool tst_Handoff::waitForError(QProcess* process, const QByteArray& text, QByteArray& errors, int ms) {
  return QTest::qWaitFor(
      [&] {
        errors += process->readAllStandardError();
        return errors.contains(text);
      },
      ms);
}

// A start beside an instance that lives but does not run (stopped, as a debugger or a frozen desktop leaves
// it) never opens a second window: it tells the user and, once the message is answered (here: ended by
// SIGTERM, which answers it as a logout would), ends with a non-zero exit code.
void tst_Handoff::startBesideStoppedInstanceTellsAndEnds() {
  QProcess* first = start();
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
  struct stat server {};
  QCOMPARE(::lstat(QFile::encodeName(socketPath()).constData(), &server), 0);
  QCOMPARE(::kill(pid_t(first->processId()), SIGSTOP), 0);

  QProcess* later = start({"anyone there?"});
  QByteArray errors;
  QVERIFY2(waitForError(later, "did not acknowledge in time", errors), errors.constData());
  QTest::qWait(500);
  QCOMPARE(later->state(), QProcess::Running);  // its message is waiting to be read
  QCOMPARE(::kill(pid_t(later->processId()), SIGTERM), 0);
  QVERIFY(later->waitForFinished(5000));
  QCOMPARE(later->exitStatus(), QProcess::NormalExit);
  QCOMPARE(later->exitCode(), 2);
  struct stat after {};
  QCOMPARE(::lstat(QFile::encodeName(socketPath()).constData(), &after), 0);
  QCOMPARE(after.st_ino, server.st_ino);  // the stopped instance's socket was not taken over
  QCOMPARE(::kill(pid_t(first->processId()), SIGCONT), 0);
}

void tst_Handoff::unusableLockIsTakenOver_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("empty lock file") << "empty";
  QTest::newRow("folder in the lock's place") << "folder";
}

// A lock that is no lock of a live process does not keep the program from opening its window.
void tst_Handoff::unusableLockIsTakenOver() {
  QFETCH(QString, kind);
  if (kind == QLatin1String("folder")) {
    QVERIFY(QDir().mkpath(lockPath() + QStringLiteral("/inside")));
  } else {
    QFile lock(lockPath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
  }
  QProcess* first = start();
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
  QCOMPARE(first->state(), QProcess::Running);
  expectHandOff({"second"});
}

void tst_Handoff::terminationSignalClosesNormally_data() {
  QTest::addColumn<int>("signalNumber");
  QTest::newRow("SIGTERM (logout, shutdown)") << int(SIGTERM);
  QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
  QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

// A signal ends the program as its window's close does: the settings are written (here the keys the file
// lacked appear, the stored ones are kept) and the socket is removed. The program runs from a folder of the
// test's own, since it writes its settings file beside itself.
void tst_Handoff::terminationSignalClosesNormally() {
  QFETCH(int, signalNumber);
  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  const QString program = folder.filePath(QStringLiteral("quorvane"));
  QVERIFY(QFile::copy(m_program, program));
  const QString settings = folder.filePath(QStringLiteral("quorvane.ini"));
  {
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Defaults]\r\nDefaultTypeConvert=2\r\nDefaultLang=german.lng\r\n");
  }
  QProcess* running = m_processes.start(program, {}, m_runtime->path());
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
  QCOMPARE(::kill(pid_t(running->processId()), signalNumber), 0);
  QVERIFY(running->waitForFinished(10000));
  QCOMPARE(running->exitStatus(), QProcess::NormalExit);
  QCOMPARE(running->exitCode(), 0);

  QFile file(settings);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.readAll();
  for (const char* line :
       {"DefaultTypeConvert=2", "DefaultLang=german.lng", "[Window State]", "WindowState=0"})
    QVERIFY2(written.contains(line), written.constData());
  QVERIFY(!QFile::exists(socketPath()));
}

QTEST_GUILESS_MAIN(tst_Handoff)
#include "tst_handoff.moc"
