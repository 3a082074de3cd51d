// The field test against figures worked out independently (Python's statistics.median and its
// inclusive quantiles, which are R's type 7) on small sets: odd and even counts, the unchanged
// majority, too few units, no spread, zero transitions at and below the threshold, U, A and C changed.
#include "core/review/hb_method.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace velmora::review {
namespace {

std::vector<UnitValues> Odd() {
  std::vector<UnitValues> units;
  for (int i = 1; i <= 9; ++i) {
    const double x = 100 + i * 3;
    units.push_back({i, x, x * (1.02 + 0.01 * (i % 3))});
  }
  units.push_back({10, 400, 1600});
  units.push_back({11, 900, 90});
  return units;
}

std::vector<UnitValues> Even() {
  std::vector<UnitValues> units;
  for (int i = 1; i <= 11; ++i) {
    const double x = 50 + i * 7;
    units.push_back({i, x, x * (0.98 + 0.015 * (i % 4))});
  }
  units.push_back({12, 2500, 9000});
  return units;
}

// `unchanged` units with the same value both years, then `changed` units that moved a little.
std::vector<UnitValues> Unchanged(int unchanged, int changed) {
  std::vector<UnitValues> units;
  for (int i = 1; i <= unchanged; ++i) units.push_back({i, 10.0 * i, 10.0 * i});
  for (int i = 1; i <= changed; ++i) units.push_back({100 + i, 10.0 * i, 10.0 * i * (1 + 0.01 * i)});
  return units;
}

struct Expected {
  std::int64_t unit;
  FindingKind kind;
  double score;  // 0 for a zero transition
};

TEST(HbMethod, FindingsScoresAndQuartilesAsWorkedOut) {
  struct Case {
    const char* name;
    std::vector<UnitValues> units;
    HbParameters parameters;
    double median, q1, qm, q3;
    std::vector<Expected> findings;
  };
  const Case cases[] = {
      {"odd count", Odd(), {}, 1.03, -0.10546599625488967, 0.0, 0.1040568072345592,
       {{11, FindingKind::Low, -2645.40240368767}, {10, FindingKind::High, 1108.4311434354313}}},
      {"even count: the median ratio is the mean of the two middle ones", Even(), {}, 1.01, -0.14430444416311505,
       0.0, 0.13242311657781575, {{12, FindingKind::High, 1837.1128724446185}}},
      {"C = 2 finds the smaller move too", Even(), {0.5, 0.05, 2}, 1.01, -0.14430444416311505, 0.0,
       0.13242311657781575, {{12, FindingKind::High, 1837.1128724446185}, {8, FindingKind::Low, -2.1840793128896787}}},
      {"U = 1 and A = 0.5", Even(), {1, 0.5, 7}, 1.01, -1.38693467336683, 0.0, 1.1873762376237633,
       {{12, FindingKind::High, 19437.148217636008}}},
      {"half unchanged: they leave the set", Unchanged(10, 10), {}, 1.0550000000000002, -0.1244478387768901,
       0.0016463724262760666, 0.19596070650659803, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FieldReview r = ReviewValues(c.units, 1e300, c.parameters);
    ASSERT_FALSE(r.skipped) << *r.skipped;
    EXPECT_NEAR(r.medianRatio, c.median, 1e-12);
    EXPECT_NEAR(r.q1, c.q1, 1e-9);
    EXPECT_NEAR(r.qm, c.qm, 1e-9);
    EXPECT_NEAR(r.q3, c.q3, 1e-9);
    ASSERT_EQ(r.findings.size(), c.findings.size());
    for (std::size_t i = 0; i < c.findings.size(); ++i) {
      EXPECT_EQ(r.findings[i].unit, c.findings[i].unit);
      EXPECT_EQ(r.findings[i].kind, c.findings[i].kind);
      ASSERT_TRUE(r.findings[i].score);
      EXPECT_NEAR(*r.findings[i].score, c.findings[i].score, 1e-6 * std::abs(c.findings[i].score));
      ASSERT_TRUE(r.findings[i].ratio);
      EXPECT_DOUBLE_EQ(*r.findings[i].ratio, r.findings[i].current / r.findings[i].last);
    }
  }
}

TEST(HbMethod, FieldsWithoutEnoughUnitsOrSpreadAreSkippedWithTheReason) {
  std::vector<UnitValues> flat;
  for (int i = 1; i <= 12; ++i) flat.push_back({i, 10.0 * i, 20.0 * i});  // every ratio 2
  std::vector<UnitValues> nine = Odd();
  nine.resize(9);
  const struct {
    const char* name;
    std::vector<UnitValues> units;
    const char* reason;
    std::size_t tested;
  } cases[] = {
      {"nine units", nine, kTooFewUnitsText, 9},
      {"eleven of twenty unchanged leave nine", Unchanged(11, 9), kTooFewUnitsText, 9},
      {"every ratio the same", flat, kNoSpreadText, 12},
      {"nothing above zero", {{1, 0, 0}, {2, -5, 3}}, kTooFewUnitsText, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FieldReview r = ReviewValues(c.units, 1e300, {});
    ASSERT_TRUE(r.skipped);
    EXPECT_EQ(*r.skipped, c.reason);
    EXPECT_EQ(r.tested, c.tested);
    EXPECT_TRUE(r.findings.empty());
  }
}

TEST(HbMethod, ZeroTransitionsCountFromTheThresholdOnAndFollowTheHbFindings) {
  std::vector<UnitValues> units = Odd();
  units.push_back({20, 0, 50});    // from zero, at the threshold
  units.push_back({21, 0, 49.9});  // below it
  units.push_back({22, 80, 0});    // to zero, above it
  units.push_back({23, 10, 0});    // below it
  units.push_back({24, 0, 0});     // nothing either year
  const FieldReview r = ReviewValues(units, 50, {});
  ASSERT_FALSE(r.skipped);
  std::vector<std::pair<std::int64_t, FindingKind>> got;
  for (const Finding& f : r.findings) got.emplace_back(f.unit, f.kind);
  const std::vector<std::pair<std::int64_t, FindingKind>> expected = {
      {11, FindingKind::Low}, {10, FindingKind::High}, {22, FindingKind::ToZero}, {20, FindingKind::FromZero}};
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(r.findings[2].ratio);
  EXPECT_FALSE(r.findings[2].score);
  // A field too small for the HB test still reports its zero transitions.
  const FieldReview few = ReviewValues({{1, 0, 70}, {2, 5, 6}}, 50, {});
  ASSERT_TRUE(few.skipped);
  ASSERT_EQ(few.findings.size(), 1u);
  EXPECT_EQ(few.findings[0].kind, FindingKind::FromZero);
}

TEST(HbMethod, MedianAndQuantilesOfSmallSets) {
  EXPECT_DOUBLE_EQ(Median({3}), 3);
  EXPECT_DOUBLE_EQ(Median({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(Median({5, 1, 3}), 3);
  const std::vector<double> sorted = {1, 2, 3, 4, 10};
  EXPECT_DOUBLE_EQ(SortedQuantile(sorted, 0.25), 2);
  EXPECT_DOUBLE_EQ(SortedQuantile(sorted, 0.75), 4);
  EXPECT_DOUBLE_EQ(SortedQuantile({1, 2, 3, 4}, 0.25), 1.75);
  EXPECT_DOUBLE_EQ(SortedQuantile({7}, 0.75), 7);
  // The selection gives what the sorted values give, whatever the order and the call order.
  const std::vector<double> shuffled = {9, -2, 4, 4, 0.5, 17, 3, -8, 11, 6, 2};
  std::vector<double> ordered = shuffled;
  std::sort(ordered.begin(), ordered.end());
  std::vector<double> reused = shuffled;
  for (double p : {0.75, 0.25, 0.5, 0.0, 1.0, 0.1, 0.9}) {
    std::vector<double> fresh = shuffled;
    EXPECT_DOUBLE_EQ(Quantile(fresh, p), SortedQuantile(ordered, p)) << p;
    EXPECT_DOUBLE_EQ(Quantile(reused, p), SortedQuantile(ordered, p)) << p;
  }
  EXPECT_STREQ(KindName(FindingKind::FromZero), "from-zero");
}

}  // namespace
}  // namespace velmora::review
