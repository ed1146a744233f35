// The main window's reference dialogs and its own-address command.
#include <QPointer>

#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "dialogs/ipandmask.h"
#include "main/quorvaneform.h"
#include "settings/langchanger.h"

namespace quorvane {

namespace {

// One use of a dialog: created with its owner, kept in its global form variable, translated, and
// destroyed however the use ends, also when an error passes. The dialog is a child of its owner, so
// should the owner go first, the pointer notices and nothing is deleted twice.
template <typename Dialog>
class DialogUse {
 public:
  DialogUse(Dialog*& global, QWidget* owner) : m_global(global), m_dialog(new Dialog(owner)) {
    m_global = m_dialog;
    try {
      LangChanger().TranslateForm(m_dialog);
    } catch (...) {
      release();
      throw;
    }
  }
  ~DialogUse() { release(); }
  DialogUse(const DialogUse&) = delete;
  DialogUse& operator=(const DialogUse&) = delete;

  Dialog* operator->() const { return m_dialog.data(); }
  bool execAccepted() const { return m_dialog->exec() == QDialog::Accepted && m_dialog; }

 private:
  void release() {
    m_global = nullptr;
    delete m_dialog.data();
  }

  Dialog*& m_global;
  QPointer<Dialog> m_dialog;
};

}  // namespace

void TQuorvaneForm::actShowInfoExecute() {
  const DialogUse<TdlgShowInfo> dialog(dlgShowInfo, this);
  if (dialog.execAccepted()) command("actCalculate")->trigger();
}

void TQuorvaneForm::actShowDiapExecute() {
  const DialogUse<TdlgShowDiap> dialog(dlgShowDiap, this);
  if (dialog.execAccepted()) command("actCalculate")->trigger();
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
