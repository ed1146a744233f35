// The program once its application object exists.
#include "main/program.h"

#include <QApplication>
#include <QProgressDialog>

#include "main/programicon.h"
#include "main/quorvaneform.h"
#include "platform/instancechannel.h"
#include "platform/programfolder.h"
#include "platform/termination.h"
#include "settings/langchanger.h"
#include "settings/texttable.h"
#include "widgets/errorguard.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

// Tells the user why this start ends without a window, in the language the settings name; in English when
// that language file lacks the text (one written for an older version, say).
void tellNoAnswer(InstanceChannel::Role role) {
  const bool closing = role == InstanceChannel::Role::Closing;
  LoadTextsOnly();
  QString text = Tr(closing ? Text::sStillClosing : Text::sNoAnswer);
  if (text == QLatin1String(closing ? "sStillClosing" : "sNoAnswer")) {
    text = closing ? QStringLiteral(
                         "The running Quorvane is still closing.\r\nAnswer any message it shows, then start "
                         "Quorvane again.")
                   : QStringLiteral(
                         "Quorvane is already running but does not answer.\r\nWait a moment and start it "
                         "again, or end the Quorvane that hangs.");
  }
  ShowCenteredMessage(nullptr, text, MessageKind::Warning);
}

// Lives exactly as long as the window's useful life: made after the window, so destroyed before it. From
// the moment the window starts to die (its destructor writes the settings, and may show why that failed,
// with an event loop running) later starts are told that this instance is closing, and no hand-off reaches
// the window any more.
class RefuseHandOffsAtExit {
 public:
  explicit RefuseHandOffsAtExit(InstanceChannel& channel) : m_channel(channel) {}
  RefuseHandOffsAtExit(const RefuseHandOffsAtExit&) = delete;
  RefuseHandOffsAtExit& operator=(const RefuseHandOffsAtExit&) = delete;
  ~RefuseHandOffsAtExit() { m_channel.refuseHandOffs(); }

 private:
  InstanceChannel& m_channel;
};

}  // namespace

int RunProgram(const QString& argument, int handedOffExitCode,
               const std::function<void(TQuorvaneForm&)>& beforeShow, const LaunchTokens& tokens) {
  QCoreApplication::setApplicationName(QStringLiteral("quorvane"));
  // Lets the desktop match the window with its menu entry and icon; a window without an owner (the message
  // of a start that cannot hand off) carries the icon too.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));
  QGuiApplication::setWindowIcon(ProgramIcon());

  // From here on a logout (SIGTERM, SIGHUP) or Ctrl+C (SIGINT) ends every event loop, the nested one of a
  // message box too; the program then unwinds as after the window's close: settings written, socket removed.
  TerminationSignals termination;
  // A long task that keeps the window drawing under its progress dialog (the planner's export) runs inside
  // the event loop rather than in a nested one: its dialog is closed, which cancels it.
  QObject::connect(&termination, &TerminationSignals::arrived, &termination, [] {
    QCoreApplication::exit(0);
    if (QWidget* modal = QApplication::activeModalWidget(); qobject_cast<QProgressDialog*>(modal))
      modal->close();
  });

  // One instance a display: a start on another display opens a window of its own there.
  InstanceChannel channel(InstanceChannel::nameOnThisDisplay());
  const InstanceChannel::Role role = channel.start(argument, tokens);
  switch (role) {
    case InstanceChannel::Role::HandedOff:
      // A first instance is running: it was asked to take the argument and come to the front, and ends this
      // start's launch feedback; this one shows nothing.
      return handedOffExitCode;
    case InstanceChannel::Role::Unanswered:
    case InstanceChannel::Role::Closing:
      // Never a second window beside an instance that lives.
      if (!termination.received()) tellNoAnswer(role);
      return kNoAnswerExitCode;
    case InstanceChannel::Role::Primary:
    case InstanceChannel::Role::Unavailable:
      break;
  }

  SetApplicationTitle(QStringLiteral("Quorvane"));
  TQuorvaneForm form;
  const RefuseHandOffsAtExit refuse(channel);
  QObject::connect(&channel, &InstanceChannel::handedOff, &form, &TQuorvaneForm::receiveHandOff);
  // A signal that came before the event loop runs (while the start-up sequence showed a message, say) is
  // not lost: the window is then never shown, and its end writes the settings as read.
  if (!termination.received()) RunGuarded(&form, [&] { form.FormCreate(argument); });
  if (termination.received()) return 0;
  if (beforeShow) beforeShow(form);
  form.show();
  return QApplication::exec();
}

}  // namespace quorvane
