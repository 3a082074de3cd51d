#include "gui/widgets/busy_animation.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace velmora::gui {

namespace {
constexpr int kTeeth = 8;
}

BusyAnimation::BusyAnimation(QWidget* parent) : QWidget(parent) {
  setFixedSize(32, 32);
  timer_.setInterval(kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &BusyAnimation::advance);
}

void BusyAnimation::advance() {
  frame_ = (frame_ + 1) % kFrames;
  update();
}

void BusyAnimation::showEvent(QShowEvent* event) {
  timer_.start();
  QWidget::showEvent(event);
}

void BusyAnimation::hideEvent(QHideEvent* event) {
  timer_.stop();
  QWidget::hideEvent(event);
}

void BusyAnimation::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(width() / 2.0, height() / 2.0);
  p.rotate(360.0 / kTeeth / kFrames * frame_);

  // The gear's outline: teeth on a rim, with a hole in the middle.
  const double outer = 15.0, rim = 11.0, hole = 4.5;
  QPainterPath gear;
  const double step = 2 * M_PI / kTeeth;
  for (int i = 0; i < kTeeth; ++i) {
    double a = i * step;
    double points[][2] = {{rim, a - step * 0.30}, {outer, a - step * 0.18}, {outer, a + step * 0.18},
                          {rim, a + step * 0.30}, {rim, a + step * 0.70}};
    for (int k = 0; k < 5; ++k) {
      QPointF pt(points[k][0] * std::cos(points[k][1]), points[k][0] * std::sin(points[k][1]));
      if (i == 0 && k == 0)
        gear.moveTo(pt);
      else
        gear.lineTo(pt);
    }
  }
  gear.closeSubpath();
  gear.addEllipse(QPointF(0, 0), hole, hole);
  gear.setFillRule(Qt::OddEvenFill);

  const QColor steel(0x5a, 0x6e, 0x8c);
  p.setPen(QPen(steel.darker(140), 1.0));
  p.setBrush(steel);
  p.drawPath(gear);
  // a ring on the rim
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(steel.lighter(150), 1.2));
  p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
}

}  // namespace velmora::gui
