// What the user is told about the settings and language files themselves.
#include "settings/filenotices.h"

#include <QList>
#include <QSet>
#include <utility>

#include "settings/texttable.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

struct Notices {
  QList<std::pair<FileProblem, QString>> pending;
  QSet<QString> told;  // problem and path, as one key
};

Notices& notices() {
  static Notices all;
  return all;
}

QString toldKey(FileProblem problem, const QString& path) {
  return QString::number(static_cast<int>(problem)) + QLatin1Char(':') + path;
}

}  // namespace

void NoteFileProblem(FileProblem problem, const QString& path) {
  Notices& all = notices();
  if (all.told.contains(toldKey(problem, path))) return;
  for (const auto& noted : std::as_const(all.pending)) {
    if (noted.first == problem && noted.second == path) return;
  }
  all.pending.append({problem, path});
}

void ShowFileProblems(QWidget* owner) {
  Notices& all = notices();
  // Taken before the first message: its event loop may run code that notes another problem.
  const QList<std::pair<FileProblem, QString>> pending = std::exchange(all.pending, {});
  for (const auto& [problem, path] : pending) {
    all.told.insert(toldKey(problem, path));
    const QString text = FileProblemText(problem, path);
    qWarning("Quorvane: %s", qPrintable(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
    ShowCenteredMessage(owner, text, MessageKind::Warning);
  }
}

QString FileProblemText(FileProblem problem, const QString& path) {
  const bool tooLarge = problem == FileProblem::TooLarge;
  const QLatin1StringView keyName(tooLarge ? "sFileTooLarge" : "sFileLinkOutside");
  QString text = Tr(tooLarge ? Text::sFileTooLarge : Text::sFileLinkOutside);
  if (text.isEmpty() || text == keyName) {
    text = tooLarge ? QStringLiteral(
                          "%1\r\nis larger than 16 MiB, too large for a settings or language file. Quorvane "
                          "did not read it and leaves it as it is.")
                    : QStringLiteral(
                          "%1\r\nis a link to a file outside the program folder. Quorvane reads it but never "
                          "writes to it.");
  }
  // A translation that leaves out the place of the name still names the file.
  return text.contains(QLatin1String("%1")) ? text.arg(path) : path + QStringLiteral("\r\n") + text;
}

void ResetFileProblems() { notices() = Notices{}; }

}  // namespace quorvane
