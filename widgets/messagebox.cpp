// The program's message box.
#include "widgets/messagebox.h"

#include <QPointer>

#include "widgets/ownercentring.h"

namespace quorvane {

QMessageBox::StandardButton ShowCenteredMessage(QWidget* owner, const QString& text, MessageKind kind,
                                                QMessageBox::StandardButtons buttons,
                                                const QString& details) {
  static const struct {
    QMessageBox::Icon icon;
    const char* caption;
  } kKinds[] = {
      {QMessageBox::Critical, "Error"},
      {QMessageBox::Warning, "Warning"},
      {QMessageBox::Information, "Information"},
      {QMessageBox::Question, "Confirm"},
  };
  const auto& look = kKinds[static_cast<int>(kind)];
  QWidget* window = owner ? owner->window() : nullptr;
  QPointer<QMessageBox> box =
      new QMessageBox(look.icon, QString::fromLatin1(look.caption), text, buttons, window);
  box->setObjectName(QStringLiteral("ShowCenteredMessage"));
  box->setTextFormat(Qt::PlainText);
  if (!details.isEmpty()) box->setInformativeText(details);
  CentreOnOwner(box);
  const auto result = static_cast<QMessageBox::StandardButton>(box->exec());
  delete box;
  return result;
}

}  // namespace quorvane
