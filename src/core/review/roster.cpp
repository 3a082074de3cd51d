#include "core/review/roster.h"

#include <algorithm>
#include <cmath>

#include "core/base/quoting.h"
#include "core/db/statement.h"
#include "core/intake/source_file.h"
#include "core/jobs/job.h"

namespace velmora::review {

namespace {

void SortUnique(std::vector<RosterUnit>& units) {
  std::stable_sort(units.begin(), units.end(), [](const RosterUnit& a, const RosterUnit& b) { return a.code < b.code; });
  units.erase(std::unique(units.begin(), units.end(),
                          [](const RosterUnit& a, const RosterUnit& b) { return a.code == b.code; }),
              units.end());
}

}  // namespace

std::optional<std::int64_t> UnitCode(double value) {
  if (!(value >= 0 && value < 1e15) || std::floor(value) != value) return std::nullopt;
  return static_cast<std::int64_t>(value);
}

std::vector<RosterUnit> ReportingUnits(db::Connection& connection, const std::string& table) {
  std::vector<RosterUnit> units;
  db::Statement rows = db::Statement::Native(
      connection, "SELECT c901, c902 FROM " + base::QuoteSqlName(table) +
                      " WHERE typeof(c901) IN ('integer', 'real') AND c912 <= 2");
  while (rows.step()) {
    const auto code = UnitCode(rows.real(0));
    if (!code) continue;  // not a code of ours
    units.push_back({*code, rows.text(1)});
  }
  SortUnique(units);
  return units;
}

std::vector<RosterUnit> ReferenceUnits(intake::SourceFile& reference, db::Connection& ours, jobs::Job& job) {
  reference.requireTable("dt_data", "您选择的上年数据文件中没有记录表dt_data");
  reference.requireKnownColumns("dt_data", ours);
  intake::UntrustedScope scope(reference.connection(), job, reference.instructionBudget());
  try {
    return ReportingUnits(reference.connection());
  } catch (const intake::IntakeError&) {
    throw;
  } catch (const std::exception& e) {
    scope.rethrow(e, reference.chosen());
  }
}

Roster CompareUnits(std::vector<RosterUnit> current, std::vector<RosterUnit> reference) {
  SortUnique(current);
  SortUnique(reference);
  Roster roster;
  auto c = current.begin();
  auto r = reference.begin();
  while (c != current.end() || r != reference.end()) {
    if (r == reference.end() || (c != current.end() && c->code < r->code)) {
      roster.added.push_back(std::move(*c++));
    } else if (c == current.end() || r->code < c->code) {
      roster.missing.push_back(std::move(*r++));
    } else {
      ++roster.matched;
      ++c;
      ++r;
    }
  }
  return roster;
}

}  // namespace velmora::review
