// The planner's tables as rows of a draw grid: a plan's subnets and a summary's blocks, computed when drawn.
#pragma once

#include <memory>

#include "core/plan.h"
#include "core/summarise.h"
#include "widgets/drawgrid.h"

namespace quorvane {

// The rows of a plan. IPv4: Name, Network, Mask, First host, Last host, Broadcast, Hosts; IPv6: Name,
// Network, First address, Last address, Addresses. A plan with more rows than a grid holds shows its first
// kMaxGridRows.
class PlanRows : public GridRows {
 public:
  explicit PlanRows(std::shared_ptr<const PlanTable> table) : m_table(std::move(table)) {}
  const PlanTable& table() const { return *m_table; }

  int columnCount() const override;
  QString header(int column) const override;
  qint64 rowCount() const override;
  QStringList row(qint64 index) const override;

 private:
  std::shared_ptr<const PlanTable> m_table;
};

// The blocks of a summary, IPv4 first: Network, First address, Last address, Addresses.
class SummaryRows : public GridRows {
 public:
  explicit SummaryRows(Summary summary) : m_summary(std::move(summary)) {}
  const Summary& summary() const { return m_summary; }

  int columnCount() const override { return 4; }
  QString header(int column) const override;
  qint64 rowCount() const override { return qint64(m_summary.blocks.size()); }
  QStringList row(qint64 index) const override;

 private:
  Summary m_summary;
};

// "10.0.0.0/8", "2001:db8::/32".
QString CidrText(const Block& block);

// A count with its digits grouped as the program shows large numbers ("4,194,304").
QString GroupedCount(const Count& count);

}  // namespace quorvane
