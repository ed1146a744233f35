// Fuzz target of the profile-file reader and writer.
//
// The input is "section NUL key NUL value NUL file bytes" (missing parts are empty). Invariants:
// - reading any file bytes for any section and key never crashes;
// - when WriteString accepts the entry, reading the key back gives the value;
// - the write touches one entry: every other line of the file, line break included, is byte for byte as it
//   was, and at most one section header and one entry line are new (besides the line break that a last line
//   without one receives);
// - WriteString refuses exactly the names and values it documents, and a refused write leaves the file as
//   it was;
// - writing the same entry again changes nothing.
#include <QByteArray>
#include <QByteArrayList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzzfiles.h"
#include "platform/profile.h"

using namespace quorvane;

namespace {

struct Line {
  QByteArray text;
  QByteArray lineBreak;
  bool operator==(const Line&) const = default;
};

// Lines as the reader splits them (LF, CR LF or a lone CR); a UTF-8 byte order mark is a line of its own
// here, so that it takes part in the comparison.
QList<Line> splitLines(QByteArrayView bytes) {
  QList<Line> lines;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    lines.append({QByteArray("\xEF\xBB\xBF"), QByteArray()});
    bytes = bytes.sliced(3);
  }
  qsizetype pos = 0;
  while (pos < bytes.size()) {
    qsizetype end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    qsizetype breakLength = 0;
    if (end < bytes.size())
      breakLength = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
    lines.append({bytes.sliced(pos, end - pos).toByteArray(), bytes.sliced(end, breakLength).toByteArray()});
    pos = end + breakLength;
  }
  return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(QByteArrayView text) {
  while (!text.isEmpty() && isBlank(text.front())) text = text.sliced(1);
  while (!text.isEmpty() && isBlank(text.back())) text.chop(1);
  return text.toByteArray();
}

bool sameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool holdsBreakOrZero(const QByteArray& text) {
  return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

// What the writer documents it refuses, written from its documentation.
bool documentedRefusal(const QByteArray& section, const QByteArray& key, const QByteArray& value) {
  const auto outerBlank = [](const QByteArray& t) { return isBlank(t.front()) || isBlank(t.back()); };
  if (section.isEmpty() || holdsBreakOrZero(section) || section.contains(']') || outerBlank(section))
    return true;
  if (key.isEmpty() || holdsBreakOrZero(key) || key.contains('=') || outerBlank(key) || key.startsWith('[') ||
      key.startsWith(';'))
    return true;
  return holdsBreakOrZero(value);
}

QString filePath() {
  static QTemporaryDir folder;
  FUZZ_CHECK(folder.isValid(), "no temporary folder");
  return folder.filePath(QStringLiteral("fuzz.ini"));
}

// The lines that the write replaced (old) and added (new), once the lines both files share at the start and
// at the end are set aside.
void checkOneEntryTouched(const QByteArray& before, const QByteArray& after, const QByteArray& section,
                          const QByteArray& key) {
  const QList<Line> oldLines = splitLines(before);
  const QList<Line> newLines = splitLines(after);
  qsizetype head = 0;
  while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head]) ++head;
  qsizetype tail = 0;
  while (tail < oldLines.size() - head && tail < newLines.size() - head &&
         oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail])
    ++tail;
  QList<Line> removed = oldLines.mid(head, oldLines.size() - head - tail);
  QList<Line> added = newLines.mid(head, newLines.size() - head - tail);

  // A last line without a break gets one before new lines follow it; its text stays as it was.
  if (!removed.isEmpty() && removed.first().lineBreak.isEmpty() && !added.isEmpty() &&
      added.first().text == removed.first().text && head + removed.size() == oldLines.size()) {
    removed.removeFirst();
    added.removeFirst();
  }
  if (removed.isEmpty() && added.isEmpty()) return;  // the entry stood there exactly as written
  FUZZ_CHECK(removed.size() <= 1, "the write changed more than one existing line");
  const auto isEntryOfKey = [&](const Line& line) {
    const qsizetype equals = line.text.indexOf('=');
    return equals > 0 && sameName(trimmed(line.text.first(equals)), key);
  };
  if (removed.size() == 1) {
    FUZZ_CHECK(isEntryOfKey(removed.first()), "the write replaced a line that is no entry of the key");
    FUZZ_CHECK(added.size() == 1, "a replaced entry is not one new line");
    FUZZ_CHECK(added.first().lineBreak == removed.first().lineBreak, "a replaced entry lost its line break");
  }
  FUZZ_CHECK(!added.isEmpty() && added.size() <= 2, "the write added no line or more than two");
  FUZZ_CHECK(isEntryOfKey(added.last()), "the last new line is no entry of the key");
  if (added.size() == 2) {
    FUZZ_CHECK(added.first().text == "[" + section + "]", "the first of two new lines is no section header");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QByteArrayList parts;
  qsizetype pos = 0;
  for (int i = 0; i < 3; ++i) {
    const qsizetype zero = input.indexOf('\0', pos);
    if (zero < 0) break;
    parts.append(input.sliced(pos, zero - pos));
    pos = zero + 1;
  }
  while (parts.size() < 3) parts.append(QByteArray());
  const QByteArray section = parts[0];
  const QByteArray key = parts[1];
  const QByteArray value = parts[2];
  const QByteArray before = input.sliced(qMin(pos, input.size()));

  const QString path = filePath();
  writeFile(path, before);

  // Reading: any bytes, any names.
  profile::ReadString(path, section, key, "default");
  profile::ReadInt(path, section, key, 7);
  const QList<QByteArray> names = profile::ReadKeyNames(path, section);
  for (const QByteArray& name : names) {
    FUZZ_CHECK(profile::HasKey(path, section, name), "a listed key name is not found");
  }

  const bool accepted = profile::WriteString(path, section, key, value);
  const QByteArray after = readFile(path);
  FUZZ_CHECK(accepted != documentedRefusal(section, key, value),
             "accepted or refused against the documentation");
  if (!accepted) {
    FUZZ_CHECK(after == before, "a refused write changed the file");
    return 0;
  }
  FUZZ_CHECK(profile::ReadString(path, section, key, "<missing>", INT32_MAX) == value,
             "the value does not read back");
  checkOneEntryTouched(before, after, section, key);

  FUZZ_CHECK(profile::WriteString(path, section, key, value), "the same write refused a second time");
  FUZZ_CHECK(readFile(path) == after, "writing the same entry again changed the file");
  return 0;
}
