// The rows of the address details.
#include "dialogs/addressdetails.h"

#include "core/ipv4facts.h"
#include "core/registry.h"
#include "settings/blocktext.h"
#include "settings/texttable.h"

namespace quorvane {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QString cidr(Ipv4 address, int prefix) {
  return QStringLiteral("%1/%2").arg(text(InetNtoa(address))).arg(prefix);
}

QString standingOf(const Block* block) { return block ? BlockText(*block) : Tr(Text::sPublicRoutable); }

// A text of the table with its %1, %2, ... put in. A text without them (an entry missing from the language
// file shows its key name) is kept as it is.
QString filled(Text key, const QStringList& values) {
  QString text = Tr(key);
  for (qsizetype i = 0; i < values.size(); ++i) text.replace(QStringLiteral("%%1").arg(i + 1), values[i]);
  return text;
}

}  // namespace

QList<DetailRow> AddressDetailRows(const Subnet& s) {
  QList<DetailRow> rows;
  const auto add = [&rows](Text item, const QString& value) { rows.append({Tr(item), value}); };

  add(Text::sDetailNetwork, cidr(s.network, s.prefix));
  add(Text::sDetailAddress, cidr(s.address, s.prefix));
  add(Text::sDetailTotal, QString::number(std::uint64_t(1) << (32 - s.prefix)));
  add(Text::sDetailUsable, QString::number(s.hosts));

  add(Text::sDetailAddressBlock, standingOf(MostSpecificBlock(4, U128(s.address))));
  const NetworkBlocks blocks = BlocksOfNetwork(4, U128(s.network), s.prefix);
  if (blocks.holder || blocks.parts.empty()) add(Text::sDetailNetworkBlock, standingOf(blocks.holder));
  for (const Block& part : blocks.parts)
    add(Text::sDetailNetworkBlock, filled(Text::sDetailInPart, {BlockText(part)}));

  add(Text::sDetailClass,
      filled(Text::sDetailHistorical, {QString(QChar(char(HistoricalClass(s.address))))}));

  add(Text::sDetailReverseName, text(ReverseDnsName(s.address)));
  const ReverseZones zones = ReverseDnsZones(s.network, s.prefix);
  if (zones.zones.empty()) {
    add(Text::sDetailReverseZone,
        filled(Text::sDetailZoneRange, {QString::number(zones.count), text(zones.first), text(zones.last)}));
  }
  for (const std::string& zone : zones.zones) add(Text::sDetailReverseZone, text(zone));
  if (!zones.classless.empty()) add(Text::sDetailClassless, text(zones.classless));

  add(Text::sDetailBits, text(BinaryWithBoundary(s.address, s.prefix)));
  return rows;
}

QString DetailRowsText(const QList<DetailRow>& rows) {
  QString out;
  for (const DetailRow& row : rows) out += row.item + QStringLiteral(": ") + row.value + QLatin1Char('\n');
  return out;
}

}  // namespace quorvane
