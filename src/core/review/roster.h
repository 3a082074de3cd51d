#pragma once
// The roster of the season: which units reported both years, which are new this year and which
// reported last year but not yet this year. A unit is a record with c912 at most 2, known by its c901.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {
class Connection;
}
namespace velmora::intake {
class SourceFile;
}
namespace velmora::jobs {
class Job;
}

namespace velmora::review {

struct RosterUnit {
  std::int64_t code = 0;  // c901
  std::string name;       // c902
};

struct Roster {
  std::int64_t matched = 0;
  std::vector<RosterUnit> added;    // this year only, by code
  std::vector<RosterUnit> missing;  // last year only (not reported yet), by code
};

// A code of ours: a whole number from 0 to 15 digits; anything else a file may hold is no unit.
std::optional<std::int64_t> UnitCode(double value);

// The units of `table`: rows with c912 at most 2 and a whole-number c901, by code; a code that comes
// twice counts once (the first row). Throws db::DbError.
std::vector<RosterUnit> ReportingUnits(db::Connection& connection, const std::string& table = "dt_data");

// Last year's units from a file from elsewhere (a backup, last year's database, a package) read
// through the intake: its dt_data must be a real table whose columns are ours by name and kind.
// Throws intake::IntakeError naming the file (NoTable, NotATable, Layout, Damaged, TooLarge, Stopped).
std::vector<RosterUnit> ReferenceUnits(intake::SourceFile& reference, db::Connection& ours, jobs::Job& job);

// Matches this year's units with last year's by code.
Roster CompareUnits(std::vector<RosterUnit> current, std::vector<RosterUnit> reference);

}  // namespace velmora::review
