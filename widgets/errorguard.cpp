// Unhandled errors.
#include "widgets/errorguard.h"

#include "widgets/messagebox.h"

namespace quorvane {

void ShowUnhandledError(QWidget* owner, const QString& what) {
  if (!owner) owner = QApplication::activeWindow();
  ShowCenteredMessage(owner, QStringLiteral("An error occurred in the application."), MessageKind::Error,
                      QMessageBox::Ok, what);
}

QuorvaneApplication::QuorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QuorvaneApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded(nullptr, [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace quorvane
