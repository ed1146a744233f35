// Labels, and screen-reader names taken from them.
#pragma once

#include <QLabel>
#include <QList>
#include "widgets/control.h"

namespace quorvane {

class TLabel : public TControl<QLabel> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setCaption NOTIFY captionChanged)
  QUORVANE_CONTROL_PROPERTIES
 public:
  explicit TLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  void setCaption(const QString& caption);
  // The caption as a screen reader says it: without the "&" that marks the mnemonic ("&&" is one "&").
  QString spokenCaption() const;
  // The buddy takes the focus on the label's mnemonic and is named after the label (NameAfterLabels).
  void setBuddy(QWidget* buddy);

 Q_SIGNALS:
  void captionChanged();
};

// Names a control for screen readers after the labels a sighted user reads it by: their captions without
// the "&" mnemonic marker, joined by `separator`. The name follows every later change of a caption.
void NameAfterLabels(QWidget* control, const QList<TLabel*>& labels,
                     const QString& separator = QStringLiteral(", "));

}  // namespace quorvane
