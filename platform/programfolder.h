// The program's place and title: the folder where the executable, its settings file, languages/ and
// documents live, and the application title that window captions take.
#pragma once

#include <QString>

namespace quorvane {

// The folder of the running executable, without a trailing separator, unless a test has set another.
QString ProgramFolder();

// The executable's file name without its folder ("quorvane"), unless a test has set another.
QString ProgramBaseName();

// Whether a write to `path` would change a file outside the program folder: `path` is a symbolic link whose
// end (through any further links) lies outside it, leads round in a loop, or lies in a folder that does not
// exist. A path that is no link is never outside, wherever it is; a link that stays inside is not either.
bool LinksOutOfProgramFolder(const QString& path);

// A document that the program may open: `name` relative to the program folder, an absolute path or a file:
// URL, as a clean absolute path, as long as it stays inside the folder, also once symbolic links are
// followed; empty when it leaves it ("..", another place, a link out of it). It need not exist.
QString FileInsideProgramFolder(const QString& name);

// Points the program folder and name somewhere else (tests use a temporary folder); an empty folder
// restores the real ones.
void SetProgramLocationForTests(const QString& folder, const QString& baseName = QStringLiteral("quorvane"));

// The application title ("Quorvane" from the entry on, then the short version text). It is kept apart from
// Qt's display name, which the platform would append to every window caption.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

}  // namespace quorvane
