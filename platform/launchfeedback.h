// The launch feedback of a start that hands off: the desktop's launcher gave the start a startup id (X11)
// or an activation token (Wayland), which only a window can use; the running instance uses them instead.
#pragma once

#include <QByteArray>
#include <optional>

class QWindow;

namespace quorvane {

struct LaunchTokens {
  QByteArray startupId;        // DESKTOP_STARTUP_ID: ends the X11 startup notification
  QByteArray activationToken;  // XDG_ACTIVATION_TOKEN: lets a Wayland window take the focus

  bool isEmpty() const { return startupId.isEmpty() && activationToken.isEmpty(); }
  friend bool operator==(const LaunchTokens&, const LaunchTokens&) = default;
};

// The tokens the launcher put in this start's environment. Read them before the application object exists:
// Qt's platform plugins take them out of the environment as they start.
LaunchTokens ReadLaunchTokens();

// In the running instance, for a later start that handed its tokens over: asks for the focus for `window`
// (already shown and raised) with them, and ends that start's launch feedback.
//
// X11: the window carries the startup id (_NET_STARTUP_ID), the focus is asked for with the time of the
// launch when the id holds one ("..._TIME<n>"), so that a window manager's focus stealing prevention lets
// it pass, and the "remove:" message ends the startup notification that the launcher began with "new:".
// Wayland: the token is put in the environment, where Qt's Wayland plugin takes it when the window asks
// for the focus; Qt 6.4 has no call that takes a token (the compositor may instead mark the window as
// demanding attention). Elsewhere the window only asks for the focus.
void ActivateForLaunch(QWindow* window, const LaunchTokens& tokens);

// The startup-notification message that ends the launch of `startupId`: "remove: ID=<id>", the id quoted
// when it holds a blank, a quote or a backslash.
QByteArray StartupRemoveMessage(const QByteArray& startupId);

// The X server time of the user's action that launched, as a startup id carries it ("..._TIME<n>").
std::optional<quint32> StartupTime(const QByteArray& startupId);

}  // namespace quorvane
