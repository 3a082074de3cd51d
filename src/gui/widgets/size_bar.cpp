#include "gui/widgets/size_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace velmora::gui {

QRect TSizeBarHandle::hotSpot() const { return QRect(0, height() / 2 - 30, width(), 60); }

void TSizeBarHandle::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(193, 216, 249));
  p.setPen(QColor(150, 175, 215));
  p.drawLine(0, 0, 0, height());
  p.setPen(QColor(235, 242, 252));
  p.drawLine(width() - 1, 0, width() - 1, height());
  QRect h = hotSpot();
  p.fillRect(h.adjusted(1, 0, -1, 0), QColor(160, 188, 230));
  auto* s = qobject_cast<TSizeBarSplitter*>(splitter());
  bool collapsed = s && s->leftCollapsed();
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(40, 70, 120));
  p.setPen(Qt::NoPen);
  int cx = width() / 2, cy = h.center().y();
  QPolygon arrow = collapsed ? QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)})
                             : QPolygon({QPoint(cx + 2, cy - 4), QPoint(cx - 2, cy), QPoint(cx + 2, cy + 4)});
  p.drawPolygon(arrow);
}

void TSizeBarHandle::mousePressEvent(QMouseEvent* e) {
  pressedOnHotSpot_ = e->button() == Qt::LeftButton && hotSpot().contains(e->position().toPoint());
  if (!pressedOnHotSpot_) QSplitterHandle::mousePressEvent(e);
}

void TSizeBarHandle::mouseReleaseEvent(QMouseEvent* e) {
  if (pressedOnHotSpot_ && hotSpot().contains(e->position().toPoint())) {
    pressedOnHotSpot_ = false;
    if (auto* s = qobject_cast<TSizeBarSplitter*>(splitter())) s->toggleLeft();
    update();
    return;
  }
  pressedOnHotSpot_ = false;
  QSplitterHandle::mouseReleaseEvent(e);
}

TSizeBarSplitter::TSizeBarSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
  setHandleWidth(7);
  setOpaqueResize(true);
  setChildrenCollapsible(true);
}

bool TSizeBarSplitter::leftCollapsed() const { return count() > 1 && sizes().value(0) == 0; }

void TSizeBarSplitter::toggleLeft() {
  if (count() < 2) return;
  QList<int> s = sizes();
  int total = s[0] + s[1];
  if (s[0] > 0) {
    restoreWidth_ = s[0];
    setSizes({0, total});
  } else {
    setSizes({restoreWidth_, qMax(0, total - restoreWidth_)});
  }
  if (handle(1)) handle(1)->update();
}

}  // namespace velmora::gui
