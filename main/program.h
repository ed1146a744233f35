// The program once its application object exists: hand off to a running instance, or become it.
#pragma once

#include <QString>
#include <functional>

namespace quorvane {

class TQuorvaneForm;

// Hands `argument` to a running instance and returns handedOffExitCode, or becomes the running instance:
// creates the main window, runs its start-up sequence, calls beforeShow (if any), shows the window and runs
// the event loop until it closes. SIGTERM, SIGHUP and SIGINT end the program as closing its window does: the
// settings are written and the hand-off socket is removed; it then returns 0.
int RunProgram(const QString& argument, int handedOffExitCode = 0,
               const std::function<void(TQuorvaneForm&)>& beforeShow = {});

}  // namespace quorvane
