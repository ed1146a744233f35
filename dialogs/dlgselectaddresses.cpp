// The choice among the machine's own addresses.
#include "dialogs/dlgselectaddresses.h"

namespace quorvane {

TdlgSelectAddresses* dlgSelectAddresses = nullptr;

TdlgSelectAddresses::TdlgSelectAddresses(QWidget* owner) : TDialogForm(owner) {
  setObjectName(QStringLiteral("dlgSelectAddresses"));
  setWindowTitle(QStringLiteral("Select address"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(384, 179);

  // However many addresses there are, the group keeps its size and scrolls.
  rgIPAddresses =
      new TRadioGroup(this, QStringLiteral("rgIPAddresses"), QStringLiteral("Addresses"), {8, 8, 281, 161});
  OKBtn = new TButton(this, QStringLiteral("OKBtn"), QStringLiteral("OK"), {300, 8, 75, 25});
  OKBtn->setDefault(true);
  CancelBtn = new TButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"), {300, 38, 75, 25});
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace quorvane
