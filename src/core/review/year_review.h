#pragma once
// The year-over-year review: this year's records against last year's, unit by unit (matched by
// c901) and field by field, with the Hidiroglou–Berthelot test of each indicator and its zero
// transitions; and the roster of units matched, new this year and not reported yet.
//
// Each year is read once (the two at the same time), its values turned into one stream per field in
// a temporary file; then the fields are tested one at a time, so memory holds two fields' values
// whatever the record count. The reference file is read through the intake (a private copy, its
// dt_data checked before a row is read, under the untrusted scope).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/exchange/last_year.h"
#include "core/jobs/job.h"
#include "core/review/hb_method.h"
#include "core/review/roster.h"

namespace velmora::db {
class Connection;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::review {

// An indicator the review tests: a column of dt_data whose catalogue kind is a number (QueryType 0
// or 2), the cover codes, the record state and the row number left out.
struct ReviewField {
  std::string name;     // column name as the catalogue spells it ("z001")
  std::string caption;  // the catalogue's hint ("基层工会涵盖单位(个)")
  int page = -1;        // entry-form page (1–7); -1 for a field the form does not show
  std::string table;    // caption of the survey table (the page's sheet name); "" without a page
  bool decimal = false;
};

// The indicators in the catalogue's order. Throws db::DbError.
std::vector<ReviewField> ReviewFields(db::Connection& connection);

// What this year is compared with: a file (read through the intake) or the previous-year table.
using Reference = exchange::LastYear;
using exchange::kPreviousYearName;
using exchange::PreviousYearHasRecords;
// How a reference is named in verdicts, messages and workbooks: the file's path, or "上年数据表".
inline std::string ReferenceName(const Reference& reference) { return exchange::LastYearName(reference); }

struct ReviewOptions {
  HbParameters parameters;
  std::vector<std::string> fields;  // names to test; empty: every indicator
  // Findings kept, those of most impact; the others are only counted. 0: all (memory grows with them).
  std::size_t maxFindings = 100000;
};

// One finding of the review: a unit's field this year against last year.
struct ReviewFinding {
  std::int64_t code = 0;  // c901
  std::string name;       // c902 this year
  std::string field;      // column name
  FindingKind kind = FindingKind::High;
  double last = 0;
  double current = 0;
  std::optional<double> ratio;
  std::optional<double> score;
  bool verified = false;  // marked "已核实" with these two values
  std::string note;       // the verdict's note
};

// A point of a field's plot: a unit of the HB set, its ratio and its size max(x, y)^U.
struct PlotPoint {
  double ratio = 0;
  double size = 0;
};

// What the test made of one field.
struct FieldResult {
  std::string field;
  std::optional<std::string> skipped;  // why the HB test was not made
  std::size_t tested = 0;              // units in the HB set
  double medianRatio = 0, q1 = 0, qm = 0, q3 = 0, lowSpread = 0, highSpread = 0;
  double u = 0.5, c = 7;               // the parameters the bounds were drawn with
  std::vector<PlotPoint> sample;       // at most kPlotSample units of the set, findings not among them
};
inline constexpr std::size_t kPlotSample = 2000;

// What the field test made of field `name` as the review reports it: the figures of `review`, and
// the plot's sample drawn from `set`, the HB set ReviewValues left in its units (findings left out).
FieldResult DescribeField(const std::string& name, const FieldReview& review, const std::vector<UnitValues>& set,
                          const HbParameters& parameters);

// The ratio at which a unit of size `size` (max(x, y)^U) meets the lower or upper bound of the field:
// the curves of the plot. Nullopt where no ratio meets the bound.
std::optional<double> LowerBoundRatio(const FieldResult& field, double size);
std::optional<double> UpperBoundRatio(const FieldResult& field, double size);

struct ReviewResult {
  std::string reference;  // ReferenceName
  Roster roster;          // with the names of the new and missing units
  std::vector<ReviewFinding> findings;  // HB findings by |score|, then zero transitions by value
  std::int64_t totalFindings = 0;       // all findings, the ones beyond maxFindings included
  std::vector<FieldResult> fields;      // in the order of the fields tested
};

// "上年数据中没有这一项": a field the reference does not have.
inline constexpr const char* kNoReferenceFieldText = "上年数据中没有这一项";
inline constexpr const char* kNoReferenceTableText = exchange::kNoLastYearTableText;
inline constexpr const char* kReviewStoppedText = "审核已停止。";

// Runs the review of the open database against `reference`. Progress on two levels: the steps
// (the units, the values, each field, the names) outside, the rows of both years inside; the job may stop it (intake::IntakeError
// Stopped). Verified findings are marked (see verdicts.h), not removed. Throws intake::IntakeError
// for a reference that cannot be read (naming the file), db::DbError for our own database.
ReviewResult RunReview(session::DatabaseSession& session, const Reference& reference, const ReviewOptions& options,
                       jobs::Job& job);

// Only the roster (one pass over the codes of both years).
Roster RunRoster(session::DatabaseSession& session, const Reference& reference, jobs::Job& job);

}  // namespace velmora::review
