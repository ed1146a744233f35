// The single-instance hand-off over a private local socket.
#include "platform/instancechannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quorvane {

namespace {

constexpr char kTag[] = "QVH1";
constexpr qsizetype kTagSize = 4;
constexpr qsizetype kHeaderSize = kTagSize + 4;
constexpr char kAck = '\x06';

// The lock is held only while one start decides, which takes at most its own bound; a lock older than
// this belongs to a start that hangs, and is broken rather than shutting every later start out for good.
constexpr std::chrono::milliseconds kStaleLockTime{10000};

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

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
void cutUtf8(QByteArray& text, qsizetype limit) {
  if (text.size() <= limit) return;
  qsizetype cut = limit;
  while (cut > 0 && (uchar(text.at(cut)) & 0xC0) == 0x80) --cut;
  text.truncate(cut);
}

bool sendArgument(QLocalSocket& socket, const QString& argument, const QDeadlineTimer& deadline) {
  QByteArray payload = argument.toUtf8();
  if (payload.size() > InstanceChannel::kMaxArgumentBytes) {
    qWarning("InstanceChannel: argument of %lld bytes cut to the hand-off limit", qlonglong(payload.size()));
    cutUtf8(payload, InstanceChannel::kMaxArgumentBytes);
  }
  QByteArray frame(kTag, kTagSize);
  frame.resize(kHeaderSize);
  qToBigEndian<quint32>(quint32(payload.size()), frame.data() + kTagSize);
  frame += payload;
  if (socket.write(frame) != frame.size()) return false;
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(remainingMs(deadline))) return false;
  }
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(remainingMs(deadline))) return false;
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == kAck;
}

void dropConnection(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

}  // namespace

InstanceChannel::InstanceChannel(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

// The server is a child: destroying it closes the socket and removes its file, so the next start listens.
InstanceChannel::~InstanceChannel() = default;

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
      QLocalSocket socket;
      socket.connectToServer(m_socketPath);
      if (socket.waitForConnected(remainingMs(deadline))) {
        // Someone listens, so the decision is made; later starts need not wait for our exchange.
        lock.unlock();
        if (sendArgument(socket, argument, deadline)) return Role::HandedOff;
        qWarning(
            "InstanceChannel: the running instance did not acknowledge in time; ending without a window");
        return Role::Unanswered;
      }
      const auto error = socket.error();
      if (error != QLocalSocket::ConnectionRefusedError && error != QLocalSocket::ServerNotFoundError) {
        qWarning("InstanceChannel: the running instance does not answer (%ls); ending without a window",
                 qUtf16Printable(socket.errorString()));
        return Role::Unanswered;
      }
      // Refused: nobody listens any more, the file is left over by an instance that crashed.
      if (!QLocalServer::removeServer(m_socketPath)) {
        qWarning("InstanceChannel: cannot remove the stale socket %ls", qUtf16Printable(m_socketPath));
        return Role::Unavailable;
      }
      break;
    }
    case PathKind::Absent:
      break;
  }
  // Still under the lock, and the path is known to be free: Qt's listen() would replace whatever is there.
  return listen() ? Role::Primary : Role::Unavailable;
}

bool InstanceChannel::listen() {
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(m_socketPath)) {
    qWarning("InstanceChannel: cannot listen on %ls: %ls", qUtf16Printable(m_socketPath),
             qUtf16Printable(server->errorString()));
    delete server;
    return false;
  }
  m_server = server;
  connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::acceptConnections);
  return true;
}

void InstanceChannel::acceptConnections() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    // Event driven with a deadline per connection: a client that stalls only loses its own connection.
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [socket] { dropConnection(socket); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrame(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    timer->start(kConnectionTimeout);
  }
}

void InstanceChannel::readFrame(QLocalSocket* socket) {
  if (socket->state() != QLocalSocket::ConnectedState) return;
  const qint64 available = socket->bytesAvailable();
  if (available < kHeaderSize) {
    // Refuse a wrong tag as soon as its bytes are in, not only at the connection's deadline.
    const QByteArray start = socket->peek(std::min<qint64>(available, kTagSize));
    if (!QByteArray(kTag, kTagSize).startsWith(start)) dropConnection(socket);
    return;
  }
  const QByteArray header = socket->peek(kHeaderSize);
  const quint32 length = qFromBigEndian<quint32>(header.constData() + kTagSize);
  if (!header.startsWith(QByteArray(kTag, kTagSize)) || length > quint32(kMaxArgumentBytes)) {
    dropConnection(socket);
    return;
  }
  if (available < kHeaderSize + qint64(length)) return;
  if (available > kHeaderSize + qint64(length)) {  // a client sends one frame and then waits
    dropConnection(socket);
    return;
  }
  socket->skip(kHeaderSize);
  const QByteArray payload = socket->read(length);
  QStringDecoder decoder(QStringDecoder::Utf8,
                         QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  const QString argument = decoder(payload);
  if (decoder.hasError()) {
    dropConnection(socket);
    return;
  }
  socket->putChar(kAck);
  socket->flush();
  socket->disconnectFromServer();
  Q_EMIT handedOff(argument);
}

}  // namespace quorvane
