// The IPv6 calculator window: layout, its command, its inputs and its section of the settings file.
#include "forms/frmipv6.h"

#include "core/exception.h"
#include "settings/texttable.h"
#include "widgets/buttons.h"
#include "widgets/errorguard.h"
#include "widgets/groupbox.h"
#include "widgets/label.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

// Places of the rows, as in the main window: label, field and a row pitch of 24 pixels.
constexpr int kClientWidth = 680, kRequestHeight = 78, kLabelLeft = 8, kLabelWidth = 121, kFieldLeft = 136,
              kRowHeight = 21, kRowPitch = 24;
// The longest input kept from the settings file: more than any address with a zone and a prefix.
constexpr int kStoredInputLength = 255;

const QByteArray kLeft = QByteArrayLiteral("Left");
const QByteArray kTop = QByteArrayLiteral("Top");
const QByteArray kAddress = QByteArrayLiteral("Address");
const QByteArray kPrefix = QByteArrayLiteral("Prefix");

std::string inputBytes(const QLineEdit* field) { return field->text().toUtf8().toStdString(); }

// A stored input as the field may hold it: up to a first zero byte, on one line, and not longer than a
// field's text needs to be.
QString storedInput(const profile::FileSnapshot& file, const QByteArray& key,
                    const QByteArray& defaultValue) {
  QByteArray value = file.ReadString(TfrmIPv6::kSection, key, defaultValue, kStoredInputLength);
  if (const qsizetype zero = value.indexOf('\0'); zero >= 0) value.truncate(zero);
  return QString::fromUtf8(value);
}

// An input as the settings file can hold it: no line break or zero byte, which would refuse the write.
QByteArray storableInput(const QString& text) {
  QByteArray value = text.left(kStoredInputLength).toUtf8();
  value.replace('\r', ' ').replace('\n', ' ').replace('\0', ' ');
  return value;
}

}  // namespace

const QByteArray TfrmIPv6::kSection = QByteArrayLiteral("IPv6 Window");

TfrmIPv6::TfrmIPv6(QWidget* owner, const QString& settingsPath) : TForm(owner) {
  setObjectName(QStringLiteral("frmIPv6"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Fixed single border, as the main window: neither resized nor maximised.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setWindowTitle(QStringLiteral("IPv6 calculator"));

  auto* action = new TAction(this, QStringLiteral("actV6Calculate"));
  action->setText(QStringLiteral("Calculate"));
  action->setHintText(QStringLiteral("Calculate"));
  // Enter calculates whichever control has the focus: the main keyboard's Return and the keypad's Enter.
  action->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)});
  action->setShortcutContext(Qt::WindowShortcut);
  addAction(action);
  connect(action, &QAction::triggered, this,
          [this] { RunGuarded(this, [this] { actV6CalculateExecute(); }); });

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);
  createRequestGroup(client, kClientWidth);
  createResultGroup(client, kClientWidth);
  setClientSize(kClientWidth, kRequestHeight + 15 + kIpv6FieldCount * kRowPitch + 6);
  setTabOrder(edV6Address, edV6Prefix);
  edV6Address->setFocus();
  reachWithF6({m_results.begin(), m_results.end()});

  const profile::FileSnapshot file(settingsPath);
  const int left = file.ReadInt(kSection, kLeft, 0), top = file.ReadInt(kSection, kTop, 0);
  m_hasStoredPlace = file.HasKey(kSection, kLeft) && file.HasKey(kSection, kTop);
  // Bounded here so that Qt's sums cannot overflow; the first show puts the title bar on a screen.
  if (m_hasStoredPlace) move(BoundCoordinate(left), BoundCoordinate(top));
  edV6Address->setText(storedInput(file, kAddress, {}));
  edV6Prefix->setText(storedInput(file, kPrefix, "64"));
  QLineEdit* faulty = nullptr;
  if (!edV6Address->text().isEmpty()) calculate(faulty);
}

void TfrmIPv6::createRequestGroup(QWidget* client, int width) {
  auto* box = new TGroupBox(client, QStringLiteral("gbV6Request"), QStringLiteral("Request"),
                            {0, 0, width, kRequestHeight});
  edV6Address = new TLabeledEdit(box, QStringLiteral("edV6Address"), QStringLiteral("Address"),
                                 {kFieldLeft, 20, 360, kRowHeight});
  edV6Prefix = new TLabeledEdit(box, QStringLiteral("edV6Prefix"), QStringLiteral("Prefix"),
                                {kFieldLeft, 20 + kRowPitch, 49, kRowHeight});
  edV6Address->setPasteFilter([this](const QString& text) { return pasteAddressAndPrefix(text); });
  for (TLabeledEdit* input : {edV6Address, edV6Prefix}) {
    connect(input, &QLineEdit::textChanged, this,
            [this] { RunGuarded(this, [this] { edV6AddressChange(); }); });
  }
  auto* button = new TSpeedButton(box, QStringLiteral("btnV6Calc"), {width - 119, 19, 111, 46});
  button->setDefaultAction(command("actV6Calculate"));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TfrmIPv6::createResultGroup(QWidget* client, int width) {
  const int height = 15 + kIpv6FieldCount * kRowPitch + 6;
  auto* box = new TGroupBox(client, QStringLiteral("gbV6Result"), QStringLiteral("Result"),
                            {0, kRequestHeight, width, height});
  const struct {
    const char* label;
    const char* caption;
    const char* field;
  } rows[kIpv6FieldCount] = {
      {"lblV6Expanded", "Expanded", "edV6Expanded"},
      {"lblV6Compressed", "Compressed", "edV6Compressed"},
      {"lblV6Network", "Network", "edV6Network"},
      {"lblV6First", "First address", "edV6First"},
      {"lblV6Last", "Last address", "edV6Last"},
      {"lblV6Count", "Addresses", "edV6Count"},
      {"lblV6Type", "Type", "edV6Type"},
      {"lblV6Embedded", "Embedded IPv4", "edV6Embedded"},
      {"lblV6Reverse", "Reverse name", "edV6Reverse"},
      {"lblV6Zone", "Reverse zone", "edV6Zone"},
  };
  int top = 15;
  for (std::size_t i = 0; i < m_results.size(); ++i) {
    auto* label = new TLabel(box, QLatin1String(rows[i].label), QLatin1String(rows[i].caption),
                             {kLabelLeft, top, kLabelWidth, kRowHeight});
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_results[i] =
        new TEdit(box, QLatin1String(rows[i].field), {kFieldLeft, top, width - kFieldLeft - 8, kRowHeight});
    label->setBuddy(m_results[i]);
    top += kRowPitch;
  }
}

TAction* TfrmIPv6::command(const char* name) const {
  return findChild<TAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void TfrmIPv6::setVisible(bool visible) {
  if (visible && !m_placed) {
    m_placed = true;
    // Made first, the window knows its frame; a stored place that leaves the title bar off every screen is
    // moved onto the nearest one. Without one, the window opens over its owner's middle.
    create();
    QPoint place = pos();
    if (!m_hasStoredPlace && parentWidget())
      place = parentWidget()->frameGeometry().center() -
              QPoint(frameGeometry().width(), frameGeometry().height()) / 2;
    placeOnScreens(place);
  }
  TForm::setVisible(visible);
}

QList<profile::Entry> TfrmIPv6::settingsEntries() const {
  return {
      {kSection, kLeft, QByteArray::number(pos().x())},
      {kSection, kTop, QByteArray::number(pos().y())},
      {kSection, kAddress, storableInput(edV6Address->text())},
      {kSection, kPrefix, storableInput(edV6Prefix->text())},
  };
}

void TfrmIPv6::clearResults() {
  for (TEdit* field : m_results) field->clear();
}

bool TfrmIPv6::calculate(QLineEdit*& faulty) {
  // The results are either all written or all emptied, never half of them.
  faulty = edV6Address;
  const std::optional<PastedIpv6> input = ReadPastedIpv6(inputBytes(edV6Address));
  if (input) {
    // A prefix written after the address wins over the prefix field, which then is not read at all.
    faulty = edV6Prefix;
    const int prefix = input->prefix ? *input->prefix : ReadIpv6Prefix(inputBytes(edV6Prefix)).value_or(-1);
    if (prefix >= 0) {
      faulty = nullptr;
      const Ipv6ResultTexts texts = Ipv6Results(input->address, prefix);
      for (std::size_t i = 0; i < m_results.size(); ++i) m_results[i]->setText(texts[i]);
      return true;
    }
  }
  clearResults();
  return false;
}

void TfrmIPv6::rejectInput(QLineEdit* field, const QString& message) {
  ShowCenteredMessage(this, message, MessageKind::Error);
  // The box's end gives the activation back to whichever window the desktop picks: this one takes it.
  activateWindow();
  field->selectAll();
  field->setFocus();
}

void TfrmIPv6::actV6CalculateExecute() {
  QLineEdit* faulty = nullptr;
  if (calculate(faulty)) return;
  rejectInput(faulty, Tr(faulty == edV6Address ? Text::sErrorInIPv6 : Text::sErrorInPrefix6));
}

void TfrmIPv6::edV6AddressChange() { clearResults(); }

bool TfrmIPv6::pasteAddressAndPrefix(const QString& text) {
  const std::optional<PastedIpv6> pasted = ReadPastedIpv6(text.toUtf8().toStdString());
  if (!pasted || !pasted->prefix) return false;
  const QString trimmed = text.trimmed();
  // Inserted over the whole text rather than set, so that Ctrl+Z takes each input back.
  edV6Address->selectAll();
  edV6Address->insert(trimmed.left(trimmed.lastIndexOf(QLatin1Char('/'))));
  edV6Prefix->selectAll();
  edV6Prefix->insert(QString::number(*pasted->prefix));
  return true;
}

void TfrmIPv6::takeAddress(const QString& text) {
  edV6Address->setText(text.trimmed());
  command("actV6Calculate")->trigger();
}

void TfrmIPv6::retranslateResults() {
  QLineEdit* faulty = nullptr;
  if (!m_results.front()->text().isEmpty()) calculate(faulty);
}

}  // namespace quorvane
