// Naming, placing and the font substitutes shared by every control.
#include "widgets/control.h"

#include <QAbstractButton>
#include <QFont>

namespace quorvane {

void PlaceControl(QWidget* control, const QString& name, const QRect& place) {
  control->setObjectName(name);
  control->setGeometry(place);
}

void NameAfterHint(QAbstractButton* button) {
  if (button->text().isEmpty()) button->setAccessibleName(button->toolTip());
}

void InstallFontSubstitutes() {
  static const bool done = [] {
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
    return true;
  }();
  (void)done;
}

}  // namespace quorvane
