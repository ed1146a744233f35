// SIGTERM, SIGHUP and SIGINT turned into a Qt signal, so that a logout or a Ctrl+C closes the program
// normally.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvane {

// While an instance exists, the three signals are caught and reported in the event loop of the thread that
// made it: the handler itself only notes the number and writes one byte into a pipe (both safe in a signal
// handler); a QSocketNotifier on the pipe's other end emits arrived(). Only one instance may exist at a time;
// its end restores what the signals did before.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

  // The last signal caught, 0 while none was. True from the moment the handler ran, before the event loop
  // has seen it: code that runs before the event loop asks here.
  int received() const;

 Q_SIGNALS:
  // Once per signal caught (several quick ones may come as one).
  void arrived(int signalNumber);

 private:
  void readPipe();

  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace quorvane
