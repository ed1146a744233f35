// What the user is told about the settings and language files themselves, as opposed to their content: a file
// too large to be one, or a link that leads out of the program folder. Each is told once a run, in the
// language loaded by then.
#pragma once

#include <QString>

class QWidget;

namespace quorvane {

enum class FileProblem {
  // Larger than profile::kMaxFileSize: neither read nor written.
  TooLarge,
  // A symbolic link to a file outside the program folder: read, never written through.
  LinkOutside,
};

// Remembers the problem of the file at `path` until ShowFileProblems tells it. A problem that was already
// told for that file in this run is not told again.
void NoteFileProblem(FileProblem problem, const QString& path);

// Shows each problem noted and not yet told, one warning each, over `owner`'s window (centred on the screen
// without one), and writes the same text to standard error.
void ShowFileProblems(QWidget* owner);

// The warning of a problem, naming the file, in the current language; in English where the language lacks
// the text (one written for an older version, say, or a language file that was itself too large).
QString FileProblemText(FileProblem problem, const QString& path);

// Forgets every problem, told or not (tests).
void ResetFileProblems();

}  // namespace quorvane
