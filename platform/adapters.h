// The machine's network adapters and their IPv4 addresses, behind a source that tests can replace.
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

namespace quorvane {

// One address of an adapter, in the 8-bit dotted text the system reports (not checked, not trimmed).
struct AdapterAddress {
  QByteArray address;
  QByteArray mask;
  quint32 context = 0;  // the system's context value of the address; here the interface index
};

struct Adapter {
  QList<AdapterAddress> addresses;
};

class AdapterSource {
 public:
  virtual ~AdapterSource() = default;
  // The adapters in the system's order, each with its addresses in order; nullopt when the query failed.
  virtual std::optional<QList<Adapter>> query() = 0;
};

// The machine's own interfaces: IPv4 entries only, in interface order; loopback interfaces and interfaces
// without an IPv4 address are left out. No interface at all counts as a failed query.
class SystemAdapterSource : public AdapterSource {
 public:
  std::optional<QList<Adapter>> query() override;
};

// The source that adapter queries use now: the system's unless a test has set another.
AdapterSource& CurrentAdapterSource();

// Makes every later query ask the given source (not owned); nullptr restores the system's.
void SetAdapterSourceForTests(AdapterSource* source);

}  // namespace quorvane
