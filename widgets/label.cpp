// Labels, and screen-reader names taken from them.
#include "widgets/label.h"

#include <QPointer>

namespace quorvane {

namespace {

// "&" marks the mnemonic letter and is not read out; "&&" stands for one "&".
QString withoutMnemonicMarker(const QString& caption) {
  QString spoken;
  spoken.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 == caption.size() || caption[i + 1] != u'&') continue;
      ++i;
    }
    spoken += caption[i];
  }
  return spoken;
}

}  // namespace

void NameAfterLabels(QWidget* control, const QList<TLabel*>& labels, const QString& separator) {
  const QList<QPointer<TLabel>> sources(labels.begin(), labels.end());
  const auto rename = [control, sources, separator] {
    QStringList captions;
    for (const QPointer<TLabel>& label : sources)
      if (label) captions << label->spokenCaption();
    control->setAccessibleName(captions.join(separator));
  };
  for (TLabel* label : labels) QObject::connect(label, &TLabel::captionChanged, control, rename);
  rename();
}

TLabel::TLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QLabel>(caption, parent) {
  PlaceControl(this, name, rect);
}

void TLabel::setCaption(const QString& caption) {
  setText(caption);
  Q_EMIT captionChanged();
}

QString TLabel::spokenCaption() const { return withoutMnemonicMarker(text()); }

void TLabel::setBuddy(QWidget* buddy) {
  QLabel::setBuddy(buddy);
  if (buddy) NameAfterLabels(buddy, {this});
}

}  // namespace quorvane
