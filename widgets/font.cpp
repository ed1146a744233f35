// A control's font as an object of its own, as language files name it.
#include "widgets/font.h"

#include <QFont>
#include <QWidget>
#include <cmath>

#include "widgets/screenfit.h"

namespace quorvane {

namespace {

// Design sizes are given at 96 pixels per inch: 8 points are 11 pixels.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace

TFont::TFont(QWidget* owner) : QObject(owner), m_owner(owner) {}

QString TFont::name() const { return m_owner->font().family(); }

void TFont::setName(const QString& name) {
  QFont font = m_owner->font();
  font.setFamily(name);
  m_owner->setFont(font);
}

int TFont::size() const {
  const QFont font = m_owner->font();
  if (font.pointSizeF() > 0) return static_cast<int>(std::lround(font.pointSizeF()));
  return static_cast<int>(std::lround(font.pixelSize() / kPixelsPerPoint));
}

void TFont::setSize(int points) {
  if (points <= 0) return;
  QFont font = m_owner->font();
  font.setPointSize(BoundFontPoints(points));
  m_owner->setFont(font);
}

int TFont::height() const {
  const QFont font = m_owner->font();
  if (font.pixelSize() > 0) return -font.pixelSize();
  return -static_cast<int>(std::lround(font.pointSizeF() * kPixelsPerPoint));
}

void TFont::setHeight(int height) {
  // A negative height is the character height; a positive one the cell height, of which the character
  // takes about four fifths.
  // In 64 bits: the character height of INT_MIN is no int.
  const qint64 pixels = height < 0 ? -qint64(height) : std::llround(height * 0.8);
  if (pixels <= 0) return;
  setSize(BoundFontPoints(std::llround(double(pixels) / kPixelsPerPoint)));
}

}  // namespace quorvane
