// Profile (INI) files: single keys read and written with the platform's rules, files replaced atomically.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// The files are 8-bit: section names, key names and values are bytes, never decoded.
//
// How a file is read:
// - A line ends at LF, CR LF or a lone CR; the last line may have no line break.
// - A line whose first non-blank byte is "[" and that holds a "]" after it heads a section, named by the
// bytes
//   between the two, blanks trimmed. A "[" line without "]" is ignored and does not end the section.
// - A line whose first non-blank byte is ";" is a comment. Any other line that holds "=" is an entry: its key
//   is the text before the first "=", its value the text after it, both with blanks (space, tab) trimmed, and
//   a value enclosed in one matching pair of double or single quotes loses that pair. Lines without "=" are
//   not entries; neither are entries with an empty key.
// - Section and key names match ignoring ASCII letter case. Of two sections with the same name only the first
//   counts: a later one is never read, listed or written, as with the platform's own functions. In that
//   section the first entry of a key counts.
// - Lines before the first section header belong to no section. A UTF-8 byte order mark at the start of the
//   file is not part of the first line, so an editor that adds one does not hide the first section.
//
// A write changes or adds the one entry line (and a section header when the section is new) and leaves every
// other byte of the file as it was. A missing file or key, an unreadable file or a folder at the path reads
// as the default.
namespace quorvane::profile {

// The key names of a section are listed as through a buffer of this many bytes: each name takes its length
// plus a terminating zero byte, and one more zero byte ends the list. The first name that does not fit whole
// and all names after it are left out.
inline constexpr int kKeyNameBufferSize = 32768;

// The value of `key` in `section`, cut to its first `maxLength` bytes, or `defaultValue` (cut the same way)
// when the file, section or key is missing.
QByteArray ReadString(const QString& path, const QByteArray& section, const QByteArray& key,
                      const QByteArray& defaultValue, int maxLength = 65535);

// Whether `section` holds an entry for `key` (an entry with an empty value counts).
bool HasKey(const QString& path, const QByteArray& section, const QByteArray& key);

// The value of `key` as an integer: decimal with an optional sign, or hexadecimal when the value has more
// than two characters and begins with "0x" or "0X" (up to 0xFFFFFFFF, taken as a 32-bit two's complement
// value). A missing key or a value that is not such an integer in the range of int gives `defaultValue`.
int ReadInt(const QString& path, const QByteArray& section, const QByteArray& key, int defaultValue);

// The key names of `section` in file order and as spelled in the file, limited by kKeyNameBufferSize;
// empty when the file or section is missing. A name that occurs twice is listed twice.
QList<QByteArray> ReadKeyNames(const QString& path, const QByteArray& section);

// A file as it was read at one moment, for callers that look up many keys in one go: each lookup answers
// exactly as the function of the same name below would have answered at that moment, without reading and
// splitting the whole file again per key. It is never refreshed; take a new one to see later changes.
class FileSnapshot {
 public:
  enum class State { Missing, Read, Unreadable };

  explicit FileSnapshot(const QString& path);
  // The bytes of a file already read (State::Read), so that one reading serves every lookup that follows.
  static FileSnapshot FromBytes(QByteArray bytes);

  State state() const { return m_state; }
  // The file's bytes as read; empty unless the state is Read.
  const QByteArray& bytes() const;

  QByteArray ReadString(const QByteArray& section, const QByteArray& key, const QByteArray& defaultValue,
                        int maxLength = 65535) const;
  bool HasKey(const QByteArray& section, const QByteArray& key) const;
  int ReadInt(const QByteArray& section, const QByteArray& key, int defaultValue) const;
  QList<QByteArray> ReadKeyNames(const QByteArray& section) const;

 private:
  struct Content;
  std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key,
                                  qsizetype maxLength) const;

  State m_state = State::Missing;
  std::shared_ptr<const Content> m_content;
};

// Stores `value` under `key` in `section`: the first entry of the key is replaced in place by `key=value`;
// otherwise the entry is added after the last entry line of the section (before blank lines, comments and
// other lines that follow it), or, without the section, "[section]" and the entry are added at the end of
// the file. New lines end with the file's first line break (LF for a new file or one without line breaks).
// A value that would not read back unchanged (it begins or ends with a blank or a quote) is written inside
// double quotes. Returns false, and writes nothing, when a name or the value cannot be held on one line
// (CR, LF or a zero byte), when the key is empty, holds "=", begins or ends with a blank or begins with "["
// or ";", when the section name is empty, holds "]" or begins or ends with a blank, when the existing file
// cannot be read, or when the system refuses the write (see WriteFileAtomically).
bool WriteString(const QString& path, const QByteArray& section, const QByteArray& key,
                 const QByteArray& value);

// One entry of WriteStrings.
struct Entry {
  QByteArray section;
  QByteArray key;
  QByteArray value;
};

// WriteString of each entry in turn, with a single replace of the file for all of them: the file receives
// exactly the bytes that the calls one by one would have left, but is written (and synced) once. An entry
// that WriteString would refuse ends the run: the entries before it are written, it and the rest are not.
// Returns how many entries were written: all of them, fewer after a refused entry, and 0 when nothing was
// written (the first entry refused, the existing file unreadable, or the write refused by the system).
qsizetype WriteStrings(const QString& path, const QList<Entry>& entries);

// WriteString with the value in decimal.
bool WriteInt(const QString& path, const QByteArray& section, const QByteArray& key, int value);

// Replaces the file at `path` with `bytes` through a temporary file in the same folder that is renamed over
// it once completely written, so the file is never seen half-written. Returns false when the folder is
// missing or not writable, the path is a folder or an existing file is read-only; the old file is then left
// untouched and no temporary file stays behind. On failure `reason`, when given, receives the system's text.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

}  // namespace quorvane::profile
