// Test helper: answers the modal dialogs and message boxes that the code under test opens, so no test blocks.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>

namespace quorvane::test {

// A widget as the checks name it: by its class, and by its object name where it has one.
QString describe(const QString& className, const QString& objectName);
QString describe(const QWidget* widget);

// What one modal widget showed when it was answered.
struct AnsweredBox {
  QString className;   // "QMessageBox", or the dialog's own class
  QString objectName;  // "ShowCenteredMessage" for the program's message box
  QString title;
  QString text;  // a message box's text and informative text; empty for other dialogs
  QString informativeText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool pressedAsAsked = false;  // false when the box lacked the requested button and was escaped instead
};

// From construction on, polls every 10 ms (also inside the nested event loop of a modal exec()) for
// QApplication::activeModalWidget(), records it and closes it: a message box by the requested button, any
// other dialog by accept() for OK/Yes and reject() otherwise, or by a handler of the test's own. A modal
// widget that is still open 2 s after it was answered is closed by force and reported by stuck(), so an
// answer that does not take fails the test instead of hanging it.
//
// Expecting a box: compare takeTexts() (or take()) with what should have appeared; an expected box that
// never came gives an empty list and the comparison fails. For a box that appears later, waitFor() is
// bounded by its timeout.
class ModalAnswerer : public QObject {
  Q_OBJECT
 public:
  explicit ModalAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok, QObject* parent = nullptr);

  void setButton(QMessageBox::StandardButton button) { m_button = button; }
  // Answers every modal widget with this function instead; it must close the widget.
  void setHandler(std::function<void(QWidget* modal)> handler) { m_handler = std::move(handler); }
  // A modal widget that the test shows itself and looks at while it is open: it is not answered, and the
  // test closes it. A modal widget that opens over it is answered as any other.
  void leaveOpen(QWidget* modal) { m_leftOpen = modal; }

  // Boxes answered and not taken yet, oldest first.
  int count() const { return int(m_answered.size()); }
  QList<AnsweredBox> take();
  // The texts of take(), for the common case of message boxes.
  QStringList takeTexts();
  // Runs the operation and returns only what was answered while it ran (earlier answers stay queued).
  QList<AnsweredBox> during(const std::function<void()>& operation);
  // Keeps the event loop running until `total` boxes are waiting to be taken; false on timeout.
  bool waitFor(int total, std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Modal widgets that had to be closed by force, described by class and object name.
  QStringList stuck() const { return m_stuck; }

 private:
  void poll();
  void answer(QWidget* modal);

  QTimer m_timer;
  QMessageBox::StandardButton m_button;
  std::function<void(QWidget*)> m_handler;
  QList<AnsweredBox> m_answered;
  QStringList m_stuck;
  QPointer<QWidget> m_current;  // answered, not closed yet
  QPointer<QWidget> m_leftOpen;
  int m_waits = 0;  // polls since m_current was answered
};

}  // namespace quorvane::test
