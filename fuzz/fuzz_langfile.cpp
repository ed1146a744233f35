// Fuzz target of the language-file rewrite (assigning TLangChanger::LangFile) and of reading the result.
//
// The input is the file's bytes. Invariants:
// - the rewrite never crashes, and in a writable folder it raises nothing;
// - a file holding a zero byte is left byte for byte as it was, and an empty file stays empty;
// - every line holding "=" is kept byte for byte, in its place: the rewrite only ever changes bare lines
//   (trimmed, and given "=" unless empty or a "[...]" line) and line breaks (all CR LF afterwards);
// - a second rewrite of the result changes nothing;
// - the translator reads the result without crashing, and every key it lists is found.
#include <QByteArray>
#include <QTemporaryDir>
#include <cstdint>

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzzfiles.h"
#include "settings/langchanger.h"

using namespace quorvane;

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// Lines split at LF, CR LF or a lone CR, after the byte order mark when there is one to leave out.
QList<QByteArray> splitLines(QByteArrayView bytes, bool byteOrderMark) {
  QList<QByteArray> lines;
  if (byteOrderMark) bytes = bytes.sliced(kByteOrderMark.size());
  qsizetype pos = 0;
  while (pos < bytes.size()) {
    qsizetype end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    lines.append(bytes.sliced(pos, end - pos).toByteArray());
    pos = end;
    if (pos < bytes.size())
      pos += bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? 2 : 1;
  }
  return lines;
}

// Blanks and control characters (bytes up to 32) trimmed from both ends, as the translator trims a key.
QByteArray trimmedControls(QByteArrayView text) {
  while (!text.isEmpty() && static_cast<unsigned char>(text.front()) <= 32) text = text.sliced(1);
  while (!text.isEmpty() && static_cast<unsigned char>(text.back()) <= 32) text.chop(1);
  return text.toByteArray();
}

// Assigns the file as a new language file (which rewrites it) and returns its bytes afterwards.
QByteArray rewrite(const QString& path) {
  TLangChanger translator;
  try {
    translator.setLangFile(path);
  } catch (const std::exception& error) {
    FUZZ_CHECK(false, error.what());
  }
  const QByteArray bytes = readFile(path);
  for (const QString& key : translator.ReadKeyNames(QStringLiteral("Translations"))) {
    translator.LookupText(key);
  }
  translator.LookupText(QStringLiteral("sMaskInfo"));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir folder;
  FUZZ_CHECK(folder.isValid(), "no temporary folder");
  const QString path = folder.filePath(QStringLiteral("fuzz.lng"));
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  writeFile(path, input);

  const QByteArray once = rewrite(path);
  if (input.contains('\0') || input.isEmpty()) {
    FUZZ_CHECK(once == input, "a file with a zero byte or no bytes was changed");
    return 0;
  }
  // The file's own byte order mark stays in front. A file without one may get one when its first line is a
  // bare key behind control characters ("\x01<BOM>key"): trimmed, the line starts with the mark, which every
  // later read takes for one. Such a mark is compared as part of the first line here.
  const bool byteOrderMark = input.startsWith(kByteOrderMark);
  FUZZ_CHECK(!byteOrderMark || once.startsWith(kByteOrderMark), "the byte order mark was lost");
  const QList<QByteArray> before = splitLines(input, byteOrderMark);
  const QList<QByteArray> after = splitLines(once, byteOrderMark);
  FUZZ_CHECK(before.size() == after.size(), "the rewrite added or dropped lines");
  for (qsizetype i = 0; i < before.size(); ++i) {
    if (before[i].contains('=')) {
      FUZZ_CHECK(after[i] == before[i], "a line holding \"=\" changed");
    } else {
      // A bare key becomes an entry; an empty line and a section header stay what they are.
      QByteArray key = trimmedControls(before[i]);
      QByteArray uncoveredMark;
      if (i == 0 && !byteOrderMark && key.startsWith(kByteOrderMark)) {
        uncoveredMark = kByteOrderMark.toByteArray();
        key = trimmedControls(QByteArrayView(key).sliced(kByteOrderMark.size()));
      }
      const bool becomesEntry = !key.isEmpty() && !key.endsWith(']');
      FUZZ_CHECK(after[i] == uncoveredMark + (becomesEntry ? key + '=' : key),
                 "a bare line was not turned into its entry");
    }
  }
  const QByteArray bom = byteOrderMark ? kByteOrderMark.toByteArray() : QByteArray();
  FUZZ_CHECK(once == bom + after.join("\r\n") + (after.isEmpty() ? "" : "\r\n"),
             "a line does not end with CR LF");
  FUZZ_CHECK(rewrite(path) == once, "a second rewrite changed the file");
  return 0;
}
