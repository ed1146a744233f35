// The single-instance hand-off over a private Unix socket, and the lock a start decides under.
#include "platform/instancechannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSemaphore>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

#include "core/text.h"

namespace quorvane {

namespace {

constexpr char kTag[] = "QVH1";
constexpr qsizetype kTagSize = 4;
constexpr qsizetype kHeaderSize = kTagSize + 4;
constexpr char kAck = '\x06';
constexpr char kClosing = '\x15';

// How long the listener rests after accepting failed for want of resources.
constexpr std::chrono::milliseconds kAcceptRetry{100};
// How often a waiting start looks at the lock again, and how long it rests before it asks an instance
// that is closing (or has just gone) once more.
constexpr int kLockPollMs = 2;
constexpr int kAskAgainMs = 20;
// Paths set aside in one attempt to lock; more means someone keeps planting them, and the start gives up.
constexpr int kMostSetAsides = 8;

int remainingMs(const QDeadlineTimer& deadline) { return int(std::max<qint64>(0, deadline.remainingTime())); }

QByteArray nativePath(const QString& path) { return QFile::encodeName(path); }

// The runtime folder, only if it is a real directory of ours that nobody else can enter. Qt checks the
// same when it hands the folder out; checking again here keeps the guarantee ours.
QString privateRuntimeFolder() {
  const QString folder = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
  if (folder.isEmpty() || folder == QStringLiteral(".")) {
    qWarning("InstanceChannel: no runtime folder; running without single-instance hand-off");
    return {};
  }
  struct stat info {};
  if (::lstat(nativePath(folder).constData(), &info) != 0) {
    qWarning("InstanceChannel: cannot inspect runtime folder %ls: %s", qUtf16Printable(folder),
             std::strerror(errno));
    return {};
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    qWarning("InstanceChannel: runtime folder %ls is not private to this user; running without hand-off",
             qUtf16Printable(folder));
    return {};
  }
  return folder;
}

sockaddr_un socketAddress(const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray native = nativePath(path);  // its length is checked before any socket is made
  std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
  return address;
}

// Owns one descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int get() const { return m_fd; }
  int release() { return std::exchange(m_fd, -1); }

 private:
  int m_fd;
};

// Rests for `ms`, or less when the deadline comes first.
void rest(int ms, const QDeadlineTimer& deadline) { ::poll(nullptr, 0, std::min(ms, remainingMs(deadline))); }

// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, remainingMs(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// Removes what stands at the lock's path without following it: a link, pipe, socket or foreign file is
// unlinked (a link's target stays as it is), an empty folder removed. A folder with content is renamed
// aside rather than emptied: what it holds is not ours to delete.
bool setAside(const QByteArray& path) {
  static int counter = 0;
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0) return errno == ENOENT;
  if (!S_ISDIR(info.st_mode)) {
    if (::unlink(path.constData()) == 0 || errno == ENOENT) {
      qWarning("InstanceChannel: %s was no lock file of this user; removed", path.constData());
      return true;
    }
    return false;
  }
  if (::rmdir(path.constData()) == 0 || errno == ENOENT) {
    qWarning("InstanceChannel: %s was a folder, not a lock file; removed", path.constData());
    return true;
  }
  const QByteArray aside =
      path + ".unusable-" + QByteArray::number(qint64(::getpid())) + '-' + QByteArray::number(++counter);
  if (::rename(path.constData(), aside.constData()) == 0) {
    qWarning("InstanceChannel: %s was a folder, not a lock file; moved to %s", path.constData(),
             aside.constData());
    return true;
  }
  return errno == ENOENT;
}

enum class Connect { Connected, NobodyListens, Failed };

// Connects the non-blocking `fd` to the socket at `path` within the deadline. Refused or vanished means
// the file is left over: nobody listens on it any more.
Connect connectTo(int fd, const QString& path, const QDeadlineTimer& deadline, int& error) {
  const sockaddr_un address = socketAddress(path);
  for (;;) {
    error = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ? 0 : errno;
    if (error == EINTR) continue;
    // EAGAIN: the running instance's backlog is full. A Unix socket never completes such a connection by
    // itself, so it is asked again, a little later, until the deadline.
    if (error != EAGAIN) break;
    if (deadline.hasExpired()) {
      error = ETIMEDOUT;
      return Connect::Failed;
    }
    rest(10, deadline);
  }
  if (error == 0) return Connect::Connected;
  return error == ECONNREFUSED || error == ENOENT ? Connect::NobodyListens : Connect::Failed;
}

enum class Answer {
  Taken,    // acknowledged
  Closing,  // the instance is closing and takes no more arguments
  Gone,     // the connection ended before any answer: the instance closed its listener
  None,     // no answer until the deadline
};

// The payload of a frame: the argument, then each launch token as a zero byte and NAME=VALUE.
QByteArray payloadOf(const QString& argument, const LaunchTokens& tokens) {
  QByteArray extras;
  for (const auto& [name, value] : {std::pair{"DESKTOP_STARTUP_ID", &tokens.startupId},
                                    std::pair{"XDG_ACTIVATION_TOKEN", &tokens.activationToken}}) {
    if (value->isEmpty() || value->contains('\0')) continue;
    if (value->size() > InstanceChannel::kMaxTokenBytes) {
      qWarning("InstanceChannel: %s of %lld bytes is too long to hand over", name, qlonglong(value->size()));
      continue;
    }
    extras += '\0' + QByteArray(name) + '=' + *value;
  }
  QByteArray payload = argument.toUtf8();
  const qsizetype room = InstanceChannel::kMaxArgumentBytes - extras.size();
  if (payload.size() > room) {
    qWarning("InstanceChannel: argument of %lld bytes cut to the hand-off limit", qlonglong(payload.size()));
    payload.truncate(
        qsizetype(Utf8CutLength({payload.constData(), std::size_t(payload.size())}, std::size_t(room))));
  }
  return payload + extras;
}

// The argument and the launch tokens of a payload; NAME=VALUE parts of other names are skipped.
std::pair<QString, LaunchTokens> readPayload(const QString& payload) {
  const QStringList parts = payload.split(QChar(0));
  LaunchTokens tokens;
  for (qsizetype i = 1; i < parts.size(); ++i) {
    const QString& part = parts[i];
    const qsizetype equals = part.indexOf(QLatin1Char('='));
    const QStringView name = QStringView(part).left(equals);
    const QByteArray value = part.mid(equals + 1).toUtf8();
    if (equals <= 0) continue;
    if (name == u"DESKTOP_STARTUP_ID") tokens.startupId = value;
    if (name == u"XDG_ACTIVATION_TOKEN") tokens.activationToken = value;
  }
  return {parts.value(0), tokens};
}

Answer sendArgument(int fd, const QByteArray& payload, const QDeadlineTimer& deadline) {
  QByteArray frame(kTag, kTagSize);
  frame.resize(kHeaderSize);
  qToBigEndian<quint32>(quint32(payload.size()), frame.data() + kTagSize);
  frame += payload;
  qsizetype sent = 0;
  while (sent < frame.size()) {
    // MSG_NOSIGNAL: an instance that closes early is an answer, not a reason for SIGPIPE to end us.
    const ssize_t written = ::send(fd, frame.constData() + sent, size_t(frame.size() - sent), MSG_NOSIGNAL);
    if (written > 0) {
      sent += written;
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else if (written < 0 && errno == EAGAIN) {
      if (!waitFor(fd, POLLOUT, deadline)) return Answer::None;
    } else {
      return written < 0 && (errno == EPIPE || errno == ECONNRESET) ? Answer::Gone : Answer::None;
    }
  }
  for (;;) {
    char answer = 0;
    const ssize_t received = ::recv(fd, &answer, 1, 0);
    if (received == 1)
      return answer == kAck ? Answer::Taken : answer == kClosing ? Answer::Closing : Answer::None;
    if (received == 0 || errno == ECONNRESET) return Answer::Gone;
    if (errno == EINTR) continue;
    if (errno != EAGAIN || !waitFor(fd, POLLIN, deadline)) return Answer::None;
  }
}

// One client of the running instance, served in the server thread: it has kConnectionTimeout to deliver its
// whole frame, so a client that stalls only loses its own connection.
class Connection : public QObject {
 public:
  using Delivered = std::function<void(const QString&, const LaunchTokens&)>;

  Connection(int fd, QObject* parent, const std::atomic<bool>& refusing, Delivered delivered)
      : QObject(parent),
        m_fd(fd),
        m_notifier(fd, QSocketNotifier::Read),
        m_refusing(refusing),
        m_delivered(std::move(delivered)) {
    connect(&m_notifier, &QSocketNotifier::activated, this, &Connection::readAvailable);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Connection::drop);
    m_deadline.start(InstanceChannel::kConnectionTimeout);
  }

 private:
  void drop() {
    m_notifier.setEnabled(false);
    m_deadline.stop();
    deleteLater();  // the descriptor is closed with the connection
  }

  void readAvailable() {
    // Never more than a whole frame and one byte beyond it, which is enough to refuse the frame.
    constexpr qsizetype kMost = kHeaderSize + InstanceChannel::kMaxArgumentBytes + 1;
    for (;;) {
      char chunk[4096];
      const size_t room = size_t(std::min<qsizetype>(qsizetype(sizeof(chunk)), kMost - m_buffer.size()));
      if (room == 0) break;
      const ssize_t received = ::recv(m_fd.get(), chunk, room, 0);
      if (received > 0) {
        m_buffer.append(chunk, received);
        continue;
      }
      if (received < 0 && errno == EINTR) continue;
      if (received < 0 && errno == EAGAIN) break;
      drop();  // closed by the client, or broken
      return;
    }
    judge();
  }

  void judge() {
    const qsizetype available = m_buffer.size();
    if (available < kHeaderSize) {
      // A wrong tag is refused as soon as its bytes are in, not only at the connection's deadline.
      if (!QByteArray(kTag, kTagSize).startsWith(m_buffer.left(kTagSize))) drop();
      return;
    }
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + kTagSize);
    if (!m_buffer.startsWith(QByteArray(kTag, kTagSize)) ||
        length > quint32(InstanceChannel::kMaxArgumentBytes)) {
      drop();
      return;
    }
    if (available < kHeaderSize + qsizetype(length)) return;
    if (available > kHeaderSize + qsizetype(length)) {  // a client sends one frame and then waits
      drop();
      return;
    }
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString payload = decoder(QByteArrayView(m_buffer).sliced(kHeaderSize));
    if (decoder.hasError()) {
      drop();
      return;
    }
    const char answer = m_refusing.load() ? kClosing : kAck;
    // One byte into an empty socket buffer: it is never refused for room.
    const bool acknowledged =
        ::send(m_fd.get(), &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1 && answer == kAck;
    const Delivered delivered = m_delivered;
    drop();
    if (acknowledged) {
      const auto [argument, tokens] = readPayload(payload);
      delivered(argument, tokens);
    }
  }

  Descriptor m_fd;
  QSocketNotifier m_notifier;
  QTimer m_deadline;
  QByteArray m_buffer;
  const std::atomic<bool>& m_refusing;
  Delivered m_delivered;
};

// The listener's side, living in the server thread: each accepted client becomes a Connection there.
class Server : public QObject {
 public:
  Server(int listener, const std::atomic<bool>& refusing, Connection::Delivered delivered)
      : m_listener(listener), m_refusing(refusing), m_delivered(std::move(delivered)) {}

  // Runs in the server thread once it has started, so that the notifier belongs to that thread.
  void begin() {
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Server::acceptConnections);
  }

 private:
  void acceptConnections() {
    for (;;) {
      const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN) {
          // Out of descriptors, say: the waiting client stays queued, and the listener rests a moment
          // rather than waking the event loop again at once, over and over.
          m_notifier->setEnabled(false);
          QTimer::singleShot(kAcceptRetry, m_notifier,
                             [notifier = m_notifier] { notifier->setEnabled(true); });
        }
        return;
      }
      new Connection(fd, this, m_refusing, m_delivered);
    }
  }

  int m_listener;
  const std::atomic<bool>& m_refusing;
  Connection::Delivered m_delivered;
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace

StartLock::Result StartLock::lock(const QDeadlineTimer& deadline) {
  unlock();
  const QByteArray path = nativePath(m_path);
  for (int setAsides = 0;;) {
    // O_NOFOLLOW: a link is never followed; O_NONBLOCK: opening a planted pipe does not wait for a writer.
    Descriptor file(::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    const int openError = file.get() < 0 ? errno : 0;
    struct stat info {};
    const bool usable = file.get() >= 0 && ::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) &&
                        info.st_uid == ::geteuid();
    if (!usable) {
      // EISDIR: a folder; ELOOP: a link; ENXIO: a socket file; EACCES: a file of another user. Anything
      // else (a read-only folder, no room) is a reason to run without the channel.
      const bool planted = file.get() >= 0 || openError == EISDIR || openError == ELOOP ||
                           openError == ENXIO || openError == EACCES;
      if (planted && ++setAsides <= kMostSetAsides && setAside(path)) continue;
      qWarning("InstanceChannel: cannot use %ls as a lock file: %s", qUtf16Printable(m_path),
               std::strerror(openError ? openError : EEXIST));
      return Result::Failed;
    }
    while (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) {
        qWarning("InstanceChannel: cannot lock %ls: %s", qUtf16Printable(m_path), std::strerror(errno));
        return Result::Failed;
      }
      if (deadline.hasExpired()) return Result::Busy;
      rest(kLockPollMs, deadline);
    }
    // Ours only while the path still names the file we locked (someone may have removed it meanwhile).
    struct stat now {};
    if (::lstat(path.constData(), &now) != 0 || now.st_dev != info.st_dev || now.st_ino != info.st_ino)
      continue;
    // The holder's process number, for people who look; the lock itself is the flock.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(file.get(), 0) == 0) (void)!::pwrite(file.get(), pid.constData(), size_t(pid.size()), 0);
    m_fd = file.release();
    return Result::Locked;
  }
}

void StartLock::unlock() {
  // Closing the descriptor drops the flock. The file stays: removing it could let two starts lock two
  // different files of the same name.
  if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

QString DisplayKey(const QString& platformName, const QByteArray& x11Display,
                   const QByteArray& waylandDisplay, const QString& runtimeFolder) {
  QByteArray key;
  if (platformName == QLatin1String("xcb")) {
    // [host]:display[.screen]; "unix" is the local host written out, and screen 0 the default.
    const qsizetype colon = x11Display.lastIndexOf(':');
    QByteArray host = colon < 0 ? QByteArray() : x11Display.left(colon);
    const QByteArray number = colon < 0 ? x11Display : x11Display.mid(colon + 1);
    const qsizetype dot = number.indexOf('.');
    bool displayOk = false;
    bool screenOk = dot < 0;
    const uint display = number.left(dot < 0 ? number.size() : dot).toUInt(&displayOk, 10);
    const uint screen = dot < 0 ? 0 : number.mid(dot + 1).toUInt(&screenOk, 10);
    if (host == "unix") host.clear();
    if (colon < 0 || !displayOk || !screenOk) {
      key = "x11-" + x11Display;  // not a display name X reads: kept as written
    } else {
      key = "x11-" + (host.isEmpty() ? QByteArray() : host + '-') + QByteArray::number(display);
      if (screen != 0) key += '.' + QByteArray::number(screen);
    }
  } else if (platformName.startsWith(QLatin1String("wayland"))) {
    QByteArray name = waylandDisplay.isEmpty() ? QByteArrayLiteral("wayland-0") : waylandDisplay;
    const QByteArray folder = QFile::encodeName(QDir::cleanPath(runtimeFolder)) + '/';
    if (!runtimeFolder.isEmpty() && name.startsWith(folder) && !name.mid(folder.size()).contains('/'))
      name = name.mid(folder.size());
    key = "wl-" + name;
  } else {
    return {};
  }
  const QByteArray written = key.toPercentEncoding("", "", '%');
  if (written.size() <= 48) return QString::fromLatin1(written);
  return QStringLiteral("h") +
         QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
}

QString CurrentDisplayKey() {
  return DisplayKey(QGuiApplication::platformName(), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
                    qEnvironmentVariable("XDG_RUNTIME_DIR"));
}

QString InstanceChannel::nameOnThisDisplay(const QString& base) {
  const QString key = CurrentDisplayKey();
  return key.isEmpty() ? base : base + QLatin1Char('.') + key;
}

InstanceChannel::InstanceChannel(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

// Closing the listener and removing its file lets the next start listen.
InstanceChannel::~InstanceChannel() { stopListening(); }

InstanceChannel::Role InstanceChannel::start(const QString& argument, const LaunchTokens& tokens,
                                             std::chrono::milliseconds timeout) {
  if (!m_role) m_role = decide(payloadOf(argument, tokens), timeout);
  return *m_role;
}

void InstanceChannel::refuseHandOffs() { m_refusing.store(true); }

InstanceChannel::PathKind InstanceChannel::inspectSocketPath() const {
  struct stat info {};
  if (::lstat(nativePath(m_socketPath).constData(), &info) != 0) {
    return errno == ENOENT ? PathKind::Absent : PathKind::Foreign;
  }
  // A symbolic link is Foreign even when it points at a socket of ours: we never follow one.
  return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid() ? PathKind::OwnSocket : PathKind::Foreign;
}

InstanceChannel::Role InstanceChannel::decide(const QByteArray& payload, std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  const QString folder = privateRuntimeFolder();
  if (folder.isEmpty()) return Role::Unavailable;
  m_socketPath = folder + QLatin1Char('/') + m_name + QStringLiteral(".socket");
  m_lockPath = folder + QLatin1Char('/') + m_name + QStringLiteral(".lock");
  if (nativePath(m_socketPath).size() >= qsizetype(sizeof(sockaddr_un{}.sun_path))) {
    qWarning("InstanceChannel: socket path %ls is too long; running without hand-off",
             qUtf16Printable(m_socketPath));
    return Role::Unavailable;
  }

  // Once an instance has said it is closing, running out of time means it is still closing.
  bool closing = false;
  const auto noAnswer = [&](const char* why) {
    if (closing) {
      qWarning("InstanceChannel: the running instance is still closing; ending without a window");
      return Role::Closing;
    }
    qWarning("InstanceChannel: %s; ending without a window", why);
    return Role::Unanswered;
  };
  for (;;) {
    StartLock lock(m_lockPath);
    switch (lock.lock(deadline)) {
      case StartLock::Result::Locked:
        break;
      case StartLock::Result::Busy:
        // Another start is deciding and has not finished in all this time: it lives, but does not go on.
        return noAnswer(qPrintable(
            QStringLiteral("another start holds %1 and has not finished deciding").arg(m_lockPath)));
      case StartLock::Result::Failed:
        qWarning("InstanceChannel: no usable lock at %ls; running without hand-off",
                 qUtf16Printable(m_lockPath));
        return Role::Unavailable;
    }

    switch (inspectSocketPath()) {
      case PathKind::Foreign:
        qWarning(
            "InstanceChannel: %ls is not a socket of this user; it is left alone and this start runs "
            "without hand-off",
            qUtf16Printable(m_socketPath));
        return Role::Unavailable;
      case PathKind::OwnSocket: {
        const Descriptor client(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (client.get() < 0) {
          qWarning("InstanceChannel: cannot make a socket: %s; running without hand-off",
                   std::strerror(errno));
          return Role::Unavailable;
        }
        int error = 0;
        switch (connectTo(client.get(), m_socketPath, deadline, error)) {
          case Connect::Connected: {
            // Someone listens, so the decision is made; later starts need not wait for our exchange.
            lock.unlock();
            const Answer answer = sendArgument(client.get(), payload, deadline);
            if (answer == Answer::Taken) return Role::HandedOff;
            if (answer == Answer::None) return noAnswer("the running instance did not acknowledge in time");
            // Closing, or gone since: once it has removed its socket this start takes its place.
            closing = closing || answer == Answer::Closing;
            if (remainingMs(deadline) <= kAskAgainMs)
              return noAnswer("the running instance ended the connection without answering");
            rest(kAskAgainMs, deadline);
            continue;
          }
          case Connect::Failed:
            return noAnswer(qPrintable(QStringLiteral("the running instance does not answer (%1)")
                                           .arg(QString::fromLocal8Bit(std::strerror(error)))));
          case Connect::NobodyListens:
            break;
        }
        // Nobody listens any more: the file is left over by an instance that crashed.
        if (::unlink(nativePath(m_socketPath).constData()) != 0 && errno != ENOENT) {
          qWarning("InstanceChannel: cannot remove the stale socket %ls: %s", qUtf16Printable(m_socketPath),
                   std::strerror(errno));
          return Role::Unavailable;
        }
        break;
      }
      case PathKind::Absent:
        break;
    }
    // Still under the lock, and the path is known to be free. Once the socket listens, a later start finds it
    // and queues there; the lock is let go before the server thread starts, which takes a while on a busy
    // machine.
    if (!listen()) return Role::Unavailable;
    lock.unlock();
    serve();
    return Role::Primary;
  }
}

bool InstanceChannel::listen() {
  Descriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  const sockaddr_un address = socketAddress(m_socketPath);
  const QByteArray path = nativePath(m_socketPath);
  struct stat bound {};
  // Bound but not yet listening, the socket refuses every connection: its mode is settled before anyone
  // can reach it. bind() never replaces an existing file, so a path planted meanwhile makes it fail.
  if (listener.get() < 0 ||
      ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    qWarning("InstanceChannel: cannot listen on %ls: %s", qUtf16Printable(m_socketPath),
             std::strerror(errno));
    return false;
  }
  if (::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::lstat(path.constData(), &bound) != 0 ||
      ::listen(listener.get(), SOMAXCONN) != 0) {
    qWarning("InstanceChannel: cannot listen on %ls: %s", qUtf16Printable(m_socketPath),
             std::strerror(errno));
    ::unlink(path.constData());
    return false;
  }
  m_socketDevice = bound.st_dev;
  m_socketInode = bound.st_ino;
  m_listener = listener.release();
  return true;
}

void InstanceChannel::serve() {
  // The server thread hands each argument to this object's thread, where deliver() emits it.
  auto* server =
      new Server(m_listener, m_refusing, [this](const QString& argument, const LaunchTokens& tokens) {
        QMetaObject::invokeMethod(
            this, [this, argument, tokens] { deliver(argument, tokens); }, Qt::QueuedConnection);
      });
  m_server = new QThread;
  m_server->setObjectName(QStringLiteral("InstanceChannel"));
  server->moveToThread(m_server);
  // A start is answered from the moment this one returns: it waits for the thread to serve.
  QSemaphore serving;
  connect(m_server, &QThread::started, server, [server, &serving] {
    server->begin();
    serving.release();
  });
  // The server and its connections are deleted in their own thread as it ends, closing their descriptors.
  connect(m_server, &QThread::finished, server, &QObject::deleteLater);
  m_server->start();
  serving.acquire();
}

void InstanceChannel::deliver(const QString& argument, const LaunchTokens& tokens) {
  if (!m_refusing.load()) Q_EMIT handedOff(argument, tokens);
}

void InstanceChannel::stopListening() {
  if (m_listener < 0) return;
  m_refusing.store(true);
  m_server->quit();
  m_server->wait();
  delete m_server;
  m_server = nullptr;
  ::close(m_listener);
  m_listener = -1;
  // Only our own file: one that replaced it (removed by hand, then another instance) stays.
  const QByteArray path = nativePath(m_socketPath);
  struct stat info {};
  if (::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
      quint64(info.st_dev) == m_socketDevice && quint64(info.st_ino) == m_socketInode)
    ::unlink(path.constData());
}

}  // namespace quorvane
