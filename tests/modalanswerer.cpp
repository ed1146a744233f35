// Test helper that answers modal dialogs and message boxes.
#include "tests/modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QtTest>

namespace quorvane::test {

namespace {

constexpr int kPollMs = 10;
constexpr int kMaxWaits = 2000 / kPollMs;

}  // namespace

QString describe(const QString& className, const QString& objectName) {
  return objectName.isEmpty() ? className : className + QLatin1Char(' ') + objectName;
}

QString describe(const QWidget* widget) {
  return describe(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
}

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton button, QObject* parent)
    : QObject(parent), m_button(button) {
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
  m_timer.start();
}

QList<AnsweredBox> ModalAnswerer::take() { return std::exchange(m_answered, {}); }

QStringList ModalAnswerer::takeTexts() {
  QStringList texts;
  for (const AnsweredBox& box : take()) texts << box.text;
  return texts;
}

QList<AnsweredBox> ModalAnswerer::during(const std::function<void()>& operation) {
  const qsizetype before = m_answered.size();
  operation();
  const QList<AnsweredBox> added = m_answered.mid(before);
  m_answered.resize(before);
  return added;
}

bool ModalAnswerer::waitFor(int total, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor([&] { return count() >= total; }, int(timeout.count()));
}

void ModalAnswerer::poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible() || modal == m_leftOpen) {
    m_current = nullptr;
    return;
  }
  if (modal != m_current) {
    m_current = modal;
    m_waits = 0;
    answer(modal);
    return;
  }
  if (++m_waits < kMaxWaits) return;
  // The answer did not close it: close it so the test goes on, and let stuck() report it.
  m_stuck << describe(modal);
  if (auto* dialog = qobject_cast<QDialog*>(modal))
    dialog->done(QDialog::Rejected);
  else
    modal->hide();
  m_current = nullptr;
}

void ModalAnswerer::answer(QWidget* modal) {
  AnsweredBox box;
  box.className = QString::fromLatin1(modal->metaObject()->className());
  box.objectName = modal->objectName();
  box.title = modal->windowTitle();
  auto* message = qobject_cast<QMessageBox*>(modal);
  if (message) {
    box.text = message->text();
    box.informativeText = message->informativeText();
    box.icon = message->icon();
    box.buttons = message->standardButtons();
  }
  if (m_handler) {
    box.pressedAsAsked = true;
    m_answered << box;
    m_handler(modal);
    return;
  }
  // Recorded before the answer: closing the box lets the code under test run on at once.
  if (message) {
    QAbstractButton* button = message->button(m_button);
    box.pressedAsAsked = button != nullptr;
    m_answered << box;
    // Without the requested button the box is closed as by its title bar, which answers its escape button.
    if (button)
      button->click();
    else
      message->close();
  } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    box.pressedAsAsked = true;
    m_answered << box;
    if (m_button == QMessageBox::Ok || m_button == QMessageBox::Yes)
      dialog->accept();
    else
      dialog->reject();
  } else {
    m_answered << box;
    modal->close();
  }
}

}  // namespace quorvane::test
