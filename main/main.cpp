// The program's entry: answer --help or --version, or hand off to a running instance, or become it and show
// the main window.
#include <QStringList>
#include <cstdio>

#include "main/commandline.h"
#include "main/program.h"
#include "platform/launchfeedback.h"
#include "widgets/errorguard.h"

namespace {

QStringList arguments(int argc, char** argv) {
  QStringList list;
  for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvane;
  // The help and the version need neither a display nor the running instance.
  const CommandLine early = ParseCommandLine(arguments(argc, argv));
  if (early.request == CommandLine::Request::Help || early.request == CommandLine::Request::Version) {
    const QString text = early.request == CommandLine::Request::Help ? UsageText() : VersionLine();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  // Without a display there is nothing to show; say so in one line instead of Qt's abort.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "quorvane: no display found (DISPLAY and WAYLAND_DISPLAY are unset); run it on a desktop, "
                 "or make the screenshot with: bash scripts/screenshot.sh\n");
    return 1;
  }

  // Before the application object: Qt's platform plugins take them out of the environment.
  const LaunchTokens tokens = ReadLaunchTokens();
  QuorvaneApplication application(argc, argv);
  // What is left once Qt has taken its own options (-platform, -display, ...).
  const CommandLine line = ParseCommandLine(arguments(argc, argv));
  if (line.request == CommandLine::Request::UnknownOption) {
    std::fprintf(stderr, "quorvane: unknown option %s\nTry quorvane --help\n",
                 qPrintable(line.unknownOption));
    return 1;
  }
  return RunProgram(line.address, 0, {}, tokens);
}
