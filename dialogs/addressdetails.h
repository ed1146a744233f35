// What an address and its network are, as the rows of the address details: item and value, in the current
// language.
#pragma once

#include <QList>
#include <QString>

#include "core/subnet.h"

namespace quorvane {

struct DetailRow {
  QString item;
  QString value;
};

// In this order: the network and the address in CIDR form; the network's total addresses and usable hosts
// (a /31 has two, as the main window counts); the address's block; the block that holds the network, then
// every block inside it ("in part"), or "Public" when there is none; the historical class; the reverse DNS
// name of the address and the zone or zones that hold the network (with the RFC 2317 name for /25 to
// /31, or the count with the first and last zone when there are more than kListedReverseZones); the
// address in binary with the network and host bits apart.
QList<DetailRow> AddressDetailRows(const Subnet& subnet);

// The rows as "item: value" lines, each ending with a line break.
QString DetailRowsText(const QList<DetailRow>& rows);

}  // namespace quorvane
