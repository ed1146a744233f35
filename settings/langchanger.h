// The translator: applies the current language file to the forms by property path, and answers the text
// table's lookups. One instance for the whole process (LangChanger()).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/profile.h"

namespace quorvane {

class TLangChanger : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString LangFile READ LangFile WRITE setLangFile)
  Q_PROPERTY(QString Separator READ Separator WRITE setSeparator)
 public:
  TLangChanger();

  // The full path of the current language file; empty until the first assignment. Assigning a new path
  // rewrites the file so that every bare key line becomes an entry (see the source); a refused rewrite
  // raises Exception("Cannot create file \"<path>\". <reason>"), an unreadable file Exception("Cannot open
  // file ..."), both with the new path already kept. A folder or a missing file is not rewritten, nor is a
  // file holding a zero byte (16-bit Unicode, say), which is never read for entries either. A file larger
  // than profile::kMaxFileSize is neither read nor rewritten and counts as missing; the user is told of it
  // (NoteFileProblem). A rewrite that would make the file larger than that is refused. A file that is a
  // symbolic link out of the program folder is never rewritten through it: it applies as it is, and the user
  // is told (NoteFileProblem).
  QString LangFile() const { return m_langFile; }
  void setLangFile(const QString& path) { (void)loadLangFile(path); }

  // The separator of list items: "," unless another non-blank text is assigned.
  QString Separator() const { return m_separator; }
  void setSeparator(const QString& separator);

  // Applies the "Translations" section to the form, or to every existing form when none is given.
  void TranslateForm(QWidget* form = nullptr);
  // Sets the property that the path names, starting from the form; an entry that reaches nothing changes
  // nothing.
  void ApplyEntry(QObject* form, const QString& path, const QString& value);
  // The text of a text-table key: its entry, or the key itself when there is none.
  QString LookupText(const QString& key) const;
  // The key names of a section of the current file, in file order.
  QStringList ReadKeyNames(const QString& section) const;
  // "{ENTER}" (exact case) becomes CR LF.
  static QString ExpandLineBreaks(const QString& text);

  // Back to the state of process start (tests).
  void reset();

 private:
  friend void LoadLanguage();
  // setLangFile, giving the file as it stands afterwards when it may be read for entries: the reading that
  // the rewrite made, so that a language switch reads its file once. With `problem`, a refused rewrite or an
  // unreadable file raises nothing: the message goes there, and a file that could not be rewritten is given
  // as it is, to be applied without its bare keys.
  std::optional<profile::FileSnapshot> loadLangFile(const QString& path, QString* problem = nullptr);
  void translateForms(const QList<QWidget*>& forms, const profile::FileSnapshot& file);

  QString m_langFile;
  QString m_separator = QStringLiteral(",");
};

// The one process-wide translator.
TLangChanger& LangChanger();

// Loads the language that the settings value DefaultLang names: assigns LangFile (with its rewrite),
// translates every open form and refills the text table, in this order. A rewrite that is refused (a
// read-only folder, a full disk) does not stop it: the file is applied as it is, and then the error is shown
// as an unhandled one, once; so is a file that cannot be read, which counts as missing. Last, the problems
// of the settings and language files noted so far are shown (ShowFileProblems). A DefaultLang that is not a
// plain file name (a path, "..", empty) counts as a missing file: LangFile becomes empty, so nothing is
// rewritten, no entry applied and every text shows its key.
void LoadLanguage();

// Refills the text table from the language that the settings file's DefaultLang names, as LoadLanguage does,
// but only reads: neither file is rewritten and Settings() stays as it is. For a start that ends before it
// has a window, while another instance may be using both files.
void LoadTextsOnly();

// The forms that exist now: windows that are a QMainWindow or QDialog of a class named "T...". A form
// without an owning form comes first (in the order this function first saw it; the program has only the main
// window), followed by the forms it owns in child order, which is their order of creation.
QList<QWidget*> OpenForms();

}  // namespace quorvane
