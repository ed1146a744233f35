// The texts of the IPv6 window's result fields.
#include "forms/ipv6results.h"

#include <QStringList>

#include "core/registry.h"
#include "settings/blocktext.h"
#include "settings/texttable.h"

namespace quorvane {

namespace {

QString text(const std::string& value) { return QString::fromLatin1(value.data(), qsizetype(value.size())); }

QString dotted(Ipv4 value) { return text(InetNtoa(value)); }

Text scopeText(MulticastScope scope) {
  switch (scope) {
    case MulticastScope::InterfaceLocal:
      return Text::sScopeInterfaceLocal;
    case MulticastScope::LinkLocal:
      return Text::sScopeLinkLocal;
    case MulticastScope::RealmLocal:
      return Text::sScopeRealmLocal;
    case MulticastScope::AdminLocal:
      return Text::sScopeAdminLocal;
    case MulticastScope::SiteLocal:
      return Text::sScopeSiteLocal;
    case MulticastScope::OrganizationLocal:
      return Text::sScopeOrganizationLocal;
    case MulticastScope::Global:
      return Text::sScopeGlobal;
    case MulticastScope::Reserved:
      return Text::sScopeReserved;
    case MulticastScope::NotMulticast:
    case MulticastScope::Unassigned:
      break;
  }
  return Text::sScopeUnassigned;
}

}  // namespace

QString Ipv6TypeText(Ipv6 address) {
  const Classification found = ClassifyAddress(6, address);
  if (!found.block) return Tr(Text::sUnassigned6);
  // The address-space registry's 2000::/3 is where every allocated unicast address lies: without a smaller
  // special block it is plain global unicast, which the registry's row would only say at greater length.
  if (found.block->registry == Registry::AddressSpace && found.block->prefix == 3)
    return Tr(Text::sGlobalUnicast);
  QString type = BlockText(*found.block);
  if (const MulticastScope scope = Ipv6MulticastScope(address); scope != MulticastScope::NotMulticast)
    type += QStringLiteral(", ") + Tr(scopeText(scope));
  return type;
}

QString EmbeddedIpv4Text(Ipv6 address) {
  const EmbeddedIpv4 embedded = FindEmbeddedIpv4(address);
  switch (embedded.kind) {
    case EmbeddedIpv4Kind::None:
      return {};
    case EmbeddedIpv4Kind::Teredo:
      return Tr(Text::sTeredo).arg(dotted(embedded.server), dotted(embedded.address));
    case EmbeddedIpv4Kind::Mapped:
    case EmbeddedIpv4Kind::Nat64:
    case EmbeddedIpv4Kind::SixToFour:
      break;
  }
  return dotted(embedded.address);
}

QString ReverseZonesText(const ReverseZones& zones) {
  if (!zones.listed && zones.names.size() == 2)
    return Tr(Text::sReverseZones)
        .arg(QString::number(zones.count), text(zones.names.front()), text(zones.names.back()));
  QStringList names;
  for (const std::string& name : zones.names) names << text(name);
  return names.join(QStringLiteral(", "));
}

Ipv6ResultTexts Ipv6Results(Ipv6 address, int prefix) {
  const Ipv6Network block = CalculateIpv6Network(address, prefix);
  Ipv6ResultTexts fields;
  const auto set = [&fields](Ipv6Field field, QString value) {
    fields[std::size_t(field)] = std::move(value);
  };
  set(Ipv6Field::Expanded, text(ExpandIpv6(address)));
  set(Ipv6Field::Compressed, text(FormatIpv6(address)));
  set(Ipv6Field::Network, text(FormatIpv6(block.network)) + QLatin1Char('/') + QString::number(prefix));
  set(Ipv6Field::First, text(FormatIpv6(block.first)));
  set(Ipv6Field::Last, text(FormatIpv6(block.last)));
  set(Ipv6Field::Count, text(AddressCountText(block)));
  set(Ipv6Field::Type, Ipv6TypeText(address));
  set(Ipv6Field::Embedded, EmbeddedIpv4Text(address));
  set(Ipv6Field::Reverse, text(Ipv6ReverseName(address)));
  set(Ipv6Field::Zone, ReverseZonesText(Ipv6ReverseZones(address, prefix)));
  return fields;
}

}  // namespace quorvane
