#pragma once
// The plot of one field of the review: each unit of the test at its size max(x, y)^U and its ratio
// (a logarithmic ratio axis; the size axis logarithmic when the sizes span decades), the units found
// in red over the others, and the two bounds of the test as curves over the range of sizes. A field
// the test skipped shows why instead.

#include <QWidget>
#include <vector>

#include "core/review/year_review.h"

class QChart;
class QChartView;
class QLabel;
class QStackedWidget;

namespace velmora::gui {

class TReviewPlot : public QWidget {
  Q_OBJECT
 public:
  explicit TReviewPlot(QWidget* parent = nullptr);

  // Draws the field: `caption` is the field's catalogue hint, `findings` the review's findings of
  // any field (those of this field with a ratio are drawn). Null: an empty plot.
  void showField(const review::FieldResult* field, const QString& caption,
                 const std::vector<review::ReviewFinding>& findings);

  QChart* chart() const;
  // Whether the plot shows a skipped field's reason instead of the points, and that text.
  bool showsReason() const;
  QString reasonText() const;

  static constexpr int kBoundPoints = 100;
  // The series' names.
  static constexpr const char* kSampleName = "本年与上年之比";
  static constexpr const char* kFindingName = "审核发现";
  static constexpr const char* kLowerName = "下界";
  static constexpr const char* kUpperName = "上界";

 private:
  void clearChart();

  QStackedWidget* stack_;
  QChartView* view_;
  QLabel* reason_;
};

// Sizes from `low` to `high` spaced evenly on a logarithmic scale (`count` of them, both ends
// included); one size when they are equal, none when `low` is not positive or `high` below it.
std::vector<double> LogSpacedSizes(double low, double high, int count);

}  // namespace velmora::gui
