// A start of the program reduced to its hand-off, so that tests can run real second (and crashed) processes.
//
// It starts the channel the way the program's entry does, prints its role on the first line of stdout and,
// when it became the running instance, one line "received:<argument>" per later start, for ten seconds at
// most. With QUORVANE_HELPER_HOLD_LOCK set to a path it instead takes that lock file, prints "Locked" and
// waits, so that a test can kill it while it holds the lock.
#include "platform/instancechannel.h"

#include <QCoreApplication>
#include <QLockFile>
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
    QLockFile lock(lockToHold);
    out << (lock.tryLock(0) ? "Locked" : "NotLocked") << Qt::endl;
    return app.exec();
  }

  InstanceChannel channel;
  const auto role = channel.start(QCoreApplication::arguments().value(1));
  out << QMetaEnum::fromType<InstanceChannel::Role>().valueToKey(int(role)) << Qt::endl;
  if (role != InstanceChannel::Role::Primary) return 0;
  QObject::connect(&channel, &InstanceChannel::handedOff, &app,
                   [&out](const QString& argument) { out << "received:" << argument << Qt::endl; });
  return app.exec();
}
