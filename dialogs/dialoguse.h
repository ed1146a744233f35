// One use of a modal form: created with its owner, kept in its global form variable, translated, shown,
// and destroyed however the use ends.
#pragma once

#include <QDialog>
#include <QPointer>

#include "settings/langchanger.h"

namespace quorvane {

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
  void exec() const { m_dialog->exec(); }
  bool execAccepted() const { return m_dialog->exec() == QDialog::Accepted && m_dialog; }

 private:
  void release() {
    m_global = nullptr;
    delete m_dialog.data();
  }

  Dialog*& m_global;
  QPointer<Dialog> m_dialog;
};

}  // namespace quorvane
