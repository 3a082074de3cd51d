#pragma once
// The Hidiroglou–Berthelot test of one field: this year's value of each unit against last year's, on
// the ratio of the two, weighted by the unit's size; and the units whose value went from zero or to
// zero. Pure arithmetic on the values handed in: the reading of the two files is elsewhere.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::review {

// U: the size exponent; A: the least spread as a share of the median effect; C: how many spreads
// from the median a finding lies.
struct HbParameters {
  double u = 0.5;
  double a = 0.05;
  double c = 7.0;
};

// One matched unit's value of the field: last year's and this year's (both numbers).
struct UnitValues {
  std::int64_t unit = 0;  // the caller's key of the unit (its c901)
  double last = 0;
  double current = 0;
};

enum class FindingKind { High, Low, FromZero, ToZero };

// "high", "low", "from-zero", "to-zero".
const char* KindName(FindingKind kind);

struct Finding {
  std::int64_t unit = 0;
  FindingKind kind = FindingKind::High;
  double last = 0;
  double current = 0;
  std::optional<double> ratio;  // this year / last year; none for a zero transition
  std::optional<double> score;  // (E − median) / spread; none for a zero transition
};

// What the test made of the field: its findings, or why it was not tested, and the figures of the
// test (for the plot of the bounds).
struct FieldReview {
  std::vector<Finding> findings;
  std::optional<std::string> skipped;  // why the HB test was not made (zero transitions still are)
  std::size_t tested = 0;              // units in the HB set after the unchanged ones left it
  double medianRatio = 0;              // m
  double q1 = 0, qm = 0, q3 = 0;       // quartiles of the effects E
  double lowSpread = 0, highSpread = 0;  // dq1, dq3
};

inline constexpr const char* kTooFewUnitsText = "可比较的单位少于10个";
inline constexpr const char* kNoSpreadText = "各单位的变化没有差别，无法判断";

// The median: the middle value, the mean of the two middle values for an even count. `values` must
// not be empty.
double Median(std::vector<double> values);
// The same, reordering `values`.
double MedianInPlace(std::vector<double>& values);
// The p-quantile of sorted values, linear between the order statistics at (n − 1)·p.
double SortedQuantile(const std::vector<double>& sorted, double p);

// The same of values in any order, found by selection (the values are reordered).
double Quantile(std::vector<double>& values, double p);

// The effect E of a unit with ratio r and size max(x, y) against the median ratio m.
double Effect(double ratio, double medianRatio, double size, double u);

// Tests one field. `units` are the matched units whose values are numbers in both years;
// `zeroThreshold` is the median of the field's positive values among this year's units (a zero
// transition counts when its non-zero value is at least that much). The findings come in the order
// of OrderFindings.
FieldReview ReviewValues(const std::vector<UnitValues>& units, double zeroThreshold, const HbParameters& parameters);

// Working memory of the test, kept from field to field so that a large field does not ask the
// system for fresh memory each time.
struct HbScratch {
  std::vector<double> effects, work;
};
// The same, leaving in `units` the HB set (the units of the test in their order).
FieldReview ReviewValues(std::vector<UnitValues>& units, double zeroThreshold, const HbParameters& parameters,
                         HbScratch& scratch);

// Where a finding (of one field's test or of the review) stands in the order of impact: HB findings
// rank first, by |score|; zero transitions after them, by their non-zero value.
template <class AnyFinding>
int FindingRank(const AnyFinding& f) {
  return f.score ? 0 : 1;
}
template <class AnyFinding>
double FindingWeight(const AnyFinding& f) {
  return f.score ? std::fabs(*f.score) : std::max(f.last, f.current);
}

// HB findings first, by |score| from the largest; then the zero transitions, by their non-zero value
// from the largest; ties by the unit's key.
void OrderFindings(std::vector<Finding>& findings);

}  // namespace velmora::review
