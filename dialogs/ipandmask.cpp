// The adapter enumerator.
#include "dialogs/ipandmask.h"

#include "core/exception.h"
#include "platform/adapters.h"

namespace quorvane {

namespace {

// Blanks and control characters: every byte up to 32.
bool isBlankText(const QByteArray& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
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

}  // namespace quorvane
