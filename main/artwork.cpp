// The program's own artwork, drawn with simple shapes so that it scales with the desktop.
#include "main/artwork.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvane {

namespace {

const QColor kInk(0x1F, 0x3A, 0x5F);
const QColor kBlue(0x2F, 0x6F, 0xC0);
const QColor kGreen(0x2E, 0x8B, 0x57);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kPaper(0xF7, 0xF7, 0xF2);
const QColor kGold(0xD4, 0xA0, 0x17);

// What the images keep against the window they are shown on, as the contrast ratio of the relative
// luminances (the WCAG measure for graphics): every edge of a shape at least kReadable. A colour derived for
// a stroke aims higher, so that the antialiased pixels along it keep the ratio too.
constexpr double kReadable = 3.0;
constexpr double kStrokeAim = 4.5;

double Luminance(const QColor& color) {
  const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour itself where it stands out from the window; otherwise the same hue made lighter (on a dark
// window) or darker (on a light one), just enough to reach `ratio`.
QColor StandOut(const QColor& color, const QColor& window, double ratio) {
  if (Contrast(color, window) >= ratio) return color;
  const bool lighter = Contrast(Qt::white, window) >= Contrast(Qt::black, window);
  const QColor hsl = color.toHsl();
  for (int lightness = hsl.lightness(); lightness >= 0 && lightness <= 255; lightness += lighter ? 3 : -3) {
    const QColor candidate = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
    if (Contrast(candidate, window) >= ratio) return candidate;
  }
  return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

// The colours of one drawing. The design is navy outlines on a light window; on a window where the navy
// or a coloured shape would not stand out, outlines and strokes take a lighter (or darker) shade of their
// colour, and a filled shape without an outline gets a rim in the outline colour.
class Inks {
 public:
  explicit Inks(const QColor& window)
      : m_window(window),
        m_outline(StandOut(kInk, window, kStrokeAim)),
        m_red(StandOut(kRed, window, kStrokeAim)) {}

  // Outlines and strokes drawn against the window.
  const QColor& outline() const { return m_outline; }
  // The red of the clear command's strokes and of the roof, which have no outline.
  const QColor& red() const { return m_red; }
  // The pen around a filled shape that has no outline of its own: none where the fill stands out.
  QPen rim(const QColor& fill) const {
    if (Contrast(fill, m_window) >= kReadable) return QPen(Qt::NoPen);
    return QPen(m_outline, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  }

 private:
  QColor m_window;
  QColor m_outline;
  QColor m_red;
};

QColor WindowColor() { return QGuiApplication::palette().color(QPalette::Window); }

// The letters are drawn as strokes on the 16-unit grid rather than with a font: the images look the same
// on every desktop, whatever fonts it has, and drawing them loads no font at all.
enum class Glyph { I, Question, A, B, C };

void letter(QPainter& p, Glyph glyph, const QColor& color) {
  p.setPen(QPen(color, 1.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  QPainterPath path;
  switch (glyph) {
    case Glyph::I:
      path.moveTo(8, 7);
      path.lineTo(8, 12);
      break;
    case Glyph::Question:
      path.moveTo(5.6, 5.9);
      path.arcTo(QRectF(5.6, 3.4, 5, 5), 180, -225);
      path.lineTo(8, 9.4);
      break;
    case Glyph::A:
      path.moveTo(4.6, 12.2);
      path.lineTo(8, 3.8);
      path.lineTo(11.4, 12.2);
      path.moveTo(5.9, 9.2);
      path.lineTo(10.1, 9.2);
      break;
    case Glyph::B:
      path.moveTo(8.3, 7.8);
      path.lineTo(5.2, 7.8);
      path.lineTo(5.2, 3.8);
      path.lineTo(8.3, 3.8);
      path.arcTo(QRectF(6.3, 3.8, 4, 4), 90, -180);
      path.moveTo(8.3, 7.8);
      path.lineTo(8.6, 7.8);
      path.arcTo(QRectF(6.4, 7.8, 4.4, 4.4), 90, -180);
      path.lineTo(5.2, 12.2);
      path.lineTo(5.2, 7.8);
      break;
    case Glyph::C:
      path.arcMoveTo(QRectF(4.4, 3.8, 7.6, 8.4), 50);
      path.arcTo(QRectF(4.4, 3.8, 7.6, 8.4), 50, 260);
      break;
  }
  p.drawPath(path);
  // The dots of "i" and "?".
  if (glyph == Glyph::I || glyph == Glyph::Question) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(8, glyph == Glyph::I ? 4.4 : 12.1), 1.15, 1.15);
  }
}

// A filled shape of the 1-unit margin square; with a rim, the rim's outer edge is where the fill's was.
void badgeShape(QPainter& p, const Inks& inks, const QColor& fill, bool round) {
  const QPen rim = inks.rim(fill);
  const qreal inset = rim.style() == Qt::NoPen ? 1 : 1.5;
  const QRectF shape(inset, inset, 16 - 2 * inset, 16 - 2 * inset);
  p.setPen(rim);
  p.setBrush(fill);
  if (round)
    p.drawEllipse(shape);
  else
    p.drawRoundedRect(shape, 4 - inset, 4 - inset);
}

void badge(QPainter& p, const Inks& inks, const QColor& fill, Glyph glyph) {
  badgeShape(p, inks, fill, false);
  letter(p, glyph, Qt::white);
}

void drawImage(QPainter& p, int index, const Inks& inks) {
  const QColor& kOutline = inks.outline();
  switch (index) {
    case 1:  // about
      badgeShape(p, inks, kBlue, true);
      letter(p, Glyph::I, Qt::white);
      break;
    case 3: {  // home page
      QPainterPath roof;
      roof.moveTo(1, 8);
      roof.lineTo(8, 1.5);
      roof.lineTo(15, 8);
      roof.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(inks.red());
      p.drawPath(roof);
      p.setBrush(kPaper);
      p.setPen(QPen(kOutline, 1));
      p.drawRect(QRectF(3.5, 8, 9, 6.5));
      p.setBrush(kInk);
      p.drawRect(QRectF(7, 10.5, 2.5, 4));
      break;
    }
    case 4:  // mail
      p.setPen(Qt::NoPen);
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      // The flap under the outline, whose corners cover its ends.
      p.setPen(QPen(kInk, 1));
      p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
      p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
      p.setPen(QPen(kOutline, 1));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      break;
    case 5:  // help
      badge(p, inks, kGreen, Glyph::Question);
      break;
    case 6:  // FAQ
      badge(p, inks, kGold, Glyph::Question);
      break;
    case 8:  // calculate
      p.setPen(QPen(kOutline, 1));
      p.setBrush(kPaper);
      p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
      p.setBrush(kGreen);
      p.drawRect(QRectF(4.5, 2.5, 7, 3));
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
          p.drawRect(QRectF(4.5 + column * 2.5, 7.5 + row * 2.5, 1.5, 1.5));
      break;
    case 9:  // clear
      p.setPen(QPen(inks.red(), 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
      p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
      break;
    case 10:  // own addresses: a screen on a network
      p.setPen(QPen(kOutline, 1));
      p.setBrush(kBlue);
      p.drawRect(QRectF(2.5, 1.5, 11, 8));
      // The stand two pixels wide on whole pixels, so that it stays sharp at 16 pixels.
      p.fillRect(QRectF(7, 10, 2, 2), kOutline);
      p.drawLine(QPointF(1.5, 12.5), QPointF(14.5, 12.5));
      p.setBrush(kGreen);
      p.drawRect(QRectF(6.5, 12, 3, 3));
      break;
    case 11:
      badge(p, inks, kGreen, Glyph::B);
      break;
    case 12:
      badge(p, inks, kGold, Glyph::C);
      break;
    case 13:  // mask table
      p.setPen(QPen(kOutline, 1));
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(kBlue);
      p.drawRect(QRectF(1.5, 1.5, 13, 3));
      p.setPen(QPen(kInk, 1));
      for (const double y : {7.5, 10.5}) p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
      p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 14.5));
      break;
    case 14:
      badge(p, inks, kBlue, Glyph::A);
      break;
    case 15:  // reserved blocks: a padlock
      p.setPen(QPen(kOutline, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
      p.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
      p.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
      p.setPen(QPen(kOutline, 1));
      p.setBrush(kGold);
      p.drawRect(QRectF(2.5, 7.5, 11, 7));
      break;
    default:
      break;
  }
}

// Draws an image only when a control asks for it, at the size and pixel ratio it asks for: most images
// are seen only once their menu opens, and the start draws just the few on the tool bar and the buttons.
class ArtworkEngine : public QIconEngine {
 public:
  explicit ArtworkEngine(int index) : m_index(index) {}

  QIconEngine* clone() const override { return new ArtworkEngine(m_index); }

  QString key() const override { return QStringLiteral("quorvane.artwork"); }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap image = pixmap(rect.size() * ratio, mode, state);
    image.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), image);
  }

  // `size` is in device pixels; QIcon sets the pixel ratio of what it hands on.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    if (side <= 0) return {};
    // The colours follow the window colour of the desktop's palette, which a change of theme changes.
    const QColor window = WindowColor();
    for (const Drawn& drawn : m_drawn) {
      if (drawn.side == side && drawn.mode == mode && drawn.window == window.rgb()) return drawn.image;
    }
    QPixmap image(side, side);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(side / 16.0, side / 16.0);
      drawImage(painter, m_index, Inks(window));
    }
    if (mode != QIcon::Normal) {
      // Greyed when disabled, tinted when selected, exactly as the style treats any other image.
      QStyleOption option;
      option.palette = QGuiApplication::palette();
      image = QApplication::style()->generatedIconPixmap(mode, image, &option);
    }
    if (m_drawn.size() >= kKept) m_drawn.erase(m_drawn.begin());
    m_drawn.push_back({side, mode, window.rgb(), image});
    return image;
  }

 private:
  struct Drawn {
    int side;
    QIcon::Mode mode;
    QRgb window;
    QPixmap image;
  };
  // A size or two in one or two modes, for the palette in use: a handful. The oldest go first, so that
  // switching themes back and forth keeps no more than that.
  static constexpr std::size_t kKept = 8;
  int m_index;
  std::vector<Drawn> m_drawn;
};

}  // namespace

QIcon CommandImage(int index) {
  if (index < 1 || index > 15 || index == 2 || index == 7) return {};
  return QIcon(new ArtworkEngine(index));
}

QPixmap RequestPicture(const QColor& window) {
  const Inks inks(window);
  QPixmap pixmap(96, 96);
  pixmap.setDevicePixelRatio(2);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // Four hosts on a ring around a router: a network with its subnets.
  p.setPen(QPen(inks.outline(), 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(8, 8, 32, 32));
  const QPointF hosts[] = {{24, 6}, {42, 24}, {24, 42}, {6, 24}};
  p.setPen(QPen(inks.outline(), 1.5));
  p.setBrush(kBlue);
  for (const QPointF& host : hosts) p.drawRoundedRect(QRectF(host.x() - 5, host.y() - 4, 10, 8), 1.5, 1.5);
  p.setBrush(kGreen);
  p.drawEllipse(QRectF(17, 17, 14, 14));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(21.5, 27.5), QPointF(26.5, 20.5));
  return pixmap;
}

}  // namespace quorvane
