// The choice among the machine's own addresses: one radio button per address.
#pragma once

#include "widgets/buttons.h"
#include "widgets/dialogform.h"
#include "widgets/radiogroup.h"

namespace quorvane {

// The dialog has no handlers of its own: its owner fills rgIPAddresses and reads the choice.
class TdlgSelectAddresses : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgSelectAddresses(QWidget* owner);

  TRadioGroup* addressGroup() const { return rgIPAddresses; }

 private:
  TRadioGroup* rgIPAddresses;
  TButton* OKBtn;
  TButton* CancelBtn;
};

// The dialog while it is open (null otherwise).
extern TdlgSelectAddresses* dlgSelectAddresses;

}  // namespace quorvane
