// The machine's network adapters, read through Qt's interface list.
#include "platform/adapters.h"

#include <QNetworkInterface>

namespace quorvane {

namespace {

AdapterSource*& sourceOverride() {
  static AdapterSource* source = nullptr;
  return source;
}

}  // namespace

std::optional<QList<Adapter>> SystemAdapterSource::query() {
  const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
  // Qt answers a failed enumeration with an empty list; a working system always has an interface.
  if (interfaces.isEmpty()) return std::nullopt;
  QList<Adapter> adapters;
  for (const QNetworkInterface& networkInterface : interfaces) {
    if (networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack)) continue;
    Adapter adapter;
    for (const QNetworkAddressEntry& entry : networkInterface.addressEntries()) {
      if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
      adapter.addresses.append({entry.ip().toString().toLatin1(), entry.netmask().toString().toLatin1(),
                                static_cast<quint32>(networkInterface.index())});
    }
    if (!adapter.addresses.isEmpty()) adapters.append(adapter);
  }
  return adapters;
}

AdapterSource& CurrentAdapterSource() {
  static SystemAdapterSource system;
  return sourceOverride() ? *sourceOverride() : system;
}

void SetAdapterSourceForTests(AdapterSource* source) { sourceOverride() = source; }

}  // namespace quorvane
