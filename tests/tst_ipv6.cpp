// Tests of the IPv6 core: reading and writing against the C library, blocks and reverse names against
// Python's ipaddress, the pasted-input and prefix readers, embedded IPv4 addresses and multicast scopes.
#include <arpa/inet.h>

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/exception.h"
#include "core/ipv6.h"

using namespace quorvane;

namespace {

QByteArray printable(std::string_view text) {
  return "\"" + QByteArray(text.data(), qsizetype(text.size())).toPercentEncoding(" :.[]%/") + "\"";
}

// The value in 32 hexadecimal digits, written without the code under test.
QByteArray hex(U128 v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%016llx%016llx", static_cast<unsigned long long>(v.hi),
                static_cast<unsigned long long>(v.lo));
  return buffer;
}

QByteArray shown(const std::optional<U128>& v) { return v ? hex(*v) : QByteArray("rejected"); }

in6_addr toIn6(U128 v) {
  in6_addr a{};
  for (int i = 0; i < 8; ++i) {
    a.s6_addr[i] = std::uint8_t(v.hi >> (56 - 8 * i));
    a.s6_addr[i + 8] = std::uint8_t(v.lo >> (56 - 8 * i));
  }
  return a;
}

// inet_pton reads a C string: a text with a NUL byte would be read only up to it, and ParseIpv6 rejects
// such a text as a whole, so the reference gives no value for it.
std::optional<U128> libcParse(const std::string& text) {
  if (text.find('\0') != std::string::npos) return std::nullopt;
  in6_addr a{};
  if (inet_pton(AF_INET6, text.c_str(), &a) != 1) return std::nullopt;
  U128 v;
  for (int i = 0; i < 8; ++i) {
    v.hi = (v.hi << 8) | a.s6_addr[i];
    v.lo = (v.lo << 8) | a.s6_addr[i + 8];
  }
  return v;
}

std::string libcFormat(U128 v) {
  const in6_addr a = toIn6(v);
  char buffer[INET6_ADDRSTRLEN] = {};
  if (!inet_ntop(AF_INET6, &a, buffer, sizeof buffer)) return "inet_ntop failed";
  return buffer;
}

U128 parsed(const char* text) {
  const std::optional<U128> v = libcParse(text);
  if (!v) qFatal("test data: %s is not an IPv6 address", text);
  return *v;
}

// Texts for the reader: well-formed addresses and near misses built from groups, "::" and dotted tails,
// then edited; random bytes; and the C library's own text of random values, edited.
class TextGenerator {
 public:
  explicit TextGenerator(std::uint32_t seed) : m_rng(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
  std::uint64_t bits64() { return std::uniform_int_distribution<std::uint64_t>()(m_rng); }

  // A value with whole groups zero more often than chance would give.
  U128 value() {
    U128 v;
    const int zeros = below(256);
    for (int g = 0; g < 8; ++g) {
      const std::uint64_t group = (zeros >> g) & 1 ? 0
                                  : below(4) == 0  ? std::uint64_t(below(16))
                                                   : bits64() & 0xFFFF;
      (g < 4 ? v.hi : v.lo) |= group << (48 - 16 * (g % 4));
    }
    switch (below(8)) {
      case 0:  // the IPv4-mapped and the deprecated IPv4-compatible blocks, whose writing differs
        return U128(0, (below(2) ? 0xFFFF00000000u : 0) | ((bits64() >> 32) >> below(33)));
      case 1:
        return U128(bits64(), bits64());
      default:
        return v;
    }
  }

  std::string next() {
    const int kind = below(20);
    if (kind < 2) return randomBytes(std::size_t(below(46)));
    if (kind < 5) {
      static constexpr std::string_view kAlphabet = "0123456789abcdefABCDEF::::....";
      std::string s(std::size_t(below(46)), ' ');
      for (char& c : s) c = kAlphabet[std::size_t(below(int(kAlphabet.size())))];
      return s;
    }
    std::string s = kind < 8 ? libcFormat(value()) : built();
    if (kind < 8 && below(2)) s = upper(s);
    if (kind < 12) mangle(s);
    return s;
  }

  std::string randomBytes(std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = char(1 + below(255));
    return s;
  }

 private:
  static std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }

  std::string hexDigits(int n) {
    static constexpr char kDigits[] = "0123456789abcdefABCDEF";
    std::string s;
    for (int i = 0; i < n; ++i) s += kDigits[below(22)];
    return s;
  }

  // Mostly a good group, zero more often than chance would give; now and then a bad one.
  std::string group() {
    const int kind = below(40);
    if (kind < 12) return std::string(kind < 8 ? 1 : kind < 10 ? 4 : 2, '0');
    if (kind == 12) return hexDigits(5);  // one digit too many
    if (kind == 13) return "";
    if (kind == 14) return hexDigits(1 + below(3)) + "g";
    if (kind == 15) return "0" + hexDigits(3);  // four digits with a leading zero
    return hexDigits(1 + below(4));
  }

  // Mostly 0..255; now and then 256 and above, a leading zero, an empty part or a hexadecimal one.
  std::string octet() {
    const int kind = below(48);
    if (kind == 0) return "256";
    if (kind == 1) return "0" + std::to_string(below(256));
    if (kind == 2) return "00";
    if (kind == 3) return "";
    if (kind == 4) return std::to_string(256 + below(800));
    if (kind == 5) return "1a";
    return std::to_string(kind < 16 ? below(10) : below(256));
  }

  std::string dotted() {
    const int parts = below(6) == 0 ? 3 + 2 * below(2) : 4;  // sometimes too few or too many
    std::string s = octet();
    for (int i = 1; i < parts; ++i) s += "." + octet();
    return s;
  }

  // Groups joined by colons, mostly as many as an address needs: eight, or up to seven with a "::", often
  // with a dotted tail in place of the last two; now and then one group too many or too few.
  std::string built() {
    const bool gap = below(4) != 0;
    const bool tail = below(3) == 0;
    int count = gap ? below(8) : below(6) == 0 ? 7 + 2 * below(2) : 8;
    if (below(10) == 0) ++count;
    if (tail) count = std::max(0, count - 2);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) items.push_back(group());
    if (tail) items.push_back(dotted());
    if (gap) {
      // An empty item makes the "::"; at either end it needs a second one.
      const std::size_t at = std::size_t(below(int(items.size()) + 1));
      items.insert(items.begin() + std::ptrdiff_t(at), "");
      if (at == 0) items.insert(items.begin(), "");
      if (at + 1 == items.size() || (at == 0 && items.size() == 2)) items.push_back("");
    }
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) s += (i ? ":" : "") + items[i];
    return below(4) == 0 ? upper(s) : s;
  }

  // One to three edits: a character inserted, dropped or replaced, a colon added at either end, ":::",
  // blanks around, or a piece repeated.
  void mangle(std::string& s) {
    static constexpr std::string_view kInserted = ":::...0123456789abcdefABCDEFgx%/[] \t";
    const auto insertable = [&] { return kInserted[std::size_t(below(int(kInserted.size())))]; };
    for (int n = 1 + below(3); n > 0; --n) {
      const std::size_t at = s.empty() ? 0 : std::size_t(below(int(s.size())));
      const int edit = below(9);
      if (edit == 0) s.insert(at, 1, insertable());
      if (edit == 1 && !s.empty()) s.erase(at, 1);
      if (edit == 2 && !s.empty()) s[at] = insertable();
      if (edit == 3) s.insert(0, ":");
      if (edit == 4) s += ":";
      if (edit == 5) s.insert(at, ":::");
      if (edit == 6) s = " " + s + (below(2) ? "\t" : " ");
      if (edit == 7 && !s.empty()) s[at] = char(1 + below(255));
      if (edit == 8 && !s.empty()) s.insert(at, s.substr(at, std::size_t(1 + below(6))));
    }
  }

  std::mt19937 m_rng;
};

// Every placement of "::" over every pattern of zero groups: for each of the 256 patterns, the "::" may
// stand for any run of zero to eight groups, zero or not, so runs of every length at every place are read,
// along with "::" that covers nothing and "::" that hides non-zero groups.
std::vector<std::string> zeroRunTexts(std::mt19937& rng) {
  std::vector<std::string> texts;
  char buffer[8];
  for (int zeros = 0; zeros < 256; ++zeros) {
    std::vector<std::string> groups;
    for (int g = 0; g < 8; ++g) {
      if ((zeros >> g) & 1) {
        groups.push_back(rng() % 4 ? "0" : "0000");
      } else {
        std::snprintf(buffer, sizeof buffer, rng() % 2 ? "%x" : "%04X", unsigned(1 + rng() % 0xFFFF));
        groups.push_back(buffer);
      }
    }
    for (std::size_t start = 0; start <= 8; ++start) {
      for (std::size_t length = 0; start + length <= 8; ++length) {
        std::string s;
        for (std::size_t g = 0; g < start; ++g) s += (g ? ":" : "") + groups[g];
        s += "::";
        for (std::size_t g = start + length; g < 8; ++g) s += (g > start + length ? ":" : "") + groups[g];
        texts.push_back(s);
      }
    }
  }
  return texts;
}

// The reader's corpus, built once: hand-picked hostile texts, the zero-run placements and generated texts.
const std::vector<std::string>& parserCorpus() {
  static const std::vector<std::string> corpus = [] {
    std::vector<std::string> texts = {
        "",
        ":",
        "::",
        ":::",
        "::::",
        "1:",
        ":1",
        "1::",
        "::1",
        ":1::",
        "::1:",
        "1::2::3",
        "1:::2",
        "1:2:3:4:5:6:7:8",
        "1:2:3:4:5:6:7:8:9",
        "1:2:3:4:5:6:7",
        "1:2:3:4:5:6:7::",
        "::2:3:4:5:6:7:8",
        "1:2:3:4:5:6:7:8::",
        "::1:2:3:4:5:6:7:8",
        "1:2:3:4::5:6:7:8",
        "12345::",
        "::12345",
        "::00000",
        "::0000",
        "g::",
        "FFFF::",
        "fFfF:AbCd::",
        "::1.2.3.4",
        "::1.2.3",
        "::1.2.3.4.5",
        "::256.1.1.1",
        "::255.255.255.255",
        "::01.1.1.1",
        "::0.0.0.0",
        "::1.2.3.04",
        "::1.2.3.4:1",
        "::1.2.3.4.",
        "::.1.2.3.4",
        "::1..2.3",
        "::1a.2.3.4",
        "::1.2.3.4x",
        "::0x1.2.3.4",
        "1.2.3.4",
        "::ffff:1.2.3.4",
        "1:2:3:4:5:6:1.2.3.4",
        "1:2:3:4:5:6:7:1.2.3.4",
        "1:2:3:4:5::1.2.3.4",
        "1.2.3.4::",
        "::1.2.3.4::",
        " ::1",
        "::1 ",
        ":: 1",
        "[::1]",
        "::1%eth0",
        "::1/64",
        "+1::",
        "-1::",
    };
    std::mt19937 rng(0x1E6A11);
    for (std::string& s : zeroRunTexts(rng)) texts.push_back(std::move(s));
    TextGenerator generator(0x5EED6);
    for (int i = 0; i < 100000; ++i) texts.push_back(generator.next());
    return texts;
  }();
  return corpus;
}

// The RFC 5952 text where glibc's inet_ntop writes another. glibc keeps the deprecated IPv4-compatible form
// for an address whose first 96 bits are zero and whose last 32 are neither 0 nor 1 ("::1.2.3.4",
// "::0.0.0.2"). RFC 5952 section 5 recommends mixed notation only where a well-known prefix says that an
// IPv4 address is embedded, and ::/96 no longer says so (RFC 4291 section 2.5.5.1 deprecates those
// addresses), so the RFC text is plain hexadecimal: "::102:304", "::2". Gives nullopt where glibc's text is
// already the RFC 5952 text. `compatible` counts the cases, so that a test can see it reached them.
std::optional<std::string> rfcTextWhereGlibcDiffers(U128 v, const std::string& glibc, int& compatible) {
  if (glibc.find('.') == std::string::npos || glibc.rfind("::ffff:", 0) == 0) return std::nullopt;
  ++compatible;
  if (v.hi != 0 || (v.lo >> 32) != 0) return "unexpected mixed notation from glibc: " + glibc;
  char buffer[16];
  const unsigned high = unsigned(v.lo >> 16) & 0xFFFF, low = unsigned(v.lo) & 0xFFFF;
  if (high)
    std::snprintf(buffer, sizeof buffer, "::%x:%x", high, low);
  else
    std::snprintf(buffer, sizeof buffer, "::%x", low);
  return std::string(buffer);
}

QString python3() { return QStandardPaths::findExecutable(QStringLiteral("python3")); }

// Asks Python's ipaddress about each "hex-value prefix" line; returns one line of answers per case.
QList<QByteArray> askPython(const QString& program, const QByteArray& script, const QByteArray& input) {
  QProcess python;
  python.start(program, {QStringLiteral("-c"), QString::fromLatin1(script)});
  if (!python.waitForStarted(10000)) return {};
  python.write(input);
  python.closeWriteChannel();
  if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
      python.exitCode() != 0) {
    qWarning("python3 failed: %s", python.readAllStandardError().constData());
    return {};
  }
  QList<QByteArray> lines = python.readAllStandardOutput().split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

}  // namespace

class TestIpv6 : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // ParseIpv6 accepts exactly what inet_pton accepts, with the same value.
  void parserMatchesInetPton() {
    const std::vector<std::string>& texts = parserCorpus();
    int accepted = 0, withTail = 0;
    for (const std::string& text : texts) {
      const std::optional<U128> ours = ParseIpv6(text);
      const std::optional<U128> libc = libcParse(text);
      if (ours != libc) {
        QFAIL(("first mismatch: " + printable(text) + " gives " + shown(ours) + ", inet_pton " + shown(libc))
                  .constData());
      }
      if (libc) {
        ++accepted;
        if (text.find('.') != std::string::npos) ++withTail;
      }
    }
    // Both outcomes must be common, or the comparison proves little.
    const QByteArray counts = QByteArray::number(qsizetype(texts.size())) + " texts, " +
                              QByteArray::number(accepted) + " accepted, " + QByteArray::number(withTail) +
                              " of them with a dotted tail";
    qInfo("%s", counts.constData());
    QVERIFY2(texts.size() >= 100000, counts.constData());
    QVERIFY2(accepted > int(texts.size()) / 5 && accepted < int(texts.size()) * 4 / 5, counts.constData());
    QVERIFY2(withTail > 1000, counts.constData());
  }

  void parserRejectsNul() {
    for (const std::string_view text :
         {std::string_view("::1\0", 4), std::string_view("::1\0:2", 6), std::string_view("\0::1", 4)})
      QVERIFY2(!ParseIpv6(text), printable(text).constData());
  }

  // The writer agrees with inet_ntop on every value the corpus reads and on generated values, except where
  // glibc keeps the IPv4-compatible form; every text reads back as its value.
  void writerMatchesInetNtop() {
    std::vector<U128> values;
    for (const std::string& text : parserCorpus()) {
      if (const std::optional<U128> v = libcParse(text)) values.push_back(*v);
    }
    TextGenerator generator(0xF0F0);
    for (int i = 0; i < 50000; ++i) values.push_back(generator.value());
    for (const U128 edge : {U128(), U128(1), U128(2), U128(0, 0xFFFF00000000u), U128(0, 0xFFFFFFFFFFFFu),
                            U128(0, 0x10000), U128(0, 0x1FFFF00000000u), ~U128()})
      values.push_back(edge);

    int compatible = 0, mapped = 0;
    for (const U128 v : values) {
      const std::string glibc = libcFormat(v);
      const std::string expected = rfcTextWhereGlibcDiffers(v, glibc, compatible).value_or(glibc);
      const std::string ours = FormatIpv6(v);
      if (ours != expected)
        QFAIL(("first mismatch: " + hex(v) + " written " + printable(ours) + ", expected " +
               printable(expected) + " (inet_ntop " + printable(glibc) + ")")
                  .constData());
      if (ours.rfind("::ffff:", 0) == 0 && ours.find('.') != std::string::npos) ++mapped;
      if (ParseIpv6(ours) != v || libcParse(ours) != v)
        QFAIL(("compressed text does not read back: " + hex(v) + " " + printable(ours)).constData());
      const std::string expanded = ExpandIpv6(v);
      if (expanded.size() != 39 || ParseIpv6(expanded) != v || libcParse(expanded) != v)
        QFAIL(("expanded text does not read back: " + hex(v) + " " + printable(expanded)).constData());
    }
    const QByteArray counts = QByteArray::number(qsizetype(values.size())) + " values, " +
                              QByteArray::number(compatible) + " IPv4-compatible, " +
                              QByteArray::number(mapped) + " IPv4-mapped";
    qInfo("%s", counts.constData());
    QVERIFY2(compatible > 100 && mapped > 100, counts.constData());
  }

  void rfc5952Examples_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("written");
    const auto add = [](const char* tag, const char* text, const char* written) {
      QTest::newRow(tag) << QByteArray(text) << QByteArray(written);
    };
    // Section 2: one address, many texts.
    add("2: full form", "2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1");
    add("2: leading zeros", "2001:0db8:0:0:1:0:0:1", "2001:db8::1:0:0:1");
    add("2: compressed", "2001:db8::1:0:0:1", "2001:db8::1:0:0:1");
    add("2: explicit zero after ::", "2001:db8::0:1:0:0:1", "2001:db8::1:0:0:1");
    add("2: leading zeros and ::", "2001:0db8::1:0:0:1", "2001:db8::1:0:0:1");
    add("2: the later run compressed", "2001:db8:0:0:1::1", "2001:db8::1:0:0:1");
    add("2: four-digit zero", "2001:db8:0000:0:1::1", "2001:db8::1:0:0:1");
    add("2: upper case", "2001:DB8:0:0:1::1", "2001:db8::1:0:0:1");
    // Section 4.
    add("4.1: leading zeros dropped", "2001:0db8::0001", "2001:db8::1");
    add("4.1: a zero group is one 0", "2001:db8:0000:1:1:1:1:1", "2001:db8:0:1:1:1:1:1");
    add("4.2.1: the whole run", "2001:db8:0:0:0:0:2:1", "2001:db8::2:1");
    add("4.2.2: one zero group is never compressed", "2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1");
    add("4.2.2: :: for one group is expanded", "2001:db8::1:1:1:1:1", "2001:db8:0:1:1:1:1:1");
    add("4.2.3: the longest run", "2001:0:0:1:0:0:0:1", "2001:0:0:1::1");
    add("4.2.3: the first of equal runs", "2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1");
    add("4.3: lower case", "2001:DB8::ABCD:EF", "2001:db8::abcd:ef");
    // Section 5 and the ends.
    add("5: IPv4-mapped in mixed notation", "0:0:0:0:0:ffff:c000:0201", "::ffff:192.0.2.1");
    add("IPv4-mapped zero", "::ffff:0:0", "::ffff:0.0.0.0");
    add("IPv4-translated stays hexadecimal", "::ffff:0:192.0.2.1", "::ffff:0:c000:201");
    add("IPv4-compatible stays hexadecimal", "::192.0.2.1", "::c000:201");
    add("all zeros", "0:0:0:0:0:0:0:0", "::");
    add("loopback", "0:0:0:0:0:0:0:1", "::1");
    add("run at the end", "1:0:0:0:0:0:0:0", "1::");
    add("run of seven at the start", "0:0:0:0:0:0:0:8", "::8");
    add("lone zero at each end", "0:1:2:3:4:5:6:0", "0:1:2:3:4:5:6:0");
    add("no zero group", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff");
  }

  void rfc5952Examples() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, written);
    const std::optional<U128> v = ParseIpv6(text.toStdString());
    QVERIFY(v.has_value());
    QCOMPARE(QByteArray::fromStdString(FormatIpv6(*v)), written);
  }

  void expandedForm_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expanded");
    QTest::newRow("documentation address")
        << QByteArray("2001:DB8::1") << QByteArray("2001:0db8:0000:0000:0000:0000:0000:0001");
    QTest::newRow("all zeros") << QByteArray("::") << QByteArray("0000:0000:0000:0000:0000:0000:0000:0000");
    QTest::newRow("mapped, dotted in")
        << QByteArray("::ffff:192.0.2.1") << QByteArray("0000:0000:0000:0000:0000:ffff:c000:0201");
  }

  void expandedForm() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expanded);
    QCOMPARE(QByteArray::fromStdString(ExpandIpv6(parsed(text.constData()))), expanded);
  }

  void network_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QByteArray>("network");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("count");
    const auto add = [](const char* tag, const char* address, int prefix, const char* network,
                        const char* last, const char* count) {
      QTest::newRow(tag) << QByteArray(address) << prefix << QByteArray(network) << QByteArray(last)
                         << QByteArray(count);
    };
    const char* a = "2001:db8:85a3:8d3:1319:8a2e:370:7348";
    add("/0", a, 0, "::", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "340282366920938463463374607431768211456");
    add("/1, lower half", a, 1, "::", "7fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "170141183460469231731687303715884105728");
    add("/1, upper half", "fe80::1", 1, "8000::", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "170141183460469231731687303715884105728");
    add("/63", a, 63, "2001:db8:85a3:8d2::", "2001:db8:85a3:8d3:ffff:ffff:ffff:ffff", "36893488147419103232");
    add("/64", a, 64, "2001:db8:85a3:8d3::", "2001:db8:85a3:8d3:ffff:ffff:ffff:ffff", "18446744073709551616");
    add("/65", a, 65, "2001:db8:85a3:8d3::", "2001:db8:85a3:8d3:7fff:ffff:ffff:ffff", "9223372036854775808");
    add("/65, upper half", "2001:db8::8000:0:0:1", 65, "2001:db8::8000:0:0:0",
        "2001:db8::ffff:ffff:ffff:ffff", "9223372036854775808");
    add("/127, even address", a, 127, "2001:db8:85a3:8d3:1319:8a2e:370:7348",
        "2001:db8:85a3:8d3:1319:8a2e:370:7349", "2");
    add("/127, odd address", "2001:db8::1", 127, "2001:db8::", "2001:db8::1", "2");
    add("/128", a, 128, a, a, "1");
    add("/128, all ones", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 128,
        "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "1");
  }

  void network() {
    QFETCH(QByteArray, address);
    QFETCH(int, prefix);
    QFETCH(QByteArray, network);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, count);
    const Ipv6Network block = CalculateIpv6Network(parsed(address.constData()), prefix);
    QCOMPARE(hex(block.network), hex(parsed(network.constData())));
    QCOMPARE(hex(block.first), hex(parsed(network.constData())));
    QCOMPARE(hex(block.last), hex(parsed(last.constData())));
    QCOMPARE(block.countExponent, 128 - prefix);
    QCOMPARE(block.count.has_value(), prefix != 0);
    if (block.count) QCOMPARE(QByteArray::fromStdString(ToDecimal(*block.count)), count);
    QCOMPARE(QByteArray::fromStdString(PowerOfTwoText(block.countExponent)), count);
    QCOMPARE(QByteArray::fromStdString(AddressCountText(block)),
             count + " (2^" + QByteArray::number(128 - prefix) + ")");
  }

  void prefixOutOfRangeThrows() {
    for (const int prefix : {-1, 129, 1000}) {
      QVERIFY_THROWS_EXCEPTION(Exception, CalculateIpv6Network(U128(1), prefix));
      QVERIFY_THROWS_EXCEPTION(Exception, Ipv6ReverseZones(U128(1), prefix));
    }
    QVERIFY_THROWS_EXCEPTION(Exception, PowerOfTwoText(129));
    QVERIFY_THROWS_EXCEPTION(Exception, PowerOfTwoText(-1));
  }

  // Network, last address, count, reverse name, reverse zones and the expanded text against Python's
  // ipaddress on random addresses with every prefix length.
  void blocksMatchPython() {
    const QString program = python3();
    if (program.isEmpty()) QSKIP("python3 is not installed");
    static const QByteArray script = R"(
import ipaddress, sys
for line in sys.stdin:
    value, prefix = line.split()
    value, prefix = int(value, 16), int(prefix)
    address = ipaddress.IPv6Address(value)
    block = ipaddress.IPv6Network((value, prefix), strict=False)
    step = (prefix + 3) // 4 * 4
    zones = [".".join(list(reversed(z.network_address.exploded.replace(":", "")[: step // 4])) + ["ip6", "arpa"])
             for z in block.subnets(new_prefix=step)]
    print("%032x %032x %d %s %s %s" % (int(block.network_address), int(block.broadcast_address),
          block.num_addresses, address.reverse_pointer, address.exploded, ",".join(zones)))
)";
    TextGenerator generator(0xB10C);
    std::vector<std::pair<U128, int>> cases;
    QByteArray input;
    for (int i = 0; i < 3000; ++i) {
      const int prefix = i <= 128 ? i : generator.below(129);
      cases.emplace_back(generator.value(), prefix);
      input += hex(cases.back().first) + " " + QByteArray::number(prefix) + "\n";
    }
    const QList<QByteArray> answers = askPython(program, script, input);
    QCOMPARE(answers.size(), qsizetype(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const auto [address, prefix] = cases[i];
      const QList<QByteArray> fields = answers[qsizetype(i)].split(' ');
      QCOMPARE(fields.size(), 6);
      const Ipv6Network block = CalculateIpv6Network(address, prefix);
      const ReverseZones zones = Ipv6ReverseZones(address, prefix);
      const QByteArray ours = hex(block.network) + " " + hex(block.last) + " " +
                              QByteArray::fromStdString(PowerOfTwoText(block.countExponent)) + " " +
                              QByteArray::fromStdString(Ipv6ReverseName(address)) + " " +
                              QByteArray::fromStdString(ExpandIpv6(address));
      QByteArray ourZones;
      for (const std::string& name : zones.names) ourZones += (ourZones.isEmpty() ? "" : ",") + name;
      const QByteArray context = hex(address) + "/" + QByteArray::number(prefix);
      QCOMPARE(ours, fields.mid(0, 5).join(' '));
      QVERIFY2(zones.listed, context.constData());
      QCOMPARE(qsizetype(zones.count), fields[5].count(',') + 1);
      QCOMPARE(ourZones, fields[5]);
      if (block.count) QCOMPARE(QByteArray::fromStdString(ToDecimal(*block.count)), fields[2]);
    }
  }

  void pastedInput_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("prefix");  // -1: none
    QTest::addColumn<QByteArray>("zone");
    const auto good = [](const char* tag, const QByteArray& text, const char* address, int prefix,
                         const char* zone) {
      QTest::newRow(tag) << text << true << QByteArray(address) << prefix << QByteArray(zone);
    };
    const auto bad = [](const char* tag, const QByteArray& text) {
      QTest::newRow(tag) << text << false << QByteArray() << -1 << QByteArray();
    };
    good("bare address", "2001:db8::1", "2001:db8::1", -1, "");
    good("blanks around", " \t2001:db8::1 \r\n", "2001:db8::1", -1, "");
    good("brackets", "[2001:db8::1]", "2001:db8::1", -1, "");
    good("brackets and prefix", "[::1]/64", "::1", 64, "");
    good("prefix", "2001:db8::/32", "2001:db8::", 32, "");
    good("zone", "fe80::1%eth0", "fe80::1", -1, "eth0");
    good("zone and prefix", "fe80::1%eth0/64", "fe80::1", 64, "eth0");
    good("bracketed zone and prefix", "[fe80::1%eth0]/64", "fe80::1", 64, "eth0");
    good("bracketed zone", "[fe80::1%eth0]", "fe80::1", -1, "eth0");
    good("numeric zone", "fe80::1%2", "fe80::1", -1, "2");
    good("zone with dots and dashes", "fe80::1%br-lan.10", "fe80::1", -1, "br-lan.10");
    good("URI escape is kept in the zone", "[fe80::1%25eth0]", "fe80::1", -1, "25eth0");
    good("zone on a global address", "2001:db8::1%eth0", "2001:db8::1", -1, "eth0");
    good("prefix 0", "::/0", "::", 0, "");
    good("prefix 128", "::1/128", "::1", 128, "");
    good("leading zeros in the prefix", "2001:db8::/064", "2001:db8::", 64, "");
    good("dotted tail and prefix", "::ffff:192.0.2.1/96", "::ffff:192.0.2.1", 96, "");
    good("blanks around brackets and prefix", "  [::1]/128\t", "::1", 128, "");
    good("upper case", "[FE80::ABCD%ETH0]", "fe80::abcd", -1, "ETH0");
    bad("empty", "");
    bad("blanks only", " \t ");
    bad("prefix inside the brackets", "[2001:db8::/32]");
    bad("zone after the brackets", "[fe80::1]%eth0");
    bad("port after the brackets", "[::1]:80");
    bad("open bracket only", "[::1");
    bad("close bracket only", "::1]");
    bad("doubled brackets", "[[::1]]");
    bad("empty brackets", "[]");
    bad("blank inside the brackets", "[ ::1 ]");
    bad("empty zone", "fe80::1%");
    bad("empty zone before a prefix", "fe80::1%/64");
    bad("zone alone", "%eth0");
    bad("blank in the zone", "fe80::1%eth 0");
    bad("blank before the zone", "fe80::1 %eth0");
    bad("second percent", "fe80::1%a%b");
    bad("bracket in the zone", "fe80::1%eth0]");
    bad("non-ASCII zone", "fe80::1%\xC3\xA9th0");
    bad("control character in the zone", "fe80::1%eth\x01");
    bad("NUL in the zone", QByteArray("fe80::1%eth\0", 12));
    bad("empty prefix", "::1/");
    bad("prefix 129", "::1/129");
    bad("huge prefix", "::1/99999999999999999999");
    bad("plus sign", "::1/+64");
    bad("minus sign", "::1/-1");
    bad("hexadecimal prefix", "::1/0x40");
    bad("blank before the slash", "::1 /64");
    bad("blank after the slash", "::1/ 64");
    bad("two prefixes", "::1/64/64");
    bad("dotted mask", "::1/255.255.255.0");
    bad("bad address", "2001:db8::g");
    bad("IPv4 address", "192.0.2.1");
    bad("blanks inside the address", "2001:db8:: 1");
  }

  void pastedInput() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, address);
    QFETCH(int, prefix);
    QFETCH(QByteArray, zone);
    const std::optional<PastedIpv6> read =
        ReadPastedIpv6(std::string_view(text.constData(), std::size_t(text.size())));
    QCOMPARE(read.has_value(), ok);
    if (!read) return;
    QCOMPARE(hex(read->address), hex(parsed(address.constData())));
    QCOMPARE(read->prefix.value_or(-1), prefix);
    QCOMPARE(QByteArray::fromStdString(read->zone), zone);
  }

  // Random addresses in random dress: the reader accepts exactly the combinations whose every part is
  // valid, and hands back each part.
  void pastedInputCombinations() {
    TextGenerator generator(0xD2E55);
    struct Part {
      std::string text;
      bool ok;
    };
    const Part zones[] = {{"", true},      {"%eth0", true}, {"%7", true},    {"%", false},
                          {"%a b", false}, {"%a/b", false}, {"%a%b", false}, {"%]", false}};
    const Part prefixes[] = {{"", true},      {"/0", true}, {"/64", true},  {"/128", true},  {"/0128", true},
                             {"/129", false}, {"/", false}, {"/-1", false}, {"/6 4", false}, {"/x", false}};
    const Part blanks[] = {{"", true}, {" ", true}, {"\t\n", true}};
    int accepted = 0;
    for (int i = 0; i < 5000; ++i) {
      std::string core;
      std::optional<U128> value;
      if (generator.below(4) == 0) {
        // A random text, without the characters that would change how the dress around it is read.
        do core = generator.next();
        while (core.find_first_of("/%[] \t\n\r\v\f") != std::string::npos);
        value = libcParse(core);
      } else {
        value = generator.value();
        core = generator.below(2) ? libcFormat(*value) : ExpandIpv6(*value);
      }
      const Part& zone = zones[generator.below(int(std::size(zones)))];
      const Part& prefix = prefixes[generator.below(int(std::size(prefixes)))];
      const Part& before = blanks[generator.below(3)];
      const Part& after = blanks[generator.below(3)];
      const bool bracketed = generator.below(2);
      const std::string host = core + zone.text;
      const std::string text = before.text + (bracketed ? "[" + host + "]" : host) + prefix.text + after.text;
      const bool ok = value && zone.ok && prefix.ok;

      const std::optional<PastedIpv6> read = ReadPastedIpv6(text);
      if (read.has_value() != ok)
        QFAIL(("first mismatch: " + printable(text) + (ok ? " rejected" : " accepted")).constData());
      if (!read) continue;
      ++accepted;
      const int expectedPrefix = prefix.text.empty() ? -1 : std::stoi(prefix.text.substr(1));
      const std::string expectedZone = zone.text.empty() ? "" : zone.text.substr(1);
      if (read->address != *value || read->prefix.value_or(-1) != expectedPrefix ||
          read->zone != expectedZone)
        QFAIL(("wrong parts: " + printable(text)).constData());
    }
    QVERIFY2(accepted > 500 && accepted < 4500, QByteArray::number(accepted).constData());
  }

  void prefixField_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("prefix");  // -1: rejected
    const auto add = [](const char* tag, const QByteArray& text, int prefix) {
      QTest::newRow(tag) << text << prefix;
    };
    add("number", "64", 64);
    add("with slash", "/64", 64);
    add("blanks around", "  /64 ", 64);
    add("tab and newline around", "\t48\n", 48);
    add("zero", "0", 0);
    add("slash zero", "/0", 0);
    add("128", "128", 128);
    add("slash 128", "/128", 128);
    add("leading zeros", "/064", 64);
    add("empty", "", -1);
    add("blanks only", "   ", -1);
    add("slash only", "/", -1);
    add("129", "129", -1);
    add("slash 129", "/129", -1);
    add("minus", "-1", -1);
    add("plus", "+64", -1);
    add("slash plus", "/+64", -1);
    add("two slashes", "//64", -1);
    add("blank after the slash", "/ 64", -1);
    add("blank between digits", "6 4", -1);
    add("trailing slash", "64/", -1);
    add("letter after", "64a", -1);
    add("hexadecimal", "0x40", -1);
    add("exponent", "1e2", -1);
    add("beyond 64 bits", "99999999999999999999999", -1);
    add("dotted mask", "255.255.255.0", -1);
    add("NUL after the digits", QByteArray("64\0", 3), -1);
  }

  void prefixField() {
    QFETCH(QByteArray, text);
    QFETCH(int, prefix);
    QCOMPARE(ReadIpv6Prefix(std::string_view(text.constData(), std::size_t(text.size()))).value_or(-1),
             prefix);
  }

  void reverseName_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("documentation address")
        << QByteArray("2001:db8::567:89ab")
        << QByteArray("b.a.9.8.7.6.5.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
    QTest::newRow("RFC 3596 example")
        << QByteArray("4321:0:1:2:3:4:567:89ab")
        << QByteArray("b.a.9.8.7.6.5.0.4.0.0.0.3.0.0.0.2.0.0.0.1.0.0.0.0.0.0.0.1.2.3.4.ip6.arpa");
    QTest::newRow("all zeros")
        << QByteArray("::")
        << QByteArray("0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.ip6.arpa");
  }

  void reverseName() {
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, name);
    QCOMPARE(QByteArray::fromStdString(Ipv6ReverseName(parsed(address.constData()))), name);
  }

  void reverseZones_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QStringList>("names");
    const auto add = [](const char* tag, const char* address, int prefix, int limit, int count, bool listed,
                        const QStringList& names) {
      QTest::newRow(tag) << QByteArray(address) << prefix << limit << count << listed << names;
    };
    const QString tail = QStringLiteral("8.b.d.0.1.0.0.2.ip6.arpa");
    add("/0 is the whole tree", "2001:db8::1", 0, 16, 1, true, {"ip6.arpa"});
    add("/1 spreads over 8 top zones", "8000::", 1, 16, 8, true,
        {"8.ip6.arpa", "9.ip6.arpa", "a.ip6.arpa", "b.ip6.arpa", "c.ip6.arpa", "d.ip6.arpa", "e.ip6.arpa",
         "f.ip6.arpa"});
    add("/3", "2001:db8::", 3, 16, 2, true, {"2.ip6.arpa", "3.ip6.arpa"});
    add("/4", "2001:db8::", 4, 16, 1, true, {"2.ip6.arpa"});
    add("/32", "2001:db8::1", 32, 16, 1, true, {tail});
    add("/31", "2001:db8::", 31, 16, 2, true, {tail, "9.b.d.0.1.0.0.2.ip6.arpa"});
    add("/30", "2001:db8::", 30, 16, 4, true,
        {tail, "9.b.d.0.1.0.0.2.ip6.arpa", "a.b.d.0.1.0.0.2.ip6.arpa", "b.b.d.0.1.0.0.2.ip6.arpa"});
    add("/29 from an address inside the block", "2001:dbf:ffff::1", 29, 16, 8, true,
        {tail, "9.b.d.0.1.0.0.2.ip6.arpa", "a.b.d.0.1.0.0.2.ip6.arpa", "b.b.d.0.1.0.0.2.ip6.arpa",
         "c.b.d.0.1.0.0.2.ip6.arpa", "d.b.d.0.1.0.0.2.ip6.arpa", "e.b.d.0.1.0.0.2.ip6.arpa",
         "f.b.d.0.1.0.0.2.ip6.arpa"});
    add("/48", "2001:db8:1234:5678::", 48, 16, 1, true, {"4.3.2.1." + tail});
    add("/63 spreads over two /64 zones", "2001:db8::", 63, 16, 2, true,
        {"0.0.0.0.0.0.0.0." + tail, "1.0.0.0.0.0.0.0." + tail});
    add("/127", "2001:db8::1", 127, 16, 2, true,
        {"0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0." + tail,
         "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0." + tail});
    add("/128 is the name of the address", "2001:db8::1", 128, 16, 1, true,
        {"1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0." + tail});
    add("more zones than the limit: count, first and last", "2001:db8::", 29, 4, 8, false,
        {tail, "f.b.d.0.1.0.0.2.ip6.arpa"});
    add("as many zones as the limit are listed", "2001:db8::", 29, 8, 8, true,
        {tail, "9.b.d.0.1.0.0.2.ip6.arpa", "a.b.d.0.1.0.0.2.ip6.arpa", "b.b.d.0.1.0.0.2.ip6.arpa",
         "c.b.d.0.1.0.0.2.ip6.arpa", "d.b.d.0.1.0.0.2.ip6.arpa", "e.b.d.0.1.0.0.2.ip6.arpa",
         "f.b.d.0.1.0.0.2.ip6.arpa"});
    add("limit 1 with two zones", "2001:db8::", 31, 1, 2, false, {tail, "9.b.d.0.1.0.0.2.ip6.arpa"});
  }

  void reverseZones() {
    QFETCH(QByteArray, address);
    QFETCH(int, prefix);
    QFETCH(int, limit);
    QFETCH(int, count);
    QFETCH(bool, listed);
    QFETCH(QStringList, names);
    const ReverseZones zones = Ipv6ReverseZones(parsed(address.constData()), prefix, std::uint64_t(limit));
    QCOMPARE(zones.count, std::uint64_t(count));
    QCOMPARE(zones.listed, listed);
    QStringList ours;
    for (const std::string& name : zones.names) ours << QString::fromStdString(name);
    QCOMPARE(ours, names);
  }

  void embeddedIpv4_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("ipv4");
    QTest::addColumn<QByteArray>("server");
    using enum EmbeddedIpv4Kind;
    const auto add = [](const char* tag, const char* address, EmbeddedIpv4Kind kind, const char* ipv4,
                        const char* server) {
      QTest::newRow(tag) << QByteArray(address) << int(kind) << QByteArray(ipv4) << QByteArray(server);
    };
    add("mapped", "::ffff:192.0.2.1", Mapped, "192.0.2.1", "0.0.0.0");
    add("mapped zero", "::ffff:0:0", Mapped, "0.0.0.0", "0.0.0.0");
    add("mapped all ones", "::ffff:255.255.255.255", Mapped, "255.255.255.255", "0.0.0.0");
    add("translated is not mapped", "::ffff:0:192.0.2.1", None, "0.0.0.0", "0.0.0.0");
    add("compatible is not mapped", "::192.0.2.1", None, "0.0.0.0", "0.0.0.0");
    add("one bit above the mapped prefix", "::1:ffff:c000:201", None, "0.0.0.0", "0.0.0.0");
    add("NAT64 well-known prefix", "64:ff9b::192.0.2.33", Nat64, "192.0.2.33", "0.0.0.0");
    add("NAT64 local-use prefix is not well-known", "64:ff9b:1::c000:221", None, "0.0.0.0", "0.0.0.0");
    add("NAT64 with bits 64 to 95 set", "64:ff9b::1:c000:221", None, "0.0.0.0", "0.0.0.0");
    add("6to4", "2002:c000:221::1", SixToFour, "192.0.2.33", "0.0.0.0");
    add("6to4 with subnet and host", "2002:cb00:7101:5::dead", SixToFour, "203.0.113.1", "0.0.0.0");
    add("6to4 of all ones", "2002:ffff:ffff::", SixToFour, "255.255.255.255", "0.0.0.0");
    add("Teredo, server 65.54.227.120", "2001:0:4136:e378:8000:63bf:3fff:fdd2", Teredo, "192.0.2.45",
        "65.54.227.120");
    add("Teredo with nothing set", "2001::", Teredo, "255.255.255.255", "0.0.0.0");
    add("Teredo client all zero", "2001:0:c000:201::ffff:ffff", Teredo, "0.0.0.0", "192.0.2.1");
    add("2001:1::/32 is not Teredo", "2001:1::1", None, "0.0.0.0", "0.0.0.0");
    add("documentation prefix is not Teredo", "2001:db8::1", None, "0.0.0.0", "0.0.0.0");
    add("2003::/16 is not 6to4", "2003::1", None, "0.0.0.0", "0.0.0.0");
    add("loopback", "::1", None, "0.0.0.0", "0.0.0.0");
  }

  void embeddedIpv4() {
    QFETCH(QByteArray, address);
    QFETCH(int, kind);
    QFETCH(QByteArray, ipv4);
    QFETCH(QByteArray, server);
    const EmbeddedIpv4 found = FindEmbeddedIpv4(parsed(address.constData()));
    QCOMPARE(int(found.kind), kind);
    QCOMPARE(QByteArray::fromStdString(InetNtoa(found.address)), ipv4);
    QCOMPARE(QByteArray::fromStdString(InetNtoa(found.server)), server);
  }

  void multicastScope_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("scope");
    using enum MulticastScope;
    const auto add = [](const char* address, MulticastScope scope) {
      QTest::addRow("%s", address) << QByteArray(address) << int(scope);
    };
    add("ff00::1", Reserved);
    add("ff01::1", InterfaceLocal);
    add("ff02::1", LinkLocal);
    add("ff03::1", RealmLocal);
    add("ff04::1", AdminLocal);
    add("ff05::1:3", SiteLocal);
    add("ff06::1", Unassigned);
    add("ff07::1", Unassigned);
    add("ff08::1", OrganizationLocal);
    add("ff09::1", Unassigned);
    add("ff0a::1", Unassigned);
    add("ff0b::1", Unassigned);
    add("ff0c::1", Unassigned);
    add("ff0d::1", Unassigned);
    add("ff0e::101", Global);
    add("ff0f::1", Reserved);
    add("ff12::1", LinkLocal);               // transient flag: the flags do not change the scope
    add("ff3e::8000:1", Global);             // unicast-prefix based
    add("ff72:340:2001:db8::1", LinkLocal);  // embedded rendezvous point
    add("fe80::1", NotMulticast);
    add("feff::1", NotMulticast);
    add("::", NotMulticast);
    add("fff2::1", LinkLocal);  // every flag set
    add("f0ff::1", NotMulticast);
  }

  void multicastScope() {
    QFETCH(QByteArray, address);
    QFETCH(int, scope);
    QCOMPARE(int(Ipv6MulticastScope(parsed(address.constData()))), scope);
  }
};

QTEST_APPLESS_MAIN(TestIpv6)
#include "tst_ipv6.moc"
