// The program's place and title.
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quorvane {

namespace {

QString& folderOverride() {
  static QString folder;
  return folder;
}

QString& baseNameOverride() {
  static QString name;
  return name;
}

// Whether a path lies inside a folder; both absolute and clean (or both canonical).
bool isInside(const QString& path, const QString& folder) {
  const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  return path.startsWith(prefix) && path.size() > prefix.size();
}

QString canonicalProgramFolder() { return QFileInfo(ProgramFolder()).canonicalFilePath(); }

// Where a chain of links ends, as a write follows it; empty for a chain that loops (or is absurdly long).
QString linkEnd(QFileInfo info) {
  for (int hops = 0; info.isSymLink(); ++hops) {
    if (hops == 40) return {};
    info.setFile(info.symLinkTarget());
  }
  return info.absoluteFilePath();
}

QString& applicationTitle() {
  static QString title;
  return title;
}

}  // namespace

QString ProgramFolder() {
  if (!folderOverride().isEmpty()) return folderOverride();
  return QCoreApplication::applicationDirPath();
}

QString ProgramBaseName() {
  if (!folderOverride().isEmpty()) return baseNameOverride();
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void SetProgramLocationForTests(const QString& folder, const QString& baseName) {
  folderOverride() = folder;
  baseNameOverride() = baseName;
}

bool LinksOutOfProgramFolder(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymLink()) return false;
  const QString end = linkEnd(info);
  if (end.isEmpty()) return true;
  // The end need not exist yet (a write would create it), but its folder must.
  const QString folder = QFileInfo(QFileInfo(end).absolutePath()).canonicalFilePath();
  const QString program = canonicalProgramFolder();
  return folder.isEmpty() || program.isEmpty() ||
         !isInside(folder + QLatin1Char('/') + QFileInfo(end).fileName(), program);
}

QString FileInsideProgramFolder(const QString& name) {
  QString path = name;
  if (name.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
    const QUrl url(name);
    if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty()) return {};
    path = url.toLocalFile();
  }
  const QString folder = QDir::cleanPath(ProgramFolder());
  const QString full = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : folder + QLatin1Char('/') + path);
  if (!isInside(full, folder)) return {};
  // Links on the way must not lead out either: the part of the path that exists is compared once resolved,
  // and a link at its end that leads nowhere is refused, since where it leads may yet appear.
  QFileInfo existing(full);
  if (existing.isSymLink() && !existing.exists()) return {};
  while (!existing.exists() && existing.absoluteFilePath() != folder)
    existing.setFile(existing.absolutePath());
  const QString resolved = existing.canonicalFilePath();
  const QString program = canonicalProgramFolder();
  if (resolved.isEmpty() || program.isEmpty()) return {};
  if (resolved != program && !isInside(resolved, program)) return {};
  return full;
}

QString ApplicationTitle() { return applicationTitle(); }

void SetApplicationTitle(const QString& title) { applicationTitle() = title; }

}  // namespace quorvane
