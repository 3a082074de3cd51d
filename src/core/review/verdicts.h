#pragma once
// Verdicts of the review: a finding the office has checked with the unit and marked "已核实" is kept
// in the working database (the table below) with its two values, the reference, an optional note and
// the time, and is not shown again while both values stay the same. The table never travels in a
// package or a CSV file.

#include <string>
#include <vector>

#include "core/review/year_review.h"

namespace velmora::db {
class Connection;
}

namespace velmora::review {

inline constexpr const char* kVerdictTable = "dt_review_verified";
inline constexpr const char* kVerifiedText = "已核实";

struct Verdict {
  std::int64_t code = 0;
  std::string field;
  double last = 0;
  double current = 0;
  std::string reference;
  std::string note;
  std::string time;  // "YYYY-MM-DD HH:MM:SS", local time
};

// Marks the finding verified (replacing an earlier verdict of the same unit and field). Throws db::DbError.
void MarkVerified(db::Connection& connection, const ReviewFinding& finding, const std::string& reference,
                  const std::string& note);
// Takes the verdict of the unit's field back. Throws db::DbError.
void ClearVerdict(db::Connection& connection, std::int64_t code, const std::string& field);
// Every verdict kept, by code and field; none when the table is not there. Throws db::DbError.
std::vector<Verdict> LoadVerdicts(db::Connection& connection);
// Sets `verified` and `note` of each finding whose unit, field and both values match a verdict.
void ApplyVerdicts(const std::vector<Verdict>& verdicts, std::vector<ReviewFinding>& findings);

}  // namespace velmora::review
