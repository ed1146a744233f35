// Tests of the address facts: historical class, reverse DNS names and zones, and the marked binary form.
#include <QStringList>
#include <QTest>

#include <limits>
#include <random>
#include <vector>

#include "core/exception.h"
#include "core/ipv4.h"
#include "core/ipv4facts.h"
#include "tests/pythonreference.h"

using namespace quorvane;

namespace {

Ipv4 ipv4Of(const QString& text) {
  // inet_addr cannot give 255.255.255.255, which the tables need as an address.
  if (text == QStringLiteral("255.255.255.255")) return 0xFFFFFFFFu;
  return InetAddr(text.toStdString());
}

QString text(const std::string& s) { return QString::fromStdString(s); }

QStringList texts(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << text(s);
  return out;
}

}  // namespace

class TestIpv4Facts : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void historicalClass_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lowest address") << "0.0.0.0"
                                    << "A";
    QTest::newRow("last of A") << "127.255.255.255"
                               << "A";
    QTest::newRow("first of B") << "128.0.0.0"
                                << "B";
    QTest::newRow("last of B") << "191.255.255.255"
                               << "B";
    QTest::newRow("first of C") << "192.0.0.0"
                                << "C";
    QTest::newRow("example address") << "192.168.28.6"
                                     << "C";
    QTest::newRow("last of C") << "223.255.255.255"
                               << "C";
    QTest::newRow("first of D") << "224.0.0.0"
                                << "D";
    QTest::newRow("last of D") << "239.255.255.255"
                               << "D";
    QTest::newRow("first of E") << "240.0.0.0"
                                << "E";
    QTest::newRow("limited broadcast") << "255.255.255.255"
                                       << "E";
  }

  void historicalClass() {
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(QString(QChar(char(HistoricalClass(ipv4Of(address))))), expected);
  }

  void reverseDnsName_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::newRow("example address") << "192.168.28.6"
                                     << "6.28.168.192.in-addr.arpa";
    QTest::newRow("zeros") << "0.0.0.0"
                           << "0.0.0.0.in-addr.arpa";
    QTest::newRow("all ones") << "255.255.255.255"
                              << "255.255.255.255.in-addr.arpa";
    QTest::newRow("octets reversed, not sorted") << "10.2.3.40"
                                                 << "40.3.2.10.in-addr.arpa";
  }

  void reverseDnsName() {
    QFETCH(QString, address);
    QFETCH(QString, name);
    QCOMPARE(text(ReverseDnsName(ipv4Of(address))), name);
  }

  void reverseDnsZones_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("zones");  // empty when there are too many to list
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("classless");
    const auto one = [](const char* tag, const char* address, int prefix, const char* zone,
                        const char* classless) {
      QTest::newRow(tag) << address << prefix << 1 << QStringList{zone} << zone << zone << classless;
    };
    one("/24 is its own zone", "192.168.28.0", 24, "28.168.192.in-addr.arpa", "");
    one("/16", "192.168.0.0", 16, "168.192.in-addr.arpa", "");
    one("/8", "10.0.0.0", 8, "10.in-addr.arpa", "");
    one("/0 is the whole tree", "0.0.0.0", 0, "in-addr.arpa", "");
    one("host bits ignored", "192.168.28.6", 24, "28.168.192.in-addr.arpa", "");
    one("/27 delegated inside its /24", "192.168.28.0", 27, "28.168.192.in-addr.arpa",
        "0-31.28.168.192.in-addr.arpa");
    one("/27 from a host address", "192.168.28.6", 27, "28.168.192.in-addr.arpa",
        "0-31.28.168.192.in-addr.arpa");
    one("upper /25", "192.168.28.200", 25, "28.168.192.in-addr.arpa", "128-255.28.168.192.in-addr.arpa");
    one("/31", "192.168.28.7", 31, "28.168.192.in-addr.arpa", "6-7.28.168.192.in-addr.arpa");
    one("/32 by its own name", "192.168.28.6", 32, "28.168.192.in-addr.arpa", "6.28.168.192.in-addr.arpa");
    one("last /30 of the space", "255.255.255.255", 30, "255.255.255.in-addr.arpa",
        "252-255.255.255.255.in-addr.arpa");
    QTest::newRow("/23 covers two /24 zones")
        << "10.1.2.0" << 23 << 2 << QStringList{"2.1.10.in-addr.arpa", "3.1.10.in-addr.arpa"}
        << "2.1.10.in-addr.arpa"
        << "3.1.10.in-addr.arpa"
        << "";
    QTest::newRow("/23 from its upper half")
        << "10.1.3.9" << 23 << 2 << QStringList{"2.1.10.in-addr.arpa", "3.1.10.in-addr.arpa"}
        << "2.1.10.in-addr.arpa"
        << "3.1.10.in-addr.arpa"
        << "";
    QStringList sixteen;
    for (int i = 16; i < 32; ++i) sixteen << QStringLiteral("%1.172.in-addr.arpa").arg(i);
    QTest::newRow("/12 lists its 16 zones")
        << "172.16.0.0" << 12 << 16 << sixteen << sixteen.first() << sixteen.last() << "";
    QTest::newRow("/19 gives 32 zones by their ends")
        << "10.0.0.0" << 19 << 32 << QStringList{} << "0.0.10.in-addr.arpa"
        << "31.0.10.in-addr.arpa"
        << "";
    QTest::newRow("/17 gives 128 zones")
        << "10.20.128.0" << 17 << 128 << QStringList{} << "128.20.10.in-addr.arpa"
        << "255.20.10.in-addr.arpa"
        << "";
    QTest::newRow("/9 gives 128 /16 zones")
        << "10.128.0.0" << 9 << 128 << QStringList{} << "128.10.in-addr.arpa"
        << "255.10.in-addr.arpa"
        << "";
    QTest::newRow("/1 gives 128 /8 zones") << "200.1.2.3" << 1 << 128 << QStringList{} << "128.in-addr.arpa"
                                           << "255.in-addr.arpa"
                                           << "";
    QTest::newRow("/7 two /8 zones") << "10.0.0.0" << 7 << 2
                                     << QStringList{"10.in-addr.arpa", "11.in-addr.arpa"} << "10.in-addr.arpa"
                                     << "11.in-addr.arpa"
                                     << "";
  }

  void reverseDnsZones() {
    QFETCH(QString, address);
    QFETCH(int, prefix);
    QFETCH(int, count);
    QFETCH(QStringList, zones);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, classless);
    const ReverseZones found = ReverseDnsZones(ipv4Of(address), prefix);
    QCOMPARE(int(found.count), count);
    QCOMPARE(texts(found.zones), zones);
    QCOMPARE(text(found.first), first);
    QCOMPARE(text(found.last), last);
    QCOMPARE(text(found.classless), classless);
  }

  void binaryWithBoundary_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QString>("binary");
    QTest::newRow("example /27") << "192.168.28.6" << 27 << "11000000.10101000.00011100.000|00110";
    QTest::newRow("/24 takes the dot's place")
        << "192.168.28.6" << 24 << "11000000.10101000.00011100|00000110";
    QTest::newRow("/8") << "10.1.2.3" << 8 << "00001010|00000001.00000010.00000011";
    QTest::newRow("/1") << "128.0.0.1" << 1 << "1|0000000.00000000.00000000.00000001";
    QTest::newRow("/31") << "192.168.28.7" << 31 << "11000000.10101000.00011100.0000011|1";
    QTest::newRow("/0 starts with the boundary")
        << "192.168.28.6" << 0 << "|11000000.10101000.00011100.00000110";
    QTest::newRow("/32 ends with the boundary")
        << "192.168.28.6" << 32 << "11000000.10101000.00011100.00000110|";
    QTest::newRow("/9 just after a dot") << "255.255.255.255" << 9 << "11111111.1|1111111.11111111.11111111";
  }

  void binaryWithBoundary() {
    QFETCH(QString, address);
    QFETCH(int, prefix);
    QFETCH(QString, binary);
    QCOMPARE(text(BinaryWithBoundary(ipv4Of(address), prefix)), binary);
  }

  void rejectsPrefixOutOfRange_data() {
    QTest::addColumn<int>("prefix");
    QTest::newRow("-1") << -1;
    QTest::newRow("33") << 33;
    QTest::newRow("INT_MIN") << std::numeric_limits<int>::min();
  }

  void rejectsPrefixOutOfRange() {
    QFETCH(int, prefix);
    QVERIFY_THROWS_EXCEPTION(Exception, ReverseDnsZones(0x0A000000u, prefix));
    QVERIFY_THROWS_EXCEPTION(Exception, BinaryWithBoundary(0x0A000000u, prefix));
  }

  // Every fact of random and edge addresses and prefixes against Python's ipaddress.
  void agreesWithPythonIpaddress() {
    std::mt19937 rng(0xFAC75);
    const Ipv4 edges[] = {0,           1,           0x7FFFFFFFu, 0x80000000u, 0xBFFFFFFFu, 0xC0000000u,
                          0xDFFFFFFFu, 0xE0000000u, 0xEFFFFFFFu, 0xF0000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    std::vector<std::pair<Ipv4, int>> cases;
    for (const Ipv4 a : edges)
      for (int p = 0; p <= 32; ++p) cases.emplace_back(a, p);
    while (cases.size() < 6000) cases.emplace_back(Ipv4(rng()), int(rng() % 33));
    QByteArray input;
    for (const auto& [a, p] : cases) input += QByteArray::number(a) + ' ' + QByteArray::number(p) + '\n';
    // The zones come from ipaddress's subnets and reverse pointers; the marked binary from the dotted bits.
    const char* script = R"(
import ipaddress, sys
for line in sys.stdin:
    value, p = map(int, line.split())
    a = ipaddress.IPv4Address(value)
    net = ipaddress.IPv4Network((value, p), strict=False)
    z = 24 if p >= 24 else -(-p // 8) * 8
    subnets = list(net.subnets(new_prefix=z)) if p <= z else [net.supernet(new_prefix=z)]
    names = [s.network_address.reverse_pointer.split(".", 4 - z // 8)[-1] for s in subnets]
    if p == 32:
        classless = a.reverse_pointer
    elif p > 24:
        classless = "%d-%d.%s" % (int(net.network_address) & 255, int(net.broadcast_address) & 255, names[0])
    else:
        classless = "-"
    dotted = ".".join(format(int(o), "08b") for o in str(a).split("."))
    at = p + p // 8
    bits = dotted[:at - 1] + "|" + dotted[at:] if p in (8, 16, 24) else dotted[:at] + "|" + dotted[at:]
    lead = format(value, "032b")[:4]
    cls = "ABCDE"[lead.find("0") if "0" in lead else 4]
    listed = ",".join(names) if len(names) <= 16 else "-"
    print(cls, a.reverse_pointer, len(names), names[0], names[-1], listed, classless, bits)
)";
    QString error;
    const QList<QByteArray> answers = test::runPython(script, input, qsizetype(cases.size()), error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const auto [a, p] = cases[i];
      const ReverseZones zones = ReverseDnsZones(a, p);
      QStringList listed = texts(zones.zones);
      const QByteArray ours =
          QByteArray(1, char(HistoricalClass(a))) + ' ' + QByteArray::fromStdString(ReverseDnsName(a)) + ' ' +
          QByteArray::number(zones.count) + ' ' + QByteArray::fromStdString(zones.first) + ' ' +
          QByteArray::fromStdString(zones.last) + ' ' +
          (listed.isEmpty() ? QByteArray("-") : listed.join(',').toLatin1()) + ' ' +
          (zones.classless.empty() ? QByteArray("-") : QByteArray::fromStdString(zones.classless)) + ' ' +
          QByteArray::fromStdString(BinaryWithBoundary(a, p));
      if (ours != answers[qsizetype(i)])
        QFAIL(qPrintable(QStringLiteral("%1/%2:\n  here   %3\n  Python %4")
                             .arg(text(InetNtoa(a)))
                             .arg(p)
                             .arg(QString::fromLatin1(ours), QString::fromLatin1(answers[qsizetype(i)]))));
    }
    qInfo("%zu addresses and prefixes compared with Python's ipaddress", cases.size());
  }
};

QTEST_GUILESS_MAIN(TestIpv4Facts)
#include "tst_ipv4facts.moc"
