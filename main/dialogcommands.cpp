// The main window's reference dialogs and its own-address command.
#include "dialogs/dialoguse.h"
#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "dialogs/ipandmask.h"
#include "main/quorvaneform.h"

namespace quorvane {

void TQuorvaneForm::actShowInfoExecute() {
  const DialogUse<TdlgShowInfo> dialog(dlgShowInfo, this);
  if (!dialog.execAccepted()) return;
  edMask->setText(dialog->chosenMask());
  command("actCalculate")->trigger();
}

void TQuorvaneForm::actShowDiapExecute() {
  const DialogUse<TdlgShowDiap> dialog(dlgShowDiap, this);
  if (!dialog.execAccepted()) return;
  // The block splits at its first "/": the address before it, the prefix mask from it on. A block
  // without one is taken as a mask alone.
  const QString block = dialog->chosenBlock();
  const qsizetype slash = block.indexOf(u'/');
  edAddress->setText(slash < 0 ? QString() : block.left(slash));
  edMask->setText(slash < 0 ? block : block.mid(slash));
  command("actCalculate")->trigger();
}

void TQuorvaneForm::actMyParametersExecute() {
  TIPAndMask adapters;
  adapters.ReadAddresses();
  if (adapters.Addresses.Count() == 0) return;
  QString address;
  QString mask;
  if (!SelectIpAndMask(adapters, address, mask)) return;
  edAddress->setText(address);
  edMask->setText(mask);
  command("actCalculate")->trigger();
}

bool TQuorvaneForm::SelectIpAndMask(TIPAndMask& addresses, QString& address, QString& mask) {
  const TAddressCollection& items = addresses.Addresses;
  // Nothing to choose from: nothing chosen (the callers never ask, but an empty dialog would offer nothing).
  if (items.Count() == 0) return false;
  if (items.Count() == 1) {
    address = items.Items(0).IpAddress;
    mask = items.Items(0).IpMAsk;
    return true;
  }

  const DialogUse<TdlgSelectAddresses> dialog(dlgSelectAddresses, this);
  QStringList captions;
  for (int i = 0; i < items.Count(); ++i) captions << items.Items(i).IpAddress;
  TRadioGroup* group = dialog->addressGroup();
  group->setItems(captions);
  group->setItemIndex(0);
  if (!dialog.execAccepted()) return false;
  const int chosen = group->itemIndex();
  if (chosen < 0 || chosen >= items.Count()) return false;
  address = items.Items(chosen).IpAddress;
  mask = items.Items(chosen).IpMAsk;
  return true;
}

}  // namespace quorvane
