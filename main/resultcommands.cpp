// The main window's results as text: Copy results and the address details.
#include <QClipboard>
#include <QGuiApplication>

#include "core/subnet.h"
#include "dialogs/dialoguse.h"
#include "dialogs/dlgaddressdetails.h"
#include "main/quorvaneform.h"
#include "settings/texttable.h"
#include "widgets/label.h"

namespace quorvane {

QString TQuorvaneForm::ResultsText() const {
  if (edInputAddress->text().isEmpty()) return {};
  // The window's reading order: each label with its field and, beside an address, its additional view.
  const struct {
    const char* label;
    const TEdit* first;
    const TEdit* second;
  } rows[] = {
      {"lblInputAddress", edInputAddress, edInputAddressBIN},
      {"lblInputMask", edInputMask, edInputMaskBIN},
      {"lbledInputMaskInverse", edInputMaskInverse, edInputMaskInverseBIN},
      {"lblInputPrefix", edInputPrefix, nullptr},
      {"lblNetwork", edNetwork, edNetworkBIN},
      {"lblMinIP", edMinIP, edMinIPBIN},
      {"lblMaxIP", edMaxIP, edMaxIPBIN},
      {"lblBroadcast", edBroadcast, edBroadcastBIN},
      {"lblHostNum", edHostNum, edHostRange},
  };
  QString text;
  for (const auto& row : rows) {
    text += findChild<TLabel*>(QLatin1String(row.label))->spokenCaption() + QStringLiteral(": ") +
            row.first->text();
    if (row.second && !row.second->text().isEmpty()) text += QLatin1Char(' ') + row.second->text();
    text += QLatin1Char('\n');
  }
  return text + Tr(Text::sDetailNetwork) + QStringLiteral(": ") + edNetwork->text() + edInputPrefix->text() +
         QLatin1Char('\n');
}

void TQuorvaneForm::actCopyResultsExecute() {
  // Without results the clipboard keeps what it holds.
  const QString text = ResultsText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TQuorvaneForm::actAddressDetailsExecute() {
  Ipv4 address, mask;
  if (!readRequest(address, mask)) return;
  const DialogUse<TdlgAddressDetails> dialog(dlgAddressDetails, this);
  dialog->setRows(AddressDetailRows(CalculateSubnet(address, mask)));
  dialog.exec();
}

}  // namespace quorvane
