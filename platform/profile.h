// Profile (INI) files: single keys read and written with the platform's rules, files replaced atomically.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

class QSaveFile;

// The files are 8-bit: section names, key names and values are bytes, never decoded.
//
// How a file is read:
// - A line ends at LF, CR LF or a lone CR; the last line may have no line break.
// - A line whose first non-blank byte is "[" and that holds a "]" after it heads a section, named by the
//   bytes between the two, blanks trimmed. A "[" line without "]" is ignored and does not end the section.
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
//
// Costs: a file is held as its bytes and nothing more (lines are walked, never stored one by one), so reading
// costs about its size in memory and one pass in time; a write holds the old bytes and streams the new file.
// A file larger than kMaxFileSize is neither read nor written: it reads as the default, and a write refuses.
namespace quorvane::profile {

// The largest settings or language file that is read or written: 16 MiB, a thousand times the size of any
// real one. A larger file is left exactly as it is.
inline constexpr qint64 kMaxFileSize = qint64(16) * 1024 * 1024;

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

// A value as ReadInt reads it; nothing when it is no such integer.
std::optional<int> ParseInt(QByteArrayView text);

// What reading a file found. Unreadable covers folders, devices and pipes (reading a pipe could block
// forever) as well as files the system refuses to open or read.
enum class FileState { Missing, Read, Unreadable, TooLarge };

struct FileContent {
  FileState state = FileState::Missing;
  QByteArray bytes;  // only for Read
  QString reason;    // only for Unreadable: the system's text
};

// Reads a file whole, in one go into a buffer of its size: it costs its size in memory and no more. A
// regular file of more than kMaxFileSize bytes is TooLarge and not read (also one that grows past the limit
// while it is read).
FileContent ReadFile(const QString& path);

// A file as it was read at one moment, for callers that look up many keys in one go: each lookup answers
// exactly as the function of the same name above would have answered at that moment, without reading the
// file again. Where a section lies is found once per section name and remembered; each lookup then walks that
// section's lines, and FindValues answers many keys in one such walk. It is never refreshed; take a new one
// to see later changes. A snapshot is used by one thread at a time (its lookups remember what they found).
class FileSnapshot {
 public:
  using State = FileState;

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

  // The values of many keys of one section, found in one pass over the file (each lookup above is a pass of
  // its own): for each key, in the order given, its whole value as ReadString gives it, or nothing where
  // HasKey is false. The views point into bytes() and stay valid as long as this snapshot or a copy lives.
  QList<std::optional<QByteArrayView>> FindValues(const QByteArray& section,
                                                  const QList<QByteArray>& keys) const;

 private:
  // The lines of a section after its header, up to the next header or the end: byte offsets, or an empty
  // range at -1 for a section that the file does not have.
  struct Body {
    qsizetype begin = -1;
    qsizetype end = -1;
  };
  Body body(QByteArrayView section) const;
  std::optional<QByteArrayView> value(QByteArrayView section, QByteArrayView key) const;

  State m_state = State::Missing;
  std::shared_ptr<const QByteArray> m_bytes;
  mutable QList<std::pair<QByteArray, Body>> m_bodies;  // the sections looked up so far, by name as asked
};

// Stores `value` under `key` in `section`: the first entry of the key is replaced in place by `key=value`;
// otherwise the entry is added after the last entry line of the section (before blank lines, comments and
// other lines that follow it), or, without the section, "[section]" and the entry are added at the end of
// the file. New lines end with the file's first line break (LF for a new file or one without line breaks).
// A value that would not read back unchanged (it begins or ends with a blank or a quote) is written inside
// double quotes. Returns false, and writes nothing, when a name or the value cannot be held on one line
// (CR, LF or a zero byte), when the key is empty, holds "=", begins or ends with a blank or begins with "["
// or ";", when the section name is empty, holds "]" or begins or ends with a blank, when the existing file
// cannot be read, when it or the file it would become is larger than kMaxFileSize, or when the system
// refuses the write (see WriteFileAtomically).
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
// written (the first entry refused, the existing file unreadable or too large, or the write refused by the
// system). The file is read once and walked once, whatever the number of entries.
qsizetype WriteStrings(const QString& path, const QList<Entry>& entries);

// WriteString with the value in decimal.
bool WriteInt(const QString& path, const QByteArray& section, const QByteArray& key, int value);

// Replaces the file at `path` with `bytes` through a temporary file in the same folder that is renamed over
// it once completely written, so the file is never seen half-written. Returns false when the folder is
// missing or not writable, the path is a folder or an existing file is read-only; the old file is then left
// untouched and no temporary file stays behind. On failure `reason`, when given, receives the system's text
// ("No space left on device" for a disk that fills during the write).
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// A file replaced as WriteFileAtomically replaces it, with its bytes handed over piece by piece (small pieces
// gather in a buffer of 64 KiB first), so that a file made of many parts is never joined in memory.
class AtomicWriter {
 public:
  explicit AtomicWriter(const QString& path);
  // Without commit() the old file stays as it was and the temporary file goes.
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  // Appends the bytes; false once anything failed, and every later write is then ignored.
  bool write(QByteArrayView bytes);
  // Puts the file in place once written whole and synced; false, with the old file kept, when anything
  // failed. `reason`, when given, receives the system's text.
  bool commit(QString* reason = nullptr);

 private:
  bool writeThrough(QByteArrayView bytes);

  std::unique_ptr<QSaveFile> m_file;
  QByteArray m_buffer;
  bool m_ok = false;
  int m_errno = 0;  // of the failed write, for a failure that Qt reports without a reason
};

}  // namespace quorvane::profile
