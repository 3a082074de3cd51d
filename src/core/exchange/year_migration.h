#pragma once
// The year migration (the previous year's records, in that year's layout, taken into dt_data) and
// the tidy of the reporting state. The migration's statements run in one transaction: a failed
// insert, a stop or a killed program leaves dt_data and the previous-year tables as they were.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/db/session.h"
#include "core/jobs/job.h"

namespace velmora::exchange {

inline constexpr const char* kMigratedText = "数据已经转换成功!";
inline constexpr const char* kTidiedText = "数据整理完成";

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

// Inserts the previous year's records into dt_data, then empties dt_data_2010 and its staging
// table, all in one transaction; "数据已经转换成功!" or the error (nothing then changes).
OperationResult MigratePreviousYear(db::DatabaseSession& session, jobs::Job& job = jobs::NoJob());

// Sets every reporting state c912 of 0 to 1; "数据整理完成" or the error.
OperationResult TidyRecords(db::DatabaseSession& session);

}  // namespace velmora::exchange
