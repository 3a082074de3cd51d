#include "core/checks/logic_check_runner.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "core/base/text.h"
#include "core/checks/rule_text.h"
#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/entry/edit_filters.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_scope.h"
#include "core/session/session.h"

namespace velmora::checks {

namespace {

constexpr std::string_view kSelectAll = "select * from dt_data";
// Temporary names of reports being written: "~CK<6 hex digits>.tmp" beside the report.
constexpr const char* kReportTempPrefix = "~CK";

// The statement with the row number in front, so that a changed state is written by row number;
// "" when the statement does not start as the check's statements do.
std::string WithRowNumber(const std::string& sql) {
  if (sql.size() < kSelectAll.size() || base::AsciiLower(sql.substr(0, kSelectAll.size())) != kSelectAll) return {};
  return "select _rowid_ as velmora_rowid, *" + sql.substr(std::string_view("select *").size());
}

int FindColumn(const db::Statement& s, const char* name, bool required) {
  const int i = s.findColumn(name);
  if (i < 0 && required) throw db::DbError(std::string("字段 '") + name + "' 不存在");
  return i;
}

std::int64_t CountOf(db::Connection& connection, const std::string& sql) {
  db::Statement s(connection, "select count(*) from (" + sql + ")");
  if (!s.step()) throw db::DbError("计数没有结果");
  return s.int64(0);
}

}  // namespace

std::string CheckFilter(const session::EditionSettings& edition) {
  return edition.EditionStateC912 == 1 ? "c912<=2" : "c907<=2";
}

std::string CodeText(double code) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", code);
  return buf;
}

std::string AllRecordsSql(const std::string& filter) { return "select * from dt_data where " + filter; }

std::string CurrentRecordSql(double code, const std::string& filter) {
  return "select * from dt_data where c901=" + CodeText(code) + " and " + filter;
}

std::string SelectedRecordsSql(const std::vector<double>& codes, const std::string& filter) {
  std::string list;
  for (double code : codes) {
    if (!list.empty()) list += ",";
    list += CodeText(code);
  }
  return "select * from dt_data where c901 in (" + list + ")" + " and " + filter;
}

std::string RangeRecordsSql(double lower, double upper, const std::string& filter) {
  return "select * from dt_data where " + filter + " and " + records::RangeCondition({lower, upper});
}

namespace {

// The report is judged and reserved before any state changes; it is written beside its target and
// takes its place only together with the commit of the states. The error's text when it cannot be.
std::optional<std::string> ReserveReport(db::Connection& connection, const LogicCheckOptions& options,
                                         CheckReport& report, std::optional<files::AtomicFile>& output) {
  const std::string gbkTitle = text::GbkEncoder().Encode(kCheckReportTitle);
  const files::OutputKind reportKind{"检查结果文件", gbkTitle, false};
  const files::OutputCheck where =
      files::CheckOutputPath(options.reportPath, reportKind, connection.dataSource(), true);
  if (where.verdict != files::OutputVerdict::Writable) return where.message;
  try {
    output.emplace(options.reportPath, kReportTempPrefix, connection.dataSource());
    report.Create(*output, options.clock ? options.clock() : LocalCheckTime());
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

// Counts the records of the statement into result.total; false when the user stopped the count.
// Counting a large statement takes a while: the window stays alive and a stop ends it.
bool CountRecords(db::Connection& connection, const std::string& selectSql, jobs::Job& job, LogicCheckResult& result) {
  db::ProgressScope counting(connection, job);
  try {
    result.total = CountOf(connection, selectSql);
  } catch (const db::DbError&) {
    if (!counting.interrupted()) throw;
    return false;
  }
  return true;
}

// What the checks and the report share while the records are visited.
struct CheckVisit {
  LogicCheckState& state;
  RuleTextFormatter& formatter;
  CheckReport& report;
  jobs::Job& job;
  jobs::JobTicker& ticker;
  LogicCheckResult& result;
  bool anyFailure = false;
  bool stopped = false;
};

// Checks every record of the statement, in the caller's transaction, and stores the states that
// change (2 for a record with errors, 1 for one that passes when asked).
void CheckRecords(db::Connection& connection, const std::string& selectSql, const LogicCheckOptions& options,
                  CheckVisit& visit) {
  const std::string numbered = WithRowNumber(selectSql);
  db::Statement r(connection, numbered.empty() ? selectSql : numbered);
  const int rowIndex = numbered.empty() ? -1 : 0;
  const int codeIndex = FindColumn(r, "c901", true);
  const int nameIndex = FindColumn(r, "c902", true);
  const int stateIndex = FindColumn(r, "recordstate", false);
  const RecordColumns columns(r);
  db::Statement update = db::Statement::Native(connection, rowIndex >= 0
                                                                ? "update dt_data set RecordState=?1 where _rowid_=?2"
                                                                : "update dt_data set RecordState=?1 where c901=?2");
  LogicCheckState& state = visit.state;
  LogicCheckResult& result = visit.result;
  RecordValues values;
  bool row = r.step();
  while (row) {
    state.CurrentUnitCode = r.real(codeIndex);
    state.CurrentUnitName.assign(r.textView(nameIndex));
    {  // one record
      if (columns.Read(r, values)) ++result.NonNumericRecords;
      int newState = -1;
      if (!CheckRecordLogic(values, state, visit.formatter, visit.report)) {
        newState = 2;
        ++result.ErrorUnitCount;
        visit.anyFailure = true;
      } else if (options.markPassed) {
        newState = 1;
      }
      const bool changes = newState >= 0 && (stateIndex < 0 || r.kind(stateIndex) != db::ValueKind::Integer ||
                                              r.int64(stateIndex) != newState);
      if (changes) {
        update.bindInt64(1, newState);
        if (rowIndex >= 0)
          update.bindInt64(2, r.int64(rowIndex));
        else
          update.bindDouble(2, state.CurrentUnitCode);
        update.step();  // a failure throws, the statement reset
        update.reset();
      }
      ++result.checked;
      row = r.step();
      visit.job.step();
    }
    // A paused run waits in the ticker, before the next record.
    if (!visit.ticker.tick()) {
      visit.stopped = true;
      break;
    }
  }
  r.reset();
}

// The closing messages of a completed run: congratulations, or the report opened for the user;
// and how many records held text where numbers belong.
void TellCompleted(UserPrompts& prompts, const LogicCheckOptions& options, const LogicCheckResult& result,
                   bool anyFailure) {
  const std::string nonNumeric =
      result.NonNumericRecords > 0
          ? "有" + std::to_string(result.NonNumericRecords) + "条记录的指标中含有非数值内容，检查时按0计算。"
          : std::string();
  if (!anyFailure) {
    prompts.message(nonNumeric.empty() ? std::string(kCongratulation) : std::string(kCongratulation) + "\n" + nonNumeric,
                    MessageKind::Information);
  } else {
    OpenForUser(prompts, options.reportPath, "检查报告");
    if (!nonNumeric.empty()) prompts.message(nonNumeric, MessageKind::Information);
  }
}

}  // namespace

LogicCheckResult RunLogicCheck(db::Connection& connection, const std::string& selectSql, UserPrompts& prompts,
                               FieldHints& hints, const LogicCheckOptions& options) {
  LogicCheckResult result;
  LogicCheckState state;
  CheckReport report(state);
  RuleTextFormatter formatter(hints, prompts);
  jobs::Job& job = options.job ? *options.job : jobs::NoJob();
  jobs::JobTicker ticker(job, options.eventInterval);
  // However the run ends, its progress goes away before the closing messages.
  struct Finish {
    jobs::Job& job;
    bool done = false;
    void now() {
      if (!done) job.finish();
      done = true;
    }
    ~Finish() { now(); }
  } finish{job};

  auto fail = [&](const std::string& text) {
    result.end = LogicCheckResult::End::Failed;
    result.error = text;
    finish.now();
    prompts.message(text, MessageKind::Error);
    return result;
  };

  std::optional<files::AtomicFile> output;
  if (const std::optional<std::string> error = ReserveReport(connection, options, report, output)) return fail(*error);

  CheckVisit visit{state, formatter, report, job, ticker, result};
  try {
    if (!CountRecords(connection, selectSql, job, result)) {
      // Stopped before the first record: nothing changes, the previous report stays.
      report.Close();
      output.reset();
      result.end = LogicCheckResult::End::Stopped;
      return result;
    }
    job.start(result.total, 0);

    db::Transaction transaction(connection);
    CheckRecords(connection, selectSql, options, visit);
    result.ErrorItemCount = state.ErrorItemCount;
    // A stop keeps what was visited, with the report of it (without totals).
    if (visit.anyFailure && !visit.stopped) report.WriteTotals(result.ErrorUnitCount, state.ErrorItemCount);
    report.Close();
    // The report takes its place and the states are committed as one step: when the commit fails,
    // the previous report is put back.
    output->commit([&] { transaction.commit(); });
  } catch (const std::exception& e) {
    result.ErrorItemCount = state.ErrorItemCount;  // the transaction rolled back on its way out
    try {
      report.Close();
    } catch (const std::exception&) {
    }
    output.reset();
    return fail(e.what());
  }

  if (visit.stopped) {
    result.end = LogicCheckResult::End::Stopped;
    return result;
  }
  result.end = LogicCheckResult::End::Completed;
  finish.now();
  TellCompleted(prompts, options, result, visit.anyFailure);
  return result;
}

}  // namespace velmora::checks
