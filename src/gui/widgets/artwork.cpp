#include "gui/widgets/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace velmora::gui {

QPixmap ActionPixmap(const QString& glyph, const QColor& color, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, color.lighter(135));
  g.setColorAt(1, color.darker(115));
  p.setPen(QPen(color.darker(150), size >= 24 ? 1.2 : 0.8));
  p.setBrush(g);
  p.drawRoundedRect(r, size * 0.2, size * 0.2);
  // a soft highlight on the upper half
  QPainterPath shine;
  shine.addRoundedRect(QRectF(r.left() + 1.5, r.top() + 1.5, r.width() - 3, r.height() * 0.45), size * 0.15,
                       size * 0.15);
  p.fillPath(shine, QColor(255, 255, 255, 55));
  QFont f("黑体");
  f.setPixelSize(static_cast<int>(size * 0.62));
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0, 0, 0, 60));
  p.drawText(r.translated(0.8, 0.8), Qt::AlignCenter, glyph);
  p.setPen(Qt::white);
  p.drawText(r, Qt::AlignCenter, glyph);
  return pm;
}

QIcon ActionIcon(const QString& glyph, const QColor& color) {
  QIcon icon;
  for (int s : {16, 24, 32, 48}) icon.addPixmap(ActionPixmap(glyph, color, s));
  return icon;
}

QPixmap BackgroundPicture(const QSize& size) {
  QPixmap pm(size.expandedTo(QSize(200, 150)));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, pm.width(), pm.height());
  g.setColorAt(0, QColor(232, 240, 252));
  g.setColorAt(1, QColor(193, 216, 249));
  p.fillRect(pm.rect(), g);
  // broad soft bands, like a sheet of ruled forms seen at an angle
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    QColor c(255, 255, 255, 28 + i * 6);
    p.setBrush(c);
    QPainterPath band;
    int y = pm.height() * (i + 2) / 9;
    band.moveTo(0, y);
    band.cubicTo(pm.width() * 0.3, y - 60, pm.width() * 0.6, y + 60, pm.width(), y - 20);
    band.lineTo(pm.width(), y + 18);
    band.cubicTo(pm.width() * 0.6, y + 78, pm.width() * 0.3, y - 42, 0, y + 18);
    band.closeSubpath();
    p.drawPath(band);
  }
  QFont title("黑体");
  title.setPixelSize(qMax(24, pm.height() / 14));
  title.setBold(true);
  p.setFont(title);
  QRect box(0, pm.height() / 3, pm.width(), pm.height() / 6);
  p.setPen(QColor(255, 255, 255, 200));
  p.drawText(box.translated(2, 2), Qt::AlignCenter, "基层工会调查表");
  p.setPen(QColor(52, 84, 140));
  p.drawText(box, Qt::AlignCenter, "基层工会调查表");
  QFont sub("宋体");
  sub.setPixelSize(qMax(14, pm.height() / 36));
  p.setFont(sub);
  p.setPen(QColor(70, 100, 150));
  p.drawText(QRect(0, box.bottom(), pm.width(), pm.height() / 10), Qt::AlignCenter, "Velmora  年度统计调查数据处理");
  return pm;
}

QPixmap AboutBackground(const QSize& size) {
  QPixmap pm(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, size.height());
  g.setColorAt(0, QColor(255, 250, 240));
  g.setColorAt(1, QColor(238, 224, 200));
  p.fillRect(pm.rect(), g);
  QRadialGradient glow(size.width() * 0.85, size.height() * 0.2, size.width() * 0.5);
  glow.setColorAt(0, QColor(255, 215, 170, 140));
  glow.setColorAt(1, QColor(255, 215, 170, 0));
  p.fillRect(pm.rect(), glow);
  // raised frame: light upper-left edges, dark lower-right edges
  QRect r = pm.rect().adjusted(0, 0, -1, -1);
  for (int i = 0; i < 3; ++i) {
    p.setPen(QColor(255, 255, 255, 220 - i * 40));
    p.drawLine(r.left() + i, r.top() + i, r.right() - i, r.top() + i);
    p.drawLine(r.left() + i, r.top() + i, r.left() + i, r.bottom() - i);
    p.setPen(QColor(120, 90, 60, 200 - i * 40));
    p.drawLine(r.left() + i, r.bottom() - i, r.right() - i, r.bottom() - i);
    p.drawLine(r.right() - i, r.top() + i, r.right() - i, r.bottom() - i);
  }
  p.setPen(QPen(QColor(128, 0, 0, 120), 2));
  p.drawLine(24, 70, size.width() - 24, 70);
  return pm;
}

QIcon ProgramIcon() { return ActionIcon("工", QColor(178, 34, 34)); }

}  // namespace velmora::gui
