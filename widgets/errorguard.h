// Unhandled errors: shown to the user, the failed command skipped, the program kept running.
// No exception ever crosses Qt's event dispatch: every handler the program connects runs inside RunGuarded,
// and QuorvaneApplication::notify catches whatever would still escape an event handler.
#pragma once

#include <QApplication>
#include <exception>
#include <utility>

namespace quorvane {

// Shows "An error occurred in the application." with the error's text, over the owner's window.
void ShowUnhandledError(QWidget* owner, const QString& what);

// Runs the handler; an error it raises is shown as unhandled and the rest of the handler is skipped.
template <typename Handler>
void RunGuarded(QWidget* owner, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowUnhandledError(owner, QString::fromLocal8Bit(error.what()));
  } catch (...) {
    ShowUnhandledError(owner, QStringLiteral("Unknown error."));
  }
}

class QuorvaneApplication : public QApplication {
  Q_OBJECT
 public:
  QuorvaneApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quorvane
