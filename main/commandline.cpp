// The command line.
#include "main/commandline.h"

#include <QRegularExpression>

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
  const QString text = argument.trimmed();
  const AddressArgument asGiven{argument, QString()};
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  if (const qsizetype slash = text.indexOf(QLatin1Char('/')); slash >= 0) {
    const QString address = text.left(slash).trimmed();
    const QString mask = text.mid(slash + 1).trimmed();
    if (address.isEmpty() || mask.isEmpty() || address.contains(blanks) || mask.contains(blanks) ||
        mask.contains(QLatin1Char('/')))
      return asGiven;
    // A dotted mask is written without the slash; anything else is a prefix, which keeps it.
    return {address, mask.contains(QLatin1Char('.')) ? mask : QLatin1Char('/') + mask};
  }
  const QStringList parts = text.split(blanks, Qt::SkipEmptyParts);
  if (parts.size() == 1) return {parts[0], QString()};
  if (parts.size() == 2) return {parts[0], parts[1]};
  return asGiven;
}

}  // namespace quorvane
