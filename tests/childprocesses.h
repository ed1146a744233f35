// Test helper: the child processes a test starts, each ended when the test is done.
#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace quorvane::test {

// A runtime folder of the test's own that nobody else can enter, as the hand-off channel requires of one;
// nullptr when none could be made.
inline std::unique_ptr<QTemporaryDir> privateRuntimeFolder() {
  auto folder = std::make_unique<QTemporaryDir>();
  const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
  if (!folder->isValid() || !QFile::setPermissions(folder->path(), ownerOnly)) return nullptr;
  return folder;
}

class ChildProcesses {
 public:
  // Starts a program; with a runtime folder, offscreen and with that private XDG_RUNTIME_DIR, as the
  // program itself needs for its hand-off channel.
  QProcess* start(const QString& program, const QStringList& arguments, const QString& runtimeFolder = {}) {
    auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
    if (!runtimeFolder.isEmpty()) {
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      process->setProcessEnvironment(env);
    }
    process->start(program, arguments);
    return process.get();
  }

  // Kills whatever still runs and forgets every process.
  void killAll() {
    for (const auto& process : m_processes) {
      if (process->state() == QProcess::NotRunning) continue;
      process->kill();
      process->waitForFinished(3000);
    }
    m_processes.clear();
  }

 private:
  std::vector<std::unique_ptr<QProcess>> m_processes;
};

}  // namespace quorvane::test
