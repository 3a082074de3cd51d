#pragma once
// One generated survey record in memory and the rules that fill it: the indicators of a reporting
// organisation that pass every consistency rule, the fields closed by its unit category, and the
// deliberate faults of the records meant to fail.

#include <array>
#include <cstdint>
#include <string>

#include "core/records/generator_random.h"

namespace velmora::generator {

// The 142 indicator columns in page order; an index into Record::values.
inline constexpr int kIndicatorCount = 142;
constexpr int Z(int n) { return n - 1; }
constexpr int B(int n) { return 24 + n - 1; }
constexpr int H(int n) { return 53 + n - 1; }
constexpr int L(int n) { return 75 + n - 1; }
constexpr int F(int n) { return 85 + n - 1; }
constexpr int J(int n) { return 111 + n - 1; }
constexpr int W(int n) { return 134 + n - 1; }
constexpr int S(int n) { return 138 + n - 1; }

// Column name of an indicator index ("z001" ... "s004").
std::string IndicatorName(int index);
// Amount columns hold money with two decimals; their values are kept in hundredths.
bool IsAmount(int index);

// Which groups of fields a unit category closes for a reporting organisation.
struct Closures {
  bool enterpriseColumns = false;  // b027, b028
  bool contractColumns = false;    // h001-h010
  bool boardColumns = false;       // h011-h022
  bool pages4to6 = false;          // l, f and j fields
};
Closures ClosuresOf(int unitCategory);

// The holding situation a unit category fixes, or -1 when the organisation chooses one
// (from CT_HoldSituation1 for category 169, otherwise from CT_HoldSituation).
int FixedHoldSituation(int unitCategory);

struct Indicators {
  std::array<std::int64_t, kIndicatorCount> values{};  // amounts in hundredths
  std::int64_t& operator[](int index) { return values[static_cast<std::size_t>(index)]; }
  std::int64_t operator[](int index) const { return values[static_cast<std::size_t>(index)]; }
};

// Fills the indicators of a reporting organisation of the given organisation type and unit
// category so that every rule holds and every closed field is 0.
void FillIndicators(Random& random, int organisationType, int unitCategory, Indicators& out);

// Changes one open field so that at least one rule fails.
void BreakIndicators(Random& random, Indicators& values);

}  // namespace velmora::generator
