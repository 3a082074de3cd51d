#pragma once
// The year migration (the previous year's records, in that year's layout, taken into dt_data) and
// the tidy of the reporting state. The migration's statements run in one transaction: a failed
// insert, a stop or a killed program leaves dt_data and the previous-year tables as they were.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

inline constexpr const char* kMigratedText = "数据已经转换成功!";
inline constexpr const char* kTidiedText = "数据整理完成";
inline constexpr const char* kNothingToMigrateText = "上年数据表中没有记录，没有需要转换的数据。";

// The migration's columns: target column of dt_data and its source expression over dt_data_2010,
// in the statement's order (144 pairs).
const std::vector<std::pair<std::string, std::string>>& MigrationColumns();
// "insert into dt_data(...) select ... from dt_data_2010".
std::string MigrationStatement();

struct OperationResult {
  bool ok = false;
  std::int64_t rows = 0;  // rows migrated or tidied
  std::string message;    // what was shown
};

// The question asked before the migration, with the number of previous-year records.
std::string MigrationQuestion(std::int64_t rows);

// Inserts the previous year's records into dt_data, then empties dt_data_2010 and its staging
// table, all in one transaction; "数据已经转换成功!" or the error (nothing then changes). An empty
// previous-year table is said and changes nothing (ok, no rows); otherwise the records are checked
// and then, when `ask`, the user confirms (no: nothing changes, not ok, no message).
OperationResult MigratePreviousYear(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job = jobs::NoJob(), bool ask = true);

// Sets every reporting state c912 of 0 to 1; "数据整理完成" or the error.
OperationResult TidyRecords(session::DatabaseSession& session, UserPrompts& prompts);

}  // namespace velmora::exchange
