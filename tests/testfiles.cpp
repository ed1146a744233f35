// Test helper for files, folders and socket files on disk.
#include "tests/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quorvane::test {

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  const QString folder = QFileInfo(path).path();
  if (!QDir().mkpath(folder)) {
    qWarning("cannot make the folder %s", qPrintable(folder));
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    qWarning("cannot open %s: %s", qPrintable(path), qPrintable(file.errorString()));
    return false;
  }
  // A short write would leave a file the test did not mean, and every later comparison would mislead.
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    qWarning("cannot write %s: %s", qPrintable(path), qPrintable(file.errorString()));
    return false;
  }
  return true;
}

QStringList entriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct stat statOf(const QString& path) {
  struct stat info {};
  ::lstat(QFile::encodeName(path).constData(), &info);
  return info;
}

int bindSocket(const QString& path, bool keepListening) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path) - 1);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    const int error = errno;
    qWarning("cannot bind a socket at %s: %s", qPrintable(path), std::strerror(error));
    if (fd >= 0) ::close(fd);
    return -2;
  }
  if (!keepListening) {
    ::close(fd);
    return -1;
  }
  ::listen(fd, 4);
  return fd;
}

bool configureOffscreenScreens(const QTemporaryDir& folder, const QList<QRect>& screens) {
  QByteArray list;
  for (qsizetype i = 0; i < screens.size(); ++i) {
    const QRect& screen = screens[i];
    list += QStringLiteral(R"(%1{"name": "screen%2", "x": %3, "y": %4, "width": %5, "height": %6, )"
                           R"("logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1})")
                .arg(i == 0 ? "" : ", ")
                .arg(i)
                .arg(screen.x())
                .arg(screen.y())
                .arg(screen.width())
                .arg(screen.height())
                .toUtf8();
  }
  const QString path = folder.filePath(QStringLiteral("screens.json"));
  if (!folder.isValid() ||
      !writeFile(path,
                 R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": true, "screens": [)" +
                     list + "]}"))
    return false;
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
  return true;
}

namespace {

// One "Key:   1234 kB" figure of /proc/self/status, in bytes.
std::optional<qint64> statusBytes(const char* key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return std::nullopt;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(key)) return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong() * 1024;
  }
  return std::nullopt;
}

}  // namespace

std::optional<qint64> peakMemoryGrowth(const std::function<void()>& operation) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer keeps freed memory in quarantine and adds its own around every block: its peak is not the
  // program's.
  return std::nullopt;
#endif
  // Writing 5 there starts the peak (VmHWM) anew at the present resident size.
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1 || !clear.flush()) return std::nullopt;
  const std::optional<qint64> before = statusBytes("VmRSS:");
  operation();
  const std::optional<qint64> peak = statusBytes("VmHWM:");
  if (!before || !peak) return std::nullopt;
  return *peak - *before;
}

}  // namespace quorvane::test
