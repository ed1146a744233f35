// Tests of the profile-file functions: the read rules, in-place writes and refused writes.
#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <memory>
#include <optional>

#include "tests/testfiles.h"

using namespace quorvane;
using quorvane::test::entriesOf;
using quorvane::test::raw;
using quorvane::test::readFile;
using quorvane::test::writeFile;

namespace {

// The file's lines, each with its own line break.
QList<QByteArray> linesOf(const QByteArray& bytes) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n' && bytes[i] != '\r') continue;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.append(bytes.mid(start, i + 1 - start));
    start = i + 1;
  }
  if (start < bytes.size()) lines.append(bytes.mid(start));
  return lines;
}

// Whether `after` is `before` with one line replaced or one line inserted, all other lines byte-identical.
bool changesOneLine(const QByteArray& before, const QByteArray& after) {
  const QList<QByteArray> b = linesOf(before);
  const QList<QByteArray> a = linesOf(after);
  const qsizetype common = qMin(a.size(), b.size());
  qsizetype head = 0;
  while (head < common && a[head] == b[head]) ++head;
  qsizetype tail = 0;
  while (tail < common - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  return a.size() - head - tail == 1 && b.size() - head - tail <= 1;
}

// A folder in memory where the machine has one: the random tests below write thousands of files, and each
// replace is synced, which on a disk costs milliseconds.
std::unique_ptr<QTemporaryDir> memoryFolder() {
  if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
    return std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/tst_profile-XXXXXX"));
  return std::make_unique<QTemporaryDir>();
}

// A random file in the format's own alphabet: headers, entries, comments, quotes, blanks, every kind of line
// break, a byte order mark and zero bytes, in names that differ in letter case only.
QByteArray randomProfile(QRandomGenerator& random) {
  static const QList<QByteArray> pieces = {"[",
                                           "]",
                                           "=",
                                           ";",
                                           " ",
                                           "\t",
                                           "\r",
                                           "\n",
                                           "\r\n",
                                           "a",
                                           "A",
                                           "b",
                                           "S",
                                           "s",
                                           "T",
                                           "\"",
                                           "'",
                                           "1",
                                           "-",
                                           "0x",
                                           "k",
                                           "[S]",
                                           "[s]",
                                           "[T]",
                                           "a=",
                                           "A=1",
                                           "b=x",
                                           "\n[S]\n",
                                           QByteArray("\0", 1)};
  QByteArray bytes = random.bounded(10) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
  for (int i = random.bounded(40); i > 0; --i) bytes += pieces[random.bounded(pieces.size())];
  return bytes;
}

}  // namespace

class TstProfile : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> m_dir;

  QString filePath(const QString& name = QStringLiteral("test.ini")) const { return m_dir->filePath(name); }

  QStringList folderEntries() const { return entriesOf(m_dir->path()); }

 private Q_SLOTS:
  void init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
  }

  void cleanup() { m_dir.reset(); }

  void readStringFollowsPlatformRules_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("section name ignores case")
        << raw("[DeFaults]\nKey=v\n") << raw("dEFAULTS") << raw("Key") << raw("v");
    QTest::newRow("key name ignores case")
        << raw("[S]\nuserNAME=v\n") << raw("S") << raw("UserName") << raw("v");
    QTest::newRow("case folding is ASCII only")
        << raw("[S]\n\xC4=v\n") << raw("S") << raw("\xE4") << raw("<default>");
    QTest::newRow("first of two equal keys") << raw("[S]\nk=1\nK=2\n") << raw("S") << raw("k") << raw("1");
    QTest::newRow("first of two equal sections")
        << raw("[S]\na=1\n[s]\nk=2\n") << raw("S") << raw("k") << raw("<default>");
    QTest::newRow("key in first of equal sections")
        << raw("[S]\nk=1\n[S]\nk=2\n") << raw("S") << raw("k") << raw("1");
    QTest::newRow("blanks around key and value")
        << raw("[S]\n \t k \t= \t a b \t\n") << raw("S") << raw("k") << raw("a b");
    QTest::newRow("blanks inside brackets") << raw("[ \tS ]\nk=v\n") << raw("S") << raw("k") << raw("v");
    QTest::newRow("double quotes removed") << raw("[S]\nk= \" a \" \n") << raw("S") << raw("k") << raw(" a ");
    QTest::newRow("single quotes removed") << raw("[S]\nk='a'\n") << raw("S") << raw("k") << raw("a");
    QTest::newRow("only one pair removed")
        << raw("[S]\nk=\"\"a\"\"\n") << raw("S") << raw("k") << raw("\"a\"");
    QTest::newRow("unmatched quotes kept") << raw("[S]\nk='a\"\n") << raw("S") << raw("k") << raw("'a\"");
    QTest::newRow("lone quote kept") << raw("[S]\nk=\"\n") << raw("S") << raw("k") << raw("\"");
    QTest::newRow("empty value is not default") << raw("[S]\nk=\n") << raw("S") << raw("k") << raw("");
    QTest::newRow("missing key") << raw("[S]\nk=v\n") << raw("S") << raw("x") << raw("<default>");
    QTest::newRow("missing section") << raw("[S]\nk=v\n") << raw("T") << raw("k") << raw("<default>");
    QTest::newRow("entry before first section")
        << raw("k=v\n[S]\n") << raw("S") << raw("k") << raw("<default>");
    QTest::newRow("line without equals") << raw("[S]\nk\nk=v\n") << raw("S") << raw("k") << raw("v");
    QTest::newRow("comment line") << raw("[S]\n ;k=c\nk=v\n") << raw("S") << raw("k") << raw("v");
    QTest::newRow("empty key") << raw("[S]\n=v\n") << raw("S") << raw("") << raw("<default>");
    QTest::newRow("unclosed header ignored") << raw("[S]\n[T\nk=v\n") << raw("S") << raw("k") << raw("v");
    QTest::newRow("CR only line ends") << raw("[T]\rk=t\r[S]\rk=v\r") << raw("S") << raw("k") << raw("v");
    QTest::newRow("no final line break") << raw("[S]\nk=v") << raw("S") << raw("k") << raw("v");
    QTest::newRow("byte order mark") << raw("\xEF\xBB\xBF[S]\nk=v\n") << raw("S") << raw("k") << raw("v");
    QTest::newRow("zero and high bytes")
        << raw("\0[\xFF]\n[S]\nk=\x80\0\x01\n") << raw("S") << raw("k") << raw("\x80\0\x01");
  }

  void readStringFollowsPlatformRules() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QVERIFY(writeFile(filePath(), content));
    QCOMPARE(profile::ReadString(filePath(), section, key, "<default>"), expected);
    QCOMPARE(profile::HasKey(filePath(), section, key), expected != "<default>");
  }

  void readFromMissingOrForeignPathGivesDefaults_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("none.ini");
    QTest::newRow("missing folder") << QStringLiteral("none/none.ini");
    QTest::newRow("folder at the path") << QStringLiteral("folder.ini");
  }

  void readFromMissingOrForeignPathGivesDefaults() {
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.ini")));
    QCOMPARE(profile::ReadString(filePath(name), "S", "k", "d"), QByteArray("d"));
    QCOMPARE(profile::ReadInt(filePath(name), "S", "k", -3), -3);
    QVERIFY(!profile::HasKey(filePath(name), "S", "k"));
    QVERIFY(profile::ReadKeyNames(filePath(name), "S").isEmpty());
  }

  void readIntAcceptsDecimalAndHex_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << raw("42") << 42;
    QTest::newRow("negative decimal") << raw("-17") << -17;
    QTest::newRow("plus sign") << raw("+5") << 5;
    QTest::newRow("lower-case hex") << raw("0x64") << 100;
    QTest::newRow("upper-case hex") << raw("0X1f") << 31;
    QTest::newRow("hex all ones") << raw("0xFFFFFFFF") << -1;
    QTest::newRow("hex over 32 bits") << raw("0x100000000") << 99;
    QTest::newRow("0x alone") << raw("0x") << 99;
    QTest::newRow("hex bad digit") << raw("0x1g") << 99;
    QTest::newRow("hex with sign") << raw("0x-1") << 99;
    QTest::newRow("signed hex") << raw("-0x10") << 99;
    QTest::newRow("largest int") << raw("2147483647") << 2147483647;
    QTest::newRow("smallest int") << raw("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("over largest int") << raw("2147483648") << 99;
    QTest::newRow("sign alone") << raw("-") << 99;
    QTest::newRow("trailing letters") << raw("12a") << 99;
    QTest::newRow("quoted integer") << raw("'258'") << 258;
    QTest::newRow("blank inside quotes") << raw("\" 5\"") << 99;
    QTest::newRow("empty") << raw("") << 99;
  }

  void readIntAcceptsDecimalAndHex() {
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(writeFile(filePath(), "[Window Position]\r\nTop=" + value + "\r\n"));
    QCOMPARE(profile::ReadInt(filePath(), "window position", "top", 99), expected);
  }

  void readStringCutsAtMaxLength_data() {
    QTest::addColumn<qsizetype>("valueLength");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<qsizetype>("expectedLength");
    QTest::newRow("exactly language limit") << qsizetype(2047) << 2047 << qsizetype(2047);
    QTest::newRow("one over language limit") << qsizetype(2048) << 2047 << qsizetype(2047);
    QTest::newRow("shorter than limit") << qsizetype(10) << 2047 << qsizetype(10);
    QTest::newRow("megabyte under default limit") << qsizetype(1 << 20) << 65535 << qsizetype(65535);
    QTest::newRow("zero limit") << qsizetype(10) << 0 << qsizetype(0);
  }

  void readStringCutsAtMaxLength() {
    QFETCH(qsizetype, valueLength);
    QFETCH(int, maxLength);
    QFETCH(qsizetype, expectedLength);
    QByteArray value(valueLength, 'a');
    for (qsizetype i = 0; i < valueLength; i += 7) value[i] = char('0' + i % 10);
    QVERIFY(writeFile(filePath(), "[S]\nk=\"" + value + "\"\n"));
    QCOMPARE(profile::ReadString(filePath(), "S", "k", "", maxLength), value.left(expectedLength));
    QCOMPARE(profile::ReadString(filePath(), "S", "missing", value, maxLength), value.left(expectedLength));
  }

  void readKeyNamesListsEntriesInFileOrder_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::newRow("file order and spelling") << raw("[S]\nb=1\n A =2\nc=\n") << QByteArrayList{"b", "A", "c"};
    QTest::newRow("other lines skipped") << raw("[S]\n;x=1\nbare\n\n=v\n[T\nk=1\n") << QByteArrayList{"k"};
    QTest::newRow("duplicates listed") << raw("[S]\nk=1\nK=2\n") << QByteArrayList{"k", "K"};
    QTest::newRow("only the named section") << raw("[T]\nt=1\n[s]\nk=1\n[U]\nu=1\n") << QByteArrayList{"k"};
    QTest::newRow("first of equal sections") << raw("[S]\na=1\n[S]\nb=1\n") << QByteArrayList{"a"};
    QTest::newRow("section without entries") << raw("[S]\n[T]\nt=1\n") << QByteArrayList{};
    QTest::newRow("missing section") << raw("[T]\nt=1\n") << QByteArrayList{};
  }

  void readKeyNamesListsEntriesInFileOrder() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArrayList, expected);
    QVERIFY(writeFile(filePath(), content));
    QCOMPARE(profile::ReadKeyNames(filePath(), "S"), expected);
  }

  void readKeyNamesStopsAtBufferSize_data() {
    QTest::addColumn<qsizetype>("lastLength");
    QTest::addColumn<qsizetype>("expectedCount");
    // 327 names of 99 bytes take 32700 bytes with their zero bytes; with the final zero byte, a last name of
    // 66 bytes fills the 32768 bytes exactly.
    QTest::newRow("last name fills buffer exactly") << qsizetype(66) << qsizetype(328);
    QTest::newRow("last name one byte too long") << qsizetype(67) << qsizetype(327);
  }

  void readKeyNamesStopsAtBufferSize() {
    QFETCH(qsizetype, lastLength);
    QFETCH(qsizetype, expectedCount);
    QByteArray content = "[Translations]\r\n";
    QByteArrayList names;
    for (int i = 0; i < 327; ++i) names.append(QByteArray::number(i).rightJustified(99, 'k'));
    names.append(QByteArray(lastLength, 'L'));
    names.append("short");  // would fit on its own, but the list has already ended
    for (const QByteArray& name : names) content += name + "=v\r\n";
    QVERIFY(writeFile(filePath(), content));
    QCOMPARE(profile::ReadKeyNames(filePath(), "Translations"), names.first(expectedCount));
  }

  void writeStringPlacesEntry_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replace in place") << raw("; c\r\n[A]\r\n  x = 1 \r\ny=2\r\n") << raw("A") << raw("x")
                                      << raw("9") << raw("; c\r\n[A]\r\nx=9\r\ny=2\r\n");
    QTest::newRow("replace ignoring case")
        << raw("[a]\nX=1\n") << raw("A") << raw("x") << raw("9") << raw("[a]\nx=9\n");
    QTest::newRow("replace first of equal keys")
        << raw("[A]\nx=1\nx=2\n") << raw("A") << raw("x") << raw("9") << raw("[A]\nx=9\nx=2\n");
    QTest::newRow("replace last line without break")
        << raw("[A]\nx=1") << raw("A") << raw("x") << raw("9") << raw("[A]\nx=9");
    QTest::newRow("append before trailing blanks") << raw("[A]\nx=1\n\n\n[B]\ny=2\n") << raw("A") << raw("z")
                                                   << raw("3") << raw("[A]\nx=1\nz=3\n\n\n[B]\ny=2\n");
    QTest::newRow("append before comment and bare line")
        << raw("[A]\nx=1\nbare\n; next\n[B]\n") << raw("A") << raw("z") << raw("3")
        << raw("[A]\nx=1\nz=3\nbare\n; next\n[B]\n");
    QTest::newRow("append to section without entries")
        << raw("[A]\n\n[B]\n") << raw("A") << raw("z") << raw("3") << raw("[A]\nz=3\n\n[B]\n");
    QTest::newRow("append to first of equal sections") << raw("[A]\nx=1\n[A]\nz=2\n") << raw("a") << raw("z")
                                                       << raw("3") << raw("[A]\nx=1\nz=3\n[A]\nz=2\n");
    QTest::newRow("append after last line without break")
        << raw("[A]\nx=1") << raw("A") << raw("z") << raw("3") << raw("[A]\nx=1\nz=3\n");
    QTest::newRow("append before blank line in lone-CR file")
        << raw("a\r[s]\r\nk=1\r\n\nrest") << raw("s") << raw("k2") << raw("v")
        << raw("a\r[s]\r\nk=1\r\nk2=v\r\n\nrest");
    QTest::newRow("new section at end")
        << raw("[A]\nx=1\n") << raw("B") << raw("k") << raw("v") << raw("[A]\nx=1\n[B]\nk=v\n");
    QTest::newRow("new section without final break")
        << raw("[A]\nx=1") << raw("B") << raw("k") << raw("v") << raw("[A]\nx=1\n[B]\nk=v\n");
    QTest::newRow("new section in CR LF file")
        << raw("[A]\r\nx=1\r\n") << raw("B") << raw("k") << raw("v") << raw("[A]\r\nx=1\r\n[B]\r\nk=v\r\n");
    QTest::newRow("first break decides")
        << raw("[A]\r\nx=1\ny=1\n") << raw("A") << raw("z") << raw("3") << raw("[A]\r\nx=1\ny=1\nz=3\r\n");
    QTest::newRow("CR only file") << raw("[A]\rx=1\r") << raw("A") << raw("z") << raw("3")
                                  << raw("[A]\rx=1\rz=3\r");
    QTest::newRow("empty file") << raw("") << raw("B") << raw("k") << raw("v") << raw("[B]\nk=v\n");
    QTest::newRow("byte order mark kept")
        << raw("\xEF\xBB\xBF[A]\nx=1\n") << raw("A") << raw("x") << raw("2") << raw("\xEF\xBB\xBF[A]\nx=2\n");
    QTest::newRow("value quoted when needed")
        << raw("[A]\n") << raw("A") << raw("k") << raw(" v") << raw("[A]\nk=\" v\"\n");
    QTest::newRow("binary lines kept") << raw("\0\xFF\r\n[A]\r\n\x01=\0\r\nx=1\r\n") << raw("A") << raw("x")
                                       << raw("\x80") << raw("\0\xFF\r\n[A]\r\n\x01=\0\r\nx=\x80\r\n");
  }

  void writeStringPlacesEntry() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    QVERIFY(writeFile(filePath(), before));
    QVERIFY(profile::WriteString(filePath(), section, key, value));
    QCOMPARE(readFile(filePath()), after);
    QCOMPARE(folderEntries(), QStringList{"test.ini"});
  }

  // Values the file holds already leave it alone, byte for byte and file for file; one new value replaces it.
  void writeOfUnchangedValuesLeavesTheFile() {
    QVERIFY(writeFile(filePath(), "; kept\r\n[Defaults]\r\nWhatUser=0\r\nUserName = ann\r\n"));
    const auto inode = [this] {
      struct stat info {};
      return ::stat(QFile::encodeName(filePath()).constData(), &info) == 0 ? info.st_ino : ino_t(0);
    };
    const ino_t before = inode();
    QCOMPARE(
        profile::WriteStrings(filePath(), {{"Defaults", "WhatUser", "0"}, {"Defaults", "WhatUser", "0"}}), 2);
    QCOMPARE(inode(), before);
    QCOMPARE(readFile(filePath()), QByteArray("; kept\r\n[Defaults]\r\nWhatUser=0\r\nUserName = ann\r\n"));
    QCOMPARE(
        profile::WriteStrings(filePath(), {{"Defaults", "WhatUser", "0"}, {"Defaults", "UserName", "bob"}}),
        2);
    QVERIFY(inode() != before);
    QCOMPARE(readFile(filePath()), QByteArray("; kept\r\n[Defaults]\r\nWhatUser=0\r\nUserName=bob\r\n"));
    QCOMPARE(folderEntries(), QStringList{"test.ini"});
  }

  void writeCreatesMissingFile() {
    QVERIFY(profile::WriteInt(filePath(), "Defaults", "WhatUser", 0));
    QVERIFY(profile::WriteString(filePath(), "Defaults", "UserName", "ann"));
    QVERIFY(profile::WriteInt(filePath(), "Window State", "WindowState", 2));
    QCOMPARE(readFile(filePath()),
             QByteArray("[Defaults]\nWhatUser=0\nUserName=ann\n[Window State]\nWindowState=2\n"));
  }

  void writeThenReadGivesValueBack_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("empty") << raw("");
    QTest::newRow("plain") << raw("english.lng");
    QTest::newRow("leading blank") << raw(" a");
    QTest::newRow("trailing blank") << raw("a ");
    QTest::newRow("leading tab") << raw("\ta");
    QTest::newRow("only blanks") << raw("  ");
    QTest::newRow("leading double quote") << raw("\"a");
    QTest::newRow("trailing single quote") << raw("a'");
    QTest::newRow("double quoted") << raw("\"a\"");
    QTest::newRow("single quoted") << raw("'a'");
    QTest::newRow("lone quote") << raw("\"");
    QTest::newRow("scrambled with leading blank") << raw(" -\x01\x7F\x80\xFF\"");
    QTest::newRow("looks like header") << raw("[S]");
    QTest::newRow("looks like comment") << raw(";c=1");
    QTest::newRow("equals signs") << raw("=a=");
  }

  void writeThenReadGivesValueBack() {
    QFETCH(QByteArray, value);
    const QByteArray before =
        raw("; settings\r\n[Other]\r\nKey=other\r\n\r\n[Defaults]\r\n  Key = old \r\nKEY=shadowed\r\n\r\n"
            "[defaults]\r\nNew=in second section\r\n");
    QVERIFY(writeFile(filePath(), before));

    QVERIFY(profile::WriteString(filePath(), "Defaults", "Key", value));
    const QByteArray replaced = readFile(filePath());
    QVERIFY(changesOneLine(before, replaced));
    QCOMPARE(profile::ReadString(filePath(), "Defaults", "Key", "<default>"), value);

    QVERIFY(profile::WriteString(filePath(), "Defaults", "New", value));
    QVERIFY(changesOneLine(replaced, readFile(filePath())));
    QCOMPARE(profile::ReadString(filePath(), "Defaults", "New", "<default>"), value);
    QCOMPARE(profile::ReadKeyNames(filePath(), "Defaults"), (QByteArrayList{"Key", "KEY", "New"}));
    QCOMPARE(profile::ReadString(filePath(), "Other", "Key", ""), QByteArray("other"));
  }

  void writeIntThenReadInt_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("smallest int") << int(-2147483647 - 1);
    QTest::newRow("largest int") << 2147483647;
  }

  void writeIntThenReadInt() {
    QFETCH(int, value);
    QVERIFY(profile::WriteInt(filePath(), "Window Position", "Top", value));
    QCOMPARE(profile::ReadInt(filePath(), "Window Position", "Top", 12345), value);
  }

  void writeRefusesWhatCannotBeStored_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("LF in value") << raw("S") << raw("k") << raw("a\nb=1");
    QTest::newRow("CR in value") << raw("S") << raw("k") << raw("a\r");
    QTest::newRow("zero byte in value") << raw("S") << raw("k") << raw("a\0b");
    QTest::newRow("LF in key") << raw("S") << raw("k\nx") << raw("v");
    QTest::newRow("zero byte in key") << raw("S") << raw("k\0") << raw("v");
    QTest::newRow("equals in key") << raw("S") << raw("k=x") << raw("v");
    QTest::newRow("key with leading blank") << raw("S") << raw(" k") << raw("v");
    QTest::newRow("key with trailing tab") << raw("S") << raw("k\t") << raw("v");
    QTest::newRow("empty key") << raw("S") << raw("") << raw("v");
    QTest::newRow("key like header") << raw("S") << raw("[T]") << raw("v");
    QTest::newRow("key like comment") << raw("S") << raw(";k") << raw("v");
    QTest::newRow("CR in section") << raw("S\r") << raw("k") << raw("v");
    QTest::newRow("bracket in section") << raw("S]x") << raw("k") << raw("v");
    QTest::newRow("section with trailing blank") << raw("S ") << raw("k") << raw("v");
    QTest::newRow("empty section") << raw("") << raw("k") << raw("v");
  }

  void writeRefusesWhatCannotBeStored() {
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const QByteArray before = "[S]\r\nk=old\r\n";
    QVERIFY(writeFile(filePath(), before));
    QVERIFY(!profile::WriteString(filePath(), section, key, value));
    QCOMPARE(readFile(filePath()), before);
    QVERIFY(!profile::WriteString(filePath(QStringLiteral("new.ini")), section, key, value));
    QCOMPARE(folderEntries(), QStringList{"test.ini"});
  }

  void refusedPathLeavesEverythingAsItWas_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("none/test.ini");
    QTest::newRow("folder at the path") << QStringLiteral("folder.ini");
  }

  void refusedPathLeavesEverythingAsItWas() {
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.ini")));
    QVERIFY(writeFile(filePath(QStringLiteral("folder.ini/inside")), "kept"));
    QVERIFY(!profile::WriteString(filePath(name), "S", "k", "v"));
    QString reason;
    QVERIFY(!profile::WriteFileAtomically(filePath(name), "[S]\nk=v\n", &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(folderEntries(), QStringList{"folder.ini"});
    QVERIFY(QFileInfo(filePath(QStringLiteral("folder.ini"))).isDir());
    QCOMPARE(readFile(filePath(QStringLiteral("folder.ini/inside"))), QByteArray("kept"));
  }

  void permissionsRefuseWrite_data() {
    QTest::addColumn<bool>("lockFolder");
    QTest::addColumn<int>("permissions");
    QTest::newRow("read-only folder") << true << int(QFile::ReadOwner | QFile::ExeOwner);
    QTest::newRow("read-only file") << false << int(QFile::ReadOwner);
    // Writing over a file whose content could not be read would lose that content.
    QTest::newRow("unreadable file") << false << int(QFile::WriteOwner);
  }

  void permissionsRefuseWrite() {
    QFETCH(bool, lockFolder);
    QFETCH(int, permissions);
    const QByteArray before = "[Defaults]\r\nDefaultLang=english.lng\r\n";
    QVERIFY(writeFile(filePath(), before));
    const QString locked = lockFolder ? m_dir->path() : filePath();
    const QFile::Permissions original = QFile::permissions(locked);
    QVERIFY(QFile::setPermissions(locked, QFile::Permissions(permissions)));
    const auto unlock = [&] { QFile::setPermissions(locked, original); };
    const auto restore = qScopeGuard(unlock);
    {
      // What the permissions should forbid: adding a file to the folder, or opening the file for both uses.
      QFile probe(lockFolder ? filePath(QStringLiteral("probe")) : filePath());
      if (probe.open(QIODevice::ReadWrite)) {
        probe.close();
        if (lockFolder) probe.remove();
        QSKIP("running as root: permissions do not stop reads or writes here");
      }
    }
    QVERIFY(!profile::WriteString(filePath(), "Defaults", "DefaultLang", "german.lng"));
    unlock();
    QCOMPARE(readFile(filePath()), before);
    QCOMPARE(folderEntries(), QStringList{"test.ini"});
  }

  void unusualFilesKeepTheirContent_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("readKey");
    QTest::addColumn<QByteArray>("readValue");

    QByteArray many = "[Big]\r\n";
    QByteArray manyAfter = many;
    for (int i = 0; i < 5000; ++i) {
      const QByteArray line = "key" + QByteArray::number(i) + "=value" + QByteArray::number(i) + "\r\n";
      many += line;
      manyAfter += i == 4321 ? QByteArray("key4321=v\r\n") : line;
    }
    QTest::newRow("thousands of keys") << many << manyAfter << raw("KEY4999") << raw("value4999");

    const QByteArray megabyte(1 << 20, '\xA7');
    QTest::newRow("megabyte line") << "[Big]\n;" + megabyte + "\nkey4321=old\n"
                                   << "[Big]\n;" + megabyte + "\nkey4321=v\n"
                                   << raw("key4321") << raw("v");
    QTest::newRow("megabyte value") << "[Big]\nbig=" + megabyte << "[Big]\nbig=" + megabyte + "\nkey4321=v\n"
                                    << raw("big") << megabyte.left(65535);
    const QByteArray binary = raw("\0\0\xFF\xFE\r\r\n[\0]\n=\0\x1A");
    // Its first line break is a lone CR, so the added lines end with CR.
    QTest::newRow("binary bytes") << binary << binary + "\r[Big]\rkey4321=v\r" << raw("key4321") << raw("v");
  }

  void unusualFilesKeepTheirContent() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, readKey);
    QFETCH(QByteArray, readValue);
    QVERIFY(writeFile(filePath(), before));
    QVERIFY(profile::WriteString(filePath(), "Big", "key4321", "v"));
    QCOMPARE(readFile(filePath()), after);
    QCOMPARE(profile::ReadString(filePath(), "big", readKey, "<default>"), readValue);
  }

  void wideEncodedFileIsNotDamaged() {
    // A 16-bit encoded file is outside the format: it reads as no sections, and a write only appends.
    const QString text = QStringLiteral("\uFEFF[Defaults]\r\nDefaultLang=english.lng\r\n");
    const QByteArray before(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QVERIFY(writeFile(filePath(), before));
    QCOMPARE(profile::ReadString(filePath(), "Defaults", "DefaultLang", "<default>"),
             QByteArray("<default>"));
    QVERIFY(profile::WriteString(filePath(), "Defaults", "DefaultLang", "x"));
    QVERIFY(readFile(filePath()).startsWith(before));
    QCOMPARE(profile::ReadString(filePath(), "Defaults", "DefaultLang", "<default>"), QByteArray("x"));
  }

  void writeFileAtomicallyReplacesWholeFile_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << QByteArray() << raw("a\r\nb\r\n");
    QTest::newRow("shorter than old file") << raw("long old content\r\n") << raw("x");
    QTest::newRow("empty content") << raw("old") << raw("");
    QTest::newRow("zero bytes") << raw("old") << raw("\0a\0");
  }

  void writeFileAtomicallyReplacesWholeFile() {
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, bytes);
    if (!old.isNull()) QVERIFY(writeFile(filePath(), old));
    QVERIFY(profile::WriteFileAtomically(filePath(), bytes));
    QCOMPARE(readFile(filePath()), bytes);
    QCOMPARE(folderEntries(), QStringList{"test.ini"});
  }

  // A write of many entries at once leaves exactly the file that the writes one by one would have left,
  // written once; and the lookup of many keys at once answers as the single lookups do. Random files of the
  // format's own pieces and random entries, valid and refused ones, in names that differ in case only.
  void manyAtOnceAnswerAsOneByOne() {
    const std::unique_ptr<QTemporaryDir> folder = memoryFolder();
    QVERIFY(folder->isValid());
    const QString batch = folder->filePath(QStringLiteral("batch.ini"));
    const QString single = folder->filePath(QStringLiteral("single.ini"));
    const QList<QByteArray> sections = {"S", "s", "T", "U", "", "x]"};
    const QList<QByteArray> keys = {"a", "A", "b", "k", "", "=", ";a"};
    const QList<QByteArray> values = {"", "1", "x y", " x", "\"q\"", "'", "0x10", "v\r"};
    QRandomGenerator random(20251208);
    int writes = 0;
    for (int round = 0; round < 3000; ++round) {
      const QByteArray before = randomProfile(random);
      const auto snapshot = profile::FileSnapshot::FromBytes(before);
      for (const QByteArray& section : sections) {
        const QList<std::optional<QByteArrayView>> found = snapshot.FindValues(section, keys);
        for (qsizetype i = 0; i < keys.size(); ++i) {
          QCOMPARE(found[i].has_value(), snapshot.HasKey(section, keys[i]));
          if (found[i]) QCOMPARE(found[i]->toByteArray(), snapshot.ReadString(section, keys[i], {}, INT_MAX));
        }
      }

      QList<profile::Entry> entries;
      for (int i = 1 + random.bounded(6); i > 0; --i) {
        // Mostly storable names, now and then one that is refused and ends the run.
        const bool odd = random.bounded(8) == 0;
        entries.append({sections[random.bounded(odd ? sections.size() : 4)],
                        keys[random.bounded(odd ? keys.size() : 4)], values[random.bounded(values.size())]});
      }
      QVERIFY(writeFile(batch, before) && writeFile(single, before));
      qsizetype oneByOne = 0;
      while (oneByOne < entries.size() &&
             profile::WriteString(single, entries[oneByOne].section, entries[oneByOne].key,
                                  entries[oneByOne].value))
        ++oneByOne;
      const qsizetype atOnce = profile::WriteStrings(batch, entries);
      writes += int(oneByOne);
      if (atOnce != oneByOne || readFile(batch) != readFile(single)) {
        QFAIL(qPrintable(QStringLiteral("round %1: file %2, %3 entries: %4 written at once, %5 one by one")
                             .arg(round)
                             .arg(QString::fromLatin1(before.toPercentEncoding()))
                             .arg(entries.size())
                             .arg(atOnce)
                             .arg(oneByOne)));
      }
    }
    QVERIFY2(writes > 3000, "the random entries were nearly all refused");
  }

  void fileOverTheLimitIsLeftAlone_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QByteArray>("value");  // written to [S] k, which holds "v"
    QTest::addColumn<bool>("read");         // the file is read: [S] k is found
    QTest::addColumn<bool>("written");
    QTest::newRow("exactly the limit: read, and written at the same size")
        << profile::kMaxFileSize << QByteArray("w") << true << true;
    QTest::newRow("exactly the limit: a write that would pass it is refused")
        << profile::kMaxFileSize << QByteArray("longer") << true << false;
    QTest::newRow("one byte over the limit: neither read nor written")
        << profile::kMaxFileSize + 1 << QByteArray("w") << false << false;
    QTest::newRow("a hundred megabytes of line breaks")
        << qint64(100) * 1024 * 1024 << QByteArray("w") << false << false;
  }

  // A file too large to be a real settings file reads as missing and is never written: not replaced, not
  // cut, no temporary file left beside it.
  void fileOverTheLimitIsLeftAlone() {
    QFETCH(qint64, size);
    QFETCH(QByteArray, value);
    QFETCH(bool, read);
    QFETCH(bool, written);
    const std::unique_ptr<QTemporaryDir> folder = memoryFolder();
    const QString path = folder->filePath(QStringLiteral("large.ini"));
    const QByteArray head = "[S]\nk=v\n";
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      QCOMPARE(file.write(head), head.size());
      const QByteArray breaks(1 << 20, '\n');
      for (qint64 left = size - head.size(); left > 0; left -= breaks.size())
        QVERIFY(file.write(breaks.constData(), qMin<qint64>(left, breaks.size())) > 0);
    }
    QCOMPARE(QFileInfo(path).size(), size);

    const profile::FileSnapshot snapshot(path);
    QCOMPARE(snapshot.state(), read ? profile::FileState::Read : profile::FileState::TooLarge);
    QCOMPARE(profile::ReadString(path, "S", "k", "<default>"),
             read ? QByteArray("v") : QByteArray("<default>"));
    QCOMPARE(profile::HasKey(path, "S", "k"), read);
    QCOMPARE(profile::WriteString(path, "S", "k", value), written);
    QCOMPARE(QFileInfo(path).size(), size);
    QCOMPARE(profile::ReadString(path, "S", "k", "<default>"), written ? value
                                                               : read  ? QByteArray("v")
                                                                       : QByteArray("<default>"));
    QCOMPARE(QDir(folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"large.ini"});
  }

  // A file of one line break after the other is the most lines a file of its size can hold. Reading it and
  // writing an entry into it, as a start and an exit do, costs its bytes and a copy at most: the lines are
  // walked, never stored one by one.
  void manyLinesCostTheirBytesOnly() {
    const std::unique_ptr<QTemporaryDir> folder = memoryFolder();
    const QString path = folder->filePath(QStringLiteral("lines.ini"));
    const qint64 size = 8 * 1024 * 1024;
    QVERIFY(writeFile(path, QByteArray(size - 20, '\n') + "[Defaults]\nUser=ann\n"));

    const std::optional<qint64> peak = test::peakMemoryGrowth([&] {
      {
        const profile::FileSnapshot file(path);
        QCOMPARE(file.ReadString("Defaults", "User", {}), QByteArray("ann"));
        QVERIFY(!file.HasKey("Defaults", "Lang"));
        QCOMPARE(file.ReadInt("Window State", "WindowState", 7), 7);
      }
      QCOMPARE(profile::WriteStrings(path, {{"Defaults", "User", "bob"}, {"Defaults", "Lang", "de"}}), 2);
    });
    if (!peak) QSKIP("no peak of the resident memory that can be started anew (or a sanitizer build)");
    QCOMPARE(profile::ReadString(path, "Defaults", "Lang", {}), QByteArray("de"));
    QVERIFY2(*peak <= 2 * size + 4 * 1024 * 1024,
             qPrintable(QStringLiteral("peak %1 MiB above the start for a file of %2 MiB")
                            .arg(double(*peak) / (1 << 20), 0, 'f', 1)
                            .arg(size >> 20)));
  }
};

QTEST_GUILESS_MAIN(TstProfile)
#include "tst_profile.moc"
