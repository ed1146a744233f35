// A tab control and its pages.
#include "widgets/pagecontrol.h"

namespace quorvane {

TPageControl::TPageControl(QWidget* parent, const QString& name, const QRect& rect)
    : TControl<QTabWidget>(parent) {
  PlaceControl(this, name, rect);
  setDocumentMode(false);
}

TTabSheet* TPageControl::addSheet(const QString& name, const QString& caption) {
  auto* sheet = new TTabSheet(this, name);
  addTab(sheet, caption);
  return sheet;
}

TTabSheet::TTabSheet(TPageControl* control, const QString& name)
    : TControl<QWidget>(control), m_control(control) {
  setObjectName(name);
}

QString TTabSheet::caption() const { return m_control->tabText(m_control->indexOf(this)); }

void TTabSheet::setCaption(const QString& caption) {
  m_control->setTabText(m_control->indexOf(this), caption);
}

}  // namespace quorvane
