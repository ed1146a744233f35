// The colours of a binary value's network and host bits.
#include "widgets/bitcolours.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorvane {

namespace {

double channel(double value) {
  return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
  const QColor c = colour.toRgb();
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mixed(const QColor& from, const QColor& to, double share) {
  const QColor a = from.toRgb(), b = to.toRgb();
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * share),
                          float(a.greenF() + (b.greenF() - a.greenF()) * share),
                          float(a.blueF() + (b.blueF() - a.blueF()) * share));
}

// The colour itself when it is readable on the background, else the least step towards black or white
// that makes it so.
QColor readable(const QColor& colour, const QColor& background) {
  const QColor extreme = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
                             ? QColor(Qt::black)
                             : QColor(Qt::white);
  constexpr int kSteps = 64;
  for (int step = 0; step < kSteps; ++step) {
    const QColor candidate = mixed(colour, extreme, double(step) / kSteps);
    if (ContrastRatio(candidate, background) >= kMinimumTextContrast) return candidate;
  }
  return extreme;
}

}  // namespace

int ColourDistance(const QColor& a, const QColor& b) {
  const QColor x = a.toRgb(), y = b.toRgb();
  return std::abs(x.red() - y.red()) + std::abs(x.green() - y.green()) + std::abs(x.blue() - y.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

BitColours BinaryBitColours(const QPalette& palette) {
  const QColor background = palette.color(QPalette::Base);
  BitColours colours{readable(palette.color(QPalette::Link), background),
                     readable(palette.color(QPalette::LinkVisited), background)};
  // Some themes give visited links a shade of the link colour, too near to tell the bits apart by.
  if (ColourDistance(colours.network, colours.host) < kDistinctColours)
    colours.host = readable(palette.color(QPalette::Text), background);
  return colours;
}

}  // namespace quorvane
