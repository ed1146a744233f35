// Test helper: a desktop of the test's own, an X server (Xvfb) on a free display with a window manager
// (openbox) on it, and an X client that looks at it: window properties, the managed and the active window,
// the startup-notification messages on the root window, and key presses as a keyboard makes them (XTEST).
//
// A suite whose own windows are to appear there starts the session before its application object and
// points DISPLAY and QT_QPA_PLATFORM=xcb at it (QUORVANE_X_TEST_MAIN); programs it starts get environment().
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <chrono>
#include <functional>

#include <sys/types.h>
#include <xcb/xcb.h>

namespace quorvane::test {

class XSession {
 public:
  XSession() = default;
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;
  // Ends the window manager and the server.
  ~XSession();

  // Starts the server and the window manager and waits until the window manager runs; false, with the
  // reason in `error`, when any of it fails. Needs no application object.
  bool start(QString* error);

  QString display() const { return m_display; }  // ":N"
  int displayNumber() const { return m_number; }
  xcb_connection_t* connection() const { return m_connection; }
  xcb_window_t root() const { return m_root; }
  xcb_atom_t atom(const char* name);

  // This environment, showing programs on this display through Qt's X11 platform, with that runtime folder.
  QProcessEnvironment environment(const QString& runtimeFolder) const;

  // A property's value (of any type), empty when the window has none.
  QByteArray property(xcb_window_t window, const char* name);
  // The same as 32-bit items (CARDINAL, WINDOW, ATOM).
  QList<quint32> property32(xcb_window_t window, const char* name);
  // The windows the window manager manages (_NET_CLIENT_LIST), and the one with the focus.
  QList<xcb_window_t> clients();
  xcb_window_t activeWindow();
  // The managed window of a process (_NET_WM_PID); 0 when it has none.
  xcb_window_t windowOf(qint64 pid);

  // A window of the test's own, mapped: it takes the focus, as a window the user just opened does.
  xcb_window_t openWindow();
  // The server's time now, as a launcher reads it for a startup id.
  quint32 serverTime();

  // Sends a startup-notification message to the root window, as a launcher does.
  void sendStartupMessage(const QByteArray& message);
  // Every startup-notification message the root window has received since start(), oldest first.
  QList<QByteArray> startupMessages();

  // Presses the keys in order and releases them in reverse, through the server's XTEST extension: the
  // window with the focus gets them as from a keyboard. False when a key is not on the keyboard map.
  bool pressKeys(const QList<quint32>& keysyms);

  // Runs the caller's event loop (QTest::qWait) until `condition` holds or the time is up.
  static bool waitFor(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  void readEvents();
  void stop();

  QString m_display;
  int m_number = -1;
  pid_t m_server = -1;
  pid_t m_windowManager = -1;
  QString m_configFolder;
  xcb_connection_t* m_connection = nullptr;
  xcb_window_t m_root = 0;
  xcb_window_t m_clock = 0;  // an unmapped window whose property changes tell the server time
  quint32 m_lastTime = 0;
  QHash<QByteArray, xcb_atom_t> m_atoms;
  QHash<xcb_window_t, QByteArray> m_partial;  // startup messages still arriving, by sender window
  QList<QByteArray> m_messages;
};

}  // namespace quorvane::test

// The main() of a suite that runs on an X server of its own with a window manager: the session starts
// before the application object, which then shows every window there, at 96 dots per inch.
#define QUORVANE_X_TEST_MAIN(TestClass)                                           \
  int main(int argc, char** argv) {                                               \
    quorvane::test::XSession session;                                             \
    QString error;                                                                \
    if (!session.start(&error)) {                                                 \
      std::fprintf(stderr, "no X session for the test: %s\n", qPrintable(error)); \
      return 1;                                                                   \
    }                                                                             \
    qputenv("DISPLAY", session.display().toLocal8Bit());                          \
    qputenv("QT_QPA_PLATFORM", "xcb");                                            \
    quorvane::QuorvaneApplication application(argc, argv);                        \
    application.setAttribute(Qt::AA_Use96Dpi, true);                              \
    TestClass test(session);                                                      \
    QTEST_SET_MAIN_SOURCE_PATH                                                    \
    return QTest::qExec(&test, argc, argv);                                       \
  }
