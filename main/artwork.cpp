// The program's own artwork, drawn with simple shapes so that it scales with the desktop.
#include "main/artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvane {

namespace {

const QColor kInk(0x1F, 0x3A, 0x5F);
const QColor kBlue(0x2F, 0x6F, 0xC0);
const QColor kGreen(0x2E, 0x8B, 0x57);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kPaper(0xF7, 0xF7, 0xF2);
const QColor kGold(0xD4, 0xA0, 0x17);

void letter(QPainter& p, const QRectF& box, const QString& text, const QColor& color, int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  p.setFont(font);
  p.setPen(color);
  p.drawText(box, Qt::AlignCenter, text);
}

void badge(QPainter& p, const QColor& fill, const QString& text) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
  letter(p, QRectF(0, 0, 16, 16), text, Qt::white, 11);
}

void drawImage(QPainter& p, int index) {
  switch (index) {
    case 1:  // about
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawEllipse(QRectF(1, 1, 14, 14));
      letter(p, QRectF(0, 0, 16, 16), QStringLiteral("i"), Qt::white, 12);
      break;
    case 3: {  // home page
      QPainterPath roof;
      roof.moveTo(1, 8);
      roof.lineTo(8, 1.5);
      roof.lineTo(15, 8);
      roof.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(kRed);
      p.drawPath(roof);
      p.setBrush(kPaper);
      p.setPen(QPen(kInk, 1));
      p.drawRect(QRectF(3.5, 8, 9, 6.5));
      p.setBrush(kInk);
      p.drawRect(QRectF(7, 10.5, 2.5, 4));
      break;
    }
    case 4:  // mail
      p.setPen(QPen(kInk, 1));
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
      p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
      break;
    case 5:  // help
      badge(p, kGreen, QStringLiteral("?"));
      break;
    case 6:  // FAQ
      badge(p, kGold, QStringLiteral("?"));
      break;
    case 8:  // calculate
      p.setPen(QPen(kInk, 1));
      p.setBrush(kPaper);
      p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
      p.setBrush(kGreen);
      p.drawRect(QRectF(4.5, 2.5, 7, 3));
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) p.drawRect(QRectF(4.5 + column * 2.5, 7.5 + row * 2.5, 1.5, 1.5));
      break;
    case 9:  // clear
      p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
      p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
      break;
    case 10:  // own addresses: a screen on a network
      p.setPen(QPen(kInk, 1));
      p.setBrush(kBlue);
      p.drawRect(QRectF(2.5, 1.5, 11, 8));
      p.drawLine(QPointF(8, 9.5), QPointF(8, 12.5));
      p.drawLine(QPointF(1.5, 12.5), QPointF(14.5, 12.5));
      p.setBrush(kGreen);
      p.drawRect(QRectF(6.5, 12, 3, 3));
      break;
    case 11:
      badge(p, kGreen, QStringLiteral("B"));
      break;
    case 12:
      badge(p, kGold, QStringLiteral("C"));
      break;
    case 13:  // mask table
      p.setPen(QPen(kInk, 1));
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(kBlue);
      p.drawRect(QRectF(1.5, 1.5, 13, 3));
      for (const double y : {7.5, 10.5}) p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
      p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 14.5));
      break;
    case 14:
      badge(p, kBlue, QStringLiteral("A"));
      break;
    case 15:  // reserved blocks: a padlock
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
      p.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
      p.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
      p.setPen(QPen(kInk, 1));
      p.setBrush(kGold);
      p.drawRect(QRectF(2.5, 7.5, 11, 7));
      break;
    default:
      break;
  }
}

}  // namespace

QIcon CommandImage(int index) {
  if (index < 1 || index > 15 || index == 2 || index == 7) return {};
  QIcon icon;
  for (const int scale : {1, 2}) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawImage(painter, index);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPixmap RequestPicture() {
  QPixmap pixmap(96, 96);
  pixmap.setDevicePixelRatio(2);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // Four hosts on a ring around a router: a network with its subnets.
  p.setPen(QPen(kInk, 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(8, 8, 32, 32));
  const QPointF hosts[] = {{24, 6}, {42, 24}, {24, 42}, {6, 24}};
  for (const QPointF& host : hosts) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(host.x() - 5, host.y() - 4, 10, 8), 1.5, 1.5);
  }
  p.setBrush(kGreen);
  p.drawEllipse(QRectF(17, 17, 14, 14));
  letter(p, QRectF(17, 17, 14, 14), QStringLiteral("/"), Qt::white, 10);
  return pixmap;
}

}  // namespace quorvane
