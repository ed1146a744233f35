// Test helper: whole files, folder listings, file status and socket files, as tests make and inspect them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <functional>
#include <optional>

namespace quorvane::test {

// The bytes of a literal, zero bytes in it included, which the conversion from const char* would cut off.
template <qsizetype N>
QByteArray raw(const char (&text)[N]) {
  return QByteArray(text, N - 1);
}

// The file's bytes; "<unreadable>" when it cannot be read, which no test writes, so a comparison fails.
QByteArray readFile(const QString& path);

// Writes the whole file, making the folders on its way; false, with a warning that says why, when any
// part of that fails.
[[nodiscard]] bool writeFile(const QString& path, const QByteArray& bytes);

// Every entry of the folder by name, hidden files, sockets and other special files included.
QStringList entriesOf(const QString& folder);

// The path's own status, not that of what a link points to; all zero when there is nothing there.
struct stat statOf(const QString& path);

// A unix socket bound at `path` by this process: listening (never accepting) with its descriptor returned,
// or closed at once, which leaves a stale socket file, and -1 returned. -2, with a warning, when the path
// cannot be bound.
int bindSocket(const QString& path, bool keepListening);

// Makes the offscreen platform show `screens` (each {x, y, width, height}, at 96 dpi) and draw window frames,
// through a configuration file in `folder`; call it before the application object is made. False when the
// file cannot be written.
[[nodiscard]] bool configureOffscreenScreens(const QTemporaryDir& folder, const QList<QRect>& screens);

// How far this process's peak resident memory rose above its size at the start while `operation` ran, in
// bytes; nothing, and `operation` not run, where the system cannot restart the peak (/proc/self/clear_refs),
// or in a build with AddressSanitizer, whose peak is not the program's.
std::optional<qint64> peakMemoryGrowth(const std::function<void()>& operation);

}  // namespace quorvane::test
