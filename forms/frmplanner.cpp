// The subnet planner window.
#include "forms/frmplanner.h"

#include <QShortcut>
#include <algorithm>
#include <memory>

#include "core/sizing.h"
#include "core/split.h"
#include "core/summarise.h"
#include "forms/planrows.h"
#include "forms/tableoutput.h"
#include "settings/langchanger.h"
#include "settings/texttable.h"
#include "widgets/anchors.h"
#include "widgets/edit.h"
#include "widgets/errorguard.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

// The designed client area and the designed page of the tab control; controls are placed for these and
// follow the edges they are anchored to when the window is resized.
constexpr QSize kClient(720, 520);
constexpr QSize kPage(700, 440);

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

// The offending text as a message quotes it: a long line (a pasted megabyte, say) by its first characters
// and an ellipsis, so that the label stays short and quick to lay out.
QString quoted(const std::string& text) {
  constexpr qsizetype kQuoted = 64;
  // Enough bytes for kQuoted whole characters of any length and one more to see that there are more.
  const std::size_t bytes = std::min(text.size(), std::size_t(4 * (kQuoted + 1)));
  QString quote = QString::fromUtf8(text.data(), qsizetype(bytes));
  if (quote.size() <= kQuoted && bytes == text.size()) return quote;
  quote.truncate(kQuoted);
  if (quote.back().isHighSurrogate()) quote.chop(1);
  return quote + u'…';
}

// A label that reports a rejected input: in the error colour, empty while there is nothing to report.
TLabel* errorLabel(QWidget* parent, const QString& name, const QRect& place) {
  auto* label = new TLabel(parent, name, QString(), place);
  // A red that reads on the window's colour, light or dark.
  QPalette palette = label->palette();
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  palette.setColor(QPalette::WindowText, dark ? QColor(255, 120, 120) : QColor(200, 0, 0));
  label->setPalette(palette);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// A label that stands left of its control, its right edge three pixels before it, as TLabeledEdit's does.
TLabel* sideLabel(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy) {
  auto* label = new TLabel(parent, name, caption, {8, buddy->y() + 3, buddy->x() - 11, 15});
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setBuddy(buddy);
  return label;
}

// The message for a rejected input, in the current language.
QString problemText(const PlanProblem& problem) {
  const QString text = quoted(problem.text);
  const QString line = QString::number(problem.line);
  switch (problem.kind) {
    case PlanError::BadNetwork:
      return problem.line > 0 ? Tr(Text::sPlanBadLine).arg(line, text) : Tr(Text::sPlanBadNetwork).arg(text);
    case PlanError::PrefixOutOfRange:
      return Tr(Text::sPlanPrefixRange).arg(text);
    case PlanError::ZeroCount:
      return problem.line > 0 ? Tr(Text::sPlanZeroLine).arg(line, text) : Tr(Text::sPlanZeroCount);
    case PlanError::TooManySubnets:
      return Tr(Text::sPlanTooManySubnets).arg(text);
    case PlanError::BadLine:
      return Tr(Text::sPlanBadLine).arg(line, text);
    case PlanError::RangeReversed:
      return Tr(Text::sPlanReversed).arg(line, text);
    case PlanError::DoesNotFit:
      return Tr(Text::sPlanDoesNotFit).arg(line, text);
  }
  return {};
}

bool allDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The split for a value of digits past the largest 128-bit number: a prefix out of range, or more subnets
// than any network holds, except 2^128 itself, every address of ::/0 as a /128 of its own.
Outcome<EqualSplit> splitPastNumbers(const Block& network, bool byPrefix, const std::string& digits) {
  const PlanError error = byPrefix ? PlanError::PrefixOutOfRange : PlanError::TooManySubnets;
  const std::size_t first = digits.find_first_not_of('0');
  if (!byPrefix && network.width == kIpv6Width && network.prefix == 0 && first != std::string::npos &&
      std::string_view(digits).substr(first) == "340282366920938463463374607431768211456")
    return EqualSplit::ByPrefix(network, kIpv6Width);
  return PlanProblem{error, 0, digits};
}

}  // namespace

TfrmPlanner::TfrmPlanner(QWidget* owner) : TForm(owner) {
  setObjectName(QStringLiteral("frmPlanner"));
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Closing the main window ends the program, also while the planner is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QStringLiteral("Subnet planner"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  if (owner) setWindowIcon(owner->windowIcon());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);
  client->resize(kClient);

  actPlan = new TAction(this, QStringLiteral("actPlan"));
  actPlan->setText(QStringLiteral("&Plan"));
  actSummarise = new TAction(this, QStringLiteral("actSummarise"));
  actSummarise->setText(QStringLiteral("&Summarise"));

  pcPlanner = new TPageControl(client, QStringLiteral("pcPlanner"), {8, 8, 704, 466});
  AnchorControl(pcPlanner, Anchor::Right | Anchor::Bottom, kClient);
  tsSplit = pcPlanner->addSheet(QStringLiteral("tsSplit"), QStringLiteral("Split"));
  tsSummarise = pcPlanner->addSheet(QStringLiteral("tsSummarise"), QStringLiteral("Summarise"));
  createSplitPage(tsSplit);
  createSummarisePage(tsSummarise);

  btnPlanCopy =
      new TButton(client, QStringLiteral("btnPlanCopy"), QStringLiteral("&Copy"), {556, 484, 75, 25});
  btnPlanExport =
      new TButton(client, QStringLiteral("btnPlanExport"), QStringLiteral("&Export..."), {637, 484, 75, 25});
  AnchorControl(btnPlanCopy, Anchor::FollowRight | Anchor::FollowBottom, kClient);
  AnchorControl(btnPlanExport, Anchor::FollowRight | Anchor::FollowBottom, kClient);

  const auto guarded = [this](void (TfrmPlanner::*handler)()) {
    return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
  };
  connect(actPlan, &QAction::triggered, this, guarded(&TfrmPlanner::actPlanExecute));
  connect(actSummarise, &QAction::triggered, this, guarded(&TfrmPlanner::actSummariseExecute));
  connect(btnPlan, &QPushButton::clicked, actPlan, &QAction::trigger);
  connect(btnSummarise, &QPushButton::clicked, actSummarise, &QAction::trigger);
  // The buttons show their commands' captions, which the language files set.
  connect(actPlan, &QAction::changed, btnPlan, [this] { btnPlan->setText(actPlan->text()); });
  connect(actSummarise, &QAction::changed, btnSummarise,
          [this] { btnSummarise->setText(actSummarise->text()); });
  connect(edPlanNetwork, &QLineEdit::returnPressed, actPlan, &QAction::trigger);
  connect(edPlanValue, &QLineEdit::returnPressed, actPlan, &QAction::trigger);
  // In the lists Enter starts a new line; Ctrl+Enter plans or summarises.
  for (const auto& [list, action] :
       {std::pair{mePlanHosts, actPlan}, std::pair{mePlanRanges, actSummarise}}) {
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
      auto* shortcut = new QShortcut(key, list);
      shortcut->setContext(Qt::WidgetShortcut);
      connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
  }
  connect(btnPlanCopy, &QPushButton::clicked, this, guarded(&TfrmPlanner::btnPlanCopyClick));
  connect(btnPlanExport, &QPushButton::clicked, this, guarded(&TfrmPlanner::btnPlanExportClick));
  connect(cbPlanMode, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) m_mode = index;
    modeChanged();
  });
  connect(sgPlan, &TDrawGrid::rowActivated, this, [this](qint64 row) { chooseRow(sgPlan, 1, row); });
  connect(sgSummary, &TDrawGrid::rowActivated, this, [this](qint64 row) { chooseRow(sgSummary, 0, row); });

  setMinimumSize(520, 400);
  resize(kClient);
  LangChanger().TranslateForm(this);
  refreshTexts();
  edPlanNetwork->setFocus();
}

void TfrmPlanner::createSplitPage(TTabSheet* page) {
  page->resize(kPage);
  edPlanNetwork =
      new TLabeledEdit(page, QStringLiteral("edPlanNetwork"), QStringLiteral("&Network"), {112, 10, 200, 21});
  cbPlanMode = new TComboBox(page, QStringLiteral("cbPlanMode"), {112, 37, 200, 21});
  cbPlanMode->setItems({QStringLiteral("Subnets of prefix"), QStringLiteral("Number of subnets"),
                        QStringLiteral("Hosts per subnet")});
  lblPlanMode = sideLabel(page, QStringLiteral("lblPlanMode"), QStringLiteral("&Mode"), cbPlanMode);
  edPlanValue =
      new TLabeledEdit(page, QStringLiteral("edPlanValue"), QStringLiteral("&Value"), {112, 64, 60, 21});
  cbPlanP2P = new TCheckBox(page, QStringLiteral("cbPlanP2P"), QStringLiteral("Use /31 for 2-host links"),
                            {112, 91, 200, 17});
  btnPlan = new TButton(page, QStringLiteral("btnPlan"), actPlan->text(), {112, 113, 90, 25});
  lblPlanHosts = new TLabel(page, QStringLiteral("lblPlanHosts"),
                            QStringLiteral("&Hosts: one subnet a line, a count or a name and a count"),
                            {328, 8, 364, 30});
  lblPlanHosts->setWordWrap(true);
  lblPlanHosts->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  mePlanHosts = new TMemo(page, QStringLiteral("mePlanHosts"), {328, 40, 364, 98});
  lblPlanHosts->setBuddy(mePlanHosts);
  lblPlanError = errorLabel(page, QStringLiteral("lblPlanError"), {8, 143, 684, 30});
  sgPlan = new TDrawGrid(page, QStringLiteral("sgPlan"), {8, 176, 684, 234});
  lblPlanTotals = new TLabel(page, QStringLiteral("lblPlanTotals"), QString(), {8, 416, 684, 15});
  AnchorControl(lblPlanHosts, Anchor::Right, kPage);
  AnchorControl(mePlanHosts, Anchor::Right, kPage);
  AnchorControl(lblPlanError, Anchor::Right, kPage);
  AnchorControl(sgPlan, Anchor::Right | Anchor::Bottom, kPage);
  AnchorControl(lblPlanTotals, Anchor::Right | Anchor::FollowBottom, kPage);
  cbPlanMode->setCurrentIndex(ByPrefix);
  edPlanValue->setText(QStringLiteral("24"));
}

void TfrmPlanner::createSummarisePage(TTabSheet* page) {
  page->resize(kPage);
  lblPlanRanges = new TLabel(
      page, QStringLiteral("lblPlanRanges"),
      QStringLiteral("&Networks, ranges and addresses, one a line or separated by commas"), {8, 8, 684, 30});
  lblPlanRanges->setWordWrap(true);
  lblPlanRanges->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  mePlanRanges = new TMemo(page, QStringLiteral("mePlanRanges"), {8, 40, 684, 98});
  lblPlanRanges->setBuddy(mePlanRanges);
  btnSummarise = new TButton(page, QStringLiteral("btnSummarise"), actSummarise->text(), {8, 144, 100, 25});
  lblSummaryError = errorLabel(page, QStringLiteral("lblSummaryError"), {116, 143, 576, 30});
  auto* supernet = new TEdit(page, QStringLiteral("edSupernet"), {140, 179, 552, 21});
  edSupernet = supernet;
  lblSupernet = sideLabel(page, QStringLiteral("lblSupernet"), QStringLiteral("Covering network"), supernet);
  sgSummary = new TDrawGrid(page, QStringLiteral("sgSummary"), {8, 208, 684, 202});
  sgSummary->setColumnWidths({180, 180, 250, 250});
  lblSummaryTotals = new TLabel(page, QStringLiteral("lblSummaryTotals"), QString(), {8, 416, 684, 15});
  AnchorControl(lblPlanRanges, Anchor::Right, kPage);
  AnchorControl(mePlanRanges, Anchor::Right, kPage);
  AnchorControl(lblSummaryError, Anchor::Right, kPage);
  AnchorControl(edSupernet, Anchor::Right, kPage);
  AnchorControl(sgSummary, Anchor::Right | Anchor::Bottom, kPage);
  AnchorControl(lblSummaryTotals, Anchor::Right | Anchor::FollowBottom, kPage);
}

void TfrmPlanner::setNetwork(const QString& network) { edPlanNetwork->setText(network); }

void TfrmPlanner::modeChanged() {
  const bool hosts = m_mode == ByHosts;
  lblPlanHosts->setVisible(hosts);
  mePlanHosts->setVisible(hosts);
  cbPlanP2P->setVisible(hosts);
  edPlanValue->setEnabled(!hosts);
  edPlanValue->editLabel()->setEnabled(!hosts);
}

void TfrmPlanner::actPlanExecute() {
  // The previous table goes first: a plan that fails shows no rows at all.
  sgPlan->setRows(nullptr);
  m_planProblem.reset();
  showTotals();
  lblPlanError->clear();

  const Outcome<Block> network = ReadNetwork(utf8(edPlanNetwork->text()));
  if (!network) return showPlanProblem(network.problem(), edPlanNetwork);
  std::shared_ptr<const PlanTable> table;
  if (m_mode == ByHosts) {
    const Outcome<std::vector<Requirement>> requirements = ReadRequirements(utf8(mePlanHosts->toPlainText()));
    if (!requirements) return showPlanProblem(requirements.problem(), mePlanHosts);
    Outcome<SizingPlan> plan = SizingPlan::Make(*network, *requirements, cbPlanP2P->isChecked());
    if (!plan) return showPlanProblem(plan.problem(), mePlanHosts);
    table = std::make_shared<const SizingPlan>(std::move(plan.value()));
  } else {
    // The prefix may be written with its slash, as in the main window ("/26").
    QString value = edPlanValue->text().trimmed();
    if (m_mode == ByPrefix && value.startsWith(u'/')) value = value.mid(1).trimmed();
    const std::string digits = utf8(value);
    const std::optional<U128> number = ParseDecimal(digits);
    if (!number && !allDigits(digits))
      return showPlanProblem({PlanError::BadNetwork, 0, digits}, edPlanValue);
    Outcome<EqualSplit> split =
        !number ? splitPastNumbers(*network, m_mode == ByPrefix, digits)
        : m_mode == ByPrefix
            ? (*number > U128(128u) ? Outcome<EqualSplit>(PlanProblem{PlanError::PrefixOutOfRange, 0, ""})
                                    : EqualSplit::ByPrefix(*network, int(number->lo)))
            : EqualSplit::ByCount(*network, *number);
    if (!split) return showPlanProblem({split.problem().kind, 0, utf8(value)}, edPlanValue);
    table = std::make_shared<const EqualSplit>(std::move(split.value()));
  }
  // The other family has other columns, in widths of their own.
  if (table->width() != m_planWidth) {
    m_planWidth = table->width();
    if (m_planWidth == kIpv4Width)
      sgPlan->setColumnWidths({75, 110, 100, 95, 100, 120, 50});
    else
      sgPlan->setColumnWidths({70, 230, 230, 230, 300});
  }
  sgPlan->setRows(std::make_shared<PlanRows>(table));
  showTotals();
}

void TfrmPlanner::actSummariseExecute() {
  sgSummary->setRows(nullptr);
  edSupernet->clear();
  lblSummaryError->clear();
  lblSummaryTotals->clear();
  m_summaryProblem.reset();

  Outcome<Summary> summary = Summarise(utf8(mePlanRanges->toPlainText()));
  if (!summary) return showSummaryProblem(summary.problem());
  QStringList covers;
  for (const std::optional<Block>& cover : {summary->ipv4Cover, summary->ipv6Cover})
    if (cover) covers << CidrText(*cover);
  edSupernet->setText(covers.join(QStringLiteral("; ")));
  sgSummary->setRows(std::make_shared<SummaryRows>(std::move(summary.value())));
  showTotals();
}

void TfrmPlanner::showPlanProblem(const PlanProblem& problem, QWidget* input) {
  m_planProblem = problem;
  m_planProblemAtValue = input == edPlanValue;
  wordPlanProblem();
  if (input == mePlanHosts && problem.line > 0) {
    mePlanHosts->selectLine(problem.line);
  } else if (auto* edit = qobject_cast<QLineEdit*>(input)) {
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
  }
}

void TfrmPlanner::wordPlanProblem() {
  if (!m_planProblem) return;
  // A value that is no number has no error of its own in the core: it is worded here.
  lblPlanError->setText(m_planProblemAtValue && m_planProblem->kind == PlanError::BadNetwork
                            ? Tr(Text::sPlanBadValue).arg(quoted(m_planProblem->text))
                            : problemText(*m_planProblem));
}

void TfrmPlanner::showSummaryProblem(const PlanProblem& problem) {
  m_summaryProblem = problem;
  lblSummaryError->setText(problemText(problem));
  mePlanRanges->selectLine(problem.line);
}

void TfrmPlanner::showTotals() {
  const auto* plan = dynamic_cast<const PlanRows*>(sgPlan->rows());
  if (!plan) {
    lblPlanTotals->clear();
  } else {
    const Totals totals = plan->table().totals();
    QString text =
        Tr(Text::sPlanTotals)
            .arg(GroupedCount(totals.subnets), GroupedCount(totals.used), GroupedCount(totals.free));
    if (TooManyForView(plan->table().rowCount()))
      text += QStringLiteral(" ") +
              Tr(Text::sPlanTooMany).arg(GroupedCount(Count{U128(std::uint64_t(kMaxGridRows))}));
    lblPlanTotals->setText(text);
  }
  const auto* summary = dynamic_cast<const SummaryRows*>(sgSummary->rows());
  if (summary)
    lblSummaryTotals->setText(
        Tr(Text::sSummaryTotals).arg(GroupedCount(Count{U128(std::uint64_t(summary->rowCount()))})));
}

void TfrmPlanner::refreshTexts() {
  // A language file's entries replace the mode list and with it the selection.
  if (cbPlanMode->currentIndex() != m_mode) cbPlanMode->setCurrentIndex(m_mode);
  modeChanged();
  btnPlan->setText(actPlan->text());
  btnSummarise->setText(actSummarise->text());
  sgPlan->refresh();
  sgSummary->refresh();
  showTotals();
  wordPlanProblem();
  if (m_summaryProblem) lblSummaryError->setText(problemText(*m_summaryProblem));
}

TDrawGrid* TfrmPlanner::currentGrid() const {
  return pcPlanner->currentWidget() == tsSummarise ? sgSummary : sgPlan;
}

void TfrmPlanner::chooseRow(TDrawGrid* grid, int networkColumn, qint64 row) {
  const QString network = grid->cell(networkColumn, row);
  if (network.isEmpty()) return;
  if (network.contains(u':'))
    Q_EMIT ipv6NetworkChosen(network);
  else
    Q_EMIT ipv4NetworkChosen(network);
}

void TfrmPlanner::btnPlanCopyClick() {
  const GridRows* rows = currentGrid()->rows();
  if (!rows) return;
  CopyRows(this, *rows, {Tr(Text::sPlanAskCopy), Tr(Text::sPlanCopying), Tr(Text::sPlanCancel)});
}

void TfrmPlanner::btnPlanExportClick() {
  const GridRows* rows = currentGrid()->rows();
  if (!rows) return;
  const QString path = ChooseSaveFile(this, btnPlanExport->text().remove(u'&'), Tr(Text::sPlanCsvFiles));
  if (path.isEmpty()) return;
  QString failure;
  if (!ExportRows(this, *rows, path,
                  {Tr(Text::sPlanAskExport), Tr(Text::sPlanExporting), Tr(Text::sPlanCancel)}, &failure) &&
      !failure.isEmpty())
    ShowCenteredMessage(this, Tr(Text::sPlanExportFailed).arg(path, failure), MessageKind::Error);
}

}  // namespace quorvane
