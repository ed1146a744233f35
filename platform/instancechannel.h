// The single-instance hand-off: a second start passes its first argument to the running instance and ends.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

class QSocketNotifier;

namespace quorvane {

// A local socket named after the main window class, inside the user's own runtime folder (never a shared
// folder such as /tmp), stands in for finding the running window and sending it the argument. The decision
// between handing off and listening is taken under a lock file beside the socket, so two starts at the same
// moment cannot both become the running instance. A socket nobody listens on any more (left by a crashed
// instance) is replaced; a live one is never taken over, and a path that is not our own socket is never
// touched. A new start waits a bounded time in total, whatever the running instance answers. The socket is a
// plain Unix stream socket, served from the event loop.
//
// The wire format, client to server: the tag "QVH1", the argument's length in UTF-8 bytes as a 32-bit
// big-endian number, then those bytes; the server answers with the single byte 0x06 once it has the whole
// argument, and only then reports it.
class InstanceChannel : public QObject {
  Q_OBJECT
 public:
  enum class Role {
    Primary,      // no instance was running: this one listens and is the running instance now
    HandedOff,    // the running instance acknowledged the argument: end without showing anything
    Unanswered,   // an instance is running but did not take the argument in time: end all the same
    Unavailable,  // no private channel can be had: run as an ordinary single window, without hand-offs
  };
  Q_ENUM(Role)

  // Arguments longer than this many UTF-8 bytes are cut (at a character boundary) before they are sent;
  // the server refuses any frame that announces more.
  static constexpr qsizetype kMaxArgumentBytes = 64 * 1024;

  explicit InstanceChannel(const QString& name = QStringLiteral("TQuorvaneForm"), QObject* parent = nullptr);
  ~InstanceChannel() override;

  // Hands `argument` to a running instance or becomes the listening one, within `timeout` in total.
  // Decides once: a later call returns the first answer. Problems are reported on stderr (qWarning).
  Role start(const QString& argument, std::chrono::milliseconds timeout = std::chrono::seconds(3));

  // Both are empty until start() has found a private runtime folder.
  QString socketPath() const { return m_socketPath; }
  QString lockPath() const { return m_lockPath; }

  // How long the running instance gives one connection to deliver its whole frame.
  static constexpr std::chrono::milliseconds kConnectionTimeout{2000};

 Q_SIGNALS:
  // In the running instance, once per later start, after that start has been acknowledged.
  void handedOff(const QString& argument);

 private:
  enum class PathKind { Absent, OwnSocket, Foreign };

  PathKind inspectSocketPath() const;
  Role decide(const QString& argument, std::chrono::milliseconds timeout);
  bool listen();
  void acceptConnections();
  void stopListening();

  QString m_name;
  QString m_socketPath;
  QString m_lockPath;
  int m_listener = -1;
  QSocketNotifier* m_notifier = nullptr;
  // The file the listener was bound at: removed at the end only while it is still that file.
  quint64 m_socketDevice = 0;
  quint64 m_socketInode = 0;
  std::optional<Role> m_role;
};

}  // namespace quorvane
