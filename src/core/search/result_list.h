#pragma once
// The statements of a search's result list, in the program's dialect: the list's rows from
// view_data, and the same records from dt_data for the database-file export.

#include <string>

namespace velmora::search {

// `condition` starts with "where "; `orderBy` is the list's current order (RecordSource::orderBy).
inline std::string ResultListSql(const std::string& condition, const std::string& orderBy) {
  return "SELECT * from view_data " + condition + orderBy;
}

// The detailed records in code order.
inline std::string ResultDetailSql(const std::string& condition) {
  return "SELECT * from dt_data " + condition + " order by c901 asc";
}

}  // namespace velmora::search
