#include "mailer/ui/ToolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quill {
namespace {

QPixmap Canvas() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A sheet of paper with a folded corner and lines of text.
QIcon TextImage() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath sheet;
  sheet.moveTo(7, 3);
  sheet.lineTo(20, 3);
  sheet.lineTo(26, 9);
  sheet.lineTo(26, 29);
  sheet.lineTo(7, 29);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(60, 70, 90), 1.2));
  p.setBrush(QColor(250, 250, 245));
  p.drawPath(sheet);
  p.setBrush(QColor(210, 215, 225));
  p.drawPolygon(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
  p.setPen(QPen(QColor(40, 90, 170), 1.5));
  for (int y = 13; y <= 25; y += 4) p.drawLine(10, y, y == 25 ? 18 : 23, y);
  return QIcon(pixmap);
}

// An address card with an "@".
QIcon AddressImage() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(70, 60, 40), 1.2));
  p.setBrush(QColor(245, 225, 160));
  p.drawRoundedRect(QRectF(3, 7, 26, 19), 3, 3);
  QFont font;
  font.setPixelSize(16);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(150, 60, 20));
  p.drawText(QRectF(3, 7, 26, 19), Qt::AlignCenter, QStringLiteral("@"));
  return QIcon(pixmap);
}

// A paper plane flying up to the right.
QIcon SendImage() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 80, 50), 1.2));
  p.setBrush(QColor(120, 200, 140));
  p.drawPolygon(QPolygonF({QPointF(3, 16), QPointF(29, 4), QPointF(20, 28), QPointF(15, 19)}));
  p.setBrush(QColor(80, 160, 100));
  p.drawPolygon(QPolygonF({QPointF(15, 19), QPointF(29, 4), QPointF(14, 26)}));
  return QIcon(pixmap);
}

}  // namespace

std::array<QIcon, 3> ImageList1() { return {TextImage(), AddressImage(), SendImage()}; }

}  // namespace quill
