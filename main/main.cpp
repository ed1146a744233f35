// The program's entry: hand off to a running instance, or become it and show the main window.
#include <cstdio>

#include "main/program.h"
#include "widgets/errorguard.h"

int main(int argc, char** argv) {
  using namespace quorvane;
  // Without a display there is nothing to show; say so in one line instead of Qt's abort.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "quorvane: no display found (DISPLAY and WAYLAND_DISPLAY are unset); run it on a desktop, "
                 "or make the screenshot with: bash scripts/screenshot.sh\n");
    return 1;
  }

  QuorvaneApplication application(argc, argv);
  return RunProgram(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
}
