// The single-instance hand-off: a second start passes its first argument to the running instance and ends.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <optional>
#include <utility>

#include "platform/launchfeedback.h"

class QThread;

namespace quorvane {

// The lock under which one start decides between handing off and listening: flock() on a file beside the
// socket. The kernel drops it when its holder ends, however it ends, so the lock of a crashed start is free
// at once and what the file holds never matters (empty, garbage, another program's format). A path that is
// no regular file of ours (a folder, a link, a pipe) is no lock of anyone: it is set aside, never followed.
class StartLock {
 public:
  enum class Result {
    Locked,
    Busy,    // another live process held it until the deadline
    Failed,  // the file cannot be made or locked at all (reported with qWarning)
  };

  explicit StartLock(QString path) : m_path(std::move(path)) {}
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;
  ~StartLock() { unlock(); }

  // Waits for the lock until the deadline, looking again every few milliseconds: a waiter never sleeps
  // long past the moment the holder lets go.
  Result lock(const QDeadlineTimer& deadline);
  void unlock();
  bool isLocked() const { return m_fd >= 0; }

 private:
  QString m_path;
  int m_fd = -1;
};

// The display a process of the platform `platformName` shows its windows on, as a part of a file name: one
// X server whatever its DISPLAY is written as (":99", ":99.0" and "unix:99" give "x11-99"; a screen other
// than 0 and a remote host are kept: "x11-99.1", "x11-localhost-10"), one Wayland display whatever its
// WAYLAND_DISPLAY ("wayland-1" and "<runtime folder>/wayland-1" give "wl-wayland-1"). Empty for platforms
// without a desktop to share (offscreen, say). Characters a file name should not hold are written as %XX,
// and a key longer than 48 characters is replaced by a hash of it.
QString DisplayKey(const QString& platformName, const QByteArray& x11Display,
                   const QByteArray& waylandDisplay, const QString& runtimeFolder);
// The same for this process, once the application object exists.
QString CurrentDisplayKey();

// A local socket named after the main window class, inside the user's own runtime folder (never a shared
// folder such as /tmp), stands in for finding the running window and sending it the argument. The decision
// between handing off and listening is taken under a StartLock beside the socket, so two starts at the same
// moment cannot both become the running instance. A socket nobody listens on any more (left by a crashed
// instance) is replaced; a live one is never taken over, and a path that is not our own socket is never
// touched. A new start waits a bounded time in total, whatever the running instance answers.
//
// The running instance serves the socket from a thread of its own, so a later start is answered at once
// even while the main thread is busy (building the window, say, while dozens of starts load the machine);
// the argument reaches handedOff in the main thread's event loop. Only a process that does not run at all
// (stopped, or swapped out for good) leaves a start unanswered.
//
// One instance runs per user and display: the running instance on another display is none of this start's
// business (nameOnThisDisplay).
//
// The wire format, client to server: the tag "QVH1", the payload's length in bytes as a 32-bit big-endian
// number, then the payload: the argument in UTF-8, followed for each launch token the start has by a zero
// byte and NAME=VALUE (DESKTOP_STARTUP_ID, XDG_ACTIVATION_TOKEN). A command-line argument never holds a
// zero byte; an instance of an earlier version takes the whole payload as its argument and ignores it. The
// server reads the whole payload and answers one byte: 0x06 when it takes it, 0x15 when it is closing and
// takes no more.
class InstanceChannel : public QObject {
  Q_OBJECT
 public:
  enum class Role {
    Primary,      // no instance was running: this one listens and is the running instance now
    HandedOff,    // the running instance acknowledged the argument: end without showing anything
    Unanswered,   // an instance lives but did not answer in time (stopped, hanging): tell the user and end
    Closing,      // the running instance is closing and was still there at the deadline: tell the user, end
    Unavailable,  // no private channel can be had: run as an ordinary single window, without hand-offs
  };
  Q_ENUM(Role)

  // Payloads longer than this many bytes are cut (the argument at a character boundary) before they are
  // sent; the server refuses any frame that announces more. A launch token longer than kMaxTokenBytes is
  // not sent.
  static constexpr qsizetype kMaxArgumentBytes = 64 * 1024;
  static constexpr qsizetype kMaxTokenBytes = 1024;

  // The channel's name for this user's instance on this process's display: `base` with the display's key.
  static QString nameOnThisDisplay(const QString& base = QStringLiteral("TQuorvaneForm"));

  explicit InstanceChannel(const QString& name = QStringLiteral("TQuorvaneForm"), QObject* parent = nullptr);
  ~InstanceChannel() override;

  // Hands `argument` to a running instance or becomes the listening one, within `timeout` in total. An
  // instance that answers "closing" is asked again until it has gone, when this start takes its place, or
  // until the timeout. Decides once: a later call returns the first answer. Problems are reported on
  // stderr (qWarning).
  Role start(const QString& argument, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
    return start(argument, LaunchTokens(), timeout);
  }
  // The same, handing over this start's launch tokens with the argument.
  Role start(const QString& argument, const LaunchTokens& tokens,
             std::chrono::milliseconds timeout = std::chrono::seconds(3));

  // From now on every later start is answered "closing" and handedOff is never emitted again, also not for
  // a start acknowledged just before. The socket stays until the channel ends, so that a later start waits
  // for this instance to finish (and write its settings) instead of running beside it.
  void refuseHandOffs();

  // Both are empty until start() has found a private runtime folder.
  QString socketPath() const { return m_socketPath; }
  QString lockPath() const { return m_lockPath; }

  // How long the running instance gives one connection to deliver its whole frame.
  static constexpr std::chrono::milliseconds kConnectionTimeout{2000};

 Q_SIGNALS:
  // In the running instance, once per later start, after that start has been acknowledged.
  void handedOff(const QString& argument, const quorvane::LaunchTokens& tokens);

 private:
  enum class PathKind { Absent, OwnSocket, Foreign };

  PathKind inspectSocketPath() const;
  Role decide(const QByteArray& payload, std::chrono::milliseconds timeout);
  bool listen();
  void serve();
  void deliver(const QString& argument, const LaunchTokens& tokens);
  void stopListening();

  QString m_name;
  QString m_socketPath;
  QString m_lockPath;
  int m_listener = -1;
  QThread* m_server = nullptr;
  // Read by the server thread for every answer it gives.
  std::atomic<bool> m_refusing{false};
  // The file the listener was bound at: removed at the end only while it is still that file.
  quint64 m_socketDevice = 0;
  quint64 m_socketInode = 0;
  std::optional<Role> m_role;
};

}  // namespace quorvane
