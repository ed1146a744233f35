// The command line.
#include "main/commandline.h"

#include "core/addressinput.h"
#include "core/ipv6.h"

#include "settings/versiontext.h"

namespace quorvane {

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine line;
  QStringList addresses;
  bool optionsEnded = false;
  for (const QString& argument : arguments) {
    if (argument == u"-h" || argument == u"--help") return {CommandLine::Request::Help, {}, {}};
    if (argument == u"--version") return {CommandLine::Request::Version, {}, {}};
    if (!optionsEnded && argument == u"--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && line.unknownOption.isEmpty()) {
      line.unknownOption = argument;
    } else {
      addresses << argument;
    }
  }
  if (!line.unknownOption.isEmpty()) line.request = CommandLine::Request::UnknownOption;
  line.address = addresses.join(QLatin1Char(' '));
  return line;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: quorvane [ADDRESS[/MASK] | \"ADDRESS MASK\"]\n"
      "       quorvane --help | --version\n"
      "\n"
      "Quorvane, the IPv4 subnet calculator. Given an address, the window opens with it calculated instead "
      "of\n"
      "this machine's own address; when Quorvane already runs on this display, its window takes the address\n"
      "and comes to the front.\n"
      "\n"
      "  quorvane 10.1.2.3/24                 a prefix\n"
      "  quorvane 10.1.2.3/255.255.255.0      a subnet mask (or an inverted mask: 0.0.0.255)\n"
      "  quorvane \"10.1.2.3 255.255.255.0\"    the address and the mask apart\n"
      "  quorvane 2001:db8::1/64              an IPv6 address: the IPv6 calculator opens with it\n"
      "\n"
      "An address or mask it cannot read is shown as given, and Calculate says what is wrong.\n"
      "\n"
      "  -h, --help     show this help and end\n"
      "      --version  show the version and end\n");
}

QString VersionLine() {
  const QString text = VersionText(true);
  return (text.isEmpty() ? QStringLiteral("Quorvane") : text) + QLatin1Char('\n');
}

AddressArgument SplitAddressArgument(const QString& argument) {
  // The same rule as a request pasted in one piece; what does not split is an address alone, as given.
  if (const auto parts = SplitAddressAndMask(argument.toStdString()))
    return {QString::fromStdString(parts->first), QString::fromStdString(parts->second)};
  return {argument.trimmed(), QString()};
}

QString Ipv6ArgumentText(const QString& argument) {
  const QString text = argument.trimmed();
  if (!text.contains(QLatin1Char(':'))) return {};
  const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.size() == 2 && !parts[0].contains(QLatin1Char('/'))) {
    if (const std::optional<int> prefix = ReadIpv6Prefix(parts[1].toStdString()))
      return parts[0] + QLatin1Char('/') + QString::number(*prefix);
  }
  return text;
}

}  // namespace quorvane
