// Tests of the address arithmetic: values, mask forms, display types and the subnet calculation.
#include <QStringList>
#include <QTest>

#include <climits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/addressinput.h"
#include "core/display.h"
#include "core/exception.h"
#include "core/ipv4.h"
#include "core/mask.h"
#include "core/subnet.h"
#include "core/text.h"
#include "tests/testfiles.h"

using namespace quorvane;
using quorvane::test::raw;

namespace {

constexpr int kUnchanged = -1;  // ReadMask must leave the recorded form as it was
const QString kRejected = QStringLiteral("rejected");
constexpr MaskForm kForms[] = {MaskForm::Dotted, MaskForm::Inverted, MaskForm::Prefix};

std::string_view view(const QByteArray& text) { return {text.constData(), std::size_t(text.size())}; }

QString dotted(Ipv4 value) { return QString::fromStdString(InetNtoa(value)); }

QString dottedOrRejected(Ipv4 value) { return value == kInvalid ? kRejected : dotted(value); }

QString shown(Ipv4 value, std::uint8_t type) {
  return QString::fromStdString(ConvertTostring(value, type).str());
}

// What a result field shows: the dotted text and its three additional views; prefix and host count have
// only their text.
QStringList fieldTexts(const Subnet& s, const QByteArray& field) {
  static const std::map<QByteArray, Ipv4 Subnet::*> kAddressFields = {
      {"address", &Subnet::address},    {"mask", &Subnet::mask},        {"inverted", &Subnet::inverse},
      {"network", &Subnet::network},    {"min host", &Subnet::minHost}, {"max host", &Subnet::maxHost},
      {"broadcast", &Subnet::broadcast}};
  if (field == "prefix") return {"/" + QString::number(s.prefix)};
  if (field == "hosts") return {QString::number(s.hosts)};
  const Ipv4 v = s.*kAddressFields.at(field);
  return {dotted(v), shown(v, kBinary), shown(v, kDecimal), shown(v, kHexadecimal)};
}

QByteArray printable(const std::string& text) {
  return QByteArray::fromStdString(text.substr(0, 60)).toPercentEncoding() + " (" +
         QByteArray::number(qsizetype(text.size())) + " bytes)";
}

}  // namespace

class TestCore : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void inetAddr_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("echo");

    QTest::newRow("four decimal parts") << QByteArray("192.168.28.6") << "192.168.28.6";
    QTest::newRow("zero address is accepted") << QByteArray("0.0.0.0") << "0.0.0.0";
    QTest::newRow("all ones is the failure value") << QByteArray("255.255.255.255") << kRejected;
    QTest::newRow("empty") << QByteArray() << kRejected;
    QTest::newRow("two parts") << QByteArray("10.1") << "10.0.0.1";
    QTest::newRow("last of two parts fills three bytes") << QByteArray("10.65536") << "10.1.0.0";
    QTest::newRow("last of two parts too large") << QByteArray("10.16777216") << kRejected;
    QTest::newRow("one part fills all bytes") << QByteArray("27") << "0.0.0.27";
    QTest::newRow("octal first part") << QByteArray("010.0.0.1") << "8.0.0.1";
    QTest::newRow("digit 8 in an octal part") << QByteArray("08.0.0.1") << kRejected;
    QTest::newRow("hexadecimal part") << QByteArray("0x0A.1.2.3") << "10.1.2.3";
    QTest::newRow("part above 255") << QByteArray("192.168.28.256") << kRejected;
    QTest::newRow("five parts") << QByteArray("1.2.3.4.5") << kRejected;
    QTest::newRow("letters") << QByteArray("abc") << kRejected;
    QTest::newRow("leading blank") << QByteArray(" 1.2.3.4") << kRejected;
    QTest::newRow("NUL after a valid address") << raw("192.168.28.6\0garbage") << kRejected;
  }

  void inetAddr() {
    QFETCH(QByteArray, text);
    QFETCH(QString, echo);
    const Ipv4 value = InetAddr(view(text));
    QCOMPARE(dottedOrRejected(value), echo);
    if (value != kInvalid) QCOMPARE(InetAddr(InetNtoa(value)), value);
  }

  void prefixToMask_data() {
    QTest::addColumn<int>("p");
    QTest::addColumn<QString>("mask");
    QTest::newRow("-1") << -1 << "255.255.255.255";
    QTest::newRow("0 is all ones, not the zero mask") << 0 << "255.255.255.255";
    QTest::newRow("1") << 1 << "128.0.0.0";
    QTest::newRow("8") << 8 << "255.0.0.0";
    QTest::newRow("24") << 24 << "255.255.255.0";
    QTest::newRow("31") << 31 << "255.255.255.254";
    QTest::newRow("32") << 32 << "255.255.255.255";
    QTest::newRow("33") << 33 << "255.255.255.255";
    QTest::newRow("INT_MIN") << INT_MIN << "255.255.255.255";
    QTest::newRow("INT_MAX") << INT_MAX << "255.255.255.255";
  }

  void prefixToMask() {
    QFETCH(int, p);
    QFETCH(QString, mask);
    QCOMPARE(dotted(PrefixToMask(p)), mask);
  }

  void maskToPrefix_data() {
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<bool>("contiguous");
    QTest::newRow("zero mask") << QByteArray("0.0.0.0") << 0 << false;
    QTest::newRow("all ones stays the marker") << QByteArray("255.255.255.255") << 32 << true;
    QTest::newRow("gapped 255.0.255.0") << QByteArray("255.0.255.0") << 24 << false;
    QTest::newRow("bare 27 read as dotted") << QByteArray("0.0.0.27") << 32 << false;
    QTest::newRow("top bit clear") << QByteArray("127.255.255.255") << 32 << false;
    QTest::newRow("hole below the top bit") << QByteArray("191.0.0.0") << 8 << false;
    QTest::newRow("inverted /7 read as dotted") << QByteArray("1.255.255.255") << 32 << false;
  }

  void maskToPrefix() {
    QFETCH(QByteArray, mask);
    QFETCH(int, prefix);
    QFETCH(bool, contiguous);
    // InetAddr cannot produce all ones as an address, but its failure value has the same bits.
    const Ipv4 value = InetAddr(view(mask));
    QCOMPARE(MaskToPrefix(value), prefix);
    QCOMPARE(IsContiguousMask(value), contiguous);
  }

  void prefixNumber_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    const auto good = [](const char* tag, const QByteArray& text, int value) {
      QTest::newRow(tag) << text << true << value;
    };
    const auto bad = [](const char* tag, const QByteArray& text) {
      QTest::newRow(tag) << text << false << 0;
    };

    good("decimal", "27", 27);
    good("leading zeros", "0027", 27);
    good("leading spaces", "   27", 27);
    good("plus", "+27", 27);
    good("minus", "-27", -27);
    good("zero", "0", 0);
    good("dollar hex", "$1B", 27);
    good("x hex", "x1b", 27);
    good("X hex", "X1B", 27);
    good("0x hex", "0x1B", 27);
    good("0X hex, mixed case", "0X1b", 27);
    good("signed hex", "-$1B", -27);
    good("spaces then sign then hex", "  +0x1b", 27);
    good("8 hex digits", "$0000001B", 27);
    good("leading hex zeros are not significant", "$000000000001B", 27);
    good("8 hex digits fill 32 bits", "$FFFFFFE5", -27);
    good("largest int", "2147483647", INT_MAX);
    good("smallest int", "-2147483648", INT_MIN);
    bad("9 significant hex digits", "$100000000");
    bad("above int range", "2147483648");
    bad("below int range", "-2147483649");
    bad("far beyond 64 bits", "99999999999999999999999");
    bad("trailing blank", "27 ");
    bad("blank between digits", "2 7");
    bad("blank between sign and digits", "- 27");
    bad("tab is not a space", "\t27");
    bad("empty", "");
    bad("spaces only", "   ");
    bad("lone plus", "+");
    bad("lone minus", "-");
    bad("two signs", "+-27");
    bad("lone dollar", "$");
    bad("lone 0x", "0x");
    bad("sign after marker", "$-1B");
    bad("non-hex digit", "0x1G");
    bad("hex letter in decimal", "1B");
    bad("NUL after digits", raw("27\0"));
  }

  void prefixNumber() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    if (ok)
      QCOMPARE(ParsePrefixNumber(view(text)), value);
    else
      QVERIFY_THROWS_EXCEPTION(ConvertError, ParsePrefixNumber(view(text)));
  }

  void readMask_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("throws");
    const int D = int(MaskForm::Dotted), I = int(MaskForm::Inverted), P = int(MaskForm::Prefix);
    const auto row = [](const char* tag, const QByteArray& text, int form, const QString& mask) {
      QTest::newRow(tag) << text << form << mask << false;
    };
    const auto fails = [](const char* tag, const QByteArray& text) {
      QTest::newRow(tag) << text << kUnchanged << QString() << true;
    };

    row("prefix", "/27", P, "255.255.255.224");
    row("prefix, blank after slash", "/ 27", P, "255.255.255.224");
    row("prefix, plus sign", "/+27", P, "255.255.255.224");
    row("prefix in hex", "/0x1B", P, "255.255.255.224");
    row("slash inside the number", "/2/7", P, "255.255.255.224");
    row("prefix 1", "/1", P, "128.0.0.0");
    row("prefix 31", "/31", P, "255.255.255.254");
    row("prefix 0", "/0", P, kRejected);
    row("prefix 32", "/32", P, kRejected);
    row("prefix 32 in hex", "/$20", P, kRejected);
    row("prefix 33", "/33", P, kRejected);
    row("prefix -1", "/-1", P, kRejected);
    row("bare number is dotted", "27", D, kRejected);
    row("dotted", "255.255.255.224", D, "255.255.255.224");
    row("dotted with gaps", "255.0.255.0", D, kRejected);
    row("dotted all ones", "255.255.255.255", D, kRejected);
    row("inverted /7 is read as dotted", "1.255.255.255", D, kRejected);
    row("leading blank makes it dotted", " /27", D, kRejected);
    row("NUL after a dotted mask", raw("255.255.255.0\0x"), D, kRejected);
    row("inverted", "0.0.0.31", I, "255.255.255.224");
    row("inverted /28", "0.0.0.15", I, "255.255.255.240");
    row("inverted /31", "0.0.0.1", I, "255.255.255.254");
    row("inverted with octal first part", "00.0.0.255", I, "255.255.255.0");
    row("inverted zero is all ones", "0.0.0.0", I, kRejected);
    row("inverted with gaps", "0.255.0.255", I, kRejected);
    row("inverted garbage still records the form", "0abc", I, kRejected);
    row("empty", "", kUnchanged, kRejected);
    fails("prefix with trailing blank", "/27 ");
    fails("prefix letters", "/abc");
    fails("slash alone", "/");
    fails("prefix with NUL", raw("/27\0"));
  }

  void readMask() {
    QFETCH(QByteArray, text);
    QFETCH(int, form);
    QFETCH(QString, mask);
    QFETCH(bool, throws);
    for (const MaskForm before : kForms) {
      MaskForm recorded = before;
      if (throws) {
        QVERIFY_THROWS_EXCEPTION(ConvertError, ReadMask(view(text), recorded));
      } else {
        QCOMPARE(dottedOrRejected(ReadMask(view(text), recorded)), mask);
      }
      QCOMPARE(int(recorded), form == kUnchanged ? int(before) : form);
    }
  }

  void everyPrefixInEveryForm_data() {
    QTest::addColumn<int>("p");
    for (int p = 1; p <= 31; ++p) QTest::newRow(qPrintable(QStringLiteral("/%1").arg(p))) << p;
  }

  // The spinner writes a new mask in the form it read, so each form must read back as itself.
  void everyPrefixInEveryForm() {
    QFETCH(int, p);
    const Ipv4 mask = PrefixToMask(p);
    QVERIFY(IsContiguousMask(mask));
    QCOMPARE(MaskToPrefix(mask), p);

    const std::pair<MaskForm, std::string> written[] = {{MaskForm::Prefix, "/" + std::to_string(p)},
                                                        {MaskForm::Dotted, InetNtoa(mask)},
                                                        {MaskForm::Inverted, InetNtoa(~mask)}};
    for (const auto& [form, text] : written) {
      QCOMPARE(WriteMask(mask, form), text);
      MaskForm recorded = form == MaskForm::Dotted ? MaskForm::Prefix : MaskForm::Dotted;
      const Ipv4 back = ReadMask(text, recorded);
      if (form == MaskForm::Inverted && p < 8) {
        // Its first octet is 127 down to 1: without a leading "0" it reads as a gapped dotted mask.
        QCOMPARE(int(recorded), int(MaskForm::Dotted));
        QCOMPARE(back, kInvalid);
      } else {
        QCOMPARE(int(recorded), int(form));
        QCOMPARE(back, mask);
      }
    }
  }

  // The spinner's step (with its /8 and /30 wrap) written back in the form the mask was typed in.
  void spinnerStepsInRecordedForm_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("after");
    QTest::newRow("/27 up") << QByteArray("/27") << true << "/28";
    QTest::newRow("/27 down") << QByteArray("/27") << false << "/26";
    QTest::newRow("dotted /27 up") << QByteArray("255.255.255.224") << true << "255.255.255.240";
    QTest::newRow("dotted /27 down") << QByteArray("255.255.255.224") << false << "255.255.255.192";
    QTest::newRow("inverted /27 up") << QByteArray("0.0.0.31") << true << "0.0.0.15";
    QTest::newRow("inverted /27 down") << QByteArray("0.0.0.31") << false << "0.0.0.63";
    QTest::newRow("/30 up wraps") << QByteArray("/30") << true << "/8";
    QTest::newRow("/30 down") << QByteArray("/30") << false << "/29";
    QTest::newRow("/31 up wraps") << QByteArray("/31") << true << "/8";
    QTest::newRow("/31 down") << QByteArray("/31") << false << "/30";
    QTest::newRow("dotted /8 up") << QByteArray("255.0.0.0") << true << "255.128.0.0";
    QTest::newRow("dotted /8 down wraps") << QByteArray("255.0.0.0") << false << "255.255.255.252";
    QTest::newRow("dotted /30 up wraps") << QByteArray("255.255.255.252") << true << "255.0.0.0";
    QTest::newRow("inverted /8 up") << QByteArray("0.255.255.255") << true << "0.127.255.255";
    QTest::newRow("inverted /8 down wraps") << QByteArray("0.255.255.255") << false << "0.0.0.3";
    QTest::newRow("/4 up") << QByteArray("/4") << true << "/5";
    QTest::newRow("/4 down steps into range") << QByteArray("/4") << false << "/30";
  }

  void spinnerStepsInRecordedForm() {
    QFETCH(QByteArray, before);
    QFETCH(bool, up);
    QFETCH(QString, after);
    MaskForm form = MaskForm::Dotted;
    const Ipv4 mask = ReadMask(view(before), form);
    QVERIFY(mask != kInvalid);
    const int next = StepPrefix(MaskToPrefix(mask), up);
    const std::string written = WriteMask(PrefixToMask(next), form);
    QCOMPARE(QString::fromStdString(written), after);

    MaskForm reread = form == MaskForm::Dotted ? MaskForm::Prefix : MaskForm::Dotted;
    QCOMPARE(ReadMask(written, reread), PrefixToMask(next));
    QCOMPARE(int(reread), int(form));
  }

  // Stepping from inside the table's range stays inside it, and a full round comes back.
  void spinnerStaysInItsRange() {
    for (int p = kMaskTableFirst; p <= kMaskTableLast; ++p) {
      for (const bool up : {true, false}) {
        const int next = StepPrefix(p, up);
        QVERIFY2(next >= kMaskTableFirst && next <= kMaskTableLast, qPrintable(QString::number(p)));
      }
    }
    int p = 17;
    for (int i = 0; i < kMaskTableLast - kMaskTableFirst + 1; ++i) p = StepPrefix(p, true);
    QCOMPARE(p, 17);
  }

  void maskTableRows() {
    const auto rows = MaskTableRows();
    QCOMPARE(rows.front().prefix, 8);
    QCOMPARE(dotted(rows.front().mask), QStringLiteral("255.0.0.0"));
    QCOMPARE(dotted(rows.front().inverse), QStringLiteral("0.255.255.255"));
    QCOMPARE(rows.front().hosts, std::int64_t{16777214});
    QCOMPARE(rows.back().prefix, 30);
    QCOMPARE(dotted(rows.back().mask), QStringLiteral("255.255.255.252"));
    QCOMPARE(dotted(rows.back().inverse), QStringLiteral("0.0.0.3"));
    QCOMPARE(rows.back().hosts, std::int64_t{2});
    for (std::size_t i = 1; i < rows.size(); ++i) {
      // One more network bit each row: the host count shrinks to half of it plus one, less one.
      QCOMPARE(rows[i].prefix, rows[i - 1].prefix + 1);
      QCOMPARE(rows[i].hosts, (rows[i - 1].hosts + 2) / 2 - 2);
      QCOMPARE(rows[i].inverse, ~rows[i].mask);
      QVERIFY(IsContiguousMask(rows[i].mask));
    }
  }

  void utf8Cut_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("kept");
    QTest::newRow("shorter than the limit") << QByteArray("abc") << 5 << 3;
    QTest::newRow("ASCII cut at the limit") << QByteArray("abcdef") << 4 << 4;
    QTest::newRow("two-byte character whole") << QByteArray("a\xC3\xA9") << 3 << 3;
    QTest::newRow("two-byte character cut") << QByteArray("a\xC3\xA9") << 2 << 1;
    QTest::newRow("three-byte character cut after one") << QByteArray("ab\xE2\x82\xAC") << 3 << 2;
    QTest::newRow("three-byte character cut after two") << QByteArray("ab\xE2\x82\xAC") << 4 << 2;
    QTest::newRow("four-byte character cut after three") << QByteArray("\xF0\x9F\x98\x80z") << 3 << 0;
    QTest::newRow("four-byte character whole") << QByteArray("\xF0\x9F\x98\x80z") << 4 << 4;
    QTest::newRow("incomplete character at the end") << QByteArray("ab\xE2\x82") << 10 << 2;
    QTest::newRow("stray continuation bytes kept") << QByteArray("\x80\x80") << 2 << 2;
    QTest::newRow("empty") << QByteArray() << 3 << 0;
  }

  void utf8Cut() {
    QFETCH(QByteArray, text);
    QFETCH(int, limit);
    QFETCH(int, kept);
    QCOMPARE(int(Utf8CutLength(view(text), std::size_t(limit))), kept);
  }

  void convertTostring_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    struct Row {
      const char* name;
      quint32 value;
      const char *binary, *decimal, *hexadecimal;
    };
    static const Row kRows[] = {
        {"192.168.28.6", 0xC0A81C06, "11000000.10101000.00011100.00000110", "3232242694", "C0.A8.1C.06"},
        {"mask /27", 0xFFFFFFE0, "11111111.11111111.11111111.11100000", "4294967264", "FF.FF.FF.E0"},
        {"inverted /27", 0x0000001F, "00000000.00000000.00000000.00011111", "31", "00.00.00.1F"},
        {"0.0.0.0", 0, "00000000.00000000.00000000.00000000", "0", "00.00.00.00"},
        {"255.255.255.255", 0xFFFFFFFF, "11111111.11111111.11111111.11111111", "4294967295", "FF.FF.FF.FF"},
        {"10.1.2.3", 0x0A010203, "00001010.00000001.00000010.00000011", "167838211", "0A.01.02.03"},
    };
    for (const Row& r : kRows) {
      const auto add = [&](const char* kind, int type, const char* text) {
        QTest::addRow("%s, %s", r.name, kind) << r.value << type << QString::fromLatin1(text);
      };
      add("binary", kBinary, r.binary);
      add("decimal", kDecimal, r.decimal);
      add("hexadecimal", kHexadecimal, r.hexadecimal);
      add("unknown type 3", 3, "");
      add("unknown type 255", 255, "");
    }
  }

  void convertTostring() {
    QFETCH(quint32, value);
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(shown(value, std::uint8_t(type)), text);
  }

  void workedExample_data() {
    QTest::addColumn<QByteArray>("maskText");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QStringList>("texts");
    for (const char* maskText : {"/27", "255.255.255.224", "0.0.0.31"}) {
      const auto add = [&](const char* field, const QStringList& texts) {
        QTest::addRow("%s: %s", maskText, field) << QByteArray(maskText) << QByteArray(field) << texts;
      };
      add("address", {"192.168.28.6", "11000000.10101000.00011100.00000110", "3232242694", "C0.A8.1C.06"});
      add("mask", {"255.255.255.224", "11111111.11111111.11111111.11100000", "4294967264", "FF.FF.FF.E0"});
      add("inverted", {"0.0.0.31", "00000000.00000000.00000000.00011111", "31", "00.00.00.1F"});
      add("prefix", {"/27"});
      add("network", {"192.168.28.0", "11000000.10101000.00011100.00000000", "3232242688", "C0.A8.1C.00"});
      add("min host", {"192.168.28.1", "11000000.10101000.00011100.00000001", "3232242689", "C0.A8.1C.01"});
      add("max host", {"192.168.28.30", "11000000.10101000.00011100.00011110", "3232242718", "C0.A8.1C.1E"});
      add("broadcast", {"192.168.28.31", "11000000.10101000.00011100.00011111", "3232242719", "C0.A8.1C.1F"});
      add("hosts", {"30"});
    }
  }

  void workedExample() {
    QFETCH(QByteArray, maskText);
    QFETCH(QByteArray, field);
    QFETCH(QStringList, texts);
    MaskForm form = MaskForm::Dotted;
    const Subnet s = CalculateSubnet(InetAddr("192.168.28.6"), ReadMask(view(maskText), form));
    QCOMPARE(fieldTexts(s, field), texts);
  }

  void subnet_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<int>("hosts");
    QTest::addColumn<QString>("range");  // network, min host, max host, broadcast
    const auto add = [](const char* tag, const char* address, const char* mask, int hosts,
                        const char* range) {
      QTest::newRow(tag) << QByteArray(address) << QByteArray(mask) << hosts << QString(range);
    };

    // A /31 holds two hosts and no network or broadcast address of its own.
    add("/31 even address", "192.168.28.6", "/31", 2, "192.168.28.6 192.168.28.6 192.168.28.7 192.168.28.7");
    add("/31 odd address", "192.168.28.7", "255.255.255.254", 2,
        "192.168.28.6 192.168.28.6 192.168.28.7 192.168.28.7");
    add("/31 at the top", "255.255.255.254", "/31", 2,
        "255.255.255.254 255.255.255.254 255.255.255.255 255.255.255.255");
    add("/1 upper half", "200.1.2.3", "/1", 2147483646,
        "128.0.0.0 128.0.0.1 255.255.255.254 255.255.255.255");
    add("class A mask", "10.1.2.3", "255.0.0.0", 16777214, "10.0.0.0 10.0.0.1 10.255.255.254 10.255.255.255");
    add("class C mask ignores the address class", "10.1.2.3", "255.255.255.0", 254,
        "10.1.2.0 10.1.2.1 10.1.2.254 10.1.2.255");
    add("/30", "10.1.2.3", "0.0.0.3", 2, "10.1.2.0 10.1.2.1 10.1.2.2 10.1.2.3");
    add("/29", "10.1.2.3", "255.255.255.248", 6, "10.1.2.0 10.1.2.1 10.1.2.6 10.1.2.7");
    add("zero address", "0.0.0.0", "/24", 254, "0.0.0.0 0.0.0.1 0.0.0.254 0.0.0.255");
    add("address is the network", "192.168.28.0", "/27", 30,
        "192.168.28.0 192.168.28.1 192.168.28.30 192.168.28.31");
    add("address is the broadcast", "192.168.28.31", "/27", 30,
        "192.168.28.0 192.168.28.1 192.168.28.30 192.168.28.31");
  }

  void subnet() {
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);
    QFETCH(int, hosts);
    QFETCH(QString, range);
    const Ipv4 a = InetAddr(view(address));
    MaskForm form = MaskForm::Dotted;
    const Ipv4 m = ReadMask(view(mask), form);
    QVERIFY(a != kInvalid);
    QVERIFY(m != kInvalid);
    const Subnet s = CalculateSubnet(a, m);
    const QStringList shownRange{dotted(s.network), dotted(s.minHost), dotted(s.maxHost),
                                 dotted(s.broadcast)};
    QCOMPARE(shownRange.join(' '), range);
    QCOMPARE(s.hosts, hosts);
    QCOMPARE(QString::fromStdString(HostRangeText(s)), dotted(s.minHost) + " - " + dotted(s.maxHost));
  }

  // Whatever the user types, the mask reader either throws the one conversion failure of the prefix form or
  // gives a mask the calculation can use; it never hands on a gapped mask, the zero mask or /32.
  void badInputIsRejectedSafely() {
    std::mt19937 rng(0x51C0FFEE);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const auto randomBytes = [&](std::size_t n) {
      std::string s(n, '\0');
      for (char& c : s) c = char(below(256));
      return s;
    };
    static const std::string kPieces[] = {
        "0",  "1", "2",  "7",    "25",   "255",        ".",          ".",
        "/",  "/", " ",  "+",    "-",    "$",          "x",          "0x",
        "fF", "G", "\t", "\x80", "\xFF", "4294967295", "2147483648", std::string(1, '\0')};

    std::vector<std::string> texts = {
        std::string(100000, '/'),  "/" + std::string(99999, '0'),       "0" + std::string(99999, '.'),
        std::string(100000, '\0'), "/" + std::string(99998, ' ') + "8", randomBytes(100000),
        "0." + randomBytes(99998)};
    for (int i = 0; i < 3000; ++i) {
      std::string s;
      if (i % 3 == 0) {
        s = randomBytes(std::size_t(below(40)));
      } else if (i % 3 == 1) {
        for (int n = below(12); n > 0; --n) s += kPieces[below(std::size(kPieces))];
      } else {  // a valid mask text, often with a byte or two inserted, replaced or dropped
        s = WriteMask(PrefixToMask(1 + below(31)), kForms[below(3)]);
        for (int n = below(3); n > 0 && !s.empty(); --n) {
          const std::size_t at = std::size_t(below(int(s.size())));
          const int edit = below(3);
          if (edit == 0) s.insert(at, 1, char(below(256)));
          if (edit == 1) s[at] = char(below(256));
          if (edit == 2) s.erase(at, 1);
        }
      }
      texts.push_back(std::move(s));
    }

    int accepted = 0, rejected = 0, thrown = 0;
    for (const std::string& text : texts) {
      const auto describe = [&](const char* what) { return (QByteArray(what) + ": " + printable(text)); };
      const MaskForm before = kForms[below(3)];
      MaskForm form = before;
      try {
        const Ipv4 mask = ReadMask(text, form);
        if (mask == kInvalid) {
          ++rejected;
        } else {
          ++accepted;
          const int p = MaskToPrefix(mask);
          if (!IsContiguousMask(mask) || p < 1 || p > 31) QFAIL(describe("unusable mask").constData());
        }
        const MaskForm expected = text.empty()          ? before
                                  : text.front() == '/' ? MaskForm::Prefix
                                  : text.front() == '0' ? MaskForm::Inverted
                                                        : MaskForm::Dotted;
        if (form != expected) QFAIL(describe("wrong form recorded").constData());
      } catch (const ConvertError&) {
        ++thrown;
        if (text.empty() || text.front() != '/')
          QFAIL(describe("conversion failure outside the prefix form").constData());
        if (form != before) QFAIL(describe("form changed by a failed conversion").constData());
      }

      const Ipv4 address = InetAddr(text);
      if (text.find('\0') != std::string::npos && address != kInvalid)
        QFAIL(describe("text with NUL accepted as an address").constData());
      if (address != kInvalid && InetAddr(InetNtoa(address)) != address)
        QFAIL(describe("address does not survive its dotted text").constData());
    }
    // The generator must reach all three outcomes, or the checks above prove little.
    const QByteArray counts = QByteArray::number(accepted) + " accepted, " + QByteArray::number(rejected) +
                              " rejected, " + QByteArray::number(thrown) + " thrown";
    QVERIFY2(accepted > 100 && rejected > 100 && thrown > 100, counts.constData());
  }
  // Text pasted or given in one piece: which part reaches which field, and that the parts then read as the
  // request that was meant (the prefix form or the dotted one).
  void splitAddressAndMask_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("address");  // null: no pair, the text is taken as it is
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QString>("network");  // what the parts calculate to: "network/prefix"

    const auto pair = [](const char* tag, const QByteArray& text, const char* address, const char* mask,
                         const char* network) {
      QTest::newRow(tag) << text << QByteArray(address) << QByteArray(mask) << QString::fromLatin1(network);
    };
    pair("prefix after a slash", "192.168.1.0/24", "192.168.1.0", "/24", "192.168.1.0/24");
    pair("dotted mask after a blank", "192.168.1.7 255.255.255.0", "192.168.1.7", "255.255.255.0",
         "192.168.1.0/24");
    pair("dotted mask after a tab", "10.1.2.3\t255.255.0.0", "10.1.2.3", "255.255.0.0", "10.1.0.0/16");
    pair("dotted mask after a slash loses the slash", "10.1.2.3/255.255.255.0", "10.1.2.3", "255.255.255.0",
         "10.1.2.0/24");
    pair("inverted mask keeps its form", "10.1.2.3 0.0.0.255", "10.1.2.3", "0.0.0.255", "10.1.2.0/24");
    pair("blank before the slash", "10.1.2.3 /8", "10.1.2.3", "/8", "10.0.0.0/8");
    pair("blanks inside the slash form", "10.1.2.3 / 255.0.0.0", "10.1.2.3", "255.0.0.0", "10.0.0.0/8");
    pair("several blanks and tabs", "10.1.2.3 \t  255.255.255.252", "10.1.2.3", "255.255.255.252",
         "10.1.2.0/30");
    pair("line break between the parts", "10.1.2.3\r\n255.255.255.0", "10.1.2.3", "255.255.255.0",
         "10.1.2.0/24");
    pair("surrounding blanks and line breaks dropped", " \t192.168.1.0/24\r\n\n ", "192.168.1.0", "/24",
         "192.168.1.0/24");
    pair("a trailing line break of a copied line", "172.16.5.4 255.255.240.0\n", "172.16.5.4",
         "255.255.240.0", "172.16.0.0/20");

    // Faulty parts reach their fields as written; the calculation says what is wrong.
    pair("faulty address kept as written", "192.168.1.300/24", "192.168.1.300", "/24", "address rejected");
    pair("gapped mask kept as written", "10.0.0.1 255.0.255.0", "10.0.0.1", "255.0.255.0", "mask rejected");
    // The mask field reads the rest as inet_addr does, which stops at a blank.
    pair("more than two parts: the rest is the mask", "10.0.0.1 255.0.0.0 x", "10.0.0.1", "255.0.0.0 x",
         "10.0.0.0/8");
    pair("an address and a word", "10.0.0.1 mask", "10.0.0.1", "mask", "mask rejected");

    const auto none = [](const char* tag, const QByteArray& text) {
      QTest::newRow(tag) << text << QByteArray() << QByteArray() << QString();
    };
    none("an address alone", "192.168.1.0");
    none("an address with blanks around", "  192.168.1.0\n");
    none("a mask alone", "/24");
    none("a mask alone after a blank", " 255.255.255.0");
    none("nothing after the slash", "192.168.1.0/");
    none("nothing but blanks after the slash", "192.168.1.0/ \t");
    none("blanks only", " \t\r\n");
    none("empty", "");
  }

  void splitAddressAndMask() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);
    QFETCH(QString, network);
    const auto split = SplitAddressAndMask(view(text));
    QCOMPARE(split.has_value(), !address.isNull());
    if (!split) return;
    QCOMPARE(QByteArray::fromStdString(split->first), address);
    QCOMPARE(QByteArray::fromStdString(split->second), mask);

    const Ipv4 value = InetAddr(split->first);
    MaskForm form = MaskForm::Dotted;
    Ipv4 bits = kInvalid;
    try {
      bits = ReadMask(split->second, form);
    } catch (const ConvertError&) {
    }
    const QString calculated = value == kInvalid  ? QStringLiteral("address rejected")
                               : bits == kInvalid ? QStringLiteral("mask rejected")
                                                  : dotted(CalculateSubnet(value, bits).network) + "/" +
                                                        QString::number(CalculateSubnet(value, bits).prefix);
    QCOMPARE(calculated, network);
  }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
