// The adapter enumerator: every IPv4 address of the machine's adapters with its subnet mask.
#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace quorvane {

// One address as the system reported it: texts as they came, not checked.
class TAddressItem {
 public:
  QString IpAddress;
  QString IpMAsk;
  quint32 IpContext = 0;  // kept with the item; nothing reads it
};

// The items in the order they were added. An item keeps its place in memory until the collection is
// cleared, so the reference that Add returns stays valid while more items are added.
class TAddressCollection {
 public:
  // A new empty item at the end.
  TAddressItem& Add();
  // The item at a 0-based index; throws Exception for an index outside the collection.
  TAddressItem& Items(int index) const;
  int Count() const { return static_cast<int>(m_items.size()); }
  void Clear() { m_items.clear(); }

 private:
  std::vector<std::unique_ptr<TAddressItem>> m_items;
};

// Read anew at each use: nothing is cached between two users.
class TIPAndMask {
 public:
  TAddressCollection Addresses;

  // Refills Addresses from the adapter query: the adapters in order, within each its addresses in order.
  // Empty when the query fails.
  void ReadAddresses();
  // The index of the first item whose address and mask the main window calculates without a message (a
  // /32 tunnel address, an adapter without an address or a garbled text does not); -1 when none does.
  int FirstCalculable() const;
};

}  // namespace quorvane
