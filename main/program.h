// The program once its application object exists: hand off to a running instance, or become it.
#pragma once

#include <QString>
#include <functional>

#include "platform/launchfeedback.h"

namespace quorvane {

class TQuorvaneForm;

// What a start returns when it ends without a window because the running instance does not answer or is
// still closing.
inline constexpr int kNoAnswerExitCode = 2;

// Hands `argument` (an address from the command line, or empty) and this start's launch tokens to the
// instance running on this display and returns handedOffExitCode, or becomes the running instance: creates
// the main window, runs its start-up sequence with the argument, calls beforeShow (if any), shows the window
// and runs the event loop until it closes. When an instance lives but does not take the argument in time
// (stopped, hanging, or still closing), says so in a message box and returns kNoAnswerExitCode. SIGTERM,
// SIGHUP and SIGINT end the program as closing its window does: the settings are written and the hand-off
// socket is removed; it then returns 0.
int RunProgram(const QString& argument, int handedOffExitCode = 0,
               const std::function<void(TQuorvaneForm&)>& beforeShow = {}, const LaunchTokens& tokens = {});

}  // namespace quorvane
