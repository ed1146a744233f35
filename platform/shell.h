// The shell: opens a web address, a mail link or a local document with the desktop's own program.
#pragma once

#include <QUrl>
#include <functional>

namespace quorvane {

// Hands the target to the desktop. A failure to open it (no browser, no mail program, a missing document)
// is not reported.
void ShellOpen(const QUrl& target);

// Tests see what would be opened instead of starting a program; an empty function restores the desktop.
void SetShellForTests(std::function<void(const QUrl&)> shell);

}  // namespace quorvane
