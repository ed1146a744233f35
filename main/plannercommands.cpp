// The main window's way to the subnet planner, and the planner's way back.
#include <QApplication>

#include "core/exception.h"
#include "core/ipv4.h"
#include "forms/frmipv6.h"
#include "forms/frmplanner.h"
#include "main/quorvaneform.h"

namespace quorvane {

QString TQuorvaneForm::currentNetwork() {
  const Ipv4 address = InetAddr(edAddress->text().toLatin1().toStdString());
  Ipv4 mask = kInvalid;
  try {
    mask = GetMask();
  } catch (const ConvertError&) {
    return {};
  }
  if (address == kInvalid || mask == kInvalid) return {};
  return QString::fromStdString(InetNtoa(address & mask)) + u'/' + QString::number(MaskToPrefix(mask));
}

// Asked for from the IPv6 window (its Ctrl+P), the planner takes that window's network.
void TQuorvaneForm::actPlannerExecute() {
  const bool fromIpv6 = m_ipv6 != nullptr && QApplication::activeWindow() == m_ipv6;
  ShowPlanner(fromIpv6 ? m_ipv6->resultNetwork() : currentNetwork());
}

void TQuorvaneForm::ShowPlanner(const QString& network) {
  if (!m_planner) {
    m_planner = new TfrmPlanner(this);
    connect(m_planner, &TfrmPlanner::ipv4NetworkChosen, this, [this](const QString& chosen) {
      takeAddressArgument(chosen);
      command("actCalculate")->trigger();
      raise();
      activateWindow();
    });
    // IPv6 rows go to the IPv6 window, which calculates them.
    connect(m_planner, &TfrmPlanner::ipv6NetworkChosen, this, &TQuorvaneForm::ShowIPv6);
  }
  if (!network.isEmpty()) m_planner->setNetwork(network);
  m_planner->show();
  m_planner->raise();
  m_planner->activateWindow();
}

}  // namespace quorvane
