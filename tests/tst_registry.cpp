// Tests of the special-purpose block table: its agreement with the registry files, and the lookups in it.
#include <arpa/inet.h>

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "core/exception.h"
#include "core/registry.h"
#include "tests/pythonreference.h"

using namespace quorvane;

namespace {

int widthOf(int family) { return family == 4 ? 32 : 128; }

U128 hostMask(int family, int prefix) {
  return PrefixMask(widthOf(family), widthOf(family)) & ~PrefixMask(prefix, widthOf(family));
}

// An address of either family through inet_pton; family 0 when the text is neither.
struct Address {
  int family = 0;
  U128 value;
};

Address parseAddress(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  unsigned char raw[16] = {};
  Address a;
  if (inet_pton(AF_INET, bytes.constData(), raw) == 1) {
    a.family = 4;
    a.value = U128((std::uint64_t(raw[0]) << 24) | (raw[1] << 16) | (raw[2] << 8) | raw[3]);
  } else if (inet_pton(AF_INET6, bytes.constData(), raw) == 1) {
    a.family = 6;
    for (int i = 0; i < 16; ++i) a.value = (a.value << 8) | U128(raw[i]);
  }
  return a;
}

QString addressText(int family, U128 value) {
  unsigned char raw[16];
  char text[INET6_ADDRSTRLEN];
  if (family == 4) {
    const std::uint32_t v = std::uint32_t(value.lo);
    raw[0] = v >> 24, raw[1] = v >> 16, raw[2] = v >> 8, raw[3] = v;
    inet_ntop(AF_INET, raw, text, sizeof text);
  } else {
    for (int i = 0; i < 16; ++i) raw[i] = std::uint8_t((value >> (8 * (15 - i))).lo);
    inet_ntop(AF_INET6, raw, text, sizeof text);
  }
  return QString::fromLatin1(text);
}

QString blockText(const Block& b) {
  return addressText(b.family, b.network) + '/' + QString::number(b.prefix);
}

struct Network {
  int family = 0;
  U128 value;
  int prefix = -1;
};

// "a/p" of either family; family 0 when it is not one.
Network parseNetwork(const QString& text) {
  const QStringList parts = text.split('/');
  bool ok = false;
  const Address a = parseAddress(parts.value(0));
  const int prefix = parts.value(1).toInt(&ok);
  if (parts.size() != 2 || !ok || a.family == 0 || prefix < 0 || prefix > widthOf(a.family)) return {};
  return {a.family, a.value, prefix};
}

const Block* findBlock(const QString& text) {
  for (const Block& b : RegistryBlocks()) {
    if (blockText(b) == text) return &b;
  }
  return nullptr;
}

bool within(const Block* inner, const Block& outer) {
  for (; inner; inner = ParentBlock(*inner)) {
    if (inner == &outer) return true;
  }
  return false;
}

// The reference lookups: every block of the table tried in turn.
const Block* scanAddress(int family, U128 address) {
  const Block* best = nullptr;
  for (const Block& b : RegistryBlocks()) {
    if (b.family == family && b.contains(address) && (!best || b.prefix > best->prefix)) best = &b;
  }
  return best;
}

NetworkBlocks scanNetwork(int family, U128 network, int prefix, std::vector<const Block*>& parts) {
  NetworkBlocks result;
  parts.clear();
  for (const Block& b : RegistryBlocks()) {
    if (b.family != family) continue;
    if (b.prefix <= prefix && b.contains(network) && (!result.holder || b.prefix > result.holder->prefix))
      result.holder = &b;
    if (b.prefix > prefix && (b.network & PrefixMask(prefix, widthOf(family))) == network)
      parts.push_back(&b);
  }
  return result;
}

// The registry files, read by a CSV reader of the test's own.

QString sourceFile(const QString& relative) {
  QFile file(QStringLiteral(QUORVANE_SOURCE_DIR "/") + relative);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString registryFile(int family) {
  return sourceFile(family == 4 ? QStringLiteral("data/iana-ipv4-special-registry.csv")
                                : QStringLiteral("data/iana-ipv6-special-registry.csv"));
}

// Quoted cells may hold commas, line breaks and doubled quotes.
QList<QStringList> readCsv(const QString& text) {
  QList<QStringList> records;
  QStringList record;
  QString cell;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c != '"')
        cell += c;
      else if (i + 1 < text.size() && text[i + 1] == '"')
        cell += text[++i];
      else
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record << cell;
      cell.clear();
    } else if (c == '\n') {
      record << cell;
      records << record;
      record.clear();
      cell.clear();
    } else if (c != '\r') {
      cell += c;
    }
  }
  if (!cell.isEmpty() || !record.isEmpty()) records << (record << cell);
  return records;
}

QString withoutFootnote(const QString& cell) {
  static const QRegularExpression kFootnote(QStringLiteral(R"(\s*\[\d+\]\s*$)"));
  return QString(cell).remove(kFootnote).trimmed();
}

// "[RFC8190]\n   [RFC919], Section 7" -> "RFC 8190, RFC 919, Section 7"
QString readableReference(QString cell) {
  static const QRegularExpression kAdjacent(QStringLiteral(R"(\]\s*\[)"));
  static const QRegularExpression kNumber(QStringLiteral(R"(\bRFC(\d))"));
  cell.replace(kAdjacent, QStringLiteral("], ["));
  cell.remove('[').remove(']');
  cell.replace(kNumber, QStringLiteral("RFC \\1"));
  return cell.simplified();
}

constexpr std::array<std::pair<const char*, Flag Block::*>, 5> kFlagColumns = {{
    {"Source", &Block::source},
    {"Destination", &Block::destination},
    {"Forwardable", &Block::forwardable},
    {"Globally Reachable", &Block::globallyReachable},
    {"Reserved-by-Protocol", &Block::reservedByProtocol},
}};

const QStringList kColumns = {
    "Address Block", "Name",        "RFC",         "Allocation Date",    "Termination Date",
    "Source",        "Destination", "Forwardable", "Globally Reachable", "Reserved-by-Protocol"};

// Every difference between the embedded table's special-purpose blocks of one family and a registry file.
QStringList registryMismatches(int family, const QString& csv) {
  QStringList found;
  const QList<QStringList> records = readCsv(csv);
  if (records.isEmpty() || records.first() != kColumns)
    return {QStringLiteral("the header is not the registry's")};
  std::vector<const Block*> matched;
  for (qsizetype r = 1; r < records.size(); ++r) {
    const QStringList& cells = records[r];
    const QString row = QStringLiteral("row %1: ").arg(r);
    if (cells.join(QString()).trimmed().isEmpty()) continue;
    if (cells.size() != kColumns.size()) {
      found << row + QStringLiteral("%1 cells").arg(cells.size());
      continue;
    }
    for (const QString& blockCell : cells[0].split(',')) {
      const QString block = withoutFootnote(blockCell);
      const Network n = parseNetwork(block);
      if (n.family != family) {
        found << row + QStringLiteral("'%1' is not an IPv%2 block").arg(block).arg(family);
        continue;
      }
      const Block* b = nullptr;
      for (const Block& candidate : RegistryBlocks()) {
        if (candidate.family == family && candidate.registry == Registry::SpecialPurpose &&
            candidate.network == n.value && candidate.prefix == n.prefix)
          b = &candidate;
      }
      if (!b) {
        found << row + block + QStringLiteral(" is not in the table");
        continue;
      }
      if (std::find(matched.begin(), matched.end(), b) != matched.end())
        found << row + block + " is listed twice";
      matched.push_back(b);
      const auto differ = [&](const char* what, const QString& table, const QString& file) {
        if (table != file)
          found << row + block +
                       QStringLiteral(" %1: '%2' in the table, '%3' in the file").arg(what, table, file);
      };
      const auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
      differ("name", text(b->name), withoutFootnote(cells[1]));
      differ("RFC", text(b->rfc), readableReference(cells[2]));
      differ("allocation date", text(b->allocated), cells[3].trimmed());
      const QString terminated = cells[4].trimmed() == "N/A" ? QString() : cells[4].trimmed();
      differ("termination date", text(b->terminated), terminated);
      if (b->deprecated() != !terminated.isEmpty())
        found << row + block + QStringLiteral(" deprecation differs");
      for (std::size_t i = 0; i < kFlagColumns.size(); ++i) {
        const QString cell = withoutFootnote(cells[qsizetype(5 + i)]);
        const Flag inFile = cell == "True" ? Flag::Yes : cell == "False" ? Flag::No : Flag::Unstated;
        if (cell != "True" && cell != "False" && cell != "N/A" && !cell.isEmpty())
          found << row + block + QStringLiteral(" %1 reads '%2'").arg(kFlagColumns[i].first, cell);
        else if (b->*kFlagColumns[i].second != inFile)
          found << row + block + QStringLiteral(" %1 differs").arg(kFlagColumns[i].first);
      }
    }
  }
  for (const Block& b : RegistryBlocks()) {
    if (b.family == family && b.registry == Registry::SpecialPurpose &&
        std::find(matched.begin(), matched.end(), &b) == matched.end())
      found << blockText(b) + QStringLiteral(" is in the table but not in the file");
  }
  return found;
}

QString flagWord(Flag f) { return f == Flag::Yes ? "yes" : f == Flag::No ? "no" : "-"; }

QString flagWords(const Block& b) {
  QStringList words;
  for (const auto& [name, member] : kFlagColumns) words << flagWord(b.*member);
  return words.join(' ');
}

// Addresses worth trying around every block: its edges, their neighbours, one inside, and addresses that
// share a random number of the block's leading bits.
std::vector<Address> hostileAddresses(std::mt19937_64& rng, int randomPerFamily) {
  std::vector<Address> out;
  const auto random128 = [&] { return U128(rng(), rng()); };
  const auto add = [&](int family, U128 v) {
    out.push_back({family, v & PrefixMask(widthOf(family), widthOf(family))});
  };
  for (const Block& b : RegistryBlocks()) {
    const U128 last = b.last();
    for (const U128 v : {b.network - U128(1), b.network, b.network + U128(1), last - U128(1), last,
                         last + U128(1), b.network | (random128() & hostMask(b.family, b.prefix))})
      add(b.family, v);
  }
  const std::span<const Block> blocks = RegistryBlocks();
  for (int family : {4, 6}) {
    for (int i = 0; i < randomPerFamily; ++i) {
      const Block* b = &blocks[rng() % blocks.size()];
      while (b->family != family) b = &blocks[rng() % blocks.size()];
      const int shared = int(rng() % std::uint64_t(b->prefix + 9));
      const U128 v = i % 4 == 0 ? random128()
                                : (b->network & PrefixMask(shared, widthOf(family))) |
                                      (random128() & hostMask(family, std::min(shared, widthOf(family))));
      add(family, v);
    }
  }
  return out;
}

// The reserved-blocks dialog's rows of a shipped language file: the cells of the entries it shows, sBlock1
// to sBlock18 without sBlock6.
QList<QStringList> reservedBlockRows(const QString& language) {
  QMap<QString, QString> entries;
  for (const QString& line : sourceFile(QStringLiteral("languages/") + language).split('\n')) {
    const qsizetype equals = line.indexOf('=');
    if (equals > 0) entries.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
  }
  QList<QStringList> rows;
  for (int key = 1; key <= 18; ++key) {
    if (key != 6) rows << entries.value(QStringLiteral("sBlock%1").arg(key)).split(QStringLiteral("{ENTER}"));
  }
  return rows;
}

// A reference cell names one of the block's references: "RFC 1122" for "RFC 1122, Section 3.2.1.3".
bool namesReference(const Block& block, const QString& cell) {
  const QString references = QString::fromUtf8(block.rfc.data(), qsizetype(block.rfc.size()));
  return QRegularExpression(QStringLiteral("(^|, )%1(,|$)").arg(QRegularExpression::escape(cell)))
      .match(references)
      .hasMatch();
}

}  // namespace

class TestRegistry : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void tableMatchesRegistryFile_data() {
    QTest::addColumn<int>("family");
    QTest::newRow("IPv4 special-purpose registry") << 4;
    QTest::newRow("IPv6 special-purpose registry") << 6;
  }

  void tableMatchesRegistryFile() {
    QFETCH(int, family);
    const QString csv = registryFile(family);
    QVERIFY2(!csv.isEmpty(), "the registry file cannot be read");
    const QStringList mismatches = registryMismatches(family, csv);
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join('\n')));
  }

  // The comparison above must notice any change of the files.
  void alteredRegistryFileIsNoticed_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("noticed");  // a part of the report of differences
    const auto row = [](const char* tag, int family, const char* from, const char* to, const char* noticed) {
      QTest::newRow(tag) << family << QString::fromUtf8(from) << QString::fromUtf8(to)
                         << QString::fromUtf8(noticed);
    };
    row("IPv4 row deleted", 4, "10.0.0.0/8,Private-Use,[RFC1918],1996-02,N/A,True,True,True,False,False\n",
        "", "10.0.0.0/8 is in the table but not in the file");
    row("IPv4 row added", 4, "10.0.0.0/8,",
        "11.0.0.0/8,Private-Use,[RFC1918],1996-02,N/A,True,True,True,False,False\n10.0.0.0/8,",
        "11.0.0.0/8 is not in the table");
    row("second block of a two-block cell removed", 4, "\"192.0.0.170/32, 192.0.0.171/32\"", "192.0.0.170/32",
        "192.0.0.171/32 is in the table but not in the file");
    row("prefix changed", 4, "100.64.0.0/10", "100.64.0.0/11", "100.64.0.0/11 is not in the table");
    row("name changed", 4, "Port Control Protocol Anycast,[RFC7723]", "Port Control Protocol,[RFC7723]",
        "192.0.0.9/32 name");
    row("doubled quotes of a name lost", 4, "\"\"\"This network\"\"\"", "This network", "0.0.0.0/8 name");
    row("section of a reference changed", 4, "[RFC791], Section 3.2", "[RFC791], Section 3.1",
        "0.0.0.0/8 RFC");
    row("first line of a two-line reference dropped", 4, "\"[RFC8190]\n        [RFC919], Section 7\"",
        "\"[RFC919], Section 7\"", "255.255.255.255/32 RFC");
    row("allocation date changed", 4, "1981-09,N/A,True,False,False,False,True",
        "1981-10,N/A,True,False,False,False,True", "0.0.0.0/8 allocation date");
    row("termination date removed", 4, "2001-06,2015-03", "2001-06,N/A",
        "192.88.99.0/24 deprecation differs");
    row("source flag flipped", 4, "[RFC7600],2015-03,N/A,True,", "[RFC7600],2015-03,N/A,False,",
        "192.0.0.8/32 Source differs");
    row("footnoted flag flipped", 4, "N/A,False [1],False [1]", "N/A,True [1],False [1]",
        "127.0.0.0/8 Source differs");
    row("reserved-by-protocol flipped", 4, "[RFC5737],2010-01,N/A,False,False,False,False,False",
        "[RFC5737],2010-01,N/A,False,False,False,False,True", "192.0.2.0/24 Reserved-by-Protocol differs");
    row("flag misspelt", 4, "[RFC7723],2015-10,N/A,True,", "[RFC7723],2015-10,N/A,Ture,",
        "192.0.0.9/32 Source reads 'Ture'");
    row("header column renamed", 4, "Reserved-by-Protocol", "Reserved by Protocol", "header");
    row("IPv6 row deleted", 6,
        "2001:db8::/32,Documentation,[RFC3849],2004-07,N/A,False,False,False,False,False\n", "",
        "2001:db8::/32 is in the table but not in the file");
    row("IPv6 not stated made reachable", 6, "N/A [3],False", "True [3],False",
        "2002::/16 Globally Reachable differs");
    row("IPv6 termination date removed", 6, "2007-03,2014-03", "2007-03,N/A",
        "2001:10::/28 termination date");
    row("errata reference dropped", 6, "[RFC5180][RFC Errata 1752]", "[RFC5180]", "2001:2::/48 RFC");
    row("IPv6 flag flipped", 6, "[RFC6666],2012-06,N/A,True,True,True",
        "[RFC6666],2012-06,N/A,True,False,True", "100::/64 Destination differs");
  }

  void alteredRegistryFileIsNoticed() {
    QFETCH(int, family);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, noticed);
    QString csv = registryFile(family);
    QVERIFY2(csv.contains(from), "the row to alter is not in the file");
    csv.replace(csv.indexOf(from), from.size(), to);
    const QString report = registryMismatches(family, csv).join('\n');
    QVERIFY2(report.contains(noticed), qPrintable(report));
  }

  // The awkward cells of the files, read as a person reads them.
  void awkwardCellsReadAsMeant_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rfc");
    QTest::addColumn<QString>("flags");  // source, destination, forwardable, globally reachable, reserved
    QTest::addColumn<QString>("terminated");
    QTest::newRow("tripled quotes around a name") << "0.0.0.0/8"
                                                  << "\"This network\""
                                                  << "RFC 791, Section 3.2"
                                                  << "yes no no no yes"
                                                  << "";
    QTest::newRow("footnote after flags") << "127.0.0.0/8"
                                          << "Loopback"
                                          << "RFC 1122, Section 3.2.1.3"
                                          << "no no no no yes"
                                          << "";
    QTest::newRow("footnote after the block") << "192.0.0.0/24"
                                              << "IETF Protocol Assignments"
                                              << "RFC 6890, Section 2.1"
                                              << "no no no no no"
                                              << "";
    QTest::newRow("second block of a cell") << "192.0.0.171/32"
                                            << "NAT64/DNS64 Discovery"
                                            << "RFC 8880, RFC 7050, Section 2.2"
                                            << "no no no no yes"
                                            << "";
    QTest::newRow("reference over two lines") << "255.255.255.255/32"
                                              << "Limited Broadcast"
                                              << "RFC 8190, RFC 919, Section 7"
                                              << "no yes no no yes"
                                              << "";
    QTest::newRow("deprecated IPv4 block") << "192.88.99.0/24"
                                           << "Deprecated (6to4 Relay Anycast)"
                                           << "RFC 7526"
                                           << "- - - - -"
                                           << "2015-03";
    QTest::newRow("deprecated IPv6 block") << "2001:10::/28"
                                           << "Deprecated (previously ORCHID)"
                                           << "RFC 4843"
                                           << "- - - - -"
                                           << "2014-03";
    QTest::newRow("N/A globally reachable") << "2002::/16"
                                            << "6to4"
                                            << "RFC 3056"
                                            << "yes yes yes - no"
                                            << "";
    QTest::newRow("two-line reference, N/A") << "2001::/32"
                                             << "TEREDO"
                                             << "RFC 4380, RFC 8190"
                                             << "yes yes yes - no"
                                             << "";
    QTest::newRow("errata reference") << "2001:2::/48"
                                      << "Benchmarking"
                                      << "RFC 5180, RFC Errata 1752"
                                      << "yes yes yes no no"
                                      << "";
    QTest::newRow("footnoted False under reachable") << "fc00::/7"
                                                     << "Unique-Local"
                                                     << "RFC 4193, RFC 8190"
                                                     << "yes yes yes no no"
                                                     << "";
  }

  void awkwardCellsReadAsMeant() {
    QFETCH(QString, block);
    QFETCH(QString, name);
    QFETCH(QString, rfc);
    QFETCH(QString, flags);
    QFETCH(QString, terminated);
    const Block* b = findBlock(block);
    QVERIFY(b);
    QCOMPARE(QString::fromUtf8(b->name.data(), qsizetype(b->name.size())), name);
    QCOMPARE(QString::fromUtf8(b->rfc.data(), qsizetype(b->rfc.size())), rfc);
    QCOMPARE(flagWords(*b), flags);
    QCOMPARE(QString::fromUtf8(b->terminated.data(), qsizetype(b->terminated.size())), terminated);
    QCOMPARE(b->deprecated(), !terminated.isEmpty());
  }

  // The reserved-blocks dialog shows seventeen blocks of the table: in every shipped language each row's
  // block is a block of the table with a prefix the mask field takes, its reference is one of the block's,
  // and the languages list the same blocks in the same order. The English uses are the registry's names.
  void reservedBlockRowsAgreeWithTable_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english.lng";
    QTest::newRow("german") << "german.lng";
    QTest::newRow("russian") << "russian.lng";
  }

  void reservedBlockRowsAgreeWithTable() {
    QFETCH(QString, language);
    const QList<QStringList> rows = reservedBlockRows(language);
    const QList<QStringList> english = reservedBlockRows(QStringLiteral("english.lng"));
    QCOMPARE(rows.size(), 17);
    QStringList blocks;
    for (qsizetype r = 0; r < rows.size(); ++r) {
      const QStringList& cells = rows[r];
      const QString where = QStringLiteral("row %1: ").arg(r + 1) + cells.join(QStringLiteral(" | "));
      QVERIFY2(cells.size() == 3 && !cells[1].trimmed().isEmpty(), qPrintable(where));
      const Block* block = findBlock(cells[0]);
      QVERIFY2(block && block->family == 4, qPrintable(where + " is no block of the table"));
      QVERIFY2(block->prefix >= 1 && block->prefix <= 31, qPrintable(where + " cannot be chosen"));
      QVERIFY2(namesReference(*block, cells[2]), qPrintable(where + " names another reference"));
      QVERIFY2(!blocks.contains(cells[0]), qPrintable(where + " is listed twice"));
      blocks << cells[0];
      QCOMPARE(cells[0], english[r][0]);
      QCOMPARE(cells[2], english[r][2]);
      if (language == QLatin1String("english.lng")) {
        // Typographic quotes stand for the registry's plain ones.
        QString name = cells[1];
        name.replace(QChar(0x201C), '"').replace(QChar(0x201D), '"');
        QCOMPARE(name, QString::fromUtf8(block->name.data(), qsizetype(block->name.size())));
      }
    }
    // The spaces a user looks up most are all there.
    for (const char* wanted :
         {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16", "100.64.0.0/10", "127.0.0.0/8", "169.254.0.0/16",
          "192.0.2.0/24", "198.51.100.0/24", "203.0.113.0/24", "198.18.0.0/15", "224.0.0.0/4", "240.0.0.0/4"})
      QVERIFY2(blocks.contains(QLatin1String(wanted)), wanted);
  }

  void snapshotDateIsTheDataFolders() {
    const QString readme = sourceFile(QStringLiteral("data/README.md"));
    const QString date =
        QString::fromLatin1(RegistrySnapshotDate().data(), qsizetype(RegistrySnapshotDate().size()));
    QVERIFY(QRegularExpression(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)")).match(date).hasMatch());
    QVERIFY2(readme.contains(date), "data/README.md does not give the table's snapshot date");
  }

  void tableIsSortedAndNested() {
    const std::span<const Block> blocks = RegistryBlocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const Block& b = blocks[i];
      QVERIFY2(b.family == 4 || b.family == 6, qPrintable(blockText(b)));
      QVERIFY2(b.prefix <= b.width() && (b.network & hostMask(b.family, b.prefix)).isZero(),
               qPrintable(blockText(b)));
      if (i > 0) {
        const Block& a = blocks[i - 1];
        QVERIFY2(std::tuple(a.family, a.network, a.prefix) < std::tuple(b.family, b.network, b.prefix),
                 qPrintable(blockText(b)));
      }
      // The parent is the smallest other block holding this one.
      const Block* parent = nullptr;
      for (const Block& other : blocks) {
        if (&other != &b && other.family == b.family && other.prefix < b.prefix &&
            other.contains(b.network) && (!parent || other.prefix > parent->prefix))
          parent = &other;
      }
      QCOMPARE(ParentBlock(b), parent);
    }
  }

  // Each block's first, middle and last address lead to that block or to one inside it.
  void everyBlockHoldsItsAddresses_data() {
    QTest::addColumn<int>("index");
    const std::span<const Block> blocks = RegistryBlocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const Block& b = blocks[i];
      QTest::newRow(
          qPrintable(blockText(b) + ' ' + QString::fromUtf8(b.name.data(), qsizetype(b.name.size()))))
          << int(i);
    }
  }

  void everyBlockHoldsItsAddresses() {
    QFETCH(int, index);
    const Block& b = RegistryBlocks()[std::size_t(index)];
    const U128 middle = b.network + ((b.last() - b.network + U128(1)) >> 1);
    for (const U128 address : {b.network, middle, b.last()}) {
      const Block* found = MostSpecificBlock(b.family, address);
      QVERIFY2(within(found, b), qPrintable(addressText(b.family, address)));
      QCOMPARE(found, scanAddress(b.family, address));
    }
  }

  void addresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("block");  // "public" or "unassigned" when no block holds it
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("holder");  // the block holding that block, if any
    const auto row = [](const char* address, const char* block, const char* name, const char* holder = "") {
      QTest::newRow(address) << address << block << name << holder;
    };
    row("192.0.0.9", "192.0.0.9/32", "Port Control Protocol Anycast", "192.0.0.0/24");
    row("255.255.255.255", "255.255.255.255/32", "Limited Broadcast", "240.0.0.0/4");
    row("192.88.99.2", "192.88.99.2/32", "6a44-relay anycast address", "192.88.99.0/24");
    row("192.88.99.1", "192.88.99.0/24", "Deprecated (6to4 Relay Anycast)");
    row("0.0.0.0", "0.0.0.0/32", "\"This host on this network\"", "0.0.0.0/8");
    row("0.0.0.1", "0.0.0.0/8", "\"This network\"");
    row("10.255.255.255", "10.0.0.0/8", "Private-Use");
    row("11.0.0.0", "public", "");
    row("100.63.255.255", "public", "");
    row("100.64.0.0", "100.64.0.0/10", "Shared Address Space");
    row("100.127.255.255", "100.64.0.0/10", "Shared Address Space");
    row("100.128.0.0", "public", "");
    row("192.0.0.7", "192.0.0.0/29", "IPv4 Service Continuity Prefix", "192.0.0.0/24");
    row("192.0.0.170", "192.0.0.170/32", "NAT64/DNS64 Discovery", "192.0.0.0/24");
    row("192.0.0.171", "192.0.0.171/32", "NAT64/DNS64 Discovery", "192.0.0.0/24");
    row("192.0.0.172", "192.0.0.0/24", "IETF Protocol Assignments");
    row("8.8.8.8", "public", "");
    row("223.255.255.255", "public", "");
    row("224.0.0.251", "224.0.0.0/24", "Local Network Control Block", "224.0.0.0/4");
    row("224.0.1.1", "224.0.0.0/4", "Multicast");
    row("232.1.2.3", "232.0.0.0/8", "Source-Specific Multicast Block", "224.0.0.0/4");
    row("233.252.0.7", "233.252.0.0/24", "MCAST-TEST-NET", "233.0.0.0/8");
    row("233.1.2.3", "233.0.0.0/8", "GLOP Block", "224.0.0.0/4");
    row("234.5.6.7", "234.0.0.0/8", "Unicast-Prefix-based IPv4 Multicast Addresses", "224.0.0.0/4");
    row("239.255.255.250", "239.0.0.0/8", "Administratively Scoped Block", "224.0.0.0/4");
    row("240.0.0.1", "240.0.0.0/4", "Reserved");
    row("::", "::/128", "Unspecified Address");
    row("::1", "::1/128", "Loopback Address");
    row("::2", "unassigned", "");
    row("::ffff:192.168.1.1", "::ffff:0.0.0.0/96", "IPv4-mapped Address");
    row("64:ff9b::8.8.8.8", "64:ff9b::/96", "IPv4-IPv6 Translat.");
    row("100::ffff", "100::/64", "Discard-Only Address Block");
    row("2001::1", "2001::/32", "TEREDO", "2001::/23");
    row("2001:1::1", "2001:1::1/128", "Port Control Protocol Anycast", "2001::/23");
    row("2001:1::4", "2001::/23", "IETF Protocol Assignments", "2000::/3");
    row("2001:1ff:ffff:ffff:ffff:ffff:ffff:ffff", "2001::/23", "IETF Protocol Assignments", "2000::/3");
    row("2001:200::", "2000::/3", "Global Unicast");
    row("2001:db8::1", "2001:db8::/32", "Documentation", "2000::/3");
    row("2002:c000:204::1", "2002::/16", "6to4", "2000::/3");
    row("2400:cb00::1", "2000::/3", "Global Unicast");
    row("3fff:fff:ffff::", "3fff::/20", "Documentation", "2000::/3");
    row("3fff:1000::", "2000::/3", "Global Unicast");
    row("4000::1", "unassigned", "");
    row("5f00::1", "5f00::/16", "Segment Routing (SRv6) SIDs");
    row("fd12:3456::1", "fc00::/7", "Unique-Local");
    row("fe80::1", "fe80::/10", "Link-Local Unicast");
    row("fec0::1", "unassigned", "");
    row("ff02::1", "ff00::/8", "Multicast");
    row("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "ff00::/8", "Multicast");
  }

  void addresses() {
    QFETCH(QString, address);
    QFETCH(QString, block);
    QFETCH(QString, name);
    QFETCH(QString, holder);
    const Address a = parseAddress(address);
    QVERIFY(a.family);
    const Classification c = ClassifyAddress(a.family, a.value);
    QCOMPARE(c.block, MostSpecificBlock(a.family, a.value));
    if (!c.block) {
      const QString standing = c.standing == Standing::Public       ? QStringLiteral("public")
                               : c.standing == Standing::Unassigned ? QStringLiteral("unassigned")
                                                                    : QStringLiteral("listed");
      QCOMPARE(standing, block);
      return;
    }
    QCOMPARE(c.standing, Standing::Listed);
    QCOMPARE(blockText(*c.block), block);
    QCOMPARE(QString::fromUtf8(c.block->name.data(), qsizetype(c.block->name.size())), name);
    const Block* parent = ParentBlock(*c.block);
    QCOMPARE(parent ? blockText(*parent) : QString(), holder);
  }

  // The relay anycast address keeps its own flags although the block around it is deprecated.
  void relayAnycastInsideDeprecatedBlock() {
    const Block* relay = MostSpecificBlock(4, parseAddress(QStringLiteral("192.88.99.2")).value);
    QVERIFY(relay);
    QVERIFY(!relay->deprecated());
    QCOMPARE(flagWords(*relay), QStringLiteral("yes yes yes no no"));
    const Block* relayBlock = ParentBlock(*relay);
    QVERIFY(relayBlock);
    QVERIFY(relayBlock->deprecated());
    QCOMPARE(flagWords(*relayBlock), QStringLiteral("- - - - -"));
  }

  void networks_data() {
    QTest::addColumn<QString>("network");
    QTest::addColumn<QString>("holder");  // empty when no block holds all of it
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("10.0.0.0/7 in part Private-Use") << "10.0.0.0/7"
                                                    << "" << QStringList{"10.0.0.0/8"};
    QTest::newRow("host bits ignored") << "10.1.2.3/7"
                                       << "" << QStringList{"10.0.0.0/8"};
    QTest::newRow("inside Private-Use") << "10.1.0.0/16"
                                        << "10.0.0.0/8" << QStringList{};
    QTest::newRow("a block itself") << "192.0.0.0/24"
                                    << "192.0.0.0/24"
                                    << QStringList{"192.0.0.0/29",  "192.0.0.8/32",   "192.0.0.9/32",
                                                   "192.0.0.10/32", "192.0.0.170/32", "192.0.0.171/32"};
    QTest::newRow("held and holding")
        << "192.0.0.0/28"
        << "192.0.0.0/24" << QStringList{"192.0.0.0/29", "192.0.0.8/32", "192.0.0.9/32", "192.0.0.10/32"};
    QTest::newRow("two /32 blocks in a /31") << "192.0.0.8/31"
                                             << "192.0.0.0/24" << QStringList{"192.0.0.8/32", "192.0.0.9/32"};
    QTest::newRow("a /32 block as a network") << "192.0.0.9/32"
                                              << "192.0.0.9/32" << QStringList{};
    QTest::newRow("in the deprecated relay block") << "192.88.99.0/30"
                                                   << "192.88.99.0/24" << QStringList{"192.88.99.2/32"};
    QTest::newRow("around the limited broadcast") << "255.255.255.254/31"
                                                  << "240.0.0.0/4" << QStringList{"255.255.255.255/32"};
    QTest::newRow("multicast and its blocks")
        << "224.0.0.0/3"
        << ""
        << QStringList{"224.0.0.0/4", "224.0.0.0/24", "232.0.0.0/8", "233.0.0.0/8",       "233.252.0.0/24",
                       "234.0.0.0/8", "239.0.0.0/8",  "240.0.0.0/4", "255.255.255.255/32"};
    QTest::newRow("public network") << "8.8.8.0/24"
                                    << "" << QStringList{};
    QTest::newRow("public beside shared space") << "100.0.0.0/10"
                                                << "" << QStringList{};
    QTest::newRow("shared space in part") << "100.0.0.0/8"
                                          << "" << QStringList{"100.64.0.0/10"};
    QTest::newRow("IPv6 documentation subnet") << "2001:db8:1::/48"
                                               << "2001:db8::/32" << QStringList{};
    QTest::newRow("IPv6 /16 over the protocol assignments")
        << "2001::/16"
        << "2000::/3" << QStringList{"2001::/23",     "2001::/32",    "2001:1::1/128", "2001:1::2/128",
                                     "2001:1::3/128", "2001:2::/48",  "2001:3::/32",   "2001:4:112::/48",
                                     "2001:10::/28",  "2001:20::/28", "2001:30::/28",  "2001:db8::/32"};
    QTest::newRow("IPv6 unassigned space") << "4000::/2"
                                           << "" << QStringList{"5f00::/16"};
    QTest::newRow("IPv6 link-local subnet") << "fe80::/64"
                                            << "fe80::/10" << QStringList{};
  }

  void networks() {
    QFETCH(QString, network);
    QFETCH(QString, holder);
    QFETCH(QStringList, parts);
    const Network n = parseNetwork(network);
    QVERIFY(n.family);
    const NetworkBlocks found = BlocksOfNetwork(n.family, n.value, n.prefix);
    QCOMPARE(found.holder ? blockText(*found.holder) : QString(), holder);
    QStringList foundParts;
    for (const Block& b : found.parts) foundParts << blockText(b);
    QCOMPARE(foundParts, parts);
  }

  void wholeAddressSpace_data() {
    QTest::addColumn<int>("family");
    QTest::newRow("0.0.0.0/0") << 4;
    QTest::newRow("::/0") << 6;
  }

  void wholeAddressSpace() {
    QFETCH(int, family);
    const NetworkBlocks found = BlocksOfNetwork(family, U128(), 0);
    QVERIFY(!found.holder);
    qsizetype count = 0;
    for (const Block& b : RegistryBlocks()) count += b.family == family ? 1 : 0;
    QCOMPARE(qsizetype(found.parts.size()), count);
    for (const Block& b : found.parts) QCOMPARE(int(b.family), family);
  }

  // The binary search with its walk up the parents against a scan of the whole table.
  void lookupsAgreeWithScan() {
    std::mt19937_64 rng(0x5EC1A1);
    const std::vector<Address> addresses = hostileAddresses(rng, 15000);
    for (const Address& a : addresses) {
      const Block* found = MostSpecificBlock(a.family, a.value);
      if (found != scanAddress(a.family, a.value))
        QFAIL(
            qPrintable(addressText(a.family, a.value) + " found " + (found ? blockText(*found) : "nothing")));
      const Standing unlisted = a.family == 4 ? Standing::Public : Standing::Unassigned;
      QCOMPARE(ClassifyAddress(a.family, a.value).standing, found ? Standing::Listed : unlisted);
    }
    std::vector<const Block*> expectedParts;
    int networks = 0;
    for (const Address& a : addresses) {
      // Prefixes a little longer or shorter than the block holding the address are the interesting ones;
      // every fourth is anywhere.
      const int width = widthOf(a.family);
      const Block* near = scanAddress(a.family, a.value);
      const int prefix = !near || rng() % 4 == 0 ? int(rng() % std::uint64_t(width + 1))
                                                 : std::clamp(near->prefix + int(rng() % 7) - 3, 0, width);
      const U128 network = a.value & PrefixMask(prefix, width);
      const NetworkBlocks found = BlocksOfNetwork(a.family, a.value, prefix);
      const NetworkBlocks expected = scanNetwork(a.family, network, prefix, expectedParts);
      const QString what = addressText(a.family, network) + '/' + QString::number(prefix);
      QVERIFY2(found.holder == expected.holder, qPrintable(what + " holder"));
      QVERIFY2(found.parts.size() == expectedParts.size(), qPrintable(what + " parts"));
      for (std::size_t i = 0; i < expectedParts.size(); ++i)
        QVERIFY2(&found.parts[i] == expectedParts[i],
                 qPrintable(what + " part " + blockText(*expectedParts[i])));
      ++networks;
    }
    qInfo("%zu addresses and %d networks compared", addresses.size(), networks);
  }

  // Python's ipaddress knows multicast, loopback, link-local and the IPv4 reserved block on its own.
  void agreesWithPythonIpaddress() {
    std::mt19937_64 rng(0xADD2E55);
    const std::vector<Address> addresses = hostileAddresses(rng, 3000);
    QByteArray input;
    for (const Address& a : addresses)
      input += QByteArray::number(a.family) + ' ' + addressText(a.family, a.value).toLatin1() + '\n';
    const char* script = R"(
import ipaddress, sys
for line in sys.stdin:
    family, text = line.split()
    a = ipaddress.ip_address(text)
    print(int(a.is_multicast), int(a.is_loopback), int(a.is_link_local), int(family == "4" and a.is_reserved))
)";
    QString error;
    const QList<QByteArray> answers = test::runPython(script, input, qsizetype(addresses.size()), error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (std::size_t i = 0; i < addresses.size(); ++i) {
      const Address& a = addresses[i];
      QStringList names;
      bool multicast = false;
      for (const Block* b = MostSpecificBlock(a.family, a.value); b; b = ParentBlock(*b)) {
        names << QString::fromUtf8(b->name.data(), qsizetype(b->name.size()));
        multicast = multicast || b->registry == Registry::Multicast;
      }
      const QByteArray ours =
          QByteArray::number(int(multicast)) + ' ' +
          QByteArray::number(int(names.contains("Loopback") || names.contains("Loopback Address"))) + ' ' +
          QByteArray::number(int(names.contains("Link Local") || names.contains("Link-Local Unicast"))) +
          ' ' + QByteArray::number(int(a.family == 4 && names.contains("Reserved")));
      if (ours != answers[qsizetype(i)])
        QFAIL(qPrintable(addressText(a.family, a.value) + ": " + ours + " here, " + answers[qsizetype(i)] +
                         " in Python"));
    }
    qInfo("%zu addresses compared with Python's ipaddress", addresses.size());
  }

  void rejectsWhatIsNoAddress() {
    QVERIFY_THROWS_EXCEPTION(Exception, MostSpecificBlock(5, U128()));
    QVERIFY_THROWS_EXCEPTION(Exception, MostSpecificBlock(4, U128(0x100000000u)));
    QVERIFY_THROWS_EXCEPTION(Exception, MostSpecificBlock(4, U128(1, 0)));
    QVERIFY_THROWS_EXCEPTION(Exception, ClassifyAddress(0, U128()));
    QVERIFY_THROWS_EXCEPTION(Exception, BlocksOfNetwork(4, U128(), 33));
    QVERIFY_THROWS_EXCEPTION(Exception, BlocksOfNetwork(4, U128(), -1));
    QVERIFY_THROWS_EXCEPTION(Exception, BlocksOfNetwork(6, U128(), 129));
    QVERIFY_THROWS_EXCEPTION(Exception, BlocksOfNetwork(4, U128(0x100000000u), 8));
    QCOMPARE(BlocksOfNetwork(6, ~U128(), 128).holder, MostSpecificBlock(6, ~U128()));
  }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
