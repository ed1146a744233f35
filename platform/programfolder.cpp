// The program's place and title.
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QFileInfo>

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

QString ApplicationTitle() { return applicationTitle(); }

void SetApplicationTitle(const QString& title) { applicationTitle() = title; }

}  // namespace quorvane
