// The planner window's rows: Plan of 10.0.0.0/8 into /30 until its grid has drawn the first rows, and a
// scroll to the last of the 4,194,304 rows, each beside the same window doing the small case.
#include <QLineEdit>

#include "bench/planner_rows.h"
#include "forms/frmplanner.h"
#include "main/quorvaneform.h"
#include "widgets/drawgrid.h"

namespace quorvane::bench {

void plannerWindowRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions) {
  form.ShowPlanner(QStringLiteral("10.0.0.0/8"));
  TfrmPlanner* planner = form.planner();
  auto* network = planner->findChild<QLineEdit*>(QStringLiteral("edPlanNetwork"));
  auto* grid = planner->findChild<TDrawGrid*>(QStringLiteral("sgPlan"));
  planner->findChild<QLineEdit*>(QStringLiteral("edPlanValue"))->setText(QStringLiteral("30"));
  const auto planAndDraw = [&](const QString& text) {
    network->setText(text);
    planner->actPlanExecute();
    grid->viewport()->repaint();
  };

  Row first{QStringLiteral("planner window: Plan 10.0.0.0/8 into /30, grid drawn"), Unit::Time};
  first.baselineName = QStringLiteral("the same window planning 10.0.0.0/24 into /30 (64 rows), grid drawn");
  first.ceiling = 50e6;
  first.result = microPair([&] { planAndDraw(QStringLiteral("10.0.0.0/8")); },
                           [&] { planAndDraw(QStringLiteral("10.0.0.0/24")); }, repetitions);
  if (grid->rowCount() != 64) first.failure = QStringLiteral("the plan has other rows");
  rows.push_back(first);

  // Each call jumps across the whole table: from the top to the last row, against the way back.
  Row last{QStringLiteral("  jump to its last row of 4,194,304, select and draw"), Unit::Time};
  last.baselineName = QStringLiteral("the jump back to its first row, selected and drawn");
  last.ceiling = 16e6;
  planAndDraw(QStringLiteral("10.0.0.0/8"));
  const auto jump = [&](qint64 from, qint64 to) {
    grid->setTopRow(from);
    grid->setCurrentRow(to);
    grid->viewport()->repaint();
  };
  last.result =
      microPair([&] { jump(0, grid->rowCount() - 1); }, [&] { jump(grid->rowCount() - 1, 0); }, repetitions);
  if (grid->rowCount() != 4194304) last.failure = QStringLiteral("the plan has other rows");
  rows.push_back(last);
  planner->hide();
}

}  // namespace quorvane::bench
