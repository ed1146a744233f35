// A start of the program reduced to its hand-off, so that tests can run real second (and crashed) processes.
//
// It starts the channel the way the program's entry does, prints its role on the first line of stdout and,
// when it became the running instance, one line "received:<argument>" per later start, for ten seconds at
// most, followed by "launch:<startup id>|<activation token>" for a start that handed over launch tokens (it
// hands over those of its own environment). With QUORVANE_HELPER_HOLD_LOCK set to a path it instead takes
// that lock as a start does, prints "Locked" and waits, so that a test can kill it while it holds the lock;
// with QUORVANE_HELPER_HOLD_MS too, it lets go after that many milliseconds and prints "Released".
// QUORVANE_HELPER_TIMEOUT_MS replaces the start's bound of three seconds.
#include "platform/instancechannel.h"

#include <QCoreApplication>
#include <QMetaEnum>
#include <QTextStream>
#include <QTimer>

using quorvane::InstanceChannel;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTimer::singleShot(std::chrono::seconds(10), &app, &QCoreApplication::quit);  // tests kill it sooner

  const QString lockToHold = qEnvironmentVariable("QUORVANE_HELPER_HOLD_LOCK");
  if (!lockToHold.isEmpty()) {
    quorvane::StartLock lock(lockToHold);
    out << (lock.lock(QDeadlineTimer(0)) == quorvane::StartLock::Result::Locked ? "Locked" : "NotLocked")
        << Qt::endl;
    bool holdOk = false;
    const int holdMs = qEnvironmentVariableIntValue("QUORVANE_HELPER_HOLD_MS", &holdOk);
    if (holdOk) {
      QTimer::singleShot(holdMs, &app, [&] {
        lock.unlock();
        out << "Released" << Qt::endl;
      });
    }
    return app.exec();
  }

  InstanceChannel channel;
  bool timeoutOk = false;
  const int timeoutMs = qEnvironmentVariableIntValue("QUORVANE_HELPER_TIMEOUT_MS", &timeoutOk);
  const auto role = channel.start(QCoreApplication::arguments().value(1), quorvane::ReadLaunchTokens(),
                                  std::chrono::milliseconds(timeoutOk ? timeoutMs : 3000));
  out << QMetaEnum::fromType<InstanceChannel::Role>().valueToKey(int(role)) << Qt::endl;
  if (role != InstanceChannel::Role::Primary) return 0;
  QObject::connect(&channel, &InstanceChannel::handedOff, &app,
                   [&out](const QString& argument, const quorvane::LaunchTokens& tokens) {
                     out << "received:" << argument << Qt::endl;
                     if (!tokens.isEmpty())
                       out << "launch:" << tokens.startupId << '|' << tokens.activationToken << Qt::endl;
                   });
  return app.exec();
}
