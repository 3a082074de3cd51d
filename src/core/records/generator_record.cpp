#include "core/records/generator_record.h"

#include <algorithm>
#include <cstdio>

namespace velmora::generator {

namespace {

using std::int64_t;
using std::max;
using std::min;

constexpr int kYes = 1;
constexpr int kNo = 2;

int YesNo(Random& r, int yesPermille) { return r.chance(yesPermille) ? kYes : kNo; }

// Number of employees: mostly small and medium units, a few large ones.
int64_t Employees(Random& r) {
  struct SizeClass {
    int64_t lo, hi;
    int weight;  // percent
  };
  static constexpr SizeClass kClasses[] = {{3, 9, 18},      {10, 29, 24},     {30, 99, 26}, {100, 299, 16},
                                           {300, 999, 10}, {1000, 2999, 5}, {3000, 8000, 1}};
  int64_t pick = r.below(100);
  for (const auto& c : kClasses) {
    if (pick < c.weight) return r.between(c.lo, c.hi);
    pick -= c.weight;
  }
  return r.between(3, 9);
}

// Splits `total` into `n` random parts written to out[0..n-1] of the indicator array.
void Split(Random& r, int64_t total, Indicators& v, int first, int n) {
  int64_t left = total;
  for (int i = 0; i < n - 1; ++i) {
    int64_t share = r.below(left + 1);
    if (i == 0) share = max(share, left / 3);  // the first group is usually the largest
    v[first + i] = share;
    left -= share;
  }
  v[first + n - 1] = left;
}

// Amount in hundredths: count units at a price between lo and hi yuan, plus some cents.
int64_t Amount(Random& r, int64_t count, int64_t loYuan, int64_t hiYuan) {
  return count * r.between(loYuan * 100, hiYuan * 100) + r.below(100);
}

// Page 1: organisation building. Employees are split into female/male and migrant/non-migrant
// groups; members are taken from each group, so every breakdown of the members fits the
// breakdown of the employees.
void FillOrganisation(Random& r, int organisationType, Indicators& v) {
  const int64_t employees = Employees(r);
  const int64_t units = organisationType == 1 ? 1 : min(employees - 1, 2 + r.below(min<int64_t>(12, max<int64_t>(1, employees / 20))));
  const int64_t female = r.part(employees, 150, 750);
  const int64_t migrant = r.chance(400) ? 0 : r.part(employees, 30, 700);
  const int64_t lo = max<int64_t>(0, female + migrant - employees);
  const int64_t hi = min(female, migrant);
  const int64_t femaleMigrant = r.between(lo, hi);

  // femaleMigrant, femaleOther, maleMigrant, maleOther
  int64_t group[4] = {femaleMigrant, female - femaleMigrant, migrant - femaleMigrant,
                      employees - female - migrant + femaleMigrant};
  int64_t member[4];
  const bool everyone = r.chance(250);
  const int rate = static_cast<int>(r.between(550, 990));
  int64_t members = 0;
  for (int i = 0; i < 4; ++i) {
    member[i] = everyone ? group[i] : group[i] * rate / 1000;
    members += member[i];
  }
  for (int i = 3; members <= units; i = (i + 3) % 4) {  // a union has more members than units
    if (member[i] < group[i]) {
      ++member[i];
      ++members;
    }
  }

  v[Z(1)] = units;
  v[Z(2)] = employees;
  v[Z(3)] = female;
  v[Z(4)] = migrant;
  v[Z(5)] = femaleMigrant;
  v[Z(6)] = members;
  v[Z(7)] = member[0] + member[1];
  v[Z(8)] = member[0] + member[2];
  v[Z(9)] = member[0];

  // Union staff: full-time staff only in larger units, part-time staff almost everywhere.
  int64_t fullTime = employees >= 200 ? max<int64_t>(1, r.part(employees, 2, 6)) : (r.chance(150) ? 1 : 0);
  fullTime = min(fullTime, members);
  int64_t partTime = max<int64_t>(fullTime == 0 ? 1 : 0, r.part(members, 10, 60));
  partTime = min(partTime, members - fullTime);
  if (fullTime + partTime == 0) partTime = 1;
  v[Z(10)] = fullTime;
  v[Z(20)] = partTime;
  v[Z(11)] = min(r.part(fullTime, 200, 700), v[Z(7)]);
  v[Z(21)] = min(r.part(partTime, 200, 700), v[Z(7)] - v[Z(11)]);
  Split(r, fullTime, v, Z(12), 3);
  Split(r, fullTime, v, Z(15), 5);

  // Women's organisation: only where there are women.
  if (female == 0) {
    v[Z(22)] = 0;
  } else {
    const int64_t pick = r.below(100);
    v[Z(22)] = pick < 55 ? 1 : (pick < 80 ? 2 : 0);
  }
  if (v[Z(22)] != 0) {
    v[Z(23)] = fullTime > 0 ? 1 + r.below(min<int64_t>(fullTime, 2)) : 0;
    v[Z(24)] = r.below(min<int64_t>(3, fullTime + partTime - v[Z(23)]) + 1);
    if (v[Z(23)] + v[Z(24)] == 0) v[Z(24)] = 1;
  }
}

// Page 2: protection work.
void FillProtection(Random& r, const Closures& closed, Indicators& v) {
  const int64_t employees = v[Z(2)];
  const int64_t migrant = v[Z(4)];

  if (r.chance(80)) {
    v[B(1)] = min(employees, 1 + r.below(max<int64_t>(1, employees / 10)));
    v[B(2)] = r.part(v[B(1)], 500, 1000);
  }
  if (r.chance(40)) {  // wage arrears: the amount is well above the number of persons
    const int64_t persons = min(employees, 1 + r.below(max<int64_t>(1, employees / 5)));
    v[B(3)] = persons;
    v[B(5)] = Amount(r, persons, 1500, 6000);
    const int64_t migrants = min(persons, migrant) * r.between(0, 1000) / 1000;
    v[B(4)] = migrants;
    if (migrants == persons) {
      v[B(6)] = v[B(5)];
    } else if (migrants > 0) {
      // at least two yuan below the total, so the order survives rounding to whole yuan
      v[B(6)] = min(Amount(r, migrants, 1500, 6000), v[B(5)] - 200);
    }
  }
  if (r.chance(30)) v[B(7)] = 1 + r.below(max<int64_t>(1, employees / 10));
  if (r.chance(500)) {
    v[B(8)] = 1 + r.below(min<int64_t>(5, employees - 1));
    v[B(9)] = 1 + r.below(min<int64_t>(20, employees));
  }
  v[B(10)] = YesNo(r, 600);
  if (v[B(10)] == kYes) v[B(11)] = Amount(r, 1, 500, 50000);
  if (r.chance(400)) v[B(12)] = r.part(employees, 0, 400);
  v[B(13)] = r.part(employees, 700, 1000);
  v[B(14)] = r.part(v[B(12)], 600, 1000);
  v[B(15)] = r.part(employees, 700, 1000);
  v[B(16)] = r.part(v[B(12)], 600, 1000);
  v[B(17)] = r.part(employees, 600, 1000);
  v[B(18)] = r.part(employees, 600, 1000);
  v[B(19)] = r.part(employees, 500, 1000);
  if (r.chance(500)) {
    v[B(20)] = r.part(employees + v[B(12)], 100, 900);
    v[B(21)] = r.part(v[B(20)], 300, 1000);
    v[B(22)] = r.part(v[B(20)], 0, 300);
    v[B(23)] = r.part(v[B(20)], 100, 800);
    if (v[B(20)] > 0 && r.chance(500)) {
      v[B(24)] = 1 + r.below(max<int64_t>(1, v[B(20)] / 20));
      v[B(25)] = Amount(r, v[B(24)], 200, 3000);
    }
  }
  v[B(26)] = YesNo(r, 700);
  if (!closed.enterpriseColumns) {
    v[B(27)] = YesNo(r, 300);
    v[B(28)] = YesNo(r, 350);
  }
  v[B(29)] = employees * r.between(300, 1200) + r.below(100);  // ten-thousands of yuan
}

// Page 3: labour contracts, collective contracts, democratic management; boards.
void FillContracts(Random& r, const Closures& closed, Indicators& v) {
  const int64_t employees = v[Z(2)];
  if (!closed.contractColumns) {
    v[H(1)] = r.part(employees, 700, 1000);
    v[H(2)] = min(v[H(1)], v[Z(4)]) * r.between(800, 1000) / 1000;
    v[H(3)] = min(v[H(2)], v[Z(5)]) * r.between(700, 1000) / 1000;
    v[H(4)] = YesNo(r, 700);
    v[H(5)] = v[H(4)] == kYes ? YesNo(r, 600) : kNo;
    const int64_t pick = r.below(100);
    v[H(6)] = pick < 60 ? 1 : (pick < 80 ? 2 : 0);
    v[H(7)] = v[H(6)] == 0 ? kNo : YesNo(r, 850);
    if (v[H(6)] == 1) {
      v[H(8)] = std::clamp<int64_t>(r.part(employees, 20, 100), 1, employees - 1);
      v[H(9)] = min(r.part(v[H(8)], 200, 600), v[Z(3)]);
    }
    v[H(10)] = YesNo(r, 800);
  }
  if (!closed.boardColumns) {
    v[H(11)] = YesNo(r, 500);
    if (v[H(11)] == kYes) {
      v[H(12)] = min(employees, 3 + r.below(10));
      v[H(13)] = min(r.part(v[H(12)], 0, 500), v[Z(3)]);
      v[H(14)] = min(v[H(12)], 1 + r.below(2));
      v[H(15)] = r.below(min(v[H(14)], v[H(13)]) + 1);
    }
    v[H(16)] = v[H(11)] == kYes ? YesNo(r, 600) : kNo;
    v[H(17)] = YesNo(r, 500);
    if (v[H(17)] == kYes) {
      v[H(18)] = min(employees, 3 + r.below(5));
      v[H(19)] = min(r.part(v[H(18)], 0, 600), v[Z(3)]);
      v[H(20)] = min(v[H(18)], 1 + r.below(2));
      v[H(21)] = r.below(min(v[H(19)], v[H(20)]) + 1);
    }
    v[H(22)] = v[H(17)] == kYes ? YesNo(r, 600) : kNo;
  }
}

// Page 4: labour protection.
void FillLabourProtection(Random& r, Indicators& v) {
  const int64_t employees = v[Z(2)];
  v[L(1)] = YesNo(r, 600);
  if (v[L(1)] == kYes) {
    v[L(2)] = r.below(5);
    v[L(3)] = min(employees - 1, r.below(max<int64_t>(1, employees / 20) + 1));
    v[L(4)] = r.below(4);
    v[L(5)] = r.below(v[L(4)] + 1);
  }
  v[L(6)] = r.below(12);
  v[L(7)] = r.below(3);
  v[L(8)] = r.below(3);
  v[L(9)] = YesNo(r, 900);
  v[L(10)] = YesNo(r, 900);
}

// Page 5: legal work. The disputes accepted are the sum of their causes.
void FillLegal(Random& r, Indicators& v) {
  const int64_t members = v[Z(6)];
  v[F(1)] = YesNo(r, 700);
  v[F(2)] = v[F(1)] == kYes ? YesNo(r, 800) : kNo;
  v[F(3)] = YesNo(r, 500);
  if (v[F(3)] == kYes) {
    v[F(4)] = 1 + r.below(min<int64_t>(members, 5));
    v[F(6)] = r.below(6);
    v[F(7)] = r.below(v[F(6)] + 1);
    v[F(8)] = r.below(v[F(6)] - v[F(7)] + 1);
  }
  v[F(5)] = r.below(min<int64_t>(members, 3) + 1);
  v[F(9)] = members >= 3 ? YesNo(r, 600) : kNo;
  if (v[F(9)] == kYes) {
    v[F(10)] = 2 + r.below(min<int64_t>(members - 2, 9));
    v[F(11)] = 1 + r.below(v[F(10)] - 1);
    v[F(12)] = r.below(10);
    int64_t disputes = 0;
    for (int n = 15; n <= 24; ++n) {
      v[F(n)] = r.chance(200) ? r.below(3) : 0;
      disputes += v[F(n)];
    }
    v[F(13)] = disputes;
    v[F(14)] = min<int64_t>(disputes, r.below(2));
    v[F(25)] = disputes - r.below(min<int64_t>(disputes, 2) + 1);
    v[F(26)] = v[F(25)] == disputes ? v[F(14)] : r.below(min(v[F(14)], v[F(25)]) + 1);
  }
}

// Page 6: economic and technical work.
void FillTechnical(Random& r, Indicators& v) {
  const int64_t employees = v[Z(2)];
  const int64_t few = min<int64_t>(employees - 1, 5);
  v[J(1)] = min(employees - 1, r.part(employees, 0, 600));
  Split(r, r.part(v[J(1)], 500, 1000), v, J(2), 5);
  v[J(7)] = YesNo(r, 600);
  if (v[J(7)] == kYes) v[J(8)] = 1 + r.part(employees, 0, 800);
  if (r.chance(500)) {
    v[J(9)] = r.below(max<int64_t>(1, employees / 10) + 1);
    v[J(10)] = r.part(v[J(9)], 300, 900);
    if (v[J(10)] > 0) v[J(11)] = Amount(r, v[J(10)], 500, 20000);
  }
  v[J(12)] = r.below(4);
  v[J(13)] = r.below(3);
  v[J(14)] = r.below(2);
  v[J(15)] = r.below(3);
  v[J(16)] = v[J(7)] == kYes ? YesNo(r, 700) : kNo;
  v[J(17)] = YesNo(r, 400);
  if (v[J(17)] == kYes) {
    v[J(18)] = 1 + r.below(few);
    v[J(19)] = r.below(few);
  }
  v[J(20)] = YesNo(r, 200);
  v[J(21)] = r.below(few + 1);
  v[J(22)] = YesNo(r, 300);
  if (v[J(22)] == kYes) v[J(23)] = 1 + r.below(min<int64_t>(employees, 200));
}

// Last page: culture and sport, finance and audit.
void FillCultureAndFinance(Random& r, Indicators& v) {
  for (int n = 1; n <= 3; ++n) v[W(n)] = r.chance(50) ? 1 + r.below(2) : 0;
  v[W(4)] = YesNo(r, 650);
  const int64_t pick = r.below(100);
  v[S(1)] = pick < 70 ? 1 : (pick < 90 ? 2 : 0);
  v[S(2)] = v[S(1)] != 0 ? YesNo(r, 700) : kNo;
  v[S(3)] = v[S(2)] == kYes ? YesNo(r, 300) : kNo;
  v[S(4)] = v[S(2)] == kYes ? YesNo(r, 800) : kNo;
}

}  // namespace

std::string IndicatorName(int index) {
  struct Page {
    char prefix;
    int first, count;
  };
  static constexpr Page kPages[] = {{'z', Z(1), 24}, {'b', B(1), 29}, {'h', H(1), 22}, {'l', L(1), 10},
                                    {'f', F(1), 26}, {'j', J(1), 23}, {'w', W(1), 4},  {'s', S(1), 4}};
  for (const auto& p : kPages) {
    if (index >= p.first && index < p.first + p.count) {
      char name[16];
      std::snprintf(name, sizeof name, "%c%03d", p.prefix, index - p.first + 1);
      return name;
    }
  }
  return {};
}

bool IsAmount(int index) {
  return index == B(5) || index == B(6) || index == B(11) || index == B(25) || index == B(29) || index == J(11);
}

Closures ClosuresOf(int unitCategory) {
  Closures c;
  switch (unitCategory) {
    case 500:
      c.enterpriseColumns = c.contractColumns = c.boardColumns = c.pages4to6 = true;
      break;
    case 401: case 402: case 701: case 702: case 703: case 704:
      c.enterpriseColumns = c.boardColumns = true;
      break;
    case 110: case 600:
      c.boardColumns = true;
      break;
    default:
      break;
  }
  return c;
}

int FixedHoldSituation(int unitCategory) {
  if (unitCategory >= 401) return 0;
  switch (unitCategory) {
    case 110: case 151: case 161: return 1;
    case 120: case 130: return 2;
    case 170: case 200: case 300: return 3;
    default: return -1;
  }
}

void FillIndicators(Random& random, int organisationType, int unitCategory, Indicators& out) {
  out.values.fill(0);
  const Closures closed = ClosuresOf(unitCategory);
  FillOrganisation(random, organisationType, out);
  FillProtection(random, closed, out);
  FillContracts(random, closed, out);
  if (!closed.pages4to6) {
    FillLabourProtection(random, out);
    FillLegal(random, out);
    FillTechnical(random, out);
  }
  FillCultureAndFinance(random, out);
}

void BreakIndicators(Random& r, Indicators& v) {
  switch (r.below(11)) {
    case 0: v[Z(3)] = v[Z(2)] + 1 + r.below(5); break;       // more women than employees
    case 1: v[Z(6)] = v[Z(2)] + 1; break;                     // more members than employees
    case 2: v[Z(12)] += 1; break;                             // age groups do not add up
    case 3: v[Z(22)] = 3; break;                              // code out of range
    case 4: v[B(2)] = v[B(1)] + 1; break;                     // more compensated than laid off
    case 5: v[B(8)] = v[Z(2)]; break;                         // as many cadres as employees
    case 6: v[B(14)] = v[B(12)] + 1; break;                   // more retired insured than retired
    case 7: v[W(1)] = 6 + r.below(4); break;                  // too many culture palaces
    case 8: v[S(1)] = 3; break;                               // code out of range
    case 9: v[B(10)] = kNo; v[B(11)] = Amount(r, 1, 100, 9000); break;  // fund balance without a fund
    default:                                                   // arrears amount without persons or the reverse
      if (v[B(3)] > 0) v[B(5)] = 0;
      else v[B(5)] = Amount(r, 1, 100, 9000);
      break;
  }
}

}  // namespace velmora::generator
