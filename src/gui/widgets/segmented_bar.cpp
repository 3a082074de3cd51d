#include "gui/widgets/segmented_bar.h"

#include <QPainter>
#include <algorithm>

namespace velmora::gui {

SegmentedProgressBar::SegmentedProgressBar(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int SegmentedProgressBar::percent() const {
  if (total_ <= 0) return 0;
  long long p = static_cast<long long>(done_) * 100 / total_;
  return static_cast<int>(std::clamp(p, 0LL, 100LL));
}

void SegmentedProgressBar::setTotalParts(int total) {
  int old = percent();
  total_ = total;
  changed(old);
}

void SegmentedProgressBar::setPartsComplete(int done) {
  int old = percent();
  done_ = done;
  changed(old);
}

void SegmentedProgressBar::incPartsBy(int count) { setPartsComplete(done_ + count); }

void SegmentedProgressBar::changed(int oldPercent) {
  int now = percent();
  if (now != oldPercent) update();
  emit percentChanged(now);
}

void SegmentedProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  QRect r = rect();
  p.fillRect(r, pal.color(QPalette::Base));
  // Outlined on every side: a light lower and right edge (a sunken frame) vanishes between the
  // white inside and a light dialog face, and the bar looked cut off.
  p.setPen(pal.color(QPalette::Dark));
  p.drawRect(r.adjusted(0, 0, -1, -1));

  QRect inner = r.adjusted(2, 2, -2, -2);
  const int filled = percent();
  const QColor colour = pal.color(QPalette::Highlight);
  for (int i = 0; i < filled; ++i) {
    int left = inner.left() + inner.width() * i / kSegments;
    int right = inner.left() + inner.width() * (i + 1) / kSegments - 1;  // one pixel gap
    p.fillRect(QRect(QPoint(left, inner.top()), QPoint(std::max(left, right - 1), inner.bottom())), colour);
  }
}

}  // namespace velmora::gui
