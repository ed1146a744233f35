// The program once its application object exists.
#include "main/program.h"

#include <QApplication>

#include "main/quorvaneform.h"
#include "platform/instancechannel.h"
#include "platform/programfolder.h"
#include "platform/termination.h"
#include "widgets/errorguard.h"

namespace quorvane {

int RunProgram(const QString& argument, int handedOffExitCode,
               const std::function<void(TQuorvaneForm&)>& beforeShow) {
  QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
  // Lets the desktop match the window with its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));

  // From here on a logout (SIGTERM, SIGHUP) or Ctrl+C (SIGINT) ends every event loop, the nested one of a
  // message box too; the program then unwinds as after the window's close: settings written, socket removed.
  TerminationSignals termination;
  QObject::connect(&termination, &TerminationSignals::arrived, &termination,
                   [] { QCoreApplication::exit(0); });

  InstanceChannel channel;
  switch (channel.start(argument)) {
    case InstanceChannel::Role::HandedOff:
    case InstanceChannel::Role::Unanswered:
      // A first instance is running: it was asked to come to the front; this one shows nothing.
      return handedOffExitCode;
    case InstanceChannel::Role::Primary:
    case InstanceChannel::Role::Unavailable:
      break;
  }

  SetApplicationTitle(QStringLiteral("Quorvane"));
  TQuorvaneForm form;
  QObject::connect(&channel, &InstanceChannel::handedOff, &form, &TQuorvaneForm::receiveHandOff);
  // A signal that came before the event loop runs (while the start-up sequence showed a message, say) is
  // not lost: the window is then never shown, and its end writes the settings as read.
  if (!termination.received()) RunGuarded(&form, [&] { form.FormCreate(); });
  if (termination.received()) return 0;
  if (beforeShow) beforeShow(form);
  form.show();
  return QApplication::exec();
}

}  // namespace quorvane
