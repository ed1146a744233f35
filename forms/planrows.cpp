// The planner's tables as rows of a draw grid.
#include "forms/planrows.h"

#include <algorithm>

#include "settings/texttable.h"

namespace quorvane {

namespace {

constexpr Text kIpv4Headers[] = {Text::sPlanName,      Text::sPlanNetwork,  Text::sPlanMask,
                                 Text::sPlanFirstHost, Text::sPlanLastHost, Text::sPlanBroadcast,
                                 Text::sPlanHosts};
constexpr Text kIpv6Headers[] = {Text::sPlanName, Text::sPlanNetwork, Text::sPlanFirstAddress,
                                 Text::sPlanLastAddress, Text::sPlanAddresses};
constexpr Text kSummaryHeaders[] = {Text::sPlanNetwork, Text::sPlanFirstAddress, Text::sPlanLastAddress,
                                    Text::sPlanAddresses};

QString fromStd(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

QString CidrText(const Block& block) {
  std::string text;
  AppendAddressText({block.network, block.width}, text);
  text += '/';
  text += std::to_string(block.prefix);
  return fromStd(text);
}

QString GroupedCount(const Count& count) {
  const std::string digits = count.decimal();
  QString grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += u',';
    grouped += QLatin1Char(digits[i]);
  }
  return grouped;
}

int PlanRows::columnCount() const { return m_table->width() == kIpv4Width ? 7 : 5; }

QString PlanRows::header(int column) const {
  if (m_table->width() == kIpv4Width) return column >= 0 && column < 7 ? Tr(kIpv4Headers[column]) : QString();
  return column >= 0 && column < 5 ? Tr(kIpv6Headers[column]) : QString();
}

qint64 PlanRows::rowCount() const {
  const Count rows = m_table->rowCount();
  return TooManyForView(rows) ? kMaxGridRows : qint64(rows.value.lo);
}

QStringList PlanRows::row(qint64 index) const {
  const PlanRow planRow = m_table->rowAt(U128(std::uint64_t(index)));
  QStringList cells;
  for (const std::string& cell : RowCells(planRow))
    cells << QString::fromUtf8(cell.data(), qsizetype(cell.size()));
  if (planRow.free) cells[0] = Tr(Text::sPlanFree);
  return cells;
}

QString SummaryRows::header(int column) const {
  return column >= 0 && column < 4 ? Tr(kSummaryHeaders[column]) : QString();
}

QStringList SummaryRows::row(qint64 index) const {
  const Block& block = m_summary.blocks[std::size_t(index)];
  return {CidrText(block), fromStd(WriteAddressText({block.network, block.width})),
          fromStd(WriteAddressText({block.last(), block.width})), fromStd(BlockSize(block).decimal())};
}

}  // namespace quorvane
