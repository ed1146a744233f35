// Waiting inside one process until a widget has drawn its first frame.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include "bench/harness.h"

namespace quorvane::bench {

// Runs the event loop until the widget has drawn its first frame (or two seconds have passed).
class FirstFrame : public QObject {
 public:
  explicit FirstFrame(QWidget* widget) { widget->installEventFilter(this); }
  bool wait() {
    const Clock::time_point begin = Clock::now();
    while (!m_painted && nanosecondsSince(begin) < 2e9)
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_painted;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) m_painted = true;
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_painted = false;
};

}  // namespace quorvane::bench
