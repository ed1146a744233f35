// The program's artwork on light and dark desktops: the command images of the tool bar, the menus and the
// speed buttons, and the request group's picture, measured against the window colour they are shown on.
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QVector3D>
#include <QtTest>
#include <cmath>
#include <map>

#include "main/artwork.h"
#include "tests/fixture.h"

using namespace quorvane;

namespace {

// The images that exist (the others are empty places of the image list).
constexpr int kImages[] = {1, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};

// The window colour of a palette: the desktop's own light one, the dark theme of the screenshots, the
// common #333333, and a mid grey that is neither.
QPalette paletteWithWindow(const QColor& window) {
  QPalette palette = QApplication::style()->standardPalette();
  if (window.isValid()) palette.setColor(QPalette::Window, window);
  return palette;
}

// The WCAG relative luminance and contrast ratio, as the accessibility guidelines define them.
double luminance(QRgb rgb) {
  const auto linear = [](int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The edge of an image as it shows on the window: the pixels at least half covered that touch a pixel less
// covered (or the image's border). An edge pixel is readable when it, or a covered pixel right beside it,
// reaches 3:1 against the window once composed onto it: an antialiased pixel at the very edge may be
// fainter, as long as the stroke or outline it belongs to is not. Returns what fails, empty when nothing
// does.
QString unreadableEdge(const QPixmap& pixmap, const QColor& window) {
  QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  image.setDevicePixelRatio(1);
  QImage shown(image.size(), QImage::Format_RGB32);
  shown.fill(window);
  {
    QPainter painter(&shown);
    painter.drawImage(0, 0, image);
  }
  const int w = image.width(), h = image.height();
  const auto covered = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && qAlpha(image.pixel(x, y)) >= 128;
  };
  int edge = 0, failing = 0;
  double worst = 100;
  QPoint worstAt;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!covered(x, y)) continue;
      if (covered(x - 1, y) && covered(x + 1, y) && covered(x, y - 1) && covered(x, y + 1)) continue;
      ++edge;
      double best = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (covered(x + dx, y + dy))
            best = std::max(best, contrast(shown.pixel(x + dx, y + dy), window.rgb()));
      if (best < 3.0) {
        ++failing;
        if (best < worst) worst = best, worstAt = {x, y};
      }
    }
  }
  if (edge == 0) return QStringLiteral("nothing drawn");
  if (failing == 0) return {};
  return QStringLiteral("%1 of %2 edge pixels below 3:1, the worst %3:1 at (%4, %5)")
      .arg(failing)
      .arg(edge)
      .arg(worst, 0, 'f', 2)
      .arg(worstAt.x())
      .arg(worstAt.y());
}

}  // namespace

class tst_Artwork : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init() { QVERIFY(setUpFixture()); }
  void cleanup() {
    QApplication::setPalette(QApplication::style()->standardPalette());
    tearDownFixture();
  }

  void readableOnEveryWindow_data() {
    QTest::addColumn<QColor>("window");  // invalid: the desktop's own light palette
    QTest::addColumn<int>("image");      // 0: the request picture
    QTest::addColumn<int>("side");       // pixels of a command image
    const std::pair<const char*, QColor> windows[] = {{"light", QColor()},
                                                      {"dark #2B2B2E", QColor(0x2B, 0x2B, 0x2E)},
                                                      {"dark #333333", QColor(0x33, 0x33, 0x33)},
                                                      {"black", QColor(Qt::black)},
                                                      {"mid grey #808080", QColor(0x80, 0x80, 0x80)}};
    for (const auto& [name, window] : windows) {
      for (const int image : kImages) {
        for (const int side : {16, 32})
          QTest::addRow("%s, image %d at %d px", name, image, side) << window << image << side;
      }
      QTest::addRow("%s, request picture", name) << window << 0 << 0;
    }
  }

  // The tool bar, the menus and the speed buttons show the command images on the window colour; the
  // request picture sits on its group box. Every edge of every shape keeps 3:1 against it.
  void readableOnEveryWindow() {
    QFETCH(QColor, window);
    QFETCH(int, image);
    QFETCH(int, side);
    const QPalette palette = paletteWithWindow(window);
    QApplication::setPalette(palette);
    const QColor shownOn = palette.color(QPalette::Window);
    const QPixmap pixmap = image ? CommandImage(image).pixmap(QSize(side, side)) : RequestPicture(shownOn);
    QCOMPARE(pixmap.width(), image ? side : 96);
    const QString failure = unreadableEdge(pixmap, shownOn);
    if (!failure.isEmpty()) QFAIL(qPrintable(failure));
  }

  // On the light desktop the images keep their designed colours: every colour that covers more than a few
  // whole pixels of an image is one of them, or an antialiased mixture of two of them where they meet. A
  // dark desktop may show lighter shades instead.
  void lightDesktopKeepsTheDesign() {
    const QList<QRgb> designed = {qRgb(0x1F, 0x3A, 0x5F), qRgb(0x2F, 0x6F, 0xC0), qRgb(0x2E, 0x8B, 0x57),
                                  qRgb(0xC0, 0x39, 0x2B), qRgb(0xF7, 0xF7, 0xF2), qRgb(0xD4, 0xA0, 0x17),
                                  qRgb(0xFF, 0xFF, 0xFF)};
    // How far the colour lies from the nearest mixture of two designed colours, in 8-bit steps.
    const auto offDesign = [&](QRgb color) {
      const QVector3D c(qRed(color), qGreen(color), qBlue(color));
      double nearest = 1e9;
      for (const QRgb a : designed) {
        for (const QRgb b : designed) {
          const QVector3D from(qRed(a), qGreen(a), qBlue(a)), to(qRed(b), qGreen(b), qBlue(b));
          const QVector3D along = to - from;
          const float length = QVector3D::dotProduct(along, along);
          const float t =
              length > 0 ? std::clamp(QVector3D::dotProduct(c - from, along) / length, 0.0f, 1.0f) : 0;
          nearest = std::min(nearest, double((c - (from + t * along)).length()));
        }
      }
      return nearest;
    };
    QApplication::setPalette(QApplication::style()->standardPalette());
    const QColor window = QApplication::palette().color(QPalette::Window);
    QList<std::pair<QString, QPixmap>> images = {{QStringLiteral("request picture"), RequestPicture(window)}};
    for (const int image : kImages) images.append({QString::number(image), CommandImage(image).pixmap(32)});
    for (const auto& [name, pixmap] : images) {
      const QImage pixels = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
      std::map<QRgb, int> count;
      for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
          if (qAlpha(pixels.pixel(x, y)) == 255) ++count[pixels.pixel(x, y)];
      QVERIFY2(!count.empty(), qPrintable(name));
      for (const auto& [color, pixelCount] : count) {
        if (pixelCount > 6 && offDesign(color) > 4)
          QFAIL(qPrintable(QStringLiteral("image %1: %2 pixels of #%3, not a designed colour")
                               .arg(name)
                               .arg(pixelCount)
                               .arg(color & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
      }
    }
  }

  // A change of desktop theme while the program runs redraws the picture and the images for the new
  // window colour, without a restart.
  void followsAThemeChange() {
    QVERIFY(startWindow());
    auto* picture = control<QLabel>(QStringLiteral("Image1"));
    QVERIFY(picture);
    const QImage light = picture->pixmap().toImage();
    const QColor dark(0x2B, 0x2B, 0x2E);
    QApplication::setPalette(paletteWithWindow(dark));
    QCoreApplication::processEvents();
    const QPixmap drawn = picture->pixmap();
    QVERIFY(drawn.toImage() != light);
    QVERIFY2(unreadableEdge(drawn, dark).isEmpty(), qPrintable(unreadableEdge(drawn, dark)));
    // A speed button's glyph as the button draws it now.
    auto* button = control<QToolButton>(QStringLiteral("sbShowInfo"));
    QVERIFY(button);
    const QPixmap glyph = button->icon().pixmap(button->iconSize());
    QVERIFY2(unreadableEdge(glyph, dark).isEmpty(), qPrintable(unreadableEdge(glyph, dark)));
  }
};

QUORVANE_GUI_TEST_MAIN(tst_Artwork)

#include "tst_artwork.moc"
