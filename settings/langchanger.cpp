// The translator: the rewrite of a language file, its entries applied to the forms by property path, and
// the lookups of the text table.
#include "settings/langchanger.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMainWindow>
#include <QMetaProperty>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "core/exception.h"
#include "core/text.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/filenotices.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "widgets/errorguard.h"

namespace quorvane {

namespace {

constexpr char kSection[] = "Translations";
// Values are cut to their first this many bytes, text entries and form entries alike.
constexpr int kMaxValueBytes = 2047;
// What a key that is listed but cannot be read is applied with.
constexpr char kUnreadableValue[] = "<-- Error -->";

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
bool isBlankOrControl(QChar c) { return c.unicode() <= 32; }

template <typename View>
View trimBlanksAndControls(View text) {
  return TrimIf(text, [](auto c) { return isBlankOrControl(c); });
}

// Hands the file, piece by piece, as it is with every line that holds no "=" trimmed and, unless empty or a
// "[...]" line, turned into an entry with an empty value; every line ends with CR LF afterwards. Works on
// bytes, so text in any 8-bit encoding passes through unchanged. A UTF-8 byte order mark stays in front and
// is not part of the first line. In pieces, so that the rewritten file need never be held beside the old.
template <typename Emit>
void rewriteBareKeys(QByteArrayView bytes, Emit&& emit) {
  constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
  const bool hadMark = bytes.startsWith(kByteOrderMark);
  if (hadMark) {
    emit(kByteOrderMark);
    bytes = bytes.sliced(kByteOrderMark.size());
  }
  qsizetype pos = 0;
  while (pos < bytes.size()) {
    qsizetype end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    QByteArrayView line = bytes.sliced(pos, end - pos);
    if (line.contains('=')) {
      emit(line);
    } else {
      line = trimBlanksAndControls(line);
      // Trimming a first line may uncover a byte order mark, which every later read takes for one; what
      // follows it is trimmed now, so that a second rewrite finds nothing left to change.
      if (pos == 0 && !hadMark && line.startsWith(kByteOrderMark)) {
        emit(kByteOrderMark);
        line = trimBlanksAndControls(line.sliced(kByteOrderMark.size()));
      }
      emit(line);
      if (!line.isEmpty() && !line.endsWith(']')) emit(QByteArrayView("="));
    }
    emit(QByteArrayView("\r\n"));
    pos = end;
    if (pos < bytes.size())
      pos += (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
  }
}

// What the rewrite would make of a file, found without making it.
struct Rewrite {
  bool changes = false;
  qint64 size = 0;
};

Rewrite measureRewrite(QByteArrayView bytes) {
  Rewrite rewrite;
  rewriteBareKeys(bytes, [&](QByteArrayView piece) {
    if (!rewrite.changes)
      rewrite.changes =
          rewrite.size + piece.size() > bytes.size() || bytes.sliced(rewrite.size, piece.size()) != piece;
    rewrite.size += piece.size();
  });
  rewrite.changes = rewrite.changes || rewrite.size != bytes.size();
  return rewrite;
}

// The language file as read for one translation or one refill of the text table, or nothing when it may not
// be read for entries: it must be a regular file without zero bytes. A file saved as 16-bit Unicode is full
// of zero bytes, and its letters read as 8-bit text would be taken for other keys and values.
std::optional<profile::FileSnapshot> readLanguageFile(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  profile::FileSnapshot file(path);
  if (file.state() != profile::FileSnapshot::State::Read || file.bytes().contains('\0')) return std::nullopt;
  return file;
}

// A value cut to its byte limit may end inside a UTF-8 sequence; that incomplete character is dropped rather
// than shown as a replacement character.
QString decodeValue(QByteArray bytes) {
  if (bytes.size() >= kMaxValueBytes)
    bytes.truncate(qsizetype(Utf8CutLength({bytes.constData(), std::size_t(bytes.size())}, bytes.size())));
  return QString::fromUtf8(bytes);
}

// The forms of the form library: a dialog or a main window is a form of its own wherever it is parented.
bool isFormObject(const QObject* object) {
  return qobject_cast<const QMainWindow*>(object) != nullptr ||
         qobject_cast<const QDialog*>(object) != nullptr;
}

// The class name as the design spells it: Qt's includes the namespace ("quorvane::TAboutBox").
QLatin1StringView className(const QObject* object) {
  const QLatin1StringView name(object->metaObject()->className());
  const qsizetype scope = name.lastIndexOf(QLatin1StringView("::"));
  return scope < 0 ? name : name.sliced(scope + 2);
}

// The forms that language files address: their class names carry the leading "T" that keys leave out.
bool isTranslatableForm(const QWidget* widget) {
  return widget->isWindow() && isFormObject(widget) && className(widget).startsWith(QLatin1Char('T'));
}

bool hasEnclosingForm(const QWidget* widget) {
  for (const QWidget* p = widget->parentWidget(); p != nullptr; p = p->parentWidget()) {
    if (isTranslatableForm(p)) return true;
  }
  return false;
}

// The first object below `parent` (depth first, in child order) named `name` ignoring case whose nearest
// enclosing form is the one the search started at: a form inside it may itself match, but its own
// components belong to it and are not searched.
QObject* findOwnedComponent(const QObject* parent, QStringView name) {
  for (QObject* child : parent->children()) {
    if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    if (isFormObject(child)) continue;
    if (QObject* found = findOwnedComponent(child, name)) return found;
  }
  return nullptr;
}

bool isObjectProperty(const QMetaProperty& property) {
  return property.isReadable() && property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

bool isWritableProperty(const QMetaProperty& property) { return property.isWritable(); }

// A property named as a language file spells it: the exact name if it is of the kind wanted, otherwise the
// first of that kind that matches ignoring case, our own classes before Qt's, so that `Width` wins over
// Qt's read-only `width` and `Font` (the object) over Qt's `font` (a value).
std::optional<QMetaProperty> findProperty(const QObject* object, QStringView name,
                                          bool (*wanted)(const QMetaProperty&)) {
  if (name.isEmpty() || name.contains(QChar(0))) return std::nullopt;
  const QMetaObject* meta = object->metaObject();
  const int exact = meta->indexOfProperty(name.toUtf8().constData());
  if (exact >= 0 && wanted(meta->property(exact))) return meta->property(exact);
  for (int i = meta->propertyCount() - 1; i >= 0; --i) {
    const QMetaProperty property = meta->property(i);
    if (wanted(property) && QLatin1StringView(property.name()).compare(name, Qt::CaseInsensitive) == 0) {
      return property;
    }
  }
  return std::nullopt;
}

// The items of a list written in one line: every piece before a separator is an item, even an empty one; the
// piece after the last separator only when it is not empty, so that a trailing separator adds nothing.
QStringList listOfLines(QStringView value, QStringView separator) {
  QStringList items;
  if (separator.isEmpty()) separator = u",";
  for (qsizetype at = value.indexOf(separator); at >= 0; at = value.indexOf(separator)) {
    items.append(trimBlanksAndControls(value.first(at)).toString());
    value = value.sliced(at + separator.size());
  }
  value = trimBlanksAndControls(value);
  if (!value.isEmpty()) items.append(value.toString());
  return items;
}

// Sets the property from the entry's text by its kind; a text that does not convert, and every kind without
// a conversion (Booleans, enumerations, objects, ...), leaves it as it is.
void setFromText(QObject* object, const QMetaProperty& property, const QString& value,
                 const QString& separator) {
  if (property.isEnumType() || property.isFlagType()) return;
  bool ok = false;
  switch (property.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
      const int number = value.toInt(&ok, 10);
      if (ok) property.write(object, number);
      return;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
      // Files write a point; the comma that replaces it is a decimal separator only where the user's locale
      // says so.
      const double number =
          QLocale().toDouble(QString(value).replace(QLatin1Char('.'), QLatin1Char(',')), &ok);
      if (ok) property.write(object, number);
      return;
    }
    case QMetaType::QString:
      property.write(object, value);
      return;
    case QMetaType::QStringList:
      property.write(object, listOfLines(value, separator));
      return;
    default:
      return;
  }
}

// A DefaultLang that names a file of the languages folder itself. The value comes from the settings file,
// which anyone can edit; a path out of the folder would let the rewrite change any file the user can write.
bool isPlainFileName(const QString& name) {
  const QStringView trimmed = trimBlanksAndControls(QStringView(name));
  return !trimmed.isEmpty() && trimmed != u"." && trimmed != u".." && !name.contains(QLatin1Char('/')) &&
         !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

// A value as the translator uses it: cut to its byte limit, decoded, "{ENTER}" not yet expanded.
QString usableValue(QByteArrayView value) {
  return decodeValue(value.first(qMin(value.size(), qsizetype(kMaxValueBytes))).toByteArray());
}

// LookupText on a given reading of the current file (nothing: no usable file).
QString lookupText(const std::optional<profile::FileSnapshot>& file, const QString& key) {
  QString text = key;
  if (file) {
    if (const std::optional<QByteArrayView> value = file->FindValues(kSection, {key.toUtf8()}).first())
      text = usableValue(*value);
  }
  return TLangChanger::ExpandLineBreaks(text);
}

// Refills the text table from a reading of the current file, every text found in one walk over its lines.
void refillTextTable(const std::optional<profile::FileSnapshot>& file) {
  const auto& names = TextTable::Keys();
  const QList<QByteArray> keys(names.begin(), names.end());
  const QList<std::optional<QByteArrayView>> values =
      file ? file->FindValues(kSection, keys) : QList<std::optional<QByteArrayView>>(keys.size());
  QHash<QByteArray, QString> texts;
  for (qsizetype i = 0; i < keys.size(); ++i)
    texts.insert(keys[i], TLangChanger::ExpandLineBreaks(values[i] ? usableValue(*values[i])
                                                                   : QString::fromLatin1(keys[i])));
  TextTable::Refill([&texts](const char* key) { return texts.value(key); });
}

}  // namespace

TLangChanger::TLangChanger() = default;

std::optional<profile::FileSnapshot> TLangChanger::loadLangFile(const QString& path, QString* problem) {
  if (path == m_langFile) return readLanguageFile(m_langFile);
  m_langFile = trimBlanksAndControls(QStringView(path)).toString();
  // A folder (even one called x.lng), a device or a pipe is no language file: it counts as missing.
  if (m_langFile.isEmpty() || !QFileInfo(m_langFile).isFile()) return std::nullopt;

  const auto refuse = [&](const QString& message) {
    if (problem == nullptr) throw Exception(message.toStdString());
    *problem = message;
  };
  profile::FileContent file = profile::ReadFile(m_langFile);
  if (file.state == profile::FileState::TooLarge) {
    // No language file is that large: it is neither read nor rewritten, and counts as missing.
    NoteFileProblem(FileProblem::TooLarge, m_langFile);
    return std::nullopt;
  }
  if (file.state != profile::FileState::Read) {
    refuse(QStringLiteral("Cannot open file \"%1\". %2").arg(m_langFile, file.reason));
    return std::nullopt;
  }
  // A file with zero bytes is in some other encoding; rewriting it line by line would corrupt it.
  if (file.bytes.contains('\0')) return std::nullopt;

  // A file that is already in its rewritten form is not written again, so a language in a folder the user
  // cannot write (an installation for every user) loads as well as one in a folder of the user's own.
  const Rewrite rewrite = measureRewrite(file.bytes);
  if (!rewrite.changes) return profile::FileSnapshot::FromBytes(std::move(file.bytes));
  // Never written through a link out of the program folder: applied as it is, and the user is told.
  if (LinksOutOfProgramFolder(m_langFile)) {
    NoteFileProblem(FileProblem::LinkOutside, m_langFile);
    return profile::FileSnapshot::FromBytes(std::move(file.bytes));
  }
  QString reason = QStringLiteral("Rewritten, it would be larger than 16 MiB.");
  if (rewrite.size <= profile::kMaxFileSize) {
    profile::AtomicWriter writer(m_langFile);
    rewriteBareKeys(file.bytes, [&writer](QByteArrayView piece) { writer.write(piece); });
    if (writer.commit(&reason)) {
      // Read back rather than built beside the old bytes: both at once could take three times the file's
      // size, as a rewrite may double it.
      file.bytes = QByteArray();
      return readLanguageFile(m_langFile);
    }
  }
  refuse(QStringLiteral("Cannot create file \"%1\". %2").arg(m_langFile, reason));
  // The file as it is: its bare keys are no entries yet, everything else applies.
  return profile::FileSnapshot::FromBytes(std::move(file.bytes));
}

void TLangChanger::setSeparator(const QString& separator) {
  m_separator = trimBlanksAndControls(QStringView(separator)).isEmpty() ? QStringLiteral(",") : separator;
}

void TLangChanger::TranslateForm(QWidget* form) {
  // Read once for the whole call: a language file has about a hundred entries, and reading it anew for each
  // of them made a switch of language cost milliseconds.
  const std::optional<profile::FileSnapshot> file = readLanguageFile(m_langFile);
  if (file) translateForms(form != nullptr ? QList<QWidget*>{form} : OpenForms(), *file);
}

void TLangChanger::translateForms(const QList<QWidget*>& forms, const profile::FileSnapshot& file) {
  if (forms.isEmpty()) return;
  const QList<QByteArray> keys = file.ReadKeyNames(kSection);
  // One walk over the section for every value, however many entries it holds.
  const QList<std::optional<QByteArrayView>> values = file.FindValues(kSection, keys);
  for (qsizetype i = 0; i < keys.size(); ++i) {
    const QByteArray& key = keys[i];
    // Text keys have no point: their candidate class "T" is no form.
    const qsizetype point = key.indexOf('.');
    if (point < 0) continue;
    const QString candidate = QLatin1Char('T') + QString::fromUtf8(key.first(point));
    const QString path = QString::fromUtf8(key.sliced(point + 1));
    std::optional<QString> value;
    for (QWidget* target : forms) {
      if (candidate.compare(className(target), Qt::CaseInsensitive) != 0) {
        continue;
      }
      if (!value) value = ExpandLineBreaks(values[i] ? usableValue(*values[i]) : kUnreadableValue);
      ApplyEntry(target, path, *value);
    }
  }
}

void TLangChanger::ApplyEntry(QObject* form, const QString& path, const QString& value) {
  if (form == nullptr) return;
  QObject* object = form;
  QStringView rest = path;
  qsizetype point = rest.indexOf(QLatin1Char('.'));
  if (point > 0) {
    if (QObject* component = findOwnedComponent(form, rest.first(point))) {
      object = component;
      rest = rest.sliced(point + 1);
    }
  }
  while ((point = rest.indexOf(QLatin1Char('.'))) >= 0) {
    const std::optional<QMetaProperty> property = findProperty(object, rest.first(point), isObjectProperty);
    if (!property) return;
    object = property->read(object).value<QObject*>();
    if (object == nullptr) return;
    rest = rest.sliced(point + 1);
  }
  const std::optional<QMetaProperty> property = findProperty(object, rest, isWritableProperty);
  if (property) setFromText(object, *property, value, m_separator);
}

QString TLangChanger::LookupText(const QString& key) const {
  return lookupText(readLanguageFile(m_langFile), key);
}

QStringList TLangChanger::ReadKeyNames(const QString& section) const {
  QStringList names;
  const std::optional<profile::FileSnapshot> file = readLanguageFile(m_langFile);
  if (!file) return names;
  for (const QByteArray& name : file->ReadKeyNames(section.toUtf8())) names.append(QString::fromUtf8(name));
  return names;
}

QString TLangChanger::ExpandLineBreaks(const QString& text) {
  return QString(text).replace(QStringLiteral("{ENTER}"), QStringLiteral("\r\n"), Qt::CaseSensitive);
}

void TLangChanger::reset() {
  m_langFile.clear();
  m_separator = QStringLiteral(",");
}

TLangChanger& LangChanger() {
  static TLangChanger translator;
  return translator;
}

void LoadLanguage() {
  TLangChanger& translator = LangChanger();
  const QString& name = Settings().DefaultLang;
  // A name that is no plain file name is taken as a missing file: no rewrite, and every text shows its key.
  // One reading of the file serves the rewrite, the translation of every open form and the texts of the text
  // table.
  QString problem;
  const std::optional<profile::FileSnapshot> file = translator.loadLangFile(
      isPlainFileName(name) ? ProgramFolder() + QStringLiteral("/languages/") + name : QString(), &problem);
  const QList<QWidget*> forms = OpenForms();
  if (file) translator.translateForms(forms, *file);
  refillTextTable(file);
  // Told once all is applied: a file that could not be rewritten still gives its language, and what the
  // user is told is in that language.
  QWidget* owner = forms.value(0);
  if (!problem.isEmpty()) ShowUnhandledError(owner, problem);
  ShowFileProblems(owner);
}

void LoadTextsOnly() {
  // The settings file as TFormINI names it, and DefaultLang as it reads it: up to a first zero byte.
  QByteArray stored =
      profile::ReadString(ProgramFolder() + QLatin1Char('/') + ProgramBaseName() + QStringLiteral(".ini"),
                          "Defaults", "DefaultLang", "english.lng");
  if (const qsizetype zero = stored.indexOf('\0'); zero >= 0) stored.truncate(zero);
  const QString name = QString::fromLocal8Bit(stored);
  refillTextTable(isPlainFileName(name)
                      ? readLanguageFile(ProgramFolder() + QStringLiteral("/languages/") + name)
                      : std::nullopt);
}

QList<QWidget*> OpenForms() {
  // The platform lists its windows in no order of its own. A form's dialogs are its children and follow it in
  // child order, which is their order of creation; forms without an owning form (in the program only the main
  // window) keep the order in which they were first seen here.
  static QList<QPointer<QWidget>> roots;
  roots.removeIf([](const QPointer<QWidget>& root) { return root.isNull(); });
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (isTranslatableForm(window) && !hasEnclosingForm(window) && !roots.contains(window))
      roots.append(window);
  }
  QList<QWidget*> forms;
  for (const QPointer<QWidget>& root : roots) {
    if (!isTranslatableForm(root) || hasEnclosingForm(root)) continue;
    forms.append(root);
    for (QWidget* child : root->findChildren<QWidget*>()) {
      if (isTranslatableForm(child)) forms.append(child);
    }
  }
  return forms;
}

}  // namespace quorvane
