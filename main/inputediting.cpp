// The main window's calculation and the editing of its inputs.
#include <QString>

#include "core/addressinput.h"
#include "core/display.h"
#include "core/exception.h"
#include "core/subnet.h"
#include "main/quorvaneform.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

// The fields hold 8-bit text in the system's code page, which on Linux is UTF-8.
std::string inputBytes(const QLineEdit* field) { return field->text().toLocal8Bit().toStdString(); }

QString dotted(Ipv4 value) { return QString::fromLatin1(InetNtoa(value)); }

QString additional(Ipv4 value) {
  const DisplayText text = ConvertTostring(value, Settings().DefaultTypeConvert);
  return QString::fromLatin1(text.view().data(), static_cast<qsizetype>(text.view().size()));
}

}  // namespace

Ipv4 TQuorvaneForm::GetMask() { return ReadMask(inputBytes(edMask), FMaskForm); }

void TQuorvaneForm::clearResults() {
  for (TEdit* field : m_results) field->clear();
}

void TQuorvaneForm::rejectInput(QLineEdit* field, const QString& message) {
  clearResults();
  ShowCenteredMessage(this, message, MessageKind::Error);
  field->selectAll();
  field->setFocus();
}

bool TQuorvaneForm::readRequest(Ipv4& address, Ipv4& mask) {
  address = InetAddr(inputBytes(edAddress));
  if (address == kInvalid) {
    rejectInput(edAddress, Tr(Text::sErrorInIP));
    return false;
  }
  try {
    mask = GetMask();
  } catch (const ConvertError&) {
    // A prefix whose number does not convert is a faulty mask like any other.
    mask = kInvalid;
  }
  if (mask == kInvalid) {
    rejectInput(edMask, Tr(Text::sErrorInMask));
    return false;
  }
  return true;
}

void TQuorvaneForm::actCalculateExecute() {
  // The results are either all written or all emptied. On success every field is overwritten, so they
  // are emptied only on the way to a message: a field's text layout is the costliest part of a calculation.
  try {
    Ipv4 address, mask;
    if (!readRequest(address, mask)) return;

    const Subnet s = CalculateSubnet(address, mask);
    edInputAddress->setText(dotted(s.address));
    edInputAddressBIN->setText(additional(s.address));
    edInputMask->setText(dotted(s.mask));
    edInputMaskBIN->setText(additional(s.mask));
    edInputMaskInverse->setText(dotted(s.inverse));
    edInputMaskInverseBIN->setText(additional(s.inverse));
    edInputPrefix->setText(QStringLiteral("/%1").arg(s.prefix));
    edNetwork->setText(dotted(s.network));
    edNetworkBIN->setText(additional(s.network));
    edBroadcast->setText(dotted(s.broadcast));
    edBroadcastBIN->setText(additional(s.broadcast));
    edMaxIP->setText(dotted(s.maxHost));
    edMaxIPBIN->setText(additional(s.maxHost));
    edMinIP->setText(dotted(s.minHost));
    edMinIPBIN->setText(additional(s.minHost));
    edHostNum->setText(QString::number(s.hosts));
    edHostRange->setText(QString::fromStdString(HostRangeText(s)));
    // In binary the network and host bits of each value are drawn apart.
    const int boundary = Settings().DefaultTypeConvert == kBinary ? s.prefix : -1;
    for (TEdit* field : {edInputAddressBIN, edInputMaskBIN, edInputMaskInverseBIN, edNetworkBIN,
                         edBroadcastBIN, edMaxIPBIN, edMinIPBIN})
      field->setBitBoundary(boundary);
  } catch (const Exception&) {
    // Any other failure of the calculation: the results stay all empty, never half-written.
    clearResults();
    ShowCenteredMessage(this, Tr(Text::sErrorInIP), MessageKind::Error);
  }
}

void TQuorvaneForm::edAddressChange() { clearResults(); }

bool TQuorvaneForm::pasteAddressAndMask(const QString& text) {
  const auto parts = SplitAddressAndMask(text.toLocal8Bit().toStdString());
  if (!parts) return false;
  // Inserted over the whole text rather than set, so that Ctrl+Z takes each input back.
  for (const auto& [field, part] : {std::pair{edAddress, &parts->first}, {edMask, &parts->second}}) {
    field->selectAll();
    field->insert(QString::fromLocal8Bit(part->data(), qsizetype(part->size())));
  }
  return true;
}

void TQuorvaneForm::udMaskChangingEx(bool& allowChange, int, UpDownDirection direction) {
  // The spinner never moves: its position stays in the middle, so both arrows always work.
  allowChange = false;
  try {
    const Ipv4 mask = GetMask();
    if (mask == kInvalid) {
      ShowCenteredMessage(this, Tr(Text::sErrorInMask), MessageKind::Error);
      return;
    }
    if (direction == UpDownDirection::None) return;
    const int next = StepPrefix(MaskToPrefix(mask), direction == UpDownDirection::Up);
    edMask->setText(QString::fromLatin1(WriteMask(PrefixToMask(next), FMaskForm)));
    command("actCalculate")->trigger();
  } catch (const Exception&) {
    ShowCenteredMessage(this, Tr(Text::sErrorInMask), MessageKind::Error);
  }
}

void TQuorvaneForm::cbTypeChange() {
  Settings().DefaultTypeConvert = static_cast<std::uint8_t>(GetTypeConvert());
  command("actCalculate")->trigger();
}

void TQuorvaneForm::actClearAllExecute() {
  edAddress->clear();
  edMask->clear();
  clearResults();
}

void TQuorvaneForm::setClassMask(const char* mask) {
  edMask->setText(QLatin1String(mask));
  command("actCalculate")->trigger();
}

void TQuorvaneForm::actSetClassAExecute() { setClassMask("255.0.0.0"); }
void TQuorvaneForm::actSetClassBExecute() { setClassMask("255.255.0.0"); }
void TQuorvaneForm::actSetClassCExecute() { setClassMask("255.255.255.0"); }

}  // namespace quorvane
