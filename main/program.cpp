// The program once its application object exists.
#include "main/program.h"

#include <QApplication>

#include "main/quorvaneform.h"
#include "platform/instancechannel.h"
#include "platform/programfolder.h"
#include "widgets/errorguard.h"

namespace quorvane {

int RunProgram(const QString& argument, int handedOffExitCode,
               const std::function<void(TQuorvaneForm&)>& beforeShow) {
  QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
  // Lets the desktop match the window with its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));

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
  RunGuarded(&form, [&] { form.FormCreate(); });
  if (beforeShow) beforeShow(form);
  form.show();
  return QApplication::exec();
}

}  // namespace quorvane
