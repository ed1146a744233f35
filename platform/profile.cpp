// Profile (INI) file reading and writing.
#include "platform/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "core/text.h"

namespace quorvane::profile {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isQuote(char c) { return c == '"' || c == '\''; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Names compare ignoring ASCII case only: bytes above 127 belong to whatever code page wrote the file.
bool sameName(QByteArrayView a, QByteArrayView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

QByteArrayView trimBlanks(QByteArrayView text) { return TrimIf(text, isBlank); }

QByteArrayView unquote(QByteArrayView value) {
  if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
    return value.sliced(1, value.size() - 2);
  }
  return value;
}

enum class LineKind { Other, Section, Entry };

// One line of the file as offsets into its bytes, so that a write can copy every untouched byte as it was.
struct Line {
  qsizetype start = 0;
  qsizetype length = 0;       // of the text, without the line break
  qsizetype breakLength = 0;  // 2 for CR LF, 1 for LF or CR, 0 only for a last line without a break
  LineKind kind = LineKind::Other;
  QByteArrayView name;   // section or key name, blanks trimmed
  QByteArrayView value;  // entry value, blanks trimmed, quotes still on
};

struct SectionRange {
  size_t header = 0;  // index of the header line; the section's lines follow up to `end`
  size_t end = 0;
};

// A file split into classified lines. The views in `lines` point into `bytes`, which therefore never changes
// and is never copied away from the object.
class ParsedFile {
 public:
  explicit ParsedFile(QByteArray bytes) : m_bytes(std::move(bytes)) { split(); }
  ParsedFile(const ParsedFile&) = delete;
  ParsedFile& operator=(const ParsedFile&) = delete;

  const QByteArray& bytes() const { return m_bytes; }
  const std::vector<Line>& lines() const { return m_lines; }

  // The first section called `name`; a later section of the same name is shadowed by it.
  std::optional<SectionRange> findSection(QByteArrayView name) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
      if (m_lines[i].kind != LineKind::Section || !sameName(m_lines[i].name, name)) continue;
      size_t end = i + 1;
      while (end < m_lines.size() && m_lines[end].kind != LineKind::Section) ++end;
      return SectionRange{i, end};
    }
    return std::nullopt;
  }

  // The line of the first entry of `key` in the section.
  std::optional<size_t> findEntry(const SectionRange& section, QByteArrayView key) const {
    if (key.isEmpty()) return std::nullopt;
    for (size_t i = section.header + 1; i < section.end; ++i) {
      if (m_lines[i].kind == LineKind::Entry && sameName(m_lines[i].name, key)) return i;
    }
    return std::nullopt;
  }

  std::optional<QByteArrayView> findValue(QByteArrayView section, QByteArrayView key) const {
    const std::optional<SectionRange> range = findSection(section);
    if (!range) return std::nullopt;
    const std::optional<size_t> entry = findEntry(*range, key);
    if (!entry) return std::nullopt;
    return unquote(m_lines[*entry].value);
  }

  // The break that new lines get: the file's first one, so a CR LF or CR-only file stays consistent.
  QByteArray lineBreak() const {
    for (const Line& line : m_lines) {
      if (line.breakLength > 0) return m_bytes.sliced(line.start + line.length, line.breakLength);
    }
    return QByteArrayLiteral("\n");
  }

 private:
  void split() {
    const char* data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    qsizetype pos = m_bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < size) {
      Line line;
      line.start = pos;
      qsizetype end = pos;
      while (end < size && data[end] != '\n' && data[end] != '\r') ++end;
      line.length = end - pos;
      if (end < size)
        line.breakLength = (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1;
      classify(line, QByteArrayView(data + pos, line.length));
      m_lines.push_back(line);
      pos = end + line.breakLength;
    }
  }

  static void classify(Line& line, QByteArrayView text) {
    const QByteArrayView trimmed = trimBlanks(text);
    if (trimmed.startsWith('[')) {
      const qsizetype close = trimmed.indexOf(']');
      if (close > 0) {
        line.kind = LineKind::Section;
        line.name = trimBlanks(trimmed.sliced(1, close - 1));
      }
      return;
    }
    if (trimmed.startsWith(';')) return;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) return;
    line.name = trimBlanks(text.first(equals));
    if (line.name.isEmpty()) return;
    line.kind = LineKind::Entry;
    line.value = trimBlanks(text.sliced(equals + 1));
  }

  const QByteArray m_bytes;
  std::vector<Line> m_lines;
};

enum class FileState { Missing, Read, Unreadable };

struct FileContent {
  FileState state = FileState::Missing;
  QByteArray bytes;
};

FileContent loadFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {FileState::Missing, {}};
  // Folders, devices and pipes are not profile files; reading a pipe could block forever.
  if (!info.isFile()) return {FileState::Unreadable, {}};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {FileState::Unreadable, {}};
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return {FileState::Unreadable, {}};
  return {FileState::Read, std::move(bytes)};
}

std::optional<int> parseInteger(QByteArrayView text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    quint64 value = 0;
    for (const char c : text.sliced(2)) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + quint64(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int>(static_cast<quint32>(value));
  }
  qsizetype i = 0;
  const bool negative = text.startsWith('-');
  if (negative || text.startsWith('+')) ++i;
  if (i == text.size()) return std::nullopt;
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > qint64(INT_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return std::nullopt;
  return int(value);
}

// A name or value must stay on its one line: a line break would split it, a zero byte ends it for the
// platform.
bool fitsOnOneLine(QByteArrayView text) {
  return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

bool hasOuterBlank(QByteArrayView text) { return isBlank(text.front()) || isBlank(text.back()); }

// A section name that reads back as itself from "[name]".
bool isStorableSection(QByteArrayView section) {
  return !section.isEmpty() && fitsOnOneLine(section) && !section.contains(']') && !hasOuterBlank(section);
}

// A key that reads back as itself from "key=value" and does not turn the line into a header or comment.
bool isStorableKey(QByteArrayView key) {
  return !key.isEmpty() && fitsOnOneLine(key) && !key.contains('=') && !hasOuterBlank(key) &&
         !key.startsWith('[') && !key.startsWith(';');
}

// Reading trims blanks and strips one pair of quotes; quoting a value that starts or ends with either
// makes the read give it back unchanged, since exactly the added pair is stripped.
QByteArray entryLine(const QByteArray& key, const QByteArray& value) {
  const bool quoted =
      !value.isEmpty() && (hasOuterBlank(value) || isQuote(value.front()) || isQuote(value.back()));
  QByteArray line;
  line.reserve(key.size() + value.size() + 3);
  line += key;
  line += '=';
  if (quoted) line += '"';
  line += value;
  if (quoted) line += '"';
  return line;
}

// The file's bytes with the entry replaced or added; every byte not on the entry's line is kept.
QByteArray withEntry(const ParsedFile& file, const QByteArray& section, const QByteArray& key,
                     const QByteArray& entry) {
  const QByteArray& old = file.bytes();
  const QByteArray eol = file.lineBreak();
  QByteArray result;
  result.reserve(old.size() + section.size() + entry.size() + 3 * eol.size() + 2);

  const std::optional<SectionRange> range = file.findSection(section);
  if (!range) {
    result += old;
    if (!file.lines().empty() && file.lines().back().breakLength == 0) result += eol;
    result += '[';
    result += section;
    result += ']';
    result += eol;
    result += entry;
    result += eol;
    return result;
  }
  if (const std::optional<size_t> found = file.findEntry(*range, key)) {
    const Line& line = file.lines()[*found];
    result += QByteArrayView(old).first(line.start);
    result += entry;
    result += QByteArrayView(old).sliced(line.start + line.length);
    return result;
  }
  size_t after = range->header;
  for (size_t i = range->header + 1; i < range->end; ++i) {
    if (file.lines()[i].kind == LineKind::Entry) after = i;
  }
  const Line& line = file.lines()[after];
  const qsizetype insertAt = line.start + line.length + line.breakLength;
  result += QByteArrayView(old).first(insertAt);
  if (line.breakLength == 0) result += eol;
  result += entry;
  result += eol;
  // A lone CR before a line that starts with LF would fuse with it into one CR LF break and swallow that
  // empty line; the new line ends in CR LF there instead.
  const QByteArrayView rest = QByteArrayView(old).sliced(insertAt);
  if (eol == "\r" && rest.startsWith('\n')) result += '\n';
  result += rest;
  return result;
}

}  // namespace

struct FileSnapshot::Content {
  explicit Content(QByteArray bytes) : parsed(std::move(bytes)) {}
  const ParsedFile parsed;
};

FileSnapshot::FileSnapshot(const QString& path) {
  FileContent file = loadFile(path);
  m_state = file.state == FileState::Read      ? State::Read
            : file.state == FileState::Missing ? State::Missing
                                               : State::Unreadable;
  if (m_state == State::Read) m_content = std::make_shared<const Content>(std::move(file.bytes));
}

FileSnapshot FileSnapshot::FromBytes(QByteArray bytes) {
  FileSnapshot snapshot(QString{});
  snapshot.m_state = State::Read;
  snapshot.m_content = std::make_shared<const Content>(std::move(bytes));
  return snapshot;
}

const QByteArray& FileSnapshot::bytes() const {
  static const QByteArray kNone;
  return m_content ? m_content->parsed.bytes() : kNone;
}

std::optional<QByteArray> FileSnapshot::value(const QByteArray& section, const QByteArray& key,
                                              qsizetype maxLength) const {
  if (!m_content) return std::nullopt;
  const std::optional<QByteArrayView> value = m_content->parsed.findValue(section, key);
  if (!value) return std::nullopt;
  return value->first(qMin(value->size(), maxLength)).toByteArray();
}

QByteArray FileSnapshot::ReadString(const QByteArray& section, const QByteArray& key,
                                    const QByteArray& defaultValue, int maxLength) const {
  const qsizetype limit = qMax(maxLength, 0);
  return value(section, key, limit).value_or(defaultValue.left(limit));
}

bool FileSnapshot::HasKey(const QByteArray& section, const QByteArray& key) const {
  return value(section, key, 0).has_value();
}

int FileSnapshot::ReadInt(const QByteArray& section, const QByteArray& key, int defaultValue) const {
  // The whole value: cutting a long one could turn it into an integer.
  const std::optional<QByteArray> text = value(section, key, std::numeric_limits<qsizetype>::max());
  return text ? parseInteger(*text).value_or(defaultValue) : defaultValue;
}

QList<QByteArray> FileSnapshot::ReadKeyNames(const QByteArray& section) const {
  QList<QByteArray> names;
  if (!m_content) return names;
  const ParsedFile& parsed = m_content->parsed;
  const std::optional<SectionRange> range = parsed.findSection(section);
  if (!range) return names;
  qsizetype used = 1;  // the zero byte that ends the list
  for (size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = parsed.lines()[i];
    if (line.kind != LineKind::Entry) continue;
    used += line.name.size() + 1;
    if (used > kKeyNameBufferSize) break;
    names.append(line.name.toByteArray());
  }
  return names;
}

QByteArray ReadString(const QString& path, const QByteArray& section, const QByteArray& key,
                      const QByteArray& defaultValue, int maxLength) {
  return FileSnapshot(path).ReadString(section, key, defaultValue, maxLength);
}

bool HasKey(const QString& path, const QByteArray& section, const QByteArray& key) {
  return FileSnapshot(path).HasKey(section, key);
}

int ReadInt(const QString& path, const QByteArray& section, const QByteArray& key, int defaultValue) {
  return FileSnapshot(path).ReadInt(section, key, defaultValue);
}

QList<QByteArray> ReadKeyNames(const QString& path, const QByteArray& section) {
  return FileSnapshot(path).ReadKeyNames(section);
}

qsizetype WriteStrings(const QString& path, const QList<Entry>& entries) {
  FileContent file = loadFile(path);
  // Writing over a file that could not be read would throw its content away.
  if (file.state == FileState::Unreadable) return 0;
  const QByteArray original = file.bytes;  // shared, not copied
  QByteArray bytes = std::move(file.bytes);
  qsizetype applied = 0;
  for (const Entry& entry : entries) {
    if (!isStorableSection(entry.section) || !isStorableKey(entry.key) || !fitsOnOneLine(entry.value)) break;
    const ParsedFile parsed(std::move(bytes));
    bytes = withEntry(parsed, entry.section, entry.key, entryLine(entry.key, entry.value));
    ++applied;
  }
  if (applied == 0) return 0;
  // A file that already says exactly this is left as it is: no write to wait for, and nothing to fail.
  if (file.state == FileState::Read && bytes == original) return applied;
  return WriteFileAtomically(path, bytes) ? applied : 0;
}

bool WriteString(const QString& path, const QByteArray& section, const QByteArray& key,
                 const QByteArray& value) {
  return WriteStrings(path, {{section, key, value}}) == 1;
}

bool WriteInt(const QString& path, const QByteArray& section, const QByteArray& key, int value) {
  return WriteString(path, section, key, QByteArray::number(value));
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
  // An uncommitted QSaveFile removes its temporary file when destroyed, so a failure leaves nothing behind.
  // Direct-write fallback stays off: an unwritable folder must refuse rather than write the file in place.
  // The explicit flush matters: write() only fills Qt's buffer, and a failure to empty it (a full disk) is
  // not seen by commit(), which would then put the short temporary file in place of the old one.
  QSaveFile file(path);
  const bool written =
      file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit();
  if (!written && reason != nullptr) *reason = file.errorString();
  return written;
}

}  // namespace quorvane::profile
