// A tab control and its pages.
#pragma once

#include <QTabWidget>

#include "widgets/control.h"

namespace quorvane {

class TTabSheet;

// A tab control: its pages are TTabSheet, each with the caption of its tab.
class TPageControl : public TControl<QTabWidget> {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TPageControl(QWidget* parent, const QString& name, const QRect& place);
  // A new last page with this caption.
  TTabSheet* addSheet(const QString& name, const QString& caption);
};

// A page of a tab control. Its caption is the text of its tab; the page fills the control, so its place
// is the control's.
class TTabSheet : public TControl<QWidget> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TTabSheet(TPageControl* control, const QString& name);
  QString caption() const;
  void setCaption(const QString& caption);

 private:
  TPageControl* m_control;
};

}  // namespace quorvane
