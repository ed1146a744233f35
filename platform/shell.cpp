// The shell.
#include "platform/shell.h"

#include <QDesktopServices>

namespace quorvane {

namespace {

std::function<void(const QUrl&)>& testShell() {
  static std::function<void(const QUrl&)> shell;
  return shell;
}

}  // namespace

void ShellOpen(const QUrl& target) {
  if (testShell()) return testShell()(target);
  QDesktopServices::openUrl(target);
}

void SetShellForTests(std::function<void(const QUrl&)> shell) { testShell() = std::move(shell); }

}  // namespace quorvane
