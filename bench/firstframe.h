// The end of a measured start: the event loop quits once a window has drawn its first complete frame.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace quorvane::bench {

// Both benchmarked programs end through this same filter, so that their times stop at the same point.
// A top-level widget gets its paint event first, before its children; the quit is posted so that the rest
// of the frame is painted and flushed to the (offscreen) surface before the loop ends.
class QuitOnFirstFrame : public QObject {
 public:
  explicit QuitOnFirstFrame(QWidget* window) : QObject(window) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!m_done && event->type() == QEvent::Paint) {
      m_done = true;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_done = false;
};

}  // namespace quorvane::bench
