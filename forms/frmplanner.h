// The subnet planner: a network split into equal subnets or sized by hosts, and a list summarised to the
// fewest CIDR blocks. Data flows one way:
//   edPlanNetwork, cbPlanMode, edPlanValue / mePlanHosts  ->  EqualSplit / SizingPlan (core)  ->  sgPlan
//   mePlanRanges  ->  Summarise (core)  ->  sgSummary, edSupernet
// The grids compute the rows they draw, so a plan of millions of subnets costs one screenful.
#pragma once

#include <optional>

#include "core/plan.h"
#include "widgets/action.h"
#include "widgets/buttons.h"
#include "widgets/checkbox.h"
#include "widgets/combobox.h"
#include "widgets/drawgrid.h"
#include "widgets/edit.h"
#include "widgets/form.h"
#include "widgets/label.h"
#include "widgets/labelededit.h"
#include "widgets/memo.h"
#include "widgets/pagecontrol.h"

namespace quorvane {

class TfrmPlanner : public TForm {
  Q_OBJECT
 public:
  // The entries of cbPlanMode, in order.
  enum Mode { ByPrefix = 0, ByCount = 1, ByHosts = 2 };

  // A window of its own (not modal, resizable) owned by `owner`, which it follows into a new language.
  explicit TfrmPlanner(QWidget* owner);

  // Puts a network into edPlanNetwork without planning.
  void setNetwork(const QString& network);

  void actPlanExecute();
  void actSummariseExecute();
  void btnPlanCopyClick();
  void btnPlanExportClick();
  // Words the grids, the totals and a shown error again in the current language.
  void refreshTexts();

 Q_SIGNALS:
  // A row was double-clicked or Enter pressed on it: an IPv4 network ("10.0.0.0/30") for the main window,
  // an IPv6 one for the IPv6 window.
  void ipv4NetworkChosen(const QString& network);
  void ipv6NetworkChosen(const QString& network);

 private:
  void createSplitPage(TTabSheet* page);
  void createSummarisePage(TTabSheet* page);
  void modeChanged();
  // The grid of the page shown.
  TDrawGrid* currentGrid() const;
  void chooseRow(TDrawGrid* grid, int networkColumn, qint64 row);
  // Shows why the input was rejected beside it and selects the input (the failing line of a list).
  void showPlanProblem(const PlanProblem& problem, QWidget* input);
  void wordPlanProblem();
  void showSummaryProblem(const PlanProblem& problem);
  void showTotals();

  TPageControl* pcPlanner;
  TTabSheet* tsSplit;
  TTabSheet* tsSummarise;
  TAction* actPlan;
  TAction* actSummarise;
  TLabeledEdit* edPlanNetwork;
  TLabel* lblPlanMode;
  TComboBox* cbPlanMode;
  TLabeledEdit* edPlanValue;
  TLabel* lblPlanHosts;
  TMemo* mePlanHosts;
  TCheckBox* cbPlanP2P;
  TButton* btnPlan;
  TLabel* lblPlanError;
  TDrawGrid* sgPlan;
  TLabel* lblPlanTotals;
  TLabel* lblPlanRanges;
  TMemo* mePlanRanges;
  TButton* btnSummarise;
  TLabel* lblSummaryError;
  TLabel* lblSupernet;
  TEdit* edSupernet;
  TDrawGrid* sgSummary;
  TLabel* lblSummaryTotals;
  TButton* btnPlanCopy;
  TButton* btnPlanExport;

  int m_mode = ByPrefix;
  int m_planWidth = 0;  // the family of the plan's columns: 32 or 128, 0 before the first plan
  // What the labels under the inputs say, kept so that a new language can word it again.
  std::optional<PlanProblem> m_planProblem;
  bool m_planProblemAtValue = false;
  std::optional<PlanProblem> m_summaryProblem;
};

}  // namespace quorvane
