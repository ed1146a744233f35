// Test helper: runs a Python script over a batch of cases, for answers from Python's ipaddress module.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace quorvane::test {

// The script reads one case a line on standard input and prints one answer a line. Returns the answer
// lines, or sets `error` (no python3, a crash, a wrong number of lines). scripts/setup.sh installs python3.
inline QList<QByteArray> runPython(const char* script, const QByteArray& input, qsizetype cases,
                                   QString& error) {
  const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
  if (python.isEmpty()) {
    error = QStringLiteral("python3 is not installed");
    return {};
  }
  QProcess process;
  process.start(python, {QStringLiteral("-c"), QString::fromUtf8(script)});
  if (!process.waitForStarted(10000)) {
    error = QStringLiteral("python3 did not start");
    return {};
  }
  process.write(input);
  process.closeWriteChannel();
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    error = QStringLiteral("python3 failed: ") + QString::fromUtf8(process.readAllStandardError());
    return {};
  }
  QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  if (lines.size() != cases)
    error = QStringLiteral("python3 answered %1 of %2 cases").arg(lines.size()).arg(cases);
  return lines;
}

}  // namespace quorvane::test
