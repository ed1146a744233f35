// Tests of the single-instance hand-off, with the running instance in this process and real second starts.
#include "platform/instancechannel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>
#include <ctime>
#include <memory>

#include "tests/testfiles.h"

using quorvane::InstanceChannel;
using quorvane::test::bindSocket;
using quorvane::test::readFile;
using quorvane::test::statOf;
using quorvane::test::writeFile;
using Role = InstanceChannel::Role;
using namespace std::chrono_literals;

namespace {

// One start of the helper program, watched without blocking the event loop this process serves from.
struct Start {
  std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
  QByteArray output;

  explicit Start(const QStringList& arguments,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                     [this] { output += process->readAllStandardOutput(); });
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(QUORVANE_HANDOFF_HELPER), arguments);
  }
  ~Start() {
    if (process->state() == QProcess::NotRunning) return;
    process->kill();
    process->waitForFinished(3000);
  }
  QStringList lines() const { return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
  bool finish(int ms = 8000) {
    QDeadlineTimer deadline(ms);
    while (process->state() != QProcess::NotRunning && !deadline.hasExpired()) QTest::qWait(5);
    output += process->readAllStandardOutput();
    return process->state() == QProcess::NotRunning && process->exitStatus() == QProcess::NormalExit;
  }
};

QByteArray frame(const QByteArray& payload, quint32 announced) {
  QByteArray bytes("QVH1....");
  qToBigEndian<quint32>(announced, bytes.data() + 4);
  return bytes + payload;
}
QByteArray frame(const QByteArray& payload) { return frame(payload, quint32(payload.size())); }

}  // namespace

class tst_InstanceChannel : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    // Each test gets its own private runtime folder (QTemporaryDir makes it 0700), read by QStandardPaths.
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
  }

  void handsOverFirstArgument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("address") << QStringList{"192.168.28.6"} << "192.168.28.6";
    QTest::newRow("no argument hands over the empty text") << QStringList{} << QString();
    QTest::newRow("only the first of two") << QStringList{"first", "second"} << "first";
    QTest::newRow("spaces and quotes kept") << QStringList{R"(a "quoted" text)"} << R"(a "quoted" text)";
    QTest::newRow("non-ASCII text") << QStringList{"Маска подсети"} << "Маска подсети";
    // One ASCII byte first, so that the byte limit falls inside a two-byte character.
    QTest::newRow("oversize cut at a character boundary")
        << QStringList{"x" + QString(40000, QChar(0xE9))}
        << "x" + QString(InstanceChannel::kMaxArgumentBytes / 2 - 1, QChar(0xE9));
  }
  void handsOverFirstArgument() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QCOMPARE(primary.socketPath(), socketPath());
    // Only its owner may connect (which takes write permission); nobody else has any access.
    QCOMPARE(statOf(socketPath()).st_mode & 0077, 0u);
    QCOMPARE(statOf(socketPath()).st_mode & 0600, 0600u);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);

    QElapsedTimer clock;
    clock.start();
    Start second(arguments);
    QVERIFY(second.finish());
    QCOMPARE(second.process->exitCode(), 0);
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), expected);
  }

  void handsOverLaunchTokens_data() {
    QTest::addColumn<QByteArray>("startupId");
    QTest::addColumn<QByteArray>("activationToken");
    QTest::addColumn<QByteArray>("expectedId");
    QTest::addColumn<QByteArray>("expectedToken");
    QTest::newRow("X11 startup id") << QByteArray("launcher-42_TIME1234") << QByteArray()
                                    << QByteArray("launcher-42_TIME1234") << QByteArray();
    QTest::newRow("Wayland activation token")
        << QByteArray() << QByteArray("tok:9f") << QByteArray() << QByteArray("tok:9f");
    QTest::newRow("both") << QByteArray("id with blanks") << QByteArray("t") << QByteArray("id with blanks")
                          << QByteArray("t");
    QTest::newRow("a token over the bound is not sent")
        << QByteArray(InstanceChannel::kMaxTokenBytes + 1, 'x') << QByteArray("t") << QByteArray()
        << QByteArray("t");
  }
  // A later start's launch tokens travel with its argument, for the running window to end its launch
  // feedback and take the focus with them.
  void handsOverLaunchTokens() {
    QFETCH(QByteArray, startupId);
    QFETCH(QByteArray, activationToken);
    QFETCH(QByteArray, expectedId);
    QFETCH(QByteArray, expectedToken);
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QString::fromLatin1(startupId));
    env.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString::fromLatin1(activationToken));
    Start second({"10.1.2.3/24"}, env);
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("10.1.2.3/24"));
    const auto tokens = received.at(0).at(1).value<quorvane::LaunchTokens>();
    QCOMPARE(tokens.startupId, expectedId);
    QCOMPARE(tokens.activationToken, expectedToken);
  }

  // The payload as other versions send it: an argument alone (no tokens), and names this version does not
  // know, which are skipped.
  void readsPayloadsOfOtherVersions_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("startupId");
    QTest::newRow("argument alone") << QByteArray("10.0.0.1") << "10.0.0.1" << QByteArray();
    QTest::newRow("unknown names skipped") << QByteArray("10.0.0.1") + '\0' + "LATER_THING=1" + '\0' +
                                                  "DESKTOP_STARTUP_ID=abc" + '\0' + "=x" + '\0' + "junk"
                                           << "10.0.0.1" << QByteArray("abc");
  }
  void readsPayloadsOfOtherVersions() {
    QFETCH(QByteArray, payload);
    QFETCH(QString, argument);
    QFETCH(QByteArray, startupId);
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    QLocalSocket client;
    client.connectToServer(primary.socketPath());
    QVERIFY(client.waitForConnected(1000));
    client.write(frame(payload));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), argument);
    QCOMPARE(received.at(0).at(1).value<quorvane::LaunchTokens>().startupId, startupId);
  }

  // The instance of a display is found whichever way DISPLAY or WAYLAND_DISPLAY is written, and only there.
  void namesOneChannelPerDisplay_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QByteArray>("x11");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QString>("key");
    const QString runtime = QStringLiteral("/run/user/1000");
    QTest::newRow(":99") << "xcb" << QByteArray(":99") << QByteArray() << "x11-99";
    QTest::newRow(":99.0") << "xcb" << QByteArray(":99.0") << QByteArray() << "x11-99";
    QTest::newRow("unix:99") << "xcb" << QByteArray("unix:99") << QByteArray() << "x11-99";
    QTest::newRow("unix:99.0") << "xcb" << QByteArray("unix:99.0") << QByteArray("wayland-0") << "x11-99";
    QTest::newRow(":98 is another display") << "xcb" << QByteArray(":98") << QByteArray() << "x11-98";
    QTest::newRow("another screen") << "xcb" << QByteArray(":99.1") << QByteArray() << "x11-99.1";
    QTest::newRow("forwarded over the network")
        << "xcb" << QByteArray("localhost:10.0") << QByteArray() << "x11-localhost-10";
    QTest::newRow("IPv6 host") << "xcb" << QByteArray("[::1]:0") << QByteArray() << "x11-%5B%3A%3A1%5D-0";
    QTest::newRow("not a display name") << "xcb" << QByteArray("what") << QByteArray() << "x11-what";
    QTest::newRow("Wayland by name") << "wayland" << QByteArray(":0") << QByteArray("wayland-1")
                                     << "wl-wayland-1";
    QTest::newRow("Wayland by its path in the runtime folder")
        << "wayland" << QByteArray() << QByteArray("/run/user/1000/wayland-1") << "wl-wayland-1";
    QTest::newRow("Wayland elsewhere") << "wayland-egl" << QByteArray() << QByteArray("/opt/seat/wayland-1")
                                       << "wl-%2Fopt%2Fseat%2Fwayland-1";
    QTest::newRow("Wayland default") << "wayland" << QByteArray() << QByteArray() << "wl-wayland-0";
    QTest::newRow("offscreen shares nothing") << "offscreen" << QByteArray(":0") << QByteArray() << "";
  }
  void namesOneChannelPerDisplay() {
    QFETCH(QString, platform);
    QFETCH(QByteArray, x11);
    QFETCH(QByteArray, wayland);
    QFETCH(QString, key);
    QCOMPARE(quorvane::DisplayKey(platform, x11, wayland, QStringLiteral("/run/user/1000")), key);
  }
  void longDisplayNamesKeepTheSocketPathShort() {
    const QString key = quorvane::DisplayKey(QStringLiteral("xcb"), QByteArray(300, 'h') + ":0", {}, {});
    QCOMPARE(key.size(), 33);
    QVERIFY(key.startsWith(QLatin1Char('h')));
    QVERIFY(key != quorvane::DisplayKey(QStringLiteral("xcb"), QByteArray(300, 'h') + ":1", {}, {}));
  }

  void startupMessages() {
    QCOMPARE(quorvane::StartupRemoveMessage("app-1_TIME5"), QByteArray("remove: ID=app-1_TIME5"));
    QCOMPARE(quorvane::StartupRemoveMessage("a \"b\" c\\d"), QByteArray("remove: ID=\"a \\\"b\\\" c\\\\d\""));
    QCOMPARE(quorvane::StartupTime("kwin/launch-12_TIME4294967295"), std::optional<quint32>(4294967295u));
    QCOMPARE(quorvane::StartupTime("no time"), std::nullopt);
    QCOMPARE(quorvane::StartupTime("x_TIMEsoon"), std::nullopt);
  }

  void deliversEverySuccessiveStart() {
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    for (int i = 1; i <= 4; ++i) {
      Start next({QStringLiteral("start %1").arg(i)});
      QVERIFY(next.finish());
      QCOMPARE(next.lines(), QStringList{"HandedOff"});
      QTRY_COMPARE(received.count(), i);
      QCOMPARE(received.last().at(0).toString(), QStringLiteral("start %1").arg(i));
    }
  }

  void replacesStaleSocket_data() {
    QTest::addColumn<bool>("leftByKilledInstance");
    QTest::newRow("socket bound and closed without listening") << false;
    QTest::newRow("running instance killed") << true;
  }
  void replacesStaleSocket() {
    QFETCH(bool, leftByKilledInstance);
    if (leftByKilledInstance) {
      Start crashed({});
      QTRY_COMPARE(crashed.lines().value(0), QStringLiteral("Primary"));
      crashed.process->kill();
      QVERIFY(crashed.process->waitForFinished(3000));
    } else {
      QCOMPARE(bindSocket(socketPath(), false), -1);
    }
    QVERIFY(S_ISSOCK(statOf(socketPath()).st_mode));

    InstanceChannel primary;
    QCOMPARE(primary.start(QString(), 1500ms), Role::Primary);
    QCOMPARE(primary.socketPath(), socketPath());
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    Start second({"after recovery"});
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QTRY_COMPARE(received.count(), 1);
  }

  // At its end an instance removes its socket file, but not one that took its place meanwhile.
  void endRemovesOnlyItsOwnSocket() {
    {
      InstanceChannel primary;
      QCOMPARE(primary.start(QString()), Role::Primary);
    }
    QCOMPARE(::access(QFile::encodeName(socketPath()).constData(), F_OK), -1);
    auto primary = std::make_unique<InstanceChannel>();
    QCOMPARE(primary->start(QString()), Role::Primary);
    QCOMPARE(::unlink(QFile::encodeName(socketPath()).constData()), 0);
    const int other = bindSocket(socketPath(), true);
    QVERIFY(other >= 0);
    const ino_t replacement = statOf(socketPath()).st_ino;
    primary.reset();
    QCOMPARE(statOf(socketPath()).st_ino, replacement);
    ::close(other);
  }

  // With no descriptor left, a waiting client is neither lost nor retried in a busy loop: once descriptors
  // are free again it is served.
  void acceptWithoutDescriptorsWaitsCalmly() {
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath()).constData(), sizeof(address.sun_path) - 1);
    QCOMPARE(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    // Every descriptor from the lowest free one up is refused.
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit usual{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &usual), 0);
    const rlimit none{rlim_t(lowestFree), usual.rlim_max};
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
    timespec before{}, after{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    QTest::qWait(500);
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &usual), 0);
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    QVERIFY2(cpuMs < 150, qPrintable(QString::number(cpuMs)));  // a busy loop would take about 500
    const QByteArray bytes = frame("served later");
    QCOMPARE(::write(client, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    QTRY_COMPARE(received.count(), 1);
    char answer = 0;
    QCOMPARE(::read(client, &answer, 1), ssize_t(1));
    QCOMPARE(answer, '\x06');
    ::close(client);
  }

  void startAfterLockHolder_data() {
    QTest::addColumn<bool>("holderKilled");
    QTest::addColumn<Role>("expected");
    QTest::newRow("holder crashed: lock taken over") << true << Role::Primary;
    QTest::newRow("holder alive: bounded wait, no second server") << false << Role::Unanswered;
  }
  void startAfterLockHolder() {
    QFETCH(bool, holderKilled);
    QFETCH(Role, expected);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVANE_HELPER_HOLD_LOCK", m_runtime->filePath("TQuorvaneForm.lock"));
    Start holder({}, env);
    QTRY_COMPARE(holder.lines().value(0), QStringLiteral("Locked"));
    if (holderKilled) {
      holder.process->kill();
      QVERIFY(holder.process->waitForFinished(3000));
    } else {
      QTest::ignoreMessage(QtWarningMsg, QRegularExpression("another start holds"));
    }
    InstanceChannel channel;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.start(QString(), 1000ms), expected);
    QVERIFY2(clock.elapsed() < 1800, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(channel.lockPath(), m_runtime->filePath("TQuorvaneForm.lock"));
    QCOMPARE(QFileInfo::exists(socketPath()), expected == Role::Primary);
  }

  void neverTouchesForeignPath_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("regular file") << "file";
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("symbolic link to a live socket") << "link";
    QTest::newRow("socket of another user") << "foreign";
  }
  void neverTouchesForeignPath() {
    QFETCH(QString, kind);
    const QByteArray path = QFile::encodeName(socketPath());
    QTemporaryDir elsewhere;
    int listener = -1;
    if (kind == "file") {
      QVERIFY(writeFile(socketPath(), "planted"));
    } else if (kind == "fifo") {
      QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    } else if (kind == "link") {
      listener = bindSocket(elsewhere.filePath("live"), true);
      QVERIFY(listener >= 0);
      QCOMPARE(::symlink(QFile::encodeName(elsewhere.filePath("live")).constData(), path.constData()), 0);
    } else {
      if (::geteuid() != 0) QSKIP("only root can plant a socket owned by another user");
      QCOMPARE(bindSocket(socketPath(), false), -1);
      QCOMPARE(::lchown(path.constData(), 65534, 65534), 0);
    }
    const struct stat before = statOf(socketPath());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a socket of this user"));
    InstanceChannel channel;
    QCOMPARE(channel.start("x", 1000ms), Role::Unavailable);

    const struct stat after = statOf(socketPath());
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_size, before.st_size);
    if (kind == "file") QCOMPARE(readFile(socketPath()), QByteArray("planted"));
    if (listener >= 0) {  // nobody connected through the link
      QCOMPARE(::accept(listener, nullptr, nullptr), -1);
      ::close(listener);
    }
  }

  void judgesRawFrames_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("well-formed frame") << frame("10.0.0.1") << true;
    QTest::newRow("well-formed empty frame") << frame("") << true;
    QTest::newRow("wrong tag") << QByteArray("HELO\0\0\0\1x", 9) << false;
    QTest::newRow("wrong tag, shorter than a header") << QByteArray("GET") << false;
    QTest::newRow("announces one byte over the bound")
        << frame("abc", quint32(InstanceChannel::kMaxArgumentBytes + 1)) << false;
    QTest::newRow("announces 4 GiB") << frame("abc", 0xFFFFFFFFu) << false;
    QTest::newRow("bytes after the frame") << frame("ok") + "junk" << false;
    QTest::newRow("invalid UTF-8") << frame("\xC3\x28") << false;
    QTest::newRow("UTF-8 cut inside a character") << frame("ab\xC3") << false;
  }
  void judgesRawFrames() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    QLocalSocket client;
    client.connectToServer(primary.socketPath());
    QVERIFY(client.waitForConnected(1000));
    client.write(bytes);
    // Answered or refused at once, well before the connection's own deadline.
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, 1000);
    QCOMPARE(client.readAll(), accepted ? QByteArray("\x06") : QByteArray());
    // The argument reaches the main thread's event loop after the answer.
    QTRY_COMPARE(received.count(), accepted ? 1 : 0);

    Start second({"still served"});
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QTRY_COMPARE(received.count(), accepted ? 2 : 1);
    QCOMPARE(received.last().at(0).toString(), QStringLiteral("still served"));
  }

  void stalledClientsDoNotBlockHandOff() {
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    QLocalSocket silent;
    QLocalSocket partial;
    for (QLocalSocket* client : {&silent, &partial}) {
      client->connectToServer(primary.socketPath());
      QVERIFY(client->waitForConnected(1000));
    }
    partial.write(frame("ab", 16));

    Start second({"past the stalled ones"});
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(silent.state(), QLocalSocket::ConnectedState);  // served while they were still open
    const int bound = int(InstanceChannel::kConnectionTimeout.count()) + 1000;
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, bound);
    QTRY_COMPARE_WITH_TIMEOUT(partial.state(), QLocalSocket::UnconnectedState, bound);
    QCOMPARE(received.count(), 1);
  }

  void unresponsiveInstanceEndsNewStartInTime_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("listening socket that never accepts") << "silent";
    QTest::newRow("listening socket with a full backlog") << "full";
    QTest::newRow("running instance stopped") << "stopped";
  }
  void unresponsiveInstanceEndsNewStartInTime() {
    QFETCH(QString, kind);
    std::unique_ptr<Start> frozen;
    std::vector<int> fds;
    if (kind == "stopped") {
      frozen = std::make_unique<Start>(QStringList{});
      QTRY_COMPARE(frozen->lines().value(0), QStringLiteral("Primary"));
      ::kill(pid_t(frozen->process->processId()), SIGSTOP);
    } else {
      fds.push_back(bindSocket(socketPath(), true));
      QVERIFY(fds.back() >= 0);
    }
    if (kind == "full") {  // connections nobody accepts, until the kernel refuses more for now (EAGAIN)
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, QFile::encodeName(socketPath()).constData(),
                   sizeof(address.sun_path) - 1);
      for (int connected = 0; connected == 0;) {
        fds.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
        connected = ::connect(fds.back(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
      }
      QCOMPARE(errno, EAGAIN);
    }
    const ino_t server = statOf(socketPath()).st_ino;
    QElapsedTimer clock;
    clock.start();
    Start second({"anyone there?"});
    QVERIFY(second.finish(6000));
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(second.process->exitCode(), 0);
    QCOMPARE(second.lines(), QStringList{"Unanswered"});
    // The whole default bound is waited out, and not much more; the live server is not taken over.
    QVERIFY2(elapsed >= 2900 && elapsed < 4500, qPrintable(QString::number(elapsed)));
    QCOMPARE(statOf(socketPath()).st_ino, server);
    for (int fd : fds) ::close(fd);
  }

  void simultaneousStartsGiveOnePrimary() {
    constexpr int kStarts = 4;
    std::vector<std::unique_ptr<Start>> starts;
    for (int i = 0; i < kStarts; ++i)
      starts.push_back(std::make_unique<Start>(QStringList{QString::number(i)}));
    const auto allDecided = [&] {
      return std::all_of(starts.begin(), starts.end(), [](const auto& s) { return !s->lines().isEmpty(); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allDecided(), 8000);

    Start* primary = nullptr;
    for (const auto& start : starts) {
      const QString role = start->lines().first();
      if (role == "Primary") {
        QVERIFY2(!primary, "two starts became the running instance");
        primary = start.get();
      } else {
        QCOMPARE(role, QStringLiteral("HandedOff"));
        QVERIFY(start->finish());
        QCOMPARE(start->process->exitCode(), 0);
      }
    }
    QVERIFY(primary);
    QTRY_COMPARE(primary->lines().size(), kStarts);
    QCOMPARE(primary->lines().filter(QRegularExpression("^received:\\d$")).size(), kStarts - 1);
  }

  // The running instance answers from a thread of its own: a start is acknowledged while the main thread is
  // still busy (building its window while dozens of starts load the machine), and the argument arrives once
  // the main thread's event loop runs again.
  void acknowledgesWhileMainThreadIsBusy() {
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    Start second({"while busy"});
    // Blocks this thread, without its event loop, for longer than the start's whole bound of three seconds.
    QVERIFY(second.process->waitForFinished(6000));
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
    QCOMPARE(received.count(), 0);
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("while busy"));
  }

  // A start that waited for the lock still has time to hand off: it looks at the lock every few milliseconds
  // instead of sleeping ever longer between looks.
  void startWaitingForLockStillHandsOff() {
    InstanceChannel primary;
    QCOMPARE(primary.start(QString()), Role::Primary);
    QSignalSpy received(&primary, &InstanceChannel::handedOff);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVANE_HELPER_HOLD_LOCK", m_runtime->filePath("TQuorvaneForm.lock"));
    env.insert("QUORVANE_HELPER_HOLD_MS", "1600");
    Start holder({}, env);
    QTRY_COMPARE(holder.lines().value(0), QStringLiteral("Locked"));
    Start waiting({"after the wait"});
    QVERIFY(waiting.finish());
    QCOMPARE(holder.lines().value(1), QStringLiteral("Released"));
    QCOMPARE(waiting.lines(), QStringList{"HandedOff"});
    QTRY_COMPARE(received.count(), 1);
  }

  // Whatever is found at the lock's path that is not the lock of a live process is taken over at once: the
  // start becomes the running instance. A link is never followed and a folder's content is kept.
  void takesOverUnusableLock_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty file") << "empty";
    QTest::newRow("garbage bytes") << "garbage";
    QTest::newRow("number of a process that has ended") << "dead";
    QTest::newRow("empty folder") << "folder";
    QTest::newRow("folder with a file in it") << "full folder";
    QTest::newRow("symbolic link to a file elsewhere") << "link";
    QTest::newRow("dangling symbolic link") << "dangling";
    QTest::newRow("named pipe") << "fifo";
  }
  void takesOverUnusableLock() {
    QFETCH(QString, kind);
    const QString lock = m_runtime->filePath("TQuorvaneForm.lock");
    const QByteArray native = QFile::encodeName(lock);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("kept");
    QVERIFY(writeFile(target, "not a lock"));
    if (kind == "empty") {
      QVERIFY(writeFile(lock, ""));
    } else if (kind == "garbage") {
      QVERIFY(writeFile(lock, QByteArray("\xff\x00\x13garbage\n\n-1\n", 14)));
    } else if (kind == "dead") {
      Start ended({"ended"});  // any process that has ended leaves a number nobody has now
      ended.process->kill();
      QVERIFY(ended.process->waitForFinished(3000));
      QVERIFY(writeFile(lock, QByteArray::number(ended.process->processId()) + "\nhandoff_helper\n\n"));
    } else if (kind == "folder" || kind == "full folder") {
      QVERIFY(QDir().mkpath(lock));
      if (kind == "full folder") QVERIFY(writeFile(lock + "/inside", "content"));
    } else if (kind == "link") {
      QCOMPARE(::symlink(QFile::encodeName(target).constData(), native.constData()), 0);
    } else if (kind == "dangling") {
      QCOMPARE(::symlink(QFile::encodeName(elsewhere.filePath("missing")).constData(), native.constData()),
               0);
    } else {
      QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    }

    InstanceChannel channel;
    QCOMPARE(channel.start(QString(), 1000ms), Role::Primary);
    QVERIFY(S_ISREG(statOf(lock).st_mode));
    QCOMPARE(readFile(target), QByteArray("not a lock"));
    QVERIFY(!QFileInfo::exists(elsewhere.filePath("missing")));
    if (kind == "full folder") {
      const QStringList aside =
          QDir(m_runtime->path()).entryList({"TQuorvaneForm.lock.unusable-*"}, QDir::Dirs);
      QCOMPARE(aside.size(), 1);
      QCOMPARE(readFile(m_runtime->filePath(aside[0] + "/inside")), QByteArray("content"));
    }
    Start second({"served"});
    QVERIFY(second.finish());
    QCOMPARE(second.lines(), QStringList{"HandedOff"});
  }

  // From refuseHandOffs() on, a later start hears that this instance is closing and nothing is delivered;
  // once the instance has gone, a start that is still waiting takes its place.
  void closingInstanceRefusesThenMakesWay() {
    auto primary = std::make_unique<InstanceChannel>();
    QCOMPARE(primary->start(QString()), Role::Primary);
    QSignalSpy received(primary.get(), &InstanceChannel::handedOff);
    primary->refuseHandOffs();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVANE_HELPER_TIMEOUT_MS", "800");
    Start refused({"refused"}, env);
    QVERIFY(refused.finish());
    QCOMPARE(refused.lines(), QStringList{"Closing"});
    QVERIFY(S_ISSOCK(statOf(socketPath()).st_mode));  // still there: the next start waits for this one

    Start waiting({"after the close"});
    QTest::qWait(300);
    QCOMPARE(waiting.process->state(), QProcess::Running);
    primary.reset();
    QTRY_COMPARE(waiting.lines().value(0), QStringLiteral("Primary"));
    QCOMPARE(received.count(), 0);
  }

 private:
  QString socketPath() const { return m_runtime->filePath(QStringLiteral("TQuorvaneForm.socket")); }

  std::unique_ptr<QTemporaryDir> m_runtime;
};

QTEST_GUILESS_MAIN(tst_InstanceChannel)
#include "tst_instancechannel.moc"
