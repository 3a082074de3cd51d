#include "gui/review/review_plot.h"

#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

// Sizes spanning at least this factor are drawn on a logarithmic axis.
constexpr double kDecades = 100.0;

struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void add(double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool empty() const { return low > high; }
};

QScatterSeries* Scatter(const char* name, const QColor& colour, double markerSize) {
  auto* series = new QScatterSeries;
  series->setName(name);
  series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
  series->setMarkerSize(markerSize);
  series->setColor(colour);
  series->setBorderColor(colour.darker(130));
  return series;
}

QLineSeries* Curve(const char* name, const QColor& colour) {
  auto* series = new QLineSeries;
  series->setName(name);
  QPen pen(colour);
  pen.setWidthF(1.5);
  pen.setStyle(Qt::DashLine);
  series->setPen(pen);
  return series;
}

}  // namespace

std::vector<double> LogSpacedSizes(double low, double high, int count) {
  std::vector<double> sizes;
  if (!(low > 0) || !(high >= low) || count < 1) return sizes;
  if (high == low || count == 1) return {low};
  const double a = std::log(low), b = std::log(high);
  sizes.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) sizes.push_back(std::exp(a + (b - a) * i / (count - 1)));
  sizes.back() = high;
  return sizes;
}

TReviewPlot::TReviewPlot(QWidget* parent) : QWidget(parent) {
  setObjectName("ReviewPlot");
  stack_ = new QStackedWidget(this);
  view_ = new QChartView(new QChart, stack_);
  view_->setObjectName("PlotView");
  view_->setRenderHint(QPainter::Antialiasing);
  view_->chart()->legend()->setAlignment(Qt::AlignBottom);
  reason_ = new QLabel(stack_);
  reason_->setObjectName("PlotReason");
  reason_->setAlignment(Qt::AlignCenter);
  reason_->setWordWrap(true);
  stack_->addWidget(view_);
  stack_->addWidget(reason_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(stack_);
  setMinimumHeight(220);
}

QChart* TReviewPlot::chart() const { return view_->chart(); }

bool TReviewPlot::showsReason() const { return stack_->currentWidget() == reason_; }

QString TReviewPlot::reasonText() const { return reason_->text(); }

void TReviewPlot::clearChart() {
  QChart* c = chart();
  c->removeAllSeries();
  for (QAbstractAxis* axis : c->axes()) {
    c->removeAxis(axis);
    delete axis;
  }
  c->setTitle({});
}

void TReviewPlot::showField(const review::FieldResult* field, const QString& caption,
                            const std::vector<review::ReviewFinding>& findings) {
  clearChart();
  stack_->setCurrentWidget(view_);
  if (!field) return;
  const QString title = QText(field->field) + (caption.isEmpty() ? QString() : " " + caption);
  if (field->skipped) {
    reason_->setText(title + "\n\n没有作比值检验：" + QText(*field->skipped));
    stack_->setCurrentWidget(reason_);
    return;
  }
  QChart* c = chart();
  c->setTitle(title);

  // the points: a ratio axis is logarithmic, so only positive ratios and sizes are drawn
  struct Point {
    double size, ratio;
  };
  std::vector<Point> sample, found;
  for (const review::PlotPoint& p : field->sample)
    if (p.ratio > 0 && p.size > 0 && std::isfinite(p.ratio) && std::isfinite(p.size)) sample.push_back({p.size, p.ratio});
  for (const review::ReviewFinding& f : findings) {
    if (f.field != field->field || !f.ratio || !(*f.ratio > 0) || !std::isfinite(*f.ratio)) continue;
    const double size = std::pow(std::max(std::fabs(f.last), std::fabs(f.current)), field->u);
    if (size > 0 && std::isfinite(size)) found.push_back({size, *f.ratio});
  }
  Range sizes, ratios;
  for (const Point& p : sample) sizes.add(p.size), ratios.add(p.ratio);
  for (const Point& p : found) sizes.add(p.size), ratios.add(p.ratio);

  auto* lower = Curve(kLowerName, QColor(40, 140, 70));
  auto* upper = Curve(kUpperName, QColor(200, 120, 30));
  if (!sizes.empty()) {
    for (double s : LogSpacedSizes(sizes.low, sizes.high, kBoundPoints)) {
      if (const std::optional<double> r = review::LowerBoundRatio(*field, s); r && *r > 0 && std::isfinite(*r)) {
        lower->append(s, *r);
        ratios.add(*r);
      }
      if (const std::optional<double> r = review::UpperBoundRatio(*field, s); r && *r > 0 && std::isfinite(*r)) {
        upper->append(s, *r);
        ratios.add(*r);
      }
    }
  }
  auto* sampleSeries = Scatter(kSampleName, QColor(90, 120, 170, 150), 6);
  for (const Point& p : sample) sampleSeries->append(p.size, p.ratio);
  auto* foundSeries = Scatter(kFindingName, QColor(215, 40, 40), 8);
  for (const Point& p : found) foundSeries->append(p.size, p.ratio);

  QAbstractAxis* x = nullptr;
  if (!sizes.empty() && sizes.high / sizes.low >= kDecades) {
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setLabelFormat("%g");
    axis->setMinorTickCount(-1);
    axis->setRange(sizes.low / 1.2, sizes.high * 1.2);
    x = axis;
  } else {
    auto* axis = new QValueAxis;
    axis->setLabelFormat("%g");
    if (!sizes.empty()) {
      const double pad = sizes.high > sizes.low ? (sizes.high - sizes.low) * 0.05 : std::max(1.0, sizes.low * 0.1);
      axis->setRange(std::max(0.0, sizes.low - pad), sizes.high + pad);
      axis->applyNiceNumbers();  // ticks at round sizes (0, 20, 40 …), not at fifths of the range
    }
    x = axis;
  }
  x->setTitleText("规模 max(上年, 本年)^U");
  // ratios within a few doublings are labelled at the powers of two (0.5, 1, 2 …), wider ones at those of ten
  auto* y = new QLogValueAxis;
  y->setBase(!ratios.empty() && ratios.high / ratios.low <= 64 ? 2 : 10);
  y->setLabelFormat("%g");
  y->setMinorTickCount(-1);
  if (!ratios.empty()) y->setRange(ratios.low / 1.5, ratios.high * 1.5);
  y->setTitleText("比值");
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(y, Qt::AlignLeft);
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{sampleSeries, lower, upper, foundSeries}) {
    c->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
  }
}

}  // namespace velmora::gui
