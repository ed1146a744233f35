// The single-instance hand-off over a private Unix socket.
#include "platform/instancechannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <QtEndian>

#include <poll.h>
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

// The lock is held only while one start decides, which takes at most its own bound; a lock older than
// this belongs to a start that hangs, and is broken rather than shutting every later start out for good.
constexpr std::chrono::milliseconds kStaleLockTime{10000};

// How long the listener rests after accepting failed for want of resources.
constexpr std::chrono::milliseconds kAcceptRetry{100};

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

// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, remainingMs(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
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
    ::poll(nullptr, 0, std::min(10, remainingMs(deadline)));
  }
  if (error == 0) return Connect::Connected;
  return error == ECONNREFUSED || error == ENOENT ? Connect::NobodyListens : Connect::Failed;
}

bool sendArgument(int fd, const QString& argument, const QDeadlineTimer& deadline) {
  QByteArray payload = argument.toUtf8();
  if (payload.size() > InstanceChannel::kMaxArgumentBytes) {
    qWarning("InstanceChannel: argument of %lld bytes cut to the hand-off limit", qlonglong(payload.size()));
    payload.truncate(qsizetype(Utf8CutLength({payload.constData(), std::size_t(payload.size())},
                                             InstanceChannel::kMaxArgumentBytes)));
  }
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
      if (!waitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  for (;;) {
    char answer = 0;
    const ssize_t received = ::recv(fd, &answer, 1, 0);
    if (received == 1) return answer == kAck;
    if (received == 0) return false;  // closed without acknowledging
    if (errno == EINTR) continue;
    if (errno != EAGAIN || !waitFor(fd, POLLIN, deadline)) return false;
  }
}

// One client of the running instance: it has kConnectionTimeout to deliver its whole frame, so a client
// that stalls only loses its own connection.
class Connection : public QObject {
 public:
  using Delivered = std::function<void(const QString&)>;

  Connection(int fd, QObject* parent, Delivered delivered)
      : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read), m_delivered(std::move(delivered)) {
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
    const QString argument = decoder(QByteArrayView(m_buffer).sliced(kHeaderSize));
    if (decoder.hasError()) {
      drop();
      return;
    }
    // One byte into an empty socket buffer: it is never refused for room.
    const bool acknowledged = ::send(m_fd.get(), &kAck, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
    const Delivered delivered = m_delivered;
    drop();
    if (acknowledged) delivered(argument);
  }

  Descriptor m_fd;
  QSocketNotifier m_notifier;
  QTimer m_deadline;
  QByteArray m_buffer;
  Delivered m_delivered;
};

}  // namespace

InstanceChannel::InstanceChannel(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

// Closing the listener and removing its file lets the next start listen.
InstanceChannel::~InstanceChannel() { stopListening(); }

InstanceChannel::Role InstanceChannel::start(const QString& argument, std::chrono::milliseconds timeout) {
  if (!m_role) m_role = decide(argument, timeout);
  return *m_role;
}

InstanceChannel::PathKind InstanceChannel::inspectSocketPath() const {
  struct stat info {};
  if (::lstat(nativePath(m_socketPath).constData(), &info) != 0) {
    return errno == ENOENT ? PathKind::Absent : PathKind::Foreign;
  }
  // A symbolic link is Foreign even when it points at a socket of ours: we never follow one.
  return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid() ? PathKind::OwnSocket : PathKind::Foreign;
}

InstanceChannel::Role InstanceChannel::decide(const QString& argument, std::chrono::milliseconds timeout) {
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

  // A crashed holder's lock is recognised by its dead process and taken over by QLockFile itself.
  QLockFile lock(m_lockPath);
  lock.setStaleLockTime(kStaleLockTime);
  if (!lock.tryLock(remainingMs(deadline))) {
    if (lock.error() == QLockFile::LockFailedError) {
      // Another start is deciding right now and will become the running instance or hand off to it.
      qWarning("InstanceChannel: another start holds %ls; ending without a window",
               qUtf16Printable(m_lockPath));
      return Role::Unanswered;
    }
    qWarning("InstanceChannel: cannot create %ls; running without hand-off", qUtf16Printable(m_lockPath));
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
        qWarning("InstanceChannel: cannot make a socket: %s; running without hand-off", std::strerror(errno));
        return Role::Unavailable;
      }
      int error = 0;
      switch (connectTo(client.get(), m_socketPath, deadline, error)) {
        case Connect::Connected:
          // Someone listens, so the decision is made; later starts need not wait for our exchange.
          lock.unlock();
          if (sendArgument(client.get(), argument, deadline)) return Role::HandedOff;
          qWarning(
              "InstanceChannel: the running instance did not acknowledge in time; ending without a window");
          return Role::Unanswered;
        case Connect::Failed:
          qWarning("InstanceChannel: the running instance does not answer (%s); ending without a window",
                   std::strerror(error));
          return Role::Unanswered;
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
  // Still under the lock, and the path is known to be free.
  return listen() ? Role::Primary : Role::Unavailable;
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
  m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &InstanceChannel::acceptConnections);
  return true;
}

void InstanceChannel::acceptConnections() {
  for (;;) {
    const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN) {
        // Out of descriptors, say: the waiting client stays queued, and the listener rests a moment
        // rather than waking the event loop again at once, over and over.
        m_notifier->setEnabled(false);
        QTimer::singleShot(kAcceptRetry, m_notifier, [notifier = m_notifier] { notifier->setEnabled(true); });
      }
      return;
    }
    new Connection(fd, this, [this](const QString& argument) { Q_EMIT handedOff(argument); });
  }
}

void InstanceChannel::stopListening() {
  if (m_listener < 0) return;
  delete m_notifier;
  m_notifier = nullptr;
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
