// The command line: an address to calculate, or a request for the help or the version.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

struct CommandLine {
  enum class Request {
    Run,            // open the window (or hand the address to the one running)
    Help,           // print the usage and end
    Version,        // print the version and end
    UnknownOption,  // an option this program does not have: say so and end
  };
  Request request = Request::Run;
  // The address arguments joined by a blank ("10.1.2.3 255.255.255.0" also unquoted); empty when none.
  QString address;
  QString unknownOption;
};

// Reads the arguments after the program name. "-h"/"--help" or "--version" anywhere wins, whatever else
// the line holds (also the options of Qt, which only the application object knows); an argument beginning
// with "-" before "--" is an unknown option otherwise.
CommandLine ParseCommandLine(const QStringList& arguments);

// What --help and --version print, each ending in a line break.
QString UsageText();
QString VersionLine();

// What an address argument puts into the inputs: the address, and the mask part as written, a prefix with
// its slash ("10.1.2.3/24" gives "/24"), a dotted mask without it ("10.1.2.3/255.255.255.0" and
// "10.1.2.3 255.255.255.0" give "255.255.255.0"). An argument of one piece is an address without a mask;
// one that does not split into an address and a mask goes whole, as given, into the address.
struct AddressArgument {
  QString address;
  QString mask;
};
AddressArgument SplitAddressArgument(const QString& argument);

// The text for the IPv6 window's address field when the argument is an IPv6 address, empty otherwise. An
// argument holding a colon is one (no IPv4 text has a colon), whether it reads or not: the IPv6 window then
// says what is wrong. An address and a prefix apart ("2001:db8::1 64", "2001:db8::1 /64") are joined into
// one text with a slash; anything else goes as given, without the blanks around it.
QString Ipv6ArgumentText(const QString& argument);

}  // namespace quorvane
