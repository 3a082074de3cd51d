#pragma once
// The batch check: the built-in rules over the records of a statement, each record's RecordState
// set to 2 (logic errors) or 1 (passed), every failure written to the check report, and at the
// end the report opened or the user congratulated.
//
// Each record is read once through one prepared statement, the states are written in one
// transaction (only rows whose state changes), the report goes through one buffered stream, and
// the user interface gets to handle its events every few hundred records.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/checks/check_report.h"
#include "core/jobs/job.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}  // namespace velmora::db
namespace velmora::session {
struct EditionSettings;
}  // namespace velmora::session

namespace velmora::checks {

class FieldHints;

inline constexpr const char* kCongratulation = "恭喜你，所检查的数据没有逻辑错误";
inline constexpr const char* kRangeMissing = "请输入逻辑检查的范围";

// The records that take part in a check: "c912<=2" (or "c907<=2" in the other edition).
std::string CheckFilter(const session::EditionSettings& edition);
// The statements of the three ways of checking. A code is written as its whole number.
std::string AllRecordsSql(const std::string& filter);
std::string CurrentRecordSql(double code, const std::string& filter);
std::string SelectedRecordsSql(const std::vector<double>& codes, const std::string& filter);
std::string RangeRecordsSql(double lower, double upper, const std::string& filter);
std::string CodeText(double code);

struct LogicCheckOptions {
  std::string reportPath;
  bool markPassed = true;
  // Progress, pause and stop: the check dialog or a terminal line; none when null. The run
  // starts it with the number of records, steps it per record and finishes it at the end.
  jobs::Job* job = nullptr;
  std::function<CheckTime()> clock = LocalCheckTime;
  int eventInterval = 256;  // records between two calls of the job's processEvents
};

struct LogicCheckResult {
  enum class End { Completed, Stopped, Failed };
  End end = End::Failed;
  std::int64_t total = 0;    // records of the statement
  std::int64_t checked = 0;  // records visited
  std::int64_t ErrorUnitCount = 0;
  std::int64_t ErrorItemCount = 0;
  std::int64_t NonNumericRecords = 0;  // records visited with text in an indicator column (read as 0)
  std::string error;  // the message shown when the run failed
};

// Runs the check over the records of `selectSql` (a "select * from dt_data ..." statement).
// Messages, the congratulation and the opening of the report go through `prompts`. The report is
// never written over the open database, a database file or a file that is not a check report
// (refused before anything changes); it is written beside its target and takes its place together
// with the commit of the states. An error of the report file or of the records ends the run with
// the error's text shown, every state as it was and the previous report untouched; a stop keeps the
// states of the records visited and the report of them.
LogicCheckResult RunLogicCheck(db::Connection& connection, const std::string& selectSql, UserPrompts& prompts,
                               FieldHints& hints, const LogicCheckOptions& options);

}  // namespace velmora::checks
