// The main window: layout, commands, menu and tool bar.
#include "main/quorvaneform.h"

#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "dialogs/ipandmask.h"
#include "main/artwork.h"
#include "main/commandline.h"
#include "main/programicon.h"
#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "settings/versiontext.h"
#include "widgets/buttons.h"
#include "widgets/errorguard.h"
#include "widgets/groupbox.h"
#include "widgets/image.h"

namespace quorvane {

namespace {

TQuorvaneForm* g_quorvaneForm = nullptr;

// The command list: designed captions and hints (language files replace them), image numbers, shortcuts.
struct CommandData {
  const char* name;
  const char* category;
  const char* caption;
  const char* hint;
  int image;  // 0: none
  QKeyCombination shortcut;
};

constexpr QKeyCombination kNone{};

const CommandData kCommands[] = {
    {"actCalculate", "Action", "Calculate", "Calculate", 8, Qt::Key_Return},
    {"actClearAll", "Action", "Clear all", "Clear all", 9, kNone},
    {"actMyParameters", "Action", "My parameters", "My parameters", 10, kNone},
    {"actShowDiap", "Action", "Reserved addresses", "Reserved blocks of IP addresses", 15, kNone},
    {"actSetClassA", "Action", "Subnetted as Class A", "Subnetted as Class A", 14, kNone},
    {"actSetClassB", "Action", "Subnetted as Class B", "Subnetted as Class B", 11, kNone},
    {"actSetClassC", "Action", "Subnetted as Class C", "Subnetted as Class C", 12, kNone},
    {"actShowInfo", "Action", "Subnet Mask Info", "Subnet Mask Info", 13, kNone},
    {"actExit", "Action", "Exit", "Exit", 0, Qt::ALT | Qt::Key_F4},
    {"actIPv6", "Tools", "IPv6 calculator", "IPv6 calculator", 0, Qt::CTRL | Qt::Key_6},
    {"actHelp", "Help", "Help", "Help", 5, Qt::Key_F1},
    {"actFAQ", "Help", "FAQ", "FAQ", 6, Qt::CTRL | Qt::Key_F1},
    {"actWhatNew", "Help", "What\u2019s new?", "What\u2019s new?", 0, kNone},
    {"actHome", "Help", "Visit Homepage", "Visit Homepage", 3, kNone},
    {"actMail", "Help", "E-mail to author", "E-mail to author", 4, kNone},
    {"actAbout", "Help", "About...", "About...", 1, kNone},
    {"actPlanner", "Tools", "Subnet planner", "Subnet planner", 0, Qt::CTRL | Qt::Key_P},
    {"actCopyResults", "Action", "Copy results", "Copy results", 0, Qt::CTRL | Qt::SHIFT | Qt::Key_C},
    {"actAddressDetails", "Action", "Address details", "Address details", 0, Qt::CTRL | Qt::Key_I},
};

// Places of the result rows: label, first column and second column share a row top.
constexpr int kLabelLeft = 8, kLabelWidth = 97, kFirstLeft = 112, kFirstWidth = 121, kSecondLeft = 240,
              kSecondWidth = 217, kRowHeight = 21;

}  // namespace

TQuorvaneForm* QuorvaneForm() { return g_quorvaneForm; }

TQuorvaneForm::TQuorvaneForm(QWidget* parent) : TFormINI(parent) {
  g_quorvaneForm = this;
  setObjectName(QStringLiteral("QuorvaneForm"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Fixed single border with a system menu and a minimise box: neither resized nor maximised.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setWindowTitle(ApplicationTitle());
  // Task bars and window switchers show it; the dialogs, owned by this window, carry it too.
  setWindowIcon(ProgramIcon());

  createCommands();
  createMenu();
  createToolBar();
  StatusBar1 = new TStatusBar(this, QStringLiteral("StatusBar1"), {20, 208});
  setStatusBar(StatusBar1);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);
  createRequestGroup(client);
  createInputGroup(client);
  createResultGroup(client);
  // The groups are docked to the top, the result group takes the remaining height.
  client->installEventFilter(this);
  setClientSize(466, 458);

  setTabOrder(edAddress, edMask);
  edAddress->setFocus();
  // Tab visits only the two inputs; F6 reaches the display type and the results (Shift+F6 goes back).
  QList<QWidget*> skippedByTab{cbType};
  for (TEdit* field : m_results) skippedByTab << field;
  reachWithF6(skippedByTab);
}

TQuorvaneForm::~TQuorvaneForm() {
  if (g_quorvaneForm == this) g_quorvaneForm = nullptr;
}

TAction* TQuorvaneForm::command(const char* name) const {
  return findChild<TAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

template <typename Signal, typename Sender>
void TQuorvaneForm::bind(Sender* sender, Signal signal, void (TQuorvaneForm::*handler)()) {
  connect(sender, signal, this,
          [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
}

void TQuorvaneForm::createCommands() {
  for (const CommandData& data : kCommands) {
    auto* action = new TAction(this, QLatin1String(data.name));
    action->setProperty("Category", QLatin1String(data.category));
    action->setText(QString::fromUtf8(data.caption));
    action->setHintText(QString::fromUtf8(data.hint));
    if (data.image) action->setIcon(CommandImage(data.image));
    if (data.shortcut != kNone) {
      QList<QKeySequence> keys{QKeySequence(data.shortcut)};
      // Enter is both the main keyboard's Return and the keypad's Enter.
      if (data.shortcut.key() == Qt::Key_Return) keys << QKeySequence(Qt::KeypadModifier | Qt::Key_Enter);
      action->setShortcuts(keys);
      action->setShortcutContext(Qt::WindowShortcut);
    }
    // Added to the window so that every shortcut works whichever control has the focus, also for the
    // commands that no menu entry or button shows.
    addAction(action);
  }
  bind(command("actCalculate"), &QAction::triggered, &TQuorvaneForm::actCalculateExecute);
  bind(command("actClearAll"), &QAction::triggered, &TQuorvaneForm::actClearAllExecute);
  bind(command("actSetClassA"), &QAction::triggered, &TQuorvaneForm::actSetClassAExecute);
  bind(command("actSetClassB"), &QAction::triggered, &TQuorvaneForm::actSetClassBExecute);
  bind(command("actSetClassC"), &QAction::triggered, &TQuorvaneForm::actSetClassCExecute);
  bind(command("actExit"), &QAction::triggered, &TQuorvaneForm::actExitExecute);
  bind(command("actShowInfo"), &QAction::triggered, &TQuorvaneForm::actShowInfoExecute);
  bind(command("actShowDiap"), &QAction::triggered, &TQuorvaneForm::actShowDiapExecute);
  bind(command("actMyParameters"), &QAction::triggered, &TQuorvaneForm::actMyParametersExecute);
  bind(command("actHelp"), &QAction::triggered, &TQuorvaneForm::actHelpExecute);
  bind(command("actFAQ"), &QAction::triggered, &TQuorvaneForm::actFAQExecute);
  bind(command("actHome"), &QAction::triggered, &TQuorvaneForm::actHomeExecute);
  bind(command("actWhatNew"), &QAction::triggered, &TQuorvaneForm::actWhatNewExecute);
  bind(command("actMail"), &QAction::triggered, &TQuorvaneForm::actMailExecute);
  bind(command("actAbout"), &QAction::triggered, &TQuorvaneForm::actAboutExecute);
  bind(command("actPlanner"), &QAction::triggered, &TQuorvaneForm::actPlannerExecute);
  bind(command("actCopyResults"), &QAction::triggered, &TQuorvaneForm::actCopyResultsExecute);
  bind(command("actAddressDetails"), &QAction::triggered, &TQuorvaneForm::actAddressDetailsExecute);
  bind(command("actIPv6"), &QAction::triggered, &TQuorvaneForm::actIPv6Execute);
}

void TQuorvaneForm::createMenu() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("MainMenu1"));
  setMenuBar(bar);

  auto* action = new TMenu(this, QStringLiteral("mnAction"), QStringLiteral("Action"));
  action->addAction(command("actCalculate"));
  action->addAction(command("actClearAll"));
  action->addAction(command("actCopyResults"));
  action->addSeparator();
  action->addAction(command("actMyParameters"));
  action->addAction(command("actShowDiap"));
  action->addAction(command("actAddressDetails"));
  auto* masks = new TMenu(this, QStringLiteral("mnMasks"), QStringLiteral("Masks"));
  masks->setToolTip(QStringLiteral("Masks"));
  masks->addAction(command("actSetClassA"));
  masks->addAction(command("actSetClassB"));
  masks->addAction(command("actSetClassC"));
  masks->addSeparator();
  masks->addAction(command("actShowInfo"));
  action->addMenu(masks);
  action->addSeparator();
  mnChangeLang = new TMenu(this, QStringLiteral("mnChangeLang"), QStringLiteral("Select language"));
  action->addMenu(mnChangeLang);
  action->addSeparator();
  action->addAction(command("actExit"));
  bar->addMenu(action);

  auto* tools = new TMenu(this, QStringLiteral("mnTools"), QStringLiteral("Tools"));
  tools->addAction(command("actIPv6"));
  tools->addAction(command("actPlanner"));
  bar->addMenu(tools);

  auto* help = new TMenu(this, QStringLiteral("mnHelp"), QStringLiteral("Help"));
  help->addAction(command("actWhatNew"));
  help->addAction(command("actHome"));
  help->addAction(command("actMail"));
  help->addSeparator();
  help->addAction(command("actAbout"));
  bar->addMenu(help);

  // F10 opens the first menu, as on other desktop programs; the arrow keys go on from there.
  auto* openMenus = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(openMenus, &QShortcut::activated, bar, [bar] {
    if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
  });
}

void TQuorvaneForm::createToolBar() {
  ToolBar1 = new TToolBar(this, QStringLiteral("ToolBar1"));
  for (const char* name :
       {"actCalculate", "actMyParameters", "actShowDiap", "actClearAll", "", "actSetClassA", "actSetClassB",
        "actSetClassC", "actShowInfo", "", "actHome", "actAbout"}) {
    if (*name)
      ToolBar1->addAction(command(name));
    else
      ToolBar1->addSeparator();
  }
  addToolBar(Qt::TopToolBarArea, ToolBar1);
}

void TQuorvaneForm::createRequestGroup(QWidget* client) {
  auto* box = new TGroupBox(client, QStringLiteral("gbRequest"), QStringLiteral("Request"), {0, 0, 466, 125});
  auto* picture = new TImage(box, QStringLiteral("Image1"), {13, 15, 48, 48});
  picture->setPixmap(RequestPicture(picture->palette().color(QPalette::Window)));
  // A new palette (a change of desktop theme) redraws it for the new window colour.
  picture->installEventFilter(this);
  auto* title = new TLabel(box, QStringLiteral("Label9"),
                           QStringLiteral("You can calculate addresses in network and subnet masks."),
                           {72, 16, 385, 17});
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* hint =
      new TLabel(box, QStringLiteral("Label10"),
                 QStringLiteral("Type address (for example: 192.168.28.6) and subnet mask (for example: "
                                "/27 either 255.255.255.224 or 0.0.0.15), and press button "
                                "\"Calculate\""),
                 {72, 32, 385, 33});
  hint->setWordWrap(true);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  edAddress =
      new TLabeledEdit(box, QStringLiteral("edAddress"), QStringLiteral("Address"), {112, 73, 121, 21});
  edMask = new TLabeledEdit(box, QStringLiteral("edMask"), QStringLiteral("Subnet Mask"), {112, 96, 105, 21});
  edAddress->setPasteFilter([this](const QString& text) { return pasteAddressAndMask(text); });
  bind(edAddress, &QLineEdit::textChanged, &TQuorvaneForm::edAddressChange);
  bind(edMask, &QLineEdit::textChanged, &TQuorvaneForm::edAddressChange);

  udMask = new TUpDown(box, QStringLiteral("udMask"), {217, 96, 16, 21}, 0, 100, 50);
  udMask->setOnChangingEx([this](bool& allowChange, int newValue, UpDownDirection direction) {
    allowChange = false;
    RunGuarded(this, [&] { udMaskChangingEx(allowChange, newValue, direction); });
  });
  udMask->stepWithArrowKeysOf(edMask);
  udMask->arrow(UpDownDirection::Up)->setToolTip(QStringLiteral("Next mask"));
  udMask->arrow(UpDownDirection::Down)->setToolTip(QStringLiteral("Previous mask"));

  auto* myParameters = new TSpeedButton(box, QStringLiteral("SpeedButton1"), {232, 72, 113, 22});
  myParameters->setDefaultAction(command("actMyParameters"));
  myParameters->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

  // The four small glyph buttons call the commands' handlers but carry hints of their own.
  const struct {
    const char* name;
    const char* hint;
    QRect place;
    int image;
    void (TQuorvaneForm::*handler)();
  } glyphButtons[] = {
      {"sbClassA", "Маска подсети класса A", {243, 96, 24, 22}, 14, &TQuorvaneForm::actSetClassAExecute},
      {"sbClassB", "Маска подсети класса B", {267, 96, 23, 22}, 11, &TQuorvaneForm::actSetClassBExecute},
      {"sbClassC", "Маска подсети класса C", {290, 96, 23, 22}, 12, &TQuorvaneForm::actSetClassCExecute},
      {"sbShowInfo", "Информация о масках", {313, 96, 23, 22}, 13, &TQuorvaneForm::actShowInfoExecute},
  };
  for (const auto& data : glyphButtons) {
    auto* button = new TSpeedButton(box, QLatin1String(data.name), data.place);
    button->setToolTip(QString::fromUtf8(data.hint));
    button->setIcon(CommandImage(data.image));
    if (data.handler) bind(button, &QToolButton::clicked, data.handler);
  }

  auto* calculate = new TSpeedButton(box, QStringLiteral("btnCalc"), {346, 72, 111, 46});
  calculate->setDefaultAction(command("actCalculate"));
  calculate->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TQuorvaneForm::createInputGroup(QWidget* client) {
  auto* box =
      new TGroupBox(client, QStringLiteral("gbInput"), QStringLiteral("Input Data"), {0, 125, 466, 144});
  auto* view =
      new TLabel(box, QStringLiteral("Label1"), QStringLiteral("Additional view"), {8, 14, 225, kRowHeight});
  view->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  cbType = new TComboBox(box, QStringLiteral("cbType"), {kSecondLeft, 14, kSecondWidth, kRowHeight});
  view->setBuddy(cbType);
  cbType->setItems({QStringLiteral("Binary"), QStringLiteral("Decimal"), QStringLiteral("Hexadecimal")});
  cbType->setFocusPolicy(Qt::ClickFocus);
  // Only a choice of the user changes the display type; the program's own selection does not.
  bind(cbType, &QComboBox::activated, &TQuorvaneForm::cbTypeChange);

  const struct {
    const char* label;
    const char* caption;
    TEdit** first;
    const char* firstName;
    TEdit** second;
    const char* secondName;
  } rows[] = {
      {"lblInputAddress", "Address", &edInputAddress, "edInputAddress", &edInputAddressBIN,
       "edInputAddressBIN"},
      {"lblInputMask", "Subnet Mask", &edInputMask, "edInputMask", &edInputMaskBIN, "edInputMaskBIN"},
      {"lbledInputMaskInverse", "Inverted Mask", &edInputMaskInverse, "edInputMaskInverse",
       &edInputMaskInverseBIN, "edInputMaskInverseBIN"},
      {"lblInputPrefix", "Prefix", &edInputPrefix, "edInputPrefix", nullptr, nullptr},
  };
  int top = 39;
  for (const auto& row : rows) {
    auto* label = new TLabel(box, QLatin1String(row.label), QLatin1String(row.caption),
                             {kLabelLeft, top, kLabelWidth, kRowHeight});
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    *row.first = new TEdit(box, QLatin1String(row.firstName), {kFirstLeft, top, kFirstWidth, kRowHeight});
    label->setBuddy(*row.first);
    if (row.second) {
      *row.second =
          new TEdit(box, QLatin1String(row.secondName), {kSecondLeft, top, kSecondWidth, kRowHeight});
      NameAfterLabels(*row.second, {label, view});
    }
    top += 24;
  }
}

bool TQuorvaneForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::PaletteChange && watched->objectName() == QLatin1String("Image1")) {
    auto* picture = static_cast<TImage*>(watched);
    picture->setPixmap(RequestPicture(picture->palette().color(QPalette::Window)));
  }
  if (watched == centralWidget() && event->type() == QEvent::Resize) {
    const int width = centralWidget()->width();
    for (const char* name : {"gbRequest", "gbInput", "gbResult"}) {
      auto* box = centralWidget()->findChild<TGroupBox*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
      const int height = box->objectName() == QLatin1String("gbResult")
                             ? std::max(0, centralWidget()->height() - box->y())
                             : box->height();
      box->setGeometry(box->x(), box->y(), width, height);
    }
  }
  return TFormINI::eventFilter(watched, event);
}

void TQuorvaneForm::createResultGroup(QWidget* client) {
  auto* box = new TGroupBox(client, QStringLiteral("gbResult"), QStringLiteral("Result"), {0, 269, 466, 142});
  auto* view = client->findChild<TLabel*>(QStringLiteral("Label1"));
  const struct {
    const char* label;
    const char* caption;
    TEdit** first;
    const char* firstName;
    TEdit** second;
    const char* secondName;
  } rows[] = {
      {"lblNetwork", "Network", &edNetwork, "edNetwork", &edNetworkBIN, "edNetworkBIN"},
      {"lblMinIP", "Min IP", &edMinIP, "edMinIP", &edMinIPBIN, "edMinIPBIN"},
      {"lblMaxIP", "Max IP", &edMaxIP, "edMaxIP", &edMaxIPBIN, "edMaxIPBIN"},
      {"lblBroadcast", "Broadcast", &edBroadcast, "edBroadcast", &edBroadcastBIN, "edBroadcastBIN"},
      {"lblHostNum", "Hosts per Network", &edHostNum, "edHostNum", &edHostRange, "edHostRange"},
  };
  int top = 15;
  for (const auto& row : rows) {
    auto* label = new TLabel(box, QLatin1String(row.label), QLatin1String(row.caption),
                             {kLabelLeft, top, kLabelWidth, kRowHeight});
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    *row.first = new TEdit(box, QLatin1String(row.firstName), {kFirstLeft, top, kFirstWidth, kRowHeight});
    label->setBuddy(*row.first);
    *row.second = new TEdit(box, QLatin1String(row.secondName), {kSecondLeft, top, kSecondWidth, kRowHeight});
    if (*row.second != edHostRange) NameAfterLabels(*row.second, {label, view});
    top += 24;
  }
  NameAfterLabels(edHostRange,
                  {box->findChild<TLabel*>(QStringLiteral("lblMinIP")),
                   box->findChild<TLabel*>(QStringLiteral("lblMaxIP"))},
                  QStringLiteral(" - "));
  m_results = {edInputAddress,     edInputAddressBIN,
               edInputMask,        edInputMaskBIN,
               edInputMaskInverse, edInputMaskInverseBIN,
               edInputPrefix,      edNetwork,
               edNetworkBIN,       edBroadcast,
               edBroadcastBIN,     edMaxIP,
               edMaxIPBIN,         edMinIP,
               edMinIPBIN,         edHostNum,
               edHostRange};
}

void TQuorvaneForm::FormCreate(const QString& argument) {
  ListLang();
  SetApplicationTitle(VersionText(false));
  setWindowTitle(ApplicationTitle());
  // An IPv6 address opens the IPv6 window once the main window is up; the main window starts as without one.
  const QString ipv6 = Ipv6ArgumentText(argument);
  if (!ipv6.isEmpty())
    QTimer::singleShot(0, this, [this, ipv6] { RunGuarded(this, [&] { ShowIPv6(ipv6); }); });
  if (!argument.isEmpty() && ipv6.isEmpty()) {
    takeAddressArgument(argument);
  } else {
    // The machine's first address that calculates, however many there are, without asking. Without one (no
    // network, only a /32 tunnel) the inputs stay empty and nothing is calculated: a message then would be
    // about input nobody typed.
    TIPAndMask ipAndMask;
    ipAndMask.ReadAddresses();
    if (const int first = ipAndMask.FirstCalculable(); first >= 0) {
      edAddress->setText(ipAndMask.Addresses.Items(first).IpAddress);
      edMask->setText(ipAndMask.Addresses.Items(first).IpMAsk);
    }
  }
  LoadLanguage();
  selectTypeConvert();
  if (!edAddress->text().isEmpty() || !edMask->text().isEmpty()) command("actCalculate")->trigger();
}

void TQuorvaneForm::selectTypeConvert() {
  const int type = Settings().DefaultTypeConvert;
  cbType->setCurrentIndex(type < cbType->count() ? type : -1);
}

int TQuorvaneForm::GetTypeConvert() const { return cbType->currentIndex(); }

void TQuorvaneForm::actExitExecute() { close(); }

void TQuorvaneForm::takeAddressArgument(const QString& argument) {
  const AddressArgument parts = SplitAddressArgument(argument);
  edAddress->setText(parts.address);
  edMask->setText(parts.mask);
}

void TQuorvaneForm::receiveHandOff(const QString& argument, const LaunchTokens& tokens) {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  ActivateForLaunch(windowHandle(), tokens);
  if (const QString ipv6 = Ipv6ArgumentText(argument); !ipv6.isEmpty()) {
    ShowIPv6(ipv6);
  } else if (!argument.isEmpty()) {
    takeAddressArgument(argument);
    command("actCalculate")->trigger();
  }
  Q_EMIT handOffReceived(argument);
}

}  // namespace quorvane
