// The adapter enumerator.
#include "dialogs/ipandmask.h"

#include "core/exception.h"
#include "core/mask.h"
#include "core/subnet.h"
#include "platform/adapters.h"

namespace quorvane {

namespace {

// Blanks and control characters: every byte up to 32.
bool isBlankText(const QByteArray& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

// The same reading of the two texts as the main window's calculation.
bool calculates(const TAddressItem& item) {
  const Ipv4 address = InetAddr(item.IpAddress.toLocal8Bit().toStdString());
  MaskForm form = MaskForm::Dotted;
  try {
    const Ipv4 mask = ReadMask(item.IpMAsk.toLocal8Bit().toStdString(), form);
    if (address == kInvalid || mask == kInvalid) return false;
    CalculateSubnet(address, mask);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

TAddressItem& TAddressCollection::Add() { return *m_items.emplace_back(std::make_unique<TAddressItem>()); }

TAddressItem& TAddressCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return *m_items[static_cast<std::size_t>(index)];
}

void TIPAndMask::ReadAddresses() {
  Addresses.Clear();
  const std::optional<QList<Adapter>> adapters = CurrentAdapterSource().query();
  if (!adapters) return;
  for (const Adapter& adapter : *adapters) {
    for (const AdapterAddress& entry : adapter.addresses) {
      const QByteArray& address = entry.address;
      // An empty entry ends the adapter's list, whatever follows it.
      if (isBlankText(address)) break;
      TAddressItem& item = Addresses.Add();
      item.IpAddress = QString::fromLocal8Bit(address);
      item.IpMAsk = QString::fromLocal8Bit(entry.mask);
      item.IpContext = entry.context;
    }
  }
}

int TIPAndMask::FirstCalculable() const {
  for (int i = 0; i < Addresses.Count(); ++i)
    if (calculates(Addresses.Items(i))) return i;
  return -1;
}

}  // namespace quorvane
