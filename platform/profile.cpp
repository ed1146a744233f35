// Profile (INI) file reading and writing.
#include "platform/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/text.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quorvane::profile {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Hands memory that the process has freed back to the system. The C library keeps a freed block of a few
// megabytes for reuse, and a larger one allocated after it comes on top of it: a rewritten language file
// read back after the old one would cost both their sizes.
void releaseFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

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

// One line of the file as offsets into its bytes, so that a write can copy every untouched byte as it was.
// Lines are walked one at a time and never stored: a file of millions of empty lines costs no memory beyond
// its own bytes.
struct Line {
  qsizetype start = 0;
  qsizetype length = 0;       // of the text, without the line break
  qsizetype breakLength = 0;  // 2 for CR LF, 1 for LF or CR, 0 only for a last line without a break
  qsizetype end() const { return start + length + breakLength; }
};

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// Where the first line starts: after a UTF-8 byte order mark, which is not part of it.
qsizetype firstLineStart(QByteArrayView bytes) { return bytes.startsWith(kByteOrderMark) ? 3 : 0; }

// The lines of a file one after the other, from a line's start up to a line's start (or the end).
class LineWalker {
 public:
  explicit LineWalker(QByteArrayView bytes) : LineWalker(bytes, firstLineStart(bytes), bytes.size()) {}
  LineWalker(QByteArrayView bytes, qsizetype from, qsizetype to)
      : m_data(bytes.data()), m_size(bytes.size()), m_pos(from), m_stop(to) {}

  bool next(Line& line) {
    if (m_pos >= m_stop) return false;
    qsizetype end = m_pos;
    while (end < m_size && m_data[end] != '\n' && m_data[end] != '\r') ++end;
    line.start = m_pos;
    line.length = end - m_pos;
    line.breakLength = end == m_size                                                        ? 0
                       : m_data[end] == '\r' && end + 1 < m_size && m_data[end + 1] == '\n' ? 2
                                                                                            : 1;
    m_pos = end + line.breakLength;
    return true;
  }

  QByteArrayView text(const Line& line) const { return {m_data + line.start, line.length}; }

 private:
  const char* m_data;
  qsizetype m_size;
  qsizetype m_pos;
  qsizetype m_stop;
};

// The name of a section header line (blanks trimmed), or nothing for any other line. A "[" line without "]"
// is no header, and no entry either.
std::optional<QByteArrayView> headerName(QByteArrayView trimmed) {
  if (!trimmed.startsWith('[')) return std::nullopt;
  const qsizetype close = trimmed.indexOf(']');
  if (close <= 0) return std::nullopt;
  return trimBlanks(trimmed.sliced(1, close - 1));
}

struct EntryText {
  QByteArrayView name;   // blanks trimmed
  QByteArrayView value;  // blanks trimmed, quotes still on
};

// The entry that a line holds; nothing for a header, a "[" line without "]", a comment or a line without a
// key and "=".
std::optional<EntryText> entryOf(QByteArrayView text) {
  const QByteArrayView trimmed = trimBlanks(text);
  if (trimmed.startsWith('[') || trimmed.startsWith(';')) return std::nullopt;
  const qsizetype equals = text.indexOf('=');
  if (equals < 0) return std::nullopt;
  const QByteArrayView name = trimBlanks(text.first(equals));
  if (name.isEmpty()) return std::nullopt;
  return EntryText{name, trimBlanks(text.sliced(equals + 1))};
}

// Hands each entry of the lines from `from` to `to` to `onEntry(line, entry)`, which returns false to end
// the walk.
template <typename OnEntry>
void walkEntries(QByteArrayView bytes, qsizetype from, qsizetype to, OnEntry&& onEntry) {
  LineWalker walker(bytes, from, to);
  Line line;
  while (walker.next(line)) {
    const std::optional<EntryText> entry = entryOf(walker.text(line));
    if (entry && !onEntry(line, *entry)) return;
  }
}

// Where the first section of each wanted name was found.
struct SectionSpot {
  bool found = false;
  Line header;
  Line lastEntry;  // the header itself while the section has no entry
};

// One walk over the lines that finds the first section of each name in `names` and hands each of its entries
// to `onEntry(sectionIndex, line, entry)`. The walk ends once every wanted section was found and has ended:
// nothing after it can matter.
template <typename OnEntry>
void walkSections(QByteArrayView bytes, const std::vector<QByteArrayView>& names,
                  std::vector<SectionSpot>& spots, OnEntry&& onEntry) {
  spots.assign(names.size(), SectionSpot{});
  size_t missing = names.size();
  int current = -1;
  LineWalker walker(bytes);
  Line line;
  while (walker.next(line)) {
    const QByteArrayView text = walker.text(line);
    if (const std::optional<QByteArrayView> name = headerName(trimBlanks(text))) {
      current = -1;
      if (missing == 0) return;
      for (size_t i = 0; i < names.size(); ++i) {
        if (spots[i].found || !sameName(names[i], *name)) continue;
        spots[i] = {true, line, line};
        current = int(i);
        --missing;
        break;
      }
      continue;
    }
    if (current < 0) continue;
    const std::optional<EntryText> entry = entryOf(text);
    if (!entry) continue;
    spots[size_t(current)].lastEntry = line;
    onEntry(current, line, *entry);
  }
}

// Hashing and comparing names ignoring ASCII case, for lookups of many keys at once.
struct NameHash {
  size_t operator()(QByteArrayView name) const {
    size_t hash = 14695981039346656037u;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 1099511628211u;
    return hash;
  }
};
struct NameEqual {
  bool operator()(QByteArrayView a, QByteArrayView b) const { return sameName(a, b); }
};

// The break that new lines get: the file's first one, so a CR LF or CR-only file stays consistent.
QByteArrayView firstLineBreak(QByteArrayView bytes) {
  for (qsizetype i = firstLineStart(bytes); i < bytes.size(); ++i) {
    if (bytes[i] == '\n') return "\n";
    if (bytes[i] == '\r') return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? "\r\n" : "\r";
  }
  return "\n";
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

// The entries of one write, grouped as the writes one by one would leave them: sections in the order they
// are first named, and in each its keys in the order they are first named. A key named twice keeps the place
// of its first entry and the spelling and value of its last, which replaced the first line.
struct KeyWrite {
  QByteArray key;
  QByteArray line;
  std::optional<Line> existing;
};
struct SectionWrite {
  QByteArray name;  // as first spelled: a later entry finds the header the first one wrote
  std::vector<KeyWrite> keys;
};

std::vector<SectionWrite> groupEntries(const QList<Entry>& entries) {
  std::vector<SectionWrite> sections;
  for (const Entry& entry : entries) {
    auto section = std::find_if(sections.begin(), sections.end(),
                                [&](const SectionWrite& s) { return sameName(s.name, entry.section); });
    if (section == sections.end()) section = sections.insert(sections.end(), SectionWrite{entry.section, {}});
    auto key = std::find_if(section->keys.begin(), section->keys.end(),
                            [&](const KeyWrite& k) { return sameName(k.key, entry.key); });
    if (key == section->keys.end()) key = section->keys.insert(section->keys.end(), KeyWrite{});
    key->key = entry.key;
    key->line = entryLine(entry.key, entry.value);
  }
  return sections;
}

// A change of the old bytes: `removed` bytes at `at` give way to `inserted`.
struct Splice {
  qsizetype at = 0;
  qsizetype removed = 0;
  QByteArray inserted;
};

// The splices that turn the old bytes into the file that the writes one by one would leave: each existing
// entry replaced in place (its line break kept), the new keys of an existing section after its last entry,
// and the new sections at the end of the file. One walk finds every place.
std::vector<Splice> splicesFor(QByteArrayView old, std::vector<SectionWrite>& sections) {
  std::vector<QByteArrayView> names;
  for (const SectionWrite& section : sections) names.push_back(section.name);
  std::vector<SectionSpot> spots;
  walkSections(old, names, spots, [&](int index, const Line& line, const EntryText& entry) {
    for (KeyWrite& key : sections[size_t(index)].keys) {
      if (!key.existing && sameName(key.key, entry.name)) {
        key.existing = line;
        break;
      }
    }
  });

  const QByteArrayView eol = firstLineBreak(old);
  // Where the file ends without a line break, the first line added after its last line brings one.
  const bool lastLineOpen = old.size() > firstLineStart(old) && old.back() != '\n' && old.back() != '\r';
  bool endClosed = false;
  std::vector<Splice> splices;
  QByteArray appended;
  for (size_t i = 0; i < sections.size(); ++i) {
    const SectionWrite& section = sections[i];
    QByteArray added;
    for (const KeyWrite& key : section.keys) {
      if (key.existing) {
        const QByteArrayView text = old.sliced(key.existing->start, key.existing->length);
        if (text != key.line) splices.push_back({key.existing->start, key.existing->length, key.line});
        continue;
      }
      added += key.line;
      added += eol;
    }
    if (!spots[i].found) {
      appended += '[';
      appended += section.name;
      appended += ']';
      appended += eol;
      appended += added;
      continue;
    }
    if (added.isEmpty()) continue;
    const Line& after = spots[i].lastEntry;
    const qsizetype at = after.end();
    if (after.breakLength == 0) {
      added.prepend(eol.toByteArray());
      endClosed = true;
    }
    // A lone CR before a line that starts with LF would fuse with it into one CR LF break and swallow that
    // empty line; each new line ends in CR LF there instead.
    if (eol == "\r" && old.sliced(at).startsWith('\n')) added.replace("\r", "\r\n");
    splices.push_back({at, 0, added});
  }
  if (!appended.isEmpty()) {
    if (lastLineOpen && !endClosed) appended.prepend(eol.toByteArray());
    splices.push_back({old.size(), 0, appended});
  }
  // Places differ, except that new keys after an open last line and the new sections both go at the end,
  // in that order.
  std::stable_sort(splices.begin(), splices.end(),
                   [](const Splice& a, const Splice& b) { return a.at < b.at; });
  return splices;
}

}  // namespace

std::optional<int> ParseInt(QByteArrayView text) {
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

FileContent ReadFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {FileState::Missing, {}, {}};
  if (!info.isFile()) return {FileState::Unreadable, {}, QStringLiteral("It is not a regular file.")};
  if (info.size() > kMaxFileSize) return {FileState::TooLarge, {}, {}};
  // Unbuffered: the bytes go straight into the one buffer, which is never copied or grown by doubling.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
    return {FileState::Unreadable, {}, file.errorString()};
  // One byte more than the limit tells a file that grew past it since it was measured.
  if (file.size() > 1024 * 1024) releaseFreedMemory();
  QByteArray bytes(qMin(file.size(), kMaxFileSize) + 1, Qt::Uninitialized);
  qsizetype filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > kMaxFileSize) return {FileState::TooLarge, {}, {}};
      bytes.resize(qMin<qsizetype>(filled * 2, kMaxFileSize + 1));
    }
    const qint64 got = file.read(bytes.data() + filled, bytes.size() - filled);
    if (got < 0) return {FileState::Unreadable, {}, file.errorString()};
    if (got == 0) break;
    filled += qsizetype(got);
  }
  bytes.truncate(filled);
  return {FileState::Read, std::move(bytes), {}};
}

FileSnapshot::FileSnapshot(const QString& path) {
  FileContent file = ReadFile(path);
  m_state = file.state;
  if (m_state == State::Read) m_bytes = std::make_shared<const QByteArray>(std::move(file.bytes));
}

FileSnapshot FileSnapshot::FromBytes(QByteArray bytes) {
  FileSnapshot snapshot(QString{});
  snapshot.m_state = State::Read;
  snapshot.m_bytes = std::make_shared<const QByteArray>(std::move(bytes));
  return snapshot;
}

const QByteArray& FileSnapshot::bytes() const {
  static const QByteArray kNone;
  return m_bytes ? *m_bytes : kNone;
}

FileSnapshot::Body FileSnapshot::body(QByteArrayView section) const {
  for (const auto& [name, found] : m_bodies) {
    if (name == section) return found;
  }
  Body found;
  if (m_bytes) {
    LineWalker walker(*m_bytes);
    Line line;
    while (walker.next(line)) {
      const std::optional<QByteArrayView> name = headerName(trimBlanks(walker.text(line)));
      if (!name) continue;
      if (found.begin >= 0) {
        found.end = line.start;
        break;
      }
      if (sameName(*name, section)) found.begin = line.end();
    }
    if (found.begin >= 0 && found.end < 0) found.end = m_bytes->size();
  }
  m_bodies.append({section.toByteArray(), found});
  return found;
}

std::optional<QByteArrayView> FileSnapshot::value(QByteArrayView section, QByteArrayView key) const {
  if (!m_bytes || key.isEmpty()) return std::nullopt;
  const Body range = body(section);
  std::optional<QByteArrayView> found;
  walkEntries(*m_bytes, range.begin, range.end, [&](const Line&, const EntryText& entry) {
    if (!sameName(entry.name, key)) return true;
    found = unquote(entry.value);
    return false;
  });
  return found;
}

QByteArray FileSnapshot::ReadString(const QByteArray& section, const QByteArray& key,
                                    const QByteArray& defaultValue, int maxLength) const {
  const qsizetype limit = qMax(maxLength, 0);
  const std::optional<QByteArrayView> found = value(section, key);
  return found ? found->first(qMin(found->size(), limit)).toByteArray() : defaultValue.left(limit);
}

bool FileSnapshot::HasKey(const QByteArray& section, const QByteArray& key) const {
  return value(section, key).has_value();
}

int FileSnapshot::ReadInt(const QByteArray& section, const QByteArray& key, int defaultValue) const {
  // The whole value: cutting a long one could turn it into an integer.
  const std::optional<QByteArrayView> text = value(section, key);
  return text ? ParseInt(*text).value_or(defaultValue) : defaultValue;
}

QList<QByteArray> FileSnapshot::ReadKeyNames(const QByteArray& section) const {
  QList<QByteArray> names;
  if (!m_bytes) return names;
  const Body range = body(section);
  qsizetype used = 1;  // the zero byte that ends the list
  walkEntries(*m_bytes, range.begin, range.end, [&](const Line&, const EntryText& entry) {
    used += entry.name.size() + 1;
    if (used > kKeyNameBufferSize) return false;
    names.append(entry.name.toByteArray());
    return true;
  });
  return names;
}

QList<std::optional<QByteArrayView>> FileSnapshot::FindValues(const QByteArray& section,
                                                              const QList<QByteArray>& keys) const {
  QList<std::optional<QByteArrayView>> values(keys.size());
  if (!m_bytes) return values;
  // Each distinct name once, with the places in `keys` that ask for it.
  std::unordered_map<QByteArrayView, std::vector<qsizetype>, NameHash, NameEqual> wanted;
  for (qsizetype i = 0; i < keys.size(); ++i) {
    if (!keys[i].isEmpty()) wanted[keys[i]].push_back(i);
  }
  size_t open = wanted.size();
  if (open == 0) return values;
  const Body range = body(section);
  walkEntries(*m_bytes, range.begin, range.end, [&](const Line&, const EntryText& entry) {
    const auto found = wanted.find(entry.name);
    if (found == wanted.end() || found->second.empty()) return true;
    // The first entry of a key counts; once answered, its places are cleared so that later ones are not.
    for (const qsizetype i : found->second) values[i] = unquote(entry.value);
    found->second.clear();
    return --open > 0;
  });
  return values;
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
  qsizetype applied = 0;
  while (applied < entries.size() && isStorableSection(entries[applied].section) &&
         isStorableKey(entries[applied].key) && fitsOnOneLine(entries[applied].value))
    ++applied;
  if (applied == 0) return 0;
  // Writing over a file that could not be read would throw its content away.
  const FileContent file = ReadFile(path);
  if (file.state != FileState::Read && file.state != FileState::Missing) return 0;

  std::vector<SectionWrite> sections = groupEntries(entries.first(applied));
  const std::vector<Splice> splices = splicesFor(file.bytes, sections);
  // A file that already says exactly this is left as it is: no write to wait for, and nothing to fail.
  if (splices.empty() && file.state == FileState::Read) return applied;
  // Nor is a file written that would then be too large to be read again.
  qint64 size = file.bytes.size();
  for (const Splice& splice : splices) size += splice.inserted.size() - splice.removed;
  if (size > kMaxFileSize) return 0;
  // The new file streams out of the old bytes and the splices: it is never held in memory whole.
  AtomicWriter writer(path);
  const QByteArrayView old(file.bytes);
  qsizetype copied = 0;
  for (const Splice& splice : splices) {
    writer.write(old.sliced(copied, splice.at - copied));
    writer.write(splice.inserted);
    copied = splice.at + splice.removed;
  }
  writer.write(old.sliced(copied));
  return writer.commit() ? applied : 0;
}

bool WriteString(const QString& path, const QByteArray& section, const QByteArray& key,
                 const QByteArray& value) {
  return WriteStrings(path, {{section, key, value}}) == 1;
}

bool WriteInt(const QString& path, const QByteArray& section, const QByteArray& key, int value) {
  return WriteString(path, section, key, QByteArray::number(value));
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
  AtomicWriter writer(path);
  writer.write(bytes);
  return writer.commit(reason);
}

namespace {
constexpr qsizetype kWriteBufferSize = 64 * 1024;
}  // namespace

AtomicWriter::AtomicWriter(const QString& path) : m_file(std::make_unique<QSaveFile>(path)) {
  // An uncommitted QSaveFile removes its temporary file when destroyed, so a failure leaves nothing behind.
  // Direct-write fallback stays off: an unwritable folder must refuse rather than write the file in place.
  // Unbuffered, every write reaches the system at once and its failure is seen there, with the system's
  // reason: through Qt's buffer, a disk that fills part-way through a write fails a later flush with no
  // reason at all ("Unknown error").
  m_ok = m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  if (m_ok) m_buffer.reserve(kWriteBufferSize);
}

AtomicWriter::~AtomicWriter() = default;

bool AtomicWriter::write(QByteArrayView bytes) {
  if (!m_ok) return false;
  if (m_buffer.size() + bytes.size() <= kWriteBufferSize) {
    m_buffer.append(bytes);
    return true;
  }
  m_ok = writeThrough(m_buffer);
  m_buffer.truncate(0);  // keeps its capacity
  if (!m_ok) return false;
  if (bytes.size() < kWriteBufferSize) {
    m_buffer.append(bytes);
    return true;
  }
  return m_ok = writeThrough(bytes);
}

// Writes every byte asked for: a write that the disk cut short is repeated for the rest, so that the
// system's own reason ("No space left on device") is what the failure reports.
bool AtomicWriter::writeThrough(QByteArrayView bytes) {
  while (!bytes.isEmpty()) {
    errno = 0;
    const qint64 written = m_file->write(bytes.data(), bytes.size());
    if (written <= 0) {
      m_errno = errno;
      return false;
    }
    bytes = bytes.sliced(written);
  }
  return true;
}

bool AtomicWriter::commit(QString* reason) {
  if (m_ok && !m_buffer.isEmpty()) m_ok = writeThrough(m_buffer);
  m_buffer = QByteArray();
  // commit() syncs the file before it renames it into place.
  m_ok = m_ok && m_file->commit();
  if (!m_ok && reason != nullptr) {
    *reason = m_file->errorString();
    if (m_file->error() == QFileDevice::NoError && m_errno != 0)
      *reason = QString::fromLocal8Bit(std::strerror(m_errno));
  }
  return m_ok;
}

}  // namespace quorvane::profile
