// Launch feedback through the X server (startup notification, focus with the launch's time) and Wayland's
// activation token.
#include "platform/launchfeedback.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <memory>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace quorvane {

namespace {

#if QT_CONFIG(xcb)

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
  const Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
  return tree ? tree->root : xcb_window_t(XCB_WINDOW_NONE);
}

// A message of the startup-notification protocol: its bytes with the closing zero, 20 to a client message,
// the first of type _NET_STARTUP_INFO_BEGIN and the rest _NET_STARTUP_INFO, sent to the root window.
void sendStartupMessage(xcb_connection_t* connection, xcb_window_t root, const QByteArray& message) {
  const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
  const qsizetype length = message.size() + 1;
  for (qsizetype sent = 0; sent < length; sent += 20) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = root;
    event.type = sent == 0 ? begin : more;
    std::memcpy(event.data.data8, message.constData() + sent, size_t(std::min<qsizetype>(20, length - sent)));
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                   reinterpret_cast<const char*>(&event));
  }
}

void activateOnX11(QWindow* window, const QByteArray& startupId) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  const auto id = xcb_window_t(window->winId());
  const xcb_window_t root = connection ? rootOf(connection, id) : xcb_window_t(XCB_WINDOW_NONE);
  if (startupId.isEmpty() || root == XCB_WINDOW_NONE) {
    window->requestActivate();
    return;
  }
  // Window managers read the launch from the window that answers it.
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_STARTUP_ID"),
                      atom(connection, "UTF8_STRING"), 8, uint32_t(startupId.size()), startupId.constData());
  window->requestActivate();
  // Qt asks with the time of the last event it saw, which may be older than the user's last action in
  // another window; the click that launched the later start is newer, and is the reason to take the focus.
  if (const std::optional<quint32> time = StartupTime(startupId)) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1;  // from an application
    event.data.data32[1] = *time;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
  }
  sendStartupMessage(connection, root, StartupRemoveMessage(startupId));
  xcb_flush(connection);
}

#endif

}  // namespace

LaunchTokens ReadLaunchTokens() { return {qgetenv("DESKTOP_STARTUP_ID"), qgetenv("XDG_ACTIVATION_TOKEN")}; }

void ActivateForLaunch(QWindow* window, const LaunchTokens& tokens) {
  if (!window) return;
  const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
  if (platform == QLatin1String("xcb")) {
    activateOnX11(window, tokens.startupId);
    return;
  }
#endif
  if (platform.startsWith(QLatin1String("wayland")) && !tokens.activationToken.isEmpty())
    qputenv("XDG_ACTIVATION_TOKEN", tokens.activationToken);
  window->requestActivate();
}

QByteArray StartupRemoveMessage(const QByteArray& startupId) {
  QByteArray value = startupId;
  if (value.contains(' ') || value.contains('"') || value.contains('\\')) {
    value.replace('\\', "\\\\").replace('"', "\\\"");
    value = '"' + value + '"';
  }
  return "remove: ID=" + value;
}

std::optional<quint32> StartupTime(const QByteArray& startupId) {
  const qsizetype at = startupId.lastIndexOf("_TIME");
  if (at < 0) return std::nullopt;
  bool ok = false;
  const quint32 time = startupId.mid(at + 5).toUInt(&ok, 10);
  if (!ok) return std::nullopt;
  return time;
}

}  // namespace quorvane
