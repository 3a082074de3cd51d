#include "core/review/hb_method.h"

#include <algorithm>
#include <cmath>

namespace velmora::review {

const char* KindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::High: return "high";
    case FindingKind::Low: return "low";
    case FindingKind::FromZero: return "from-zero";
    case FindingKind::ToZero: return "to-zero";
  }
  return "";
}

double Median(std::vector<double> values) { return MedianInPlace(values); }

double MedianInPlace(std::vector<double>& values) {
  const std::size_t n = values.size();
  const std::size_t mid = n / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  const double upper = values[mid];
  if (n % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
  return (lower + upper) / 2;
}

double SortedQuantile(const std::vector<double>& sorted, double p) {
  const double h = static_cast<double>(sorted.size() - 1) * p;
  const auto lo = static_cast<std::size_t>(std::floor(h));
  if (lo + 1 >= sorted.size()) return sorted.back();
  return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[lo + 1] - sorted[lo]);
}

double Quantile(std::vector<double>& values, double p) {
  const double h = static_cast<double>(values.size() - 1) * p;
  const auto lo = static_cast<std::size_t>(std::floor(h));
  const auto at = values.begin() + static_cast<std::ptrdiff_t>(lo);
  std::nth_element(values.begin(), at, values.end());
  if (lo + 1 >= values.size()) return *at;
  const double next = *std::min_element(at + 1, values.end());
  return *at + (h - static_cast<double>(lo)) * (next - *at);
}

double Effect(double ratio, double medianRatio, double size, double u) {
  const double s = ratio < medianRatio ? 1 - medianRatio / ratio : ratio / medianRatio - 1;
  return s * std::pow(size, u);
}

namespace {

// Leaves in `units` the HB set: both values above zero; the unchanged ones leave it when they are
// half of it or more (they can never be findings).
void KeepHbSet(std::vector<UnitValues>& units) {
  std::erase_if(units, [](const UnitValues& v) { return !(v.last > 0 && v.current > 0); });
  const auto unchanged = static_cast<std::size_t>(
      std::count_if(units.begin(), units.end(), [](const UnitValues& v) { return v.last == v.current; }));
  if (unchanged > 0 && 2 * unchanged >= units.size())
    std::erase_if(units, [](const UnitValues& v) { return v.last == v.current; });
}

void AddZeroTransitions(const std::vector<UnitValues>& units, double zeroThreshold, std::vector<Finding>& findings) {
  for (const UnitValues& v : units) {
    if (v.last == 0 && v.current > 0 && v.current >= zeroThreshold)
      findings.push_back({v.unit, FindingKind::FromZero, v.last, v.current, std::nullopt, std::nullopt});
    else if (v.current == 0 && v.last > 0 && v.last >= zeroThreshold)
      findings.push_back({v.unit, FindingKind::ToZero, v.last, v.current, std::nullopt, std::nullopt});
  }
}

}  // namespace

FieldReview ReviewValues(const std::vector<UnitValues>& units, double zeroThreshold, const HbParameters& parameters) {
  std::vector<UnitValues> copy = units;
  HbScratch scratch;
  return ReviewValues(copy, zeroThreshold, parameters, scratch);
}

FieldReview ReviewValues(std::vector<UnitValues>& units, double zeroThreshold, const HbParameters& parameters,
                         HbScratch& scratch) {
  FieldReview review;
  AddZeroTransitions(units, zeroThreshold, review.findings);
  KeepHbSet(units);
  const std::vector<UnitValues>& set = units;
  review.tested = set.size();
  if (set.size() < 10) {
    review.skipped = kTooFewUnitsText;
    OrderFindings(review.findings);
    return review;
  }
  auto ratio = [&](std::size_t i) { return set[i].current / set[i].last; };
  std::vector<double>& work = scratch.work;
  work.clear();
  for (std::size_t i = 0; i < set.size(); ++i) work.push_back(ratio(i));
  review.medianRatio = MedianInPlace(work);
  std::vector<double>& effects = scratch.effects;
  effects.clear();
  for (std::size_t i = 0; i < set.size(); ++i)
    effects.push_back(Effect(ratio(i), review.medianRatio, std::max(set[i].last, set[i].current), parameters.u));
  work.assign(effects.begin(), effects.end());
  review.q1 = Quantile(work, 0.25);
  review.qm = Quantile(work, 0.5);
  review.q3 = Quantile(work, 0.75);
  const double least = std::fabs(parameters.a * review.qm);
  review.lowSpread = std::max(review.qm - review.q1, least);
  review.highSpread = std::max(review.q3 - review.qm, least);
  if (review.lowSpread == 0 || review.highSpread == 0) {
    review.skipped = kNoSpreadText;
    OrderFindings(review.findings);
    return review;
  }
  for (std::size_t i = 0; i < set.size(); ++i) {
    const double e = effects[i];
    if (e < review.qm - parameters.c * review.lowSpread)
      review.findings.push_back({set[i].unit, FindingKind::Low, set[i].last, set[i].current, ratio(i),
                                 (e - review.qm) / review.lowSpread});
    else if (e > review.qm + parameters.c * review.highSpread)
      review.findings.push_back({set[i].unit, FindingKind::High, set[i].last, set[i].current, ratio(i),
                                 (e - review.qm) / review.highSpread});
  }
  OrderFindings(review.findings);
  return review;
}

void OrderFindings(std::vector<Finding>& findings) {
  std::sort(findings.begin(), findings.end(), [&](const Finding& a, const Finding& b) {
    if (FindingRank(a) != FindingRank(b)) return FindingRank(a) < FindingRank(b);
    if (FindingWeight(a) != FindingWeight(b)) return FindingWeight(a) > FindingWeight(b);
    return a.unit < b.unit;
  });
}

}  // namespace velmora::review
