// Tests of the subnet planner: equal split, number of subnets, sizing by hosts and summarising, against
// Python's ipaddress, an independent sizing reference and the C library's address text functions.
#include <arpa/inet.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/plan.h"
#include "core/sizing.h"
#include "core/split.h"
#include "core/summarise.h"

using namespace quorvane;

namespace {

// Address text written by the C library alone, independent of the planner's own writer.
QString ntop(U128 value, int width) {
  char text[INET6_ADDRSTRLEN] = {};
  if (width == kIpv4Width) {
    in_addr v4{};
    v4.s_addr = htonl(std::uint32_t(value.lo));
    inet_ntop(AF_INET, &v4, text, sizeof text);
  } else {
    in6_addr v6{};
    for (int i = 0; i < 8; ++i) {
      v6.s6_addr[i] = std::uint8_t(value.hi >> (56 - 8 * i));
      v6.s6_addr[8 + i] = std::uint8_t(value.lo >> (56 - 8 * i));
    }
    inet_ntop(AF_INET6, &v6, text, sizeof text);
  }
  return QString::fromLatin1(text);
}

QString cidr(const Block& b) { return ntop(b.network, b.width) + '/' + QString::number(b.prefix); }

// The reference script's form of a value and a block: lower-case hex without leading zeros.
QString hex(U128 v) {
  return v.hi ? QString::number(v.hi, 16) + QStringLiteral("%1").arg(v.lo, 16, 16, QChar('0'))
              : QString::number(v.lo, 16);
}
QString hexBlock(const Block& b) { return hex(b.network) + '/' + QString::number(b.prefix); }
QString decimal(U128 v) { return QString::fromStdString(ToDecimal(v)); }

const char* errorName(PlanError e) {
  switch (e) {
    case PlanError::BadNetwork:
      return "bad network";
    case PlanError::PrefixOutOfRange:
      return "prefix out of range";
    case PlanError::ZeroCount:
      return "zero count";
    case PlanError::TooManySubnets:
      return "too many subnets";
    case PlanError::BadLine:
      return "bad line";
    case PlanError::RangeReversed:
      return "range reversed";
    case PlanError::DoesNotFit:
      return "does not fit";
  }
  return "?";
}

// "bad line at 3: <text>", the way the tables below write an expected problem.
QString problemText(const PlanProblem& p) {
  return QStringLiteral("%1 at %2: %3")
      .arg(errorName(p.kind))
      .arg(p.line)
      .arg(QString::fromStdString(p.text));
}

Block network(const char* text) {
  const Outcome<Block> block = ReadNetwork(text);
  if (!block) qFatal("test network %s does not read", text);
  return *block;
}

QString cells(const PlanRow& row) {
  QStringList out;
  for (const std::string& cell : RowCells(row)) out << QString::fromStdString(cell);
  return out.join(QStringLiteral(" | ")) + (row.free ? QStringLiteral(" (free)") : QString());
}

QStringList allRows(const PlanTable& table) {
  QStringList rows;
  for (std::uint64_t i = 0; U128(i) < table.rowCount().value; ++i) rows << cells(table.rowAt(U128(i)));
  return rows;
}

QString totalsText(const Totals& t) {
  return QStringLiteral("%1 subnets, %2 used, %3 free")
      .arg(QString::fromStdString(t.subnets.decimal()), QString::fromStdString(t.used.decimal()),
           QString::fromStdString(t.free.decimal()));
}

class Random {
 public:
  explicit Random(std::uint32_t seed) : m_rng(seed) {}
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
  bool chance(int percent) { return below(100) < percent; }
  std::uint64_t bits64() { return (std::uint64_t(m_rng()) << 32) | m_rng(); }
  // A value of `bits` random low bits.
  U128 value(int bits) { return U128(bits64(), bits64()) & WidthMask(bits); }
  // A value whose bit length is itself random up to `bits`, so that small and large numbers both occur.
  U128 number(int bits) { return value(between(0, bits)); }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[std::size_t(below(int(v.size())))];
  }

 private:
  std::mt19937 m_rng;
};

// Runs the Python reference on the cases and returns one answer per case; nothing when python3 is missing.
std::optional<QStringList> pythonAnswers(const QStringList& cases) {
  const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
  if (python.isEmpty()) return std::nullopt;
  QProcess process;
  process.start(python, {QStringLiteral(QUORVANE_PLANNER_REFERENCE)});
  if (!process.waitForStarted(10000)) qFatal("python3 does not start");
  process.write(cases.join('\n').toLatin1() + '\n');
  process.closeWriteChannel();
  if (!process.waitForFinished(60000) || process.exitCode() != 0)
    qFatal("the reference script failed: %s", process.readAllStandardError().constData());
  QStringList answers = QString::fromLatin1(process.readAllStandardOutput()).split('\n');
  if (!answers.isEmpty() && answers.last().isEmpty()) answers.removeLast();
  if (answers.size() != cases.size())
    qFatal("the reference script answered %d of %d cases", int(answers.size()), int(cases.size()));
  return answers;
}

// The first LIMIT subnets and the last, as the reference script lists them.
constexpr int kListed = 40;
QString splitText(const EqualSplit& split) {
  const Count count = split.rowCount();
  QStringList first;
  for (int k = 0; k < kListed && (count.twoTo128 || U128(std::uint64_t(k)) < count.value); ++k)
    first << hexBlock(split.subnet(U128(std::uint64_t(k))));
  const U128 last = count.value - U128(1);  // 2^128 - 1 when the count is 2^128
  return QStringLiteral("count=%1 %2 last=%3")
      .arg(QString::fromStdString(count.decimal()), first.join(' '), hexBlock(split.subnet(last)));
}

// Sizing by hosts the plain way: each requirement's block by doubling until it holds the hosts, largest
// first, each at the lowest aligned address no earlier block touches; the free space as the maximal aligned
// blocks that hold no allocation, found by halving the network.
struct SizingReference {
  std::map<int, Block> byLine;  // each requirement's block, by its line
  std::vector<Block> free;
  int failedLine = 0;

  SizingReference(const Block& net, const std::vector<Requirement>& requirements, bool p2p) {
    std::vector<std::pair<int, const Requirement*>> sized;  // host bits, requirement
    for (const Requirement& r : requirements) {
      int k;
      if (net.width == kIpv4Width) {
        // A /31 link holds both its addresses; every larger block loses the network and broadcast.
        const auto usable = [](std::uint64_t size) { return U128(size == 2 ? 2 : size - 2); };
        std::uint64_t size = p2p ? 2 : 4;
        while (usable(size) < r.hosts && size <= (std::uint64_t(1) << 32)) size *= 2;
        k = std::countr_zero(size);  // 33 when no IPv4 block holds the hosts
      } else {
        k = 0;
        while (k < 128 && PowerOfTwo(k) < r.hosts) ++k;
      }
      sized.emplace_back(k, &r);
    }
    std::stable_sort(sized.begin(), sized.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Block> taken;
    for (const auto& [k, r] : sized) {
      if (k > net.hostBits()) {
        failedLine = r->line;
        return;
      }
      U128 candidate = net.network;
      bool placed = false;
      for (;;) {
        const U128 end = candidate + WidthMask(k);
        if (end < candidate || end > net.last()) break;
        const auto clash = std::find_if(taken.begin(), taken.end(), [&](const Block& b) {
          return !(b.last() < candidate || end < b.network);
        });
        if (clash == taken.end()) {
          placed = true;
          break;
        }
        // The next aligned address above the clashing block.
        const U128 next = clash->last() + U128(1);
        if (next.isZero()) break;
        candidate = ((next + WidthMask(k)) >> k) << k;
        if (candidate < next) break;
      }
      if (!placed) {
        failedLine = r->line;
        return;
      }
      const Block b{candidate, net.width - k, net.width};
      taken.push_back(b);
      byLine[r->line] = b;
    }
    collectFree(net, taken);
  }

  void collectFree(const Block& b, const std::vector<Block>& taken) {
    bool touched = false;
    for (const Block& t : taken) {
      if (t.prefix <= b.prefix && (b.network & PrefixMask(t.prefix, b.width)) == t.network)
        return;  // inside t
      if (!(t.last() < b.network || b.last() < t.network)) touched = true;
    }
    if (!touched) {
      free.push_back(b);
      return;
    }
    const Block low{b.network, b.prefix + 1, b.width};
    collectFree(low, taken);
    collectFree({low.last() + U128(1), b.prefix + 1, b.width}, taken);
  }
};

// The usable hosts of a block as sizing counts them.
bool holds(const Block& b, U128 hosts, bool p2p) {
  const int k = b.hostBits();
  if (b.width == kIpv6Width) return k == 128 || hosts <= PowerOfTwo(k);
  if (k == 0) return false;
  if (k == 1) return p2p && hosts <= U128(2);
  return hosts <= PowerOfTwo(k) - U128(2);
}

}  // namespace

class TestPlanner : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void readNetwork_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("block");  // or the problem
    const auto row = [](const char* tag, const char* text, const char* block) {
      QTest::newRow(tag) << QByteArray(text) << QString(block);
    };
    row("IPv4 network", "192.168.0.0/24", "192.168.0.0/24");
    row("host bits are cleared", "192.168.7.77/22", "192.168.4.0/22");
    row("blanks, tab and CR around", " \t10.0.0.0/8\r", "10.0.0.0/8");
    row("blanks around the slash", "10.0.0.0 / 8", "10.0.0.0/8");
    row("prefix 0", "1.2.3.4/0", "0.0.0.0/0");
    row("prefix 32", "1.2.3.4/32", "1.2.3.4/32");
    row("bare address is one address", "1.2.3.4", "1.2.3.4/32");
    row("address and mask", "10.1.2.3 255.255.0.0", "10.1.0.0/16");
    row("address and all-ones mask", "10.1.2.3 255.255.255.255", "10.1.2.3/32");
    row("address and zero mask", "10.1.2.3 0.0.0.0", "0.0.0.0/0");
    row("IPv6 network", "2001:db8::/32", "2001:db8::/32");
    row("IPv6 host bits cleared", "2001:db8:1:2:3:4:5:6/48", "2001:db8:1::/48");
    row("IPv6 /128", "::1/128", "::1/128");
    row("IPv6 /0", "ffff::/0", "::/0");
    row("IPv6 bare address", "fe80::1", "fe80::1/128");
    row("IPv6 with embedded IPv4", "::ffff:10.0.0.0/104", "::ffff:10.0.0.0/104");
    row("prefix 33", "10.0.0.0/33", "prefix out of range at 0: 10.0.0.0/33");
    row("prefix 129", "::/129", "prefix out of range at 0: ::/129");
    row("huge prefix", "10.0.0.0/99999999999", "prefix out of range at 0: 10.0.0.0/99999999999");
    row("prefix with leading zeros", "10.0.0.0/0008", "10.0.0.0/8");
    row("long prefix above 32", "10.0.0.0/0033", "prefix out of range at 0: 10.0.0.0/0033");
    row("negative prefix", "10.0.0.0/-1", "bad network at 0: 10.0.0.0/-1");
    row("empty prefix", "10.0.0.0/", "bad network at 0: 10.0.0.0/");
    row("two slashes", "10.0.0.0/8/8", "bad network at 0: 10.0.0.0/8/8");
    row("short dotted form", "10.1/16", "bad network at 0: 10.1/16");
    row("octet above 255", "10.256.0.0/16", "bad network at 0: 10.256.0.0/16");
    row("leading zero octet", "010.0.0.0/8", "bad network at 0: 010.0.0.0/8");
    row("gapped mask", "10.0.0.0 255.0.255.0", "bad network at 0: 10.0.0.0 255.0.255.0");
    row("IPv6 mask form", "2001:db8:: ffff::", "bad network at 0: 2001:db8:: ffff::");
    row("empty", "  ", "bad network at 0: ");
    row("zone index", "fe80::1%eth0/64", "bad network at 0: fe80::1%eth0/64");
    // Split as the main window splits a pasted address and mask.
    row("dotted mask after the slash", "10.1.2.3/255.255.0.0", "10.1.0.0/16");
    row("tab before the prefix", "10.1.2.3\t/12", "10.0.0.0/12");
    row("line break before the mask", "10.1.2.3\n255.0.0.0", "10.0.0.0/8");
    row("address, mask and more", "10.1.2.3 255.0.0.0 x", "bad network at 0: 10.1.2.3 255.0.0.0 x");
    row("address followed by text", "10.1.2.3 x", "bad network at 0: 10.1.2.3 x");
    row("IPv6 with a dotted mask", "2001:db8::/255.255.0.0", "bad network at 0: 2001:db8::/255.255.0.0");
    row("inverted mask", "10.1.2.3 0.0.255.255", "bad network at 0: 10.1.2.3 0.0.255.255");
  }

  void readNetwork() {
    QFETCH(QByteArray, text);
    QFETCH(QString, block);
    const Outcome<Block> read = ReadNetwork(text.toStdString());
    QCOMPARE(read ? cidr(*read) : problemText(read.problem()), block);
  }

  // The reader picks the family by the colon and hands the text to inet_pton whole; the writer's dotted
  // decimal is its own. Both against the C library on random and mangled texts.
  // The C library's text, except for the deprecated IPv4-compatible addresses (::/96 but :: and ::1), which
  // it writes with a dotted tail and RFC 5952, Python and the planner in hexadecimal: ::102:304.
  static QString written(const Address& a) {
    const bool compatible =
        a.width == kIpv6Width && a.value.hi == 0 && (a.value.lo >> 32) == 0 && a.value.lo > 1;
    if (!compatible) return ntop(a.value, a.width);
    const std::uint64_t high = a.value.lo >> 16, low = a.value.lo & 0xFFFFu;
    return high ? QStringLiteral("::%1:%2").arg(high, 0, 16).arg(low, 0, 16)
                : QStringLiteral("::%1").arg(low, 0, 16);
  }

  void addressTextAgreesWithCLibrary() {
    Random random(0xADD7E55);
    const std::vector<std::string> pieces = {"0",     "1", "9", "25", "255", "256",  "0x1",
                                             ".",     ".", ":", ":",  "::",  "ffff", "FFFF",
                                             "12345", "g", " ", "%",  "/",   "-",    "1.2.3.4"};
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
      std::string text;
      if (i % 2 == 0) {
        const int width = random.chance(50) ? kIpv4Width : kIpv6Width;
        text = ntop(random.value(width), width).toStdString();
        for (int n = random.below(3); n > 0 && !text.empty(); --n) {
          const std::size_t at = std::size_t(random.below(int(text.size())));
          switch (random.below(3)) {
            case 0:
              text.insert(at, 1, ".:0f \0"[random.below(6)]);
              break;
            case 1:
              text[at] = char(random.below(256));
              break;
            default:
              text.erase(at, 1);
          }
        }
      } else {
        for (int n = random.below(12); n > 0; --n) text += random.pick(pieces);
      }
      const std::optional<Address> ours = ReadAddressText(text);
      std::optional<Address> theirs;
      const std::string terminated = text;
      in_addr v4{};
      in6_addr v6{};
      if (text.find('\0') == std::string::npos) {
        if (inet_pton(AF_INET, terminated.c_str(), &v4) == 1) {
          theirs = Address{U128(ntohl(v4.s_addr)), kIpv4Width};
        } else if (inet_pton(AF_INET6, terminated.c_str(), &v6) == 1) {
          U128 v;
          for (const unsigned char byte : v6.s6_addr) v = (v << 8) | U128(byte);
          theirs = Address{v, kIpv6Width};
        }
      }
      if (ours != theirs)
        QFAIL(qPrintable(QStringLiteral("reading '%1' differs").arg(QString::fromLatin1(text))));
      if (ours) {
        ++accepted;
        if (QString::fromStdString(WriteAddressText(*ours)) != written(*ours))
          QFAIL(qPrintable(QStringLiteral("writing %1 differs").arg(ntop(ours->value, ours->width))));
      }
    }
    QVERIFY2(accepted > 3000, qPrintable(QString::number(accepted)));
    for (const U128 edge :
         {U128(0), U128(9), U128(10), U128(99), U128(100), U128(0xFFFFFFFFu), U128(0x0A000001u)})
      QCOMPARE(QString::fromStdString(WriteAddressText({edge, kIpv4Width})), ntop(edge, kIpv4Width));
    for (const U128 edge : {U128(0), U128(1), U128(0xFFu), U128(0x01020304u), U128(0xFFFF01020304u)})
      QCOMPARE(QString::fromStdString(WriteAddressText({edge, kIpv6Width})), written({edge, kIpv6Width}));
  }

  void splitAgreesWithPython() {
    Random random(0x5B117);
    QStringList cases, ours;
    for (int i = 0; i < 2000; ++i) {
      const int width = i < 1000 ? kIpv4Width : kIpv6Width;
      const int p = random.chance(10) ? random.pick(std::vector<int>{0, width}) : random.between(0, width);
      const int q = random.chance(50)   ? p + random.between(0, std::min(6, width - p))
                    : random.chance(10) ? width
                                        : random.between(p, width);
      const Block net = BlockOf({random.value(width), width}, p);
      cases << QStringLiteral("split %1 %2 %3 %4 %5")
                   .arg(width)
                   .arg(hex(net.network))
                   .arg(p)
                   .arg(q)
                   .arg(kListed);
      // Host bits set on the way in must not matter.
      const Block dirty{net.network | (random.value(width) & ~PrefixMask(p, width) & WidthMask(width)), p,
                        width};
      const Outcome<EqualSplit> split = EqualSplit::ByPrefix(dirty, q);
      QVERIFY(split.ok());
      ours << splitText(*split);
      // The k-th subnet follows the one before it, anywhere in the list.
      const Count count = split->rowCount();
      const U128 k = count.twoTo128 ? random.value(128) : random.value(128) & (count.value - U128(1));
      if (!k.isZero() && split->subnet(k).network != split->subnet(k - U128(1)).last() + U128(1))
        QFAIL(qPrintable(cases.last() +
                         QStringLiteral(": subnet %1 is not next to the one before").arg(decimal(k))));
    }
    compareWithPython(cases, ours);
  }

  void countAgreesWithPython() {
    Random random(0xC0C0);
    QStringList cases, ours;
    for (int i = 0; i < 2000; ++i) {
      const int width = i < 1000 ? kIpv4Width : kIpv6Width;
      const int p = random.between(0, width);
      const int room = width - p;
      U128 wanted;
      switch (random.below(4)) {
        case 0:
          wanted = U128(std::uint64_t(random.between(1, 300)));
          break;
        case 1:
          wanted = PowerOfTwo(random.between(0, std::min(room + 1, 127)));
          break;
        case 2: {
          const U128 power = PowerOfTwo(random.between(1, std::min(room + 1, 127)));
          wanted = random.chance(50) ? power + U128(1) : power - U128(1);
          break;
        }
        default:
          wanted = random.number(std::min(room + 2, 128));
      }
      if (wanted.isZero()) wanted = U128(1);
      const Block net = BlockOf({random.value(width), width}, p);
      cases << QStringLiteral("count %1 %2 %3 %4 %5")
                   .arg(width)
                   .arg(hex(net.network))
                   .arg(p)
                   .arg(decimal(wanted))
                   .arg(kListed);
      const Outcome<EqualSplit> split = EqualSplit::ByCount(net, wanted);
      if (split)
        ours << QStringLiteral("q=%1 ").arg(split->prefix()) + splitText(*split);
      else
        ours << (split.problem().kind == PlanError::TooManySubnets ? QStringLiteral("q=none")
                                                                   : problemText(split.problem()));
    }
    compareWithPython(cases, ours);
  }

  // Random lists of networks, addresses, ranges and masked addresses, clustered so that they overlap, touch
  // and repeat, written in every accepted form and read back by the list reader. The first list of each
  // family is long, so that the sorts see many items per bucket.
  void summaryAgreesWithPython() {
    Random random(0x5033A);
    QStringList cases, ours;
    for (int i = 0; i < 2000; ++i) {
      const int length = i % 1000 == 0 ? 3000 : random.between(1, 16);
      const int mainWidth = i < 1000 ? kIpv4Width : kIpv6Width;
      const U128 base[2] = {random.value(32), random.value(128)};
      const int spread[2] = {random.chance(5) ? 32 : random.between(0, 16),
                             random.chance(5) ? 128 : random.between(0, 40)};
      QStringList items;  // for Python
      std::vector<std::string> texts;
      for (int n = length; n > 0; --n) {
        const int width = random.chance(85) ? mainWidth : kIpv4Width + kIpv6Width - mainWidth;
        const int f = width == kIpv4Width ? 0 : 1;
        const auto near = [&] { return base[f] ^ random.value(spread[f]); };
        const auto text = [&](U128 v) { return ntop(v, width).toStdString(); };
        const int kind = random.below(random.chance(2) ? 9 : 5);
        if (kind <= 1 || kind == 5) {  // a network, sometimes written with host bits set
          const int p = kind == 5 ? 0 : random.between(std::max(0, width - spread[f] - 2), width);
          const U128 v = near();
          const Block b = BlockOf({v, width}, p);
          items << QStringLiteral("n:%1:%2:%3").arg(width).arg(hex(b.network)).arg(p);
          texts.push_back(text(random.chance(50) ? v : b.network) + "/" + std::to_string(p));
        } else if (kind == 2) {
          const U128 v = near();
          items << QStringLiteral("n:%1:%2:%1").arg(width).arg(hex(v));
          texts.push_back(text(v));
        } else if (kind == 3 || kind >= 6) {  // a range; the hostile ones run from 0 or to the top
          U128 a = kind == 6 ? U128() : near();
          U128 b = kind == 7 ? WidthMask(width) : near();
          if (b < a) std::swap(a, b);
          items << QStringLiteral("r:%1:%2:%3").arg(width).arg(hex(a), hex(b));
          const char* dashes[] = {" - ", "-", " -", "- ", "\t-\t"};
          texts.push_back(text(a) + dashes[random.below(5)] + text(b));
        } else {  // IPv4 address and mask; IPv6 has none, so a single address
          const int p = width == kIpv4Width ? random.between(std::max(0, 32 - spread[0] - 2), 32) : width;
          const U128 v = near();
          const Block b = BlockOf({v, width}, p);
          items << QStringLiteral("n:%1:%2:%3").arg(width).arg(hex(b.network)).arg(p);
          texts.push_back(width == kIpv4Width ? text(v) + (random.chance(50) ? " " : " \t ") +
                                                    ntop(PrefixMask(p, 32), 32).toStdString()
                                              : text(v));
        }
      }
      // Lines of one to three items joined by commas, padded, with blank lines and CR between.
      std::string list;
      const char* pads[] = {"", "", " ", "\t", "  "};
      for (std::size_t at = 0; at < texts.size();) {
        if (random.chance(10)) list += random.chance(50) ? "\n" : " \t\r\n";
        std::string line;
        for (int inLine = random.between(1, 3); inLine > 0 && at < texts.size(); --inLine) {
          if (!line.empty()) line += random.chance(50) ? ", " : ",";
          line += pads[random.below(5)] + texts[at++] + pads[random.below(5)];
        }
        if (random.chance(5)) line += ",";
        list += line + (random.chance(20) ? "\r\n" : "\n");
      }
      cases << QStringLiteral("summarise ") + items.join(' ');
      const Outcome<Summary> summary = Summarise(list);
      if (!summary)
        QFAIL(qPrintable(
            QStringLiteral("%1\n%2").arg(problemText(summary.problem()), QString::fromStdString(list))));
      QStringList families;
      for (const int width : {kIpv4Width, kIpv6Width}) {
        QStringList blocks;
        for (const Block& b : summary->blocks)
          if (b.width == width) blocks << hexBlock(b);
        const std::optional<Block>& cover = width == kIpv4Width ? summary->ipv4Cover : summary->ipv6Cover;
        families << QStringLiteral("%1: %2 cover=%3")
                        .arg(width)
                        .arg(blocks.join(' '), cover ? hexBlock(*cover) : QStringLiteral("none"));
      }
      // IPv4 blocks come first: the families' blocks above must join back to the whole list.
      std::vector<Block> ordered = summary->blocks;
      std::stable_sort(ordered.begin(), ordered.end(),
                       [](const Block& a, const Block& b) { return a.width < b.width; });
      QVERIFY(ordered == summary->blocks);
      ours << families.join(QStringLiteral(" ; "));
    }
    compareWithPython(cases, ours);
  }

  void summaryList_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("summary");  // the blocks and covers, or the problem
    const auto row = [](const char* tag, const char* list, const char* summary) {
      QTest::newRow(tag) << QByteArray(list) << QString(summary);
    };
    row("empty list", " \n\t\r\n", "; cover none, none");
    row("range from the request", "10.0.0.5 - 10.0.1.20",
        "10.0.0.5/32 10.0.0.6/31 10.0.0.8/29 10.0.0.16/28 10.0.0.32/27 10.0.0.64/26 10.0.0.128/25 "
        "10.0.1.0/28 "
        "10.0.1.16/30 10.0.1.20/32; cover 10.0.0.0/23, none");
    row("two halves join", "10.0.0.0/25\n10.0.0.128/25", "10.0.0.0/24; cover 10.0.0.0/24, none");
    row("duplicate and contained", "10.0.0.0/24, 10.0.0.0/24, 10.0.0.7, 10.0.0.0/26",
        "10.0.0.0/24; cover 10.0.0.0/24, none");
    row("touching ranges", "10.0.0.0-10.0.0.9,10.0.0.10 -10.0.0.15", "10.0.0.0/28; cover 10.0.0.0/28, none");
    row("gap of one address", "10.0.0.0-10.0.0.6, 10.0.0.8 - 10.0.0.8",
        "10.0.0.0/30 10.0.0.4/31 10.0.0.6/32 10.0.0.8/32; cover 10.0.0.0/28, none");
    row("address and mask", "192.168.1.77 255.255.255.0", "192.168.1.0/24; cover 192.168.1.0/24, none");
    row("whole IPv4 space from two halves", "0.0.0.0/1\n128.0.0.0 - 255.255.255.255",
        "0.0.0.0/0; cover 0.0.0.0/0, none");
    row("top address", "255.255.255.255, 255.255.255.254",
        "255.255.255.254/31; cover 255.255.255.254/31, none");
    row("IPv4 before IPv6", "2001:db8::/32\n10.0.0.0/8",
        "10.0.0.0/8 2001:db8::/32; cover 10.0.0.0/8, 2001:db8::/32");
    row("IPv6 range", "2001:db8::-2001:db8::ff", "2001:db8::/120; cover none, 2001:db8::/120");
    row("whole IPv6 space", "::/1, 8000:: - ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "::/0; cover none, ::/0");
    row("IPv6 cover of far apart", "::1, ::2", "::1/128 ::2/128; cover none, ::/126");
    row("CR line ends and trailing comma", "10.0.0.0/9,\r\n10.128.0.0/9\r\n",
        "10.0.0.0/8; cover 10.0.0.0/8, none");
    row("line number counts blank lines", "10.0.0.0/8\n\n10.0.0.0/8 10.1.0.0/16\n",
        "bad line at 3: 10.0.0.0/8 10.1.0.0/16");
    row("reversed range", "10.0.0.0/8\n10.0.0.9 - 10.0.0.1", "range reversed at 2: 10.0.0.9 - 10.0.0.1");
    row("mixed families range", "10.0.0.1 - ::1", "bad line at 1: 10.0.0.1 - ::1");
    row("open range", "10.0.0.1 -", "bad line at 1: 10.0.0.1 -");
    row("two dashes", "10.0.0.1 - 10.0.0.2 - 10.0.0.3", "bad line at 1: 10.0.0.1 - 10.0.0.2 - 10.0.0.3");
    row("prefix out of range", "\t10.0.0.0/33 \r", "bad line at 1: 10.0.0.0/33");
    row("IPv6 with a mask", "2001:db8:: ffff:ffff::", "bad line at 1: 2001:db8:: ffff:ffff::");
    row("gapped mask", "10.0.0.0 255.0.255.0", "bad line at 1: 10.0.0.0 255.0.255.0");
    row("bad item after good ones", "10.0.0.0/8, 11.0.0.0/8, x", "bad line at 1: 10.0.0.0/8, 11.0.0.0/8, x");
    row("semicolon is no separator", "10.0.0.0/8; 11.0.0.0/8", "bad line at 1: 10.0.0.0/8; 11.0.0.0/8");
  }

  // Hand-picked lists, and the whole of a failed list: no partial result.
  void summaryList() {
    QFETCH(QByteArray, list);
    QFETCH(QString, summary);
    const Outcome<Summary> s = Summarise(list.toStdString());
    if (!s) {
      QCOMPARE(problemText(s.problem()), summary);
      return;
    }
    QStringList blocks;
    for (const Block& b : s->blocks) blocks << cidr(b);
    const QString covers = (s->ipv4Cover ? cidr(*s->ipv4Cover) : QStringLiteral("none")) +
                           QStringLiteral(", ") +
                           (s->ipv6Cover ? cidr(*s->ipv6Cover) : QStringLiteral("none"));
    QCOMPARE(blocks.join(' ') + QStringLiteral("; cover ") + covers, summary);
  }

  void splitRows_data() {
    QTest::addColumn<QByteArray>("net");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("row");
    const auto row = [](const char* tag, const char* net, int prefix, const char* index, const char* cells) {
      QTest::newRow(tag) << QByteArray(net) << prefix << QString(index) << QString(cells);
    };
    row("/24 into /26, second", "192.168.0.0/24", 26, "1",
        " | 192.168.0.64/26 | 255.255.255.192 | 192.168.0.65 | 192.168.0.126 | 192.168.0.127 | 62");
    row("/29 into /31, first", "10.0.0.0/29", 31, "0",
        " | 10.0.0.0/31 | 255.255.255.254 | 10.0.0.0 | 10.0.0.1 | 10.0.0.1 | 2");
    row("/29 into /31, last", "10.0.0.0/29", 31, "3",
        " | 10.0.0.6/31 | 255.255.255.254 | 10.0.0.6 | 10.0.0.7 | 10.0.0.7 | 2");
    row("/30 into /32", "10.0.0.0/30", 32, "2",
        " | 10.0.0.2/32 | 255.255.255.255 | 10.0.0.2 | 10.0.0.2 | 10.0.0.2 | 1");
    row("/8 into /30, the last of 4,194,304", "10.0.0.0/8", 30, "4194303",
        " | 10.255.255.252/30 | 255.255.255.252 | 10.255.255.253 | 10.255.255.254 | 10.255.255.255 | 2");
    row("whole IPv4 space unsplit", "0.0.0.0/0", 0, "0",
        " | 0.0.0.0/0 | 0.0.0.0 | 0.0.0.1 | 255.255.255.254 | 255.255.255.255 | 4294967294");
    row("IPv6 /32 into /64, the last", "2001:db8::/32", 64, "4294967295",
        " | 2001:db8:ffff:ffff::/64 | 2001:db8:ffff:ffff:: | 2001:db8:ffff:ffff:ffff:ffff:ffff:ffff | "
        "18446744073709551616");
    row("IPv6 /127", "2001:db8::/126", 127, "1", " | 2001:db8::2/127 | 2001:db8::2 | 2001:db8::3 | 2");
    row("IPv6 /128", "::/0", 128, "340282366920938463463374607431768211455",
        " | ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128 | ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff | "
        "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff | 1");
    row("all of IPv6", "::/0", 0, "0",
        " | ::/0 | :: | ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff | 340282366920938463463374607431768211456");
  }

  void splitRows() {
    QFETCH(QByteArray, net);
    QFETCH(int, prefix);
    QFETCH(QString, index);
    QFETCH(QString, row);
    const Outcome<EqualSplit> split = EqualSplit::ByPrefix(network(net.constData()), prefix);
    QVERIFY(split.ok());
    const std::optional<U128> k = ParseDecimal(index.toStdString());
    QVERIFY(k.has_value());
    QCOMPARE(cells(split->rowAt(*k)), row);
    QCOMPARE(split->rowAt(*k).index, *k);
  }

  void splitScale_data() {
    QTest::addColumn<QByteArray>("net");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<bool>("tooManyForView");
    QTest::addColumn<QString>("totals");
    QTest::newRow("/29 into /31") << QByteArray("10.0.0.0/29") << 31 << "4" << false
                                  << "4 subnets, 8 used, 0 free";
    QTest::newRow("10/8 into /30") << QByteArray("10.0.0.0/8") << 30 << "4194304" << false
                                   << "4194304 subnets, 16777216 used, 0 free";
    QTest::newRow("2^31 rows are one too many") << QByteArray("0.0.0.0/1") << 32 << "2147483648" << true
                                                << "2147483648 subnets, 2147483648 used, 0 free";
    QTest::newRow("2^31 IPv6 rows") << QByteArray("2001:db8::/33") << 64 << "2147483648" << true
                                    << "2147483648 subnets, 39614081257132168796771975168 used, 0 free";
    QTest::newRow("2^30 rows fit") << QByteArray("0.0.0.0/2") << 32 << "1073741824" << false
                                   << "1073741824 subnets, 1073741824 used, 0 free";
    QTest::newRow("IPv6 /32 into /64") << QByteArray("2001:db8::/32") << 64 << "4294967296" << true
                                       << "4294967296 subnets, 79228162514264337593543950336 used, 0 free";
    QTest::newRow("::/0 into /128") << QByteArray("::/0") << 128 << "340282366920938463463374607431768211456"
                                    << true
                                    << "340282366920938463463374607431768211456 subnets, "
                                       "340282366920938463463374607431768211456 used, 0 free";
  }

  void splitScale() {
    QFETCH(QByteArray, net);
    QFETCH(int, prefix);
    QFETCH(QString, rows);
    QFETCH(bool, tooManyForView);
    QFETCH(QString, totals);
    const Outcome<EqualSplit> split = EqualSplit::ByPrefix(network(net.constData()), prefix);
    QVERIFY(split.ok());
    QCOMPARE(QString::fromStdString(split->rowCount().decimal()), rows);
    QCOMPARE(TooManyForView(split->rowCount()), tooManyForView);
    QCOMPARE(totalsText(split->totals()), totals);
  }

  void splitErrors_data() {
    QTest::addColumn<QByteArray>("net");
    QTest::addColumn<int>("prefix");     // by prefix when >= 0
    QTest::addColumn<QString>("count");  // else by count
    QTest::addColumn<QString>("outcome");
    const auto row = [](const char* tag, const char* net, int prefix, const char* count,
                        const char* outcome) {
      QTest::newRow(tag) << QByteArray(net) << prefix << QString(count) << QString(outcome);
    };
    row("prefix below the network's", "10.0.0.0/16", 15, "", "prefix out of range at 0: 15");
    row("prefix above 32", "10.0.0.0/16", 33, "", "prefix out of range at 0: 33");
    row("prefix above 128", "2001:db8::/32", 129, "", "prefix out of range at 0: 129");
    row("same prefix is one subnet", "10.0.0.0/16", 16, "", "/16, 1 subnets");
    row("count 0", "10.0.0.0/24", -1, "0", "zero count at 0: 0");
    row("count 1", "10.0.0.0/24", -1, "1", "/24, 1 subnets");
    row("count 5 rounds up to 8", "10.0.0.0/24", -1, "5", "/27, 8 subnets");
    row("count 8 is exact", "10.0.0.0/24", -1, "8", "/27, 8 subnets");
    row("count 256 uses every address", "10.0.0.0/24", -1, "256", "/32, 256 subnets");
    row("count 257 is too many", "10.0.0.0/24", -1, "257", "too many subnets at 0: 257");
    row("any count of a /32 but 1", "10.0.0.1/32", -1, "2", "too many subnets at 0: 2");
    row("IPv6 count above 64 bits", "::/0", -1, "18446744073709551617", "/65, 36893488147419103232 subnets");
    row("IPv6 largest count", "::/0", -1, "340282366920938463463374607431768211455",
        "/128, 340282366920938463463374607431768211456 subnets");
  }

  void splitErrors() {
    QFETCH(QByteArray, net);
    QFETCH(int, prefix);
    QFETCH(QString, count);
    QFETCH(QString, outcome);
    const Block n = network(net.constData());
    const Outcome<EqualSplit> split = prefix >= 0
                                          ? EqualSplit::ByPrefix(n, prefix)
                                          : EqualSplit::ByCount(n, *ParseDecimal(count.toStdString()));
    QCOMPARE(split ? QStringLiteral("/%1, %2 subnets")
                         .arg(split->prefix())
                         .arg(QString::fromStdString(split->rowCount().decimal()))
                   : problemText(split.problem()),
             outcome);
  }

  void hostBits_data() {
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("p2p");
    QTest::addColumn<int>("bits");  // -1: no block holds them
    const auto row = [](const char* tag, const char* hosts, int width, bool p2p, int bits) {
      QTest::newRow(tag) << QString(hosts) << width << p2p << bits;
    };
    row("IPv4 1 host takes a /30", "1", 32, false, 2);
    row("IPv4 2 hosts take a /30", "2", 32, false, 2);
    row("IPv4 1 host with /31 on", "1", 32, true, 1);
    row("IPv4 2 hosts with /31 on", "2", 32, true, 1);
    row("IPv4 3 hosts with /31 on", "3", 32, true, 3);
    row("IPv4 largest", "4294967294", 32, false, 32);
    row("IPv4 one too many", "4294967295", 32, false, -1);
    row("IPv4 far too many", "340282366920938463463374607431768211455", 32, false, -1);
    row("IPv4 zero", "0", 32, false, -1);
    row("IPv6 1 host is a /128", "1", 128, false, 0);
    row("IPv6 2 hosts are a /127", "2", 128, false, 1);
    row("IPv6 2^64 hosts", "18446744073709551616", 128, false, 64);
    row("IPv6 2^64 + 1 hosts", "18446744073709551617", 128, false, 65);
    row("IPv6 largest count", "340282366920938463463374607431768211455", 128, false, 128);
  }

  void hostBits() {
    QFETCH(QString, hosts);
    QFETCH(int, width);
    QFETCH(bool, p2p);
    QFETCH(int, bits);
    QCOMPARE(HostBitsFor(*ParseDecimal(hosts.toStdString()), width, p2p).value_or(-1), bits);
  }

  void requirements_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("read");  // name=hosts@line entries, or the problem
    const auto row = [](const char* tag, const char* text, const char* read) {
      QTest::newRow(tag) << QByteArray(text) << QString(read);
    };
    row("count alone", "50", "=50@1");
    row("name and count", "Sales 50", "Sales=50@1");
    row("name with blanks", "  Head office  floor 2\t 120 \r", "Head office  floor 2=120@1");
    row("blank lines skipped, numbered", "\n a 1\n\r\n\t\nb 2\n", "a=1@2 b=2@5");
    row("leading zeros", "lab 007", "lab=7@1");
    row("count above 64 bits", "big 18446744073709551616", "big=18446744073709551616@1");
    row("empty", " \n", "");
    row("zero hosts", "a 1\nb 0", "zero count at 2: b 0");
    row("no count", "a 1\n\nSales", "bad line at 3: Sales");
    row("word after the count", "Sales 50 hosts", "bad line at 1: Sales 50 hosts");
    row("signed count", "Sales +50", "bad line at 1: Sales +50");
    row("negative count", "Sales -1", "bad line at 1: Sales -1");
    row("decimal point", "Sales 5.0", "bad line at 1: Sales 5.0");
    row("count beyond 128 bits", "x 340282366920938463463374607431768211456",
        "bad line at 1: x 340282366920938463463374607431768211456");
  }

  void requirements() {
    QFETCH(QByteArray, text);
    QFETCH(QString, read);
    const Outcome<std::vector<Requirement>> r = ReadRequirements(text.toStdString());
    if (!r) {
      QCOMPARE(problemText(r.problem()), read);
      return;
    }
    QStringList entries;
    for (const Requirement& q : *r)
      entries << QStringLiteral("%1=%2@%3").arg(QString::fromStdString(q.name), decimal(q.hosts)).arg(q.line);
    QCOMPARE(entries.join(' '), read);
  }

  void sizing_data() {
    QTest::addColumn<QByteArray>("net");
    QTest::addColumn<QByteArray>("requirements");
    QTest::addColumn<bool>("p2p");
    QTest::addColumn<QStringList>("rows");  // or the problem as the one entry
    QTest::addColumn<QString>("totals");
    QTest::newRow("50, 20, 10 hosts in a /24")
        << QByteArray("192.168.0.0/24") << QByteArray("Sales 50\nLab 20\nOffice 10") << false
        << QStringList{"Sales | 192.168.0.0/26 | 255.255.255.192 | 192.168.0.1 | 192.168.0.62 | 192.168.0.63 | 62",
                       "Lab | 192.168.0.64/27 | 255.255.255.224 | 192.168.0.65 | 192.168.0.94 | 192.168.0.95 | 30",
                       "Office | 192.168.0.96/28 | 255.255.255.240 | 192.168.0.97 | 192.168.0.110 | 192.168.0.111 | 14",
                       " | 192.168.0.112/28 | 255.255.255.240 | 192.168.0.113 | 192.168.0.126 | 192.168.0.127 | 14 (free)",
                       " | 192.168.0.128/25 | 255.255.255.128 | 192.168.0.129 | 192.168.0.254 | 192.168.0.255 | 126 (free)"}
        << "3 subnets, 112 used, 144 free";
    QTest::newRow("largest first, equal sizes in input order")
        << QByteArray("192.168.0.0/24") << QByteArray("a 10\nb 100\nc 9\nd 20") << false
        << QStringList{"b | 192.168.0.0/25 | 255.255.255.128 | 192.168.0.1 | 192.168.0.126 | 192.168.0.127 | 126",
                       "d | 192.168.0.128/27 | 255.255.255.224 | 192.168.0.129 | 192.168.0.158 | 192.168.0.159 | 30",
                       "a | 192.168.0.160/28 | 255.255.255.240 | 192.168.0.161 | 192.168.0.174 | 192.168.0.175 | 14",
                       "c | 192.168.0.176/28 | 255.255.255.240 | 192.168.0.177 | 192.168.0.190 | 192.168.0.191 | 14",
                       " | 192.168.0.192/26 | 255.255.255.192 | 192.168.0.193 | 192.168.0.254 | 192.168.0.255 | 62 (free)"}
        << "4 subnets, 192 used, 64 free";
    QTest::newRow("point-to-point links on /31")
        << QByteArray("10.0.0.0/29") << QByteArray("2\n2\n1") << true
        << QStringList{" | 10.0.0.0/31 | 255.255.255.254 | 10.0.0.0 | 10.0.0.1 | 10.0.0.1 | 2",
                       " | 10.0.0.2/31 | 255.255.255.254 | 10.0.0.2 | 10.0.0.3 | 10.0.0.3 | 2",
                       " | 10.0.0.4/31 | 255.255.255.254 | 10.0.0.4 | 10.0.0.5 | 10.0.0.5 | 2",
                       " | 10.0.0.6/31 | 255.255.255.254 | 10.0.0.6 | 10.0.0.7 | 10.0.0.7 | 2 (free)"}
        << "3 subnets, 6 used, 2 free";
    QTest::newRow("the same links without /31") << QByteArray("10.0.0.0/29") << QByteArray("2\n2\n1") << false
                                                << QStringList{"does not fit at 3: 1"} << "";
    QTest::newRow("exactly full")
        << QByteArray("10.0.0.0/30") << QByteArray("x 2") << false
        << QStringList{"x | 10.0.0.0/30 | 255.255.255.252 | 10.0.0.1 | 10.0.0.2 | 10.0.0.3 | 2"}
        << "1 subnets, 4 used, 0 free";
    QTest::newRow("free /31 and /30 after a link")
        << QByteArray("10.0.0.0/29") << QByteArray("x 2") << true
        << QStringList{"x | 10.0.0.0/31 | 255.255.255.254 | 10.0.0.0 | 10.0.0.1 | 10.0.0.1 | 2",
                       " | 10.0.0.2/31 | 255.255.255.254 | 10.0.0.2 | 10.0.0.3 | 10.0.0.3 | 2 (free)",
                       " | 10.0.0.4/30 | 255.255.255.252 | 10.0.0.5 | 10.0.0.6 | 10.0.0.7 | 2 (free)"}
        << "1 subnets, 2 used, 6 free";
    QTest::newRow("first to fail in allocation order")
        << QByteArray("10.0.0.0/24") << QByteArray("a 10\nb 200\nc 100") << false
        << QStringList{"does not fit at 3: c 100"} << "";
    QTest::newRow("one too large for any IPv4 block")
        << QByteArray("10.0.0.0/24") << QByteArray("a 10\nhuge 4294967295") << false
        << QStringList{"does not fit at 2: huge 4294967295"} << "";
    QTest::newRow("IPv6 hosts are addresses")
        << QByteArray("2001:db8::/120") << QByteArray("a 128\nb 64\nc 1") << false
        << QStringList{"a | 2001:db8::/121 | 2001:db8:: | 2001:db8::7f | 128",
                       "b | 2001:db8::80/122 | 2001:db8::80 | 2001:db8::bf | 64",
                       "c | 2001:db8::c0/128 | 2001:db8::c0 | 2001:db8::c0 | 1",
                       " | 2001:db8::c1/128 | 2001:db8::c1 | 2001:db8::c1 | 1 (free)",
                       " | 2001:db8::c2/127 | 2001:db8::c2 | 2001:db8::c3 | 2 (free)",
                       " | 2001:db8::c4/126 | 2001:db8::c4 | 2001:db8::c7 | 4 (free)",
                       " | 2001:db8::c8/125 | 2001:db8::c8 | 2001:db8::cf | 8 (free)",
                       " | 2001:db8::d0/124 | 2001:db8::d0 | 2001:db8::df | 16 (free)",
                       " | 2001:db8::e0/123 | 2001:db8::e0 | 2001:db8::ff | 32 (free)"}
        << "3 subnets, 193 used, 63 free";
    QTest::newRow("all of IPv6 for one requirement")
        << QByteArray("::/0") << QByteArray("all 340282366920938463463374607431768211455") << false
        << QStringList{"all | ::/0 | :: | ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff | 340282366920938463463374607431768211456"}
        << "1 subnets, 340282366920938463463374607431768211456 used, 0 free";
    QTest::newRow("half of IPv6 twice, then no room")
        << QByteArray("::/0")
        << QByteArray(
               "a 170141183460469231731687303715884105728\nb 2\nc 170141183460469231731687303715884105728")
        << false << QStringList{"does not fit at 2: b 2"} << "";
    QTest::newRow("no requirements")
        << QByteArray("10.0.0.0/23") << QByteArray("\n") << false
        << QStringList{" | 10.0.0.0/23 | 255.255.254.0 | 10.0.0.1 | 10.0.1.254 | 10.0.1.255 | 510 (free)"}
        << "0 subnets, 0 used, 512 free";
  }

  void sizing() {
    QFETCH(QByteArray, net);
    QFETCH(QByteArray, requirements);
    QFETCH(bool, p2p);
    QFETCH(QStringList, rows);
    QFETCH(QString, totals);
    const Outcome<std::vector<Requirement>> read = ReadRequirements(requirements.toStdString());
    QVERIFY(read.ok());
    const Outcome<SizingPlan> plan = SizingPlan::Make(network(net.constData()), *read, p2p);
    if (!plan) {
      QCOMPARE(QStringList{problemText(plan.problem())}, rows);
      return;
    }
    QCOMPARE(allRows(*plan), rows);
    QCOMPARE(totalsText(plan->totals()), totals);
  }

  // Random networks and requirement lists of both families against the reference, with every allocation
  // checked for size, alignment, place and overlap, and the free list for covering the rest exactly.
  void sizingAgreesWithReference() {
    Random random(0x7151);
    int fitted = 0, failed = 0;
    const std::vector<std::string> names = {"", "Sales", "Head office", "lab\t2", "x"};
    for (int i = 0; i < 2000; ++i) {
      const int width = i < 1000 ? kIpv4Width : kIpv6Width;
      const int p = width == kIpv4Width
                        ? (random.chance(90) ? random.between(8, 30) : random.between(0, 32))
                        : (random.chance(90) ? random.between(32, 124) : random.between(0, 128));
      const Block net = BlockOf({random.value(width), width}, p);
      const bool p2p = random.chance(50);
      const int count = random.between(0, 25);
      // Host counts of up to about the network's size over the count, so that some lists fit and some fail.
      const int room = std::max(0, net.hostBits() - int(std::bit_width(unsigned(count))) + 3);
      std::string text;
      int line = 0;
      for (int r = 0; r < count; ++r) {
        if (random.chance(10)) {
          text += " \n";
          ++line;
        }
        U128 hosts = U128(1) + random.number(room);
        if (random.chance(5)) hosts = U128(std::uint64_t(random.between(1, 3)));
        const std::string& name = random.pick(names);
        text += (name.empty() ? "" : name + " ") + ToDecimal(hosts) + "\n";
        ++line;
      }
      const Outcome<std::vector<Requirement>> read = ReadRequirements(text);
      QVERIFY(read.ok());
      QCOMPARE(int(read->size()), count);
      const SizingReference reference(net, *read, p2p);
      const Outcome<SizingPlan> plan = SizingPlan::Make(net, *read, p2p);
      const QString where = QStringLiteral("case %1, %2, /31 %3:\n%4")
                                .arg(i)
                                .arg(cidr(net))
                                .arg(p2p)
                                .arg(QString::fromStdString(text));
      if (!plan) {
        ++failed;
        QVERIFY2(plan.problem().kind == PlanError::DoesNotFit, qPrintable(where));
        QVERIFY2(plan.problem().line == reference.failedLine, qPrintable(where));
        continue;
      }
      ++fitted;
      QVERIFY2(reference.failedLine == 0, qPrintable(where));
      // In address order, each inside the network, aligned, large enough, and after the one before.
      std::vector<Block> all;
      for (const Allocation& a : plan->allocations()) {
        QVERIFY2(holds(a.block, a.requirement.hosts, p2p), qPrintable(where));
        QVERIFY2(reference.byLine.at(a.requirement.line) == a.block, qPrintable(where));
        all.push_back(a.block);
      }
      QVERIFY2(plan->freeBlocks() == reference.free, qPrintable(where));
      all.insert(all.end(), plan->freeBlocks().begin(), plan->freeBlocks().end());
      Count covered;
      U128 next = net.network;
      for (std::size_t b = 0; b < all.size(); ++b) {
        QVERIFY2(all[b].width == width && all[b].prefix >= p && all[b].prefix <= width, qPrintable(where));
        QVERIFY2((all[b].network & ~PrefixMask(all[b].prefix, width)).isZero(), qPrintable(where));
        QVERIFY2(all[b].network == next, qPrintable(where));  // no gap, no overlap
        next = all[b].last() + U128(1);
        covered = covered + BlockSize(all[b]);
      }
      QVERIFY2(covered == BlockSize(net), qPrintable(where));
      QVERIFY2(plan->totals().used + plan->totals().free == BlockSize(net), qPrintable(where));
      QCOMPARE(plan->rowCount().value, U128(all.size()));
    }
    QVERIFY2(fitted > 300 && failed > 300,
             qPrintable(QStringLiteral("%1 fitted, %2 failed").arg(fitted).arg(failed)));
  }

 private:
  void compareWithPython(const QStringList& cases, const QStringList& ours) {
    const std::optional<QStringList> expected = pythonAnswers(cases);
    if (!expected) QSKIP("python3 is not installed");
    for (qsizetype i = 0; i < cases.size(); ++i) {
      if (ours[i] != (*expected)[i])
        QFAIL(qPrintable(QStringLiteral("case %1: %2\n  ours:   %3\n  Python: %4")
                             .arg(i)
                             .arg(cases[i], ours[i], (*expected)[i])));
    }
  }
};

QTEST_GUILESS_MAIN(TestPlanner)
#include "tst_planner.moc"
