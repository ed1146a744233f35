// Test helper: an X server and window manager of the test's own.
#include "tests/xsession.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xtest.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern char** environ;

namespace quorvane::test {

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// Starts a program with no input and its output discarded, DISPLAY set when given; -1 when it cannot. The
// child's arguments and environment are made before fork(), so that the child only calls exec.
pid_t spawn(const QString& program, const QList<QByteArray>& arguments, const QByteArray& display) {
  const QByteArray path = QFile::encodeName(QStandardPaths::findExecutable(program));
  if (path.isEmpty()) return -1;
  QList<QByteArray> strings{path};
  strings += arguments;
  std::vector<char*> argv;
  for (QByteArray& text : strings) argv.push_back(text.data());
  argv.push_back(nullptr);
  QByteArray displayEntry = "DISPLAY=" + display;
  std::vector<char*> envp;
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0) envp.push_back(*entry);
  if (!display.isEmpty()) envp.push_back(displayEntry.data());
  envp.push_back(nullptr);
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  if (null >= 0) ::close(null);
  return pid;
}

// Ends a child: SIGTERM, and SIGKILL when it has not ended within three seconds.
void end(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int waited = 0; waited < 3000; waited += 5) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      return;
    }
    ::poll(nullptr, 0, 5);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  pid = -1;
}

bool exited(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == pid; }

// A configuration of the window manager without key or mouse bindings, so that every key reaches the
// windows; new windows take the focus.
constexpr char kOpenboxConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
</openbox_config>
)";

}  // namespace

XSession::~XSession() { stop(); }

void XSession::stop() {
  if (m_connection) xcb_disconnect(m_connection);
  m_connection = nullptr;
  end(m_windowManager);
  end(m_server);
  if (!m_configFolder.isEmpty()) QDir(m_configFolder).removeRecursively();
  m_configFolder.clear();
}

bool XSession::start(QString* error) {
  const auto fail = [&](const QString& reason) {
    *error = reason;
    stop();
    return false;
  };
  // The server writes the display number it chose to the pipe (-displayfd), once it accepts clients.
  int pipe[2];
  if (::pipe(pipe) != 0) return fail(QStringLiteral("no pipe"));
  m_server = spawn(
      QStringLiteral("Xvfb"),
      {"-displayfd", QByteArray::number(pipe[1]), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"}, {});
  ::close(pipe[1]);
  QByteArray number;
  for (QDeadlineTimer deadline(10000); !number.endsWith('\n') && !deadline.hasExpired();) {
    pollfd entry{pipe[0], POLLIN, 0};
    if (::poll(&entry, 1, int(deadline.remainingTime())) <= 0) continue;
    char chunk[16];
    const ssize_t got = ::read(pipe[0], chunk, sizeof(chunk));
    if (got <= 0) break;
    number.append(chunk, got);
  }
  ::close(pipe[0]);
  bool ok = false;
  m_number = number.trimmed().toInt(&ok);
  if (m_server < 0 || !ok)
    return fail(
        QStringLiteral("Xvfb did not start (is the package xvfb installed? scripts/setup.sh installs it)"));
  m_display = QStringLiteral(":%1").arg(m_number);

  m_connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
  if (xcb_connection_has_error(m_connection)) return fail(QStringLiteral("cannot connect to ") + m_display);
  m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
  // Client messages to the root window reach the clients that watch its property changes.
  const uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &rootEvents);
  m_clock = xcb_generate_id(m_connection);
  const uint32_t clockEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_clock, m_root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &clockEvents);
  xcb_flush(m_connection);

  QTemporaryDir config;
  config.setAutoRemove(false);
  m_configFolder = config.path();
  const QString rc = m_configFolder + QStringLiteral("/rc.xml");
  QFile file(rc);
  if (!config.isValid() || !file.open(QIODevice::WriteOnly) || file.write(kOpenboxConfig) < 0)
    return fail(QStringLiteral("cannot write the window manager's configuration"));
  file.close();
  m_windowManager = spawn(QStringLiteral("openbox"), {"--sm-disable", "--config-file", QFile::encodeName(rc)},
                          m_display.toLatin1());
  if (m_windowManager < 0)
    return fail(
        QStringLiteral("openbox did not start (is the package openbox installed? scripts/setup.sh "
                       "installs it)"));
  // The window manager runs once it names its check window on the root window.
  for (QDeadlineTimer deadline(10000); property32(m_root, "_NET_SUPPORTING_WM_CHECK").isEmpty();) {
    if (deadline.hasExpired() || exited(m_windowManager)) {
      m_windowManager = -1;
      return fail(QStringLiteral("openbox did not take over the display"));
    }
    ::poll(nullptr, 0, 10);
  }
  return true;
}

xcb_atom_t XSession::atom(const char* name) {
  const auto known = m_atoms.constFind(QByteArray(name));
  if (known != m_atoms.constEnd()) return *known;
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr));
  const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  m_atoms.insert(QByteArray(name), value);
  return value;
}

QProcessEnvironment XSession::environment(const QString& runtimeFolder) const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"WAYLAND_DISPLAY", "DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN"})
    env.remove(QLatin1String(name));
  env.insert(QStringLiteral("DISPLAY"), m_display);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
  return env;
}

QByteArray XSession::property(xcb_window_t window, const char* name) {
  QByteArray value;
  for (uint32_t offset = 0;;) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, offset, 65536),
        nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return value;
    const int length = xcb_get_property_value_length(reply.get());
    value.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    if (reply->bytes_after == 0) return value;
    offset += uint32_t(length) / 4;
  }
}

QList<quint32> XSession::property32(xcb_window_t window, const char* name) {
  const QByteArray bytes = property(window, name);
  QList<quint32> items(bytes.size() / 4);
  if (!items.isEmpty()) std::memcpy(items.data(), bytes.constData(), size_t(items.size()) * 4);
  return items;
}

QList<xcb_window_t> XSession::clients() { return property32(m_root, "_NET_CLIENT_LIST"); }

xcb_window_t XSession::activeWindow() { return property32(m_root, "_NET_ACTIVE_WINDOW").value(0); }

xcb_window_t XSession::windowOf(qint64 pid) {
  for (const xcb_window_t window : clients())
    if (property32(window, "_NET_WM_PID").value(0) == quint32(pid)) return window;
  return 0;
}

xcb_window_t XSession::openWindow() {
  const xcb_window_t window = xcb_generate_id(m_connection);
  xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 100, 100, 300, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
  const QByteArray title("another program");
  xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      uint32_t(title.size()), title.constData());
  xcb_map_window(m_connection, window);
  xcb_flush(m_connection);
  return window;
}

quint32 XSession::serverTime() {
  // A change of a property is stamped with the server's time.
  m_lastTime = 0;
  xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_clock, atom("_QUORVANE_TEST_CLOCK"),
                      XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(m_connection);
  for (QDeadlineTimer deadline(5000); m_lastTime == 0 && !deadline.hasExpired();) {
    readEvents();
    if (m_lastTime != 0) break;
    pollfd entry{xcb_get_file_descriptor(m_connection), POLLIN, 0};
    ::poll(&entry, 1, 50);
  }
  return m_lastTime;
}

void XSession::sendStartupMessage(const QByteArray& message) {
  const QByteArray bytes = message + '\0';
  for (qsizetype sent = 0; sent < bytes.size(); sent += 20) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = m_clock;
    event.type = atom(sent == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO");
    std::memcpy(event.data.data8, bytes.constData() + sent,
                size_t(std::min<qsizetype>(20, bytes.size() - sent)));
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                   reinterpret_cast<const char*>(&event));
  }
  xcb_flush(m_connection);
}

QList<QByteArray> XSession::startupMessages() {
  readEvents();
  return m_messages;
}

void XSession::readEvents() {
  const xcb_atom_t begin = atom("_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = atom("_NET_STARTUP_INFO");
  while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_PROPERTY_NOTIFY) {
      const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
      if (notify->window == m_clock) m_lastTime = notify->time;
    } else if (type == XCB_CLIENT_MESSAGE) {
      const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
      if (message->format != 8 || (message->type != begin && message->type != more)) continue;
      QByteArray& text = m_partial[message->window];
      if (message->type == begin) text.clear();
      text.append(reinterpret_cast<const char*>(message->data.data8), 20);
      if (const qsizetype end = text.indexOf('\0'); end >= 0) {
        m_messages << text.left(end);
        m_partial.remove(message->window);
      }
    }
  }
}

bool XSession::pressKeys(const QList<quint32>& keysyms) {
  const xcb_setup_t* setup = xcb_get_setup(m_connection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
      m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, uint8_t(count)), nullptr));
  if (!mapping) return false;
  const xcb_keysym_t* table = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int perKey = mapping->keysyms_per_keycode;
  QList<xcb_keycode_t> keys;
  for (const quint32 keysym : keysyms) {
    xcb_keycode_t found = 0;
    for (int i = 0; i < count * perKey && !found; ++i)
      if (table[i] == keysym) found = xcb_keycode_t(setup->min_keycode + i / perKey);
    if (!found) return false;
    keys << found;
  }
  for (const xcb_keycode_t key : keys)
    xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  for (auto key = keys.crbegin(); key != keys.crend(); ++key)
    xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(m_connection);
  return true;
}

bool XSession::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(condition, int(timeout.count()));
}

}  // namespace quorvane::test
