// The program's entry: hand off to a running instance, or become it and show the main window.
#include <cstdio>

#include "main/quorvaneform.h"
#include "platform/errorguard.h"
#include "platform/instancechannel.h"
#include "platform/programfolder.h"

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
  QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
  // Lets the desktop match the window with its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));

  InstanceChannel channel;
  const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  switch (channel.start(argument)) {
    case InstanceChannel::Role::HandedOff:
    case InstanceChannel::Role::Unanswered:
      // A first instance is running: it was asked to come to the front; this one shows nothing.
      return 0;
    case InstanceChannel::Role::Primary:
    case InstanceChannel::Role::Unavailable:
      break;
  }

  SetApplicationTitle(QStringLiteral("Quorvane"));
  TQuorvaneForm form;
  QObject::connect(&channel, &InstanceChannel::handedOff, &form, &TQuorvaneForm::receiveHandOff);
  RunGuarded(&form, [&] { form.FormCreate(); });
  form.show();
  return application.exec();
}
