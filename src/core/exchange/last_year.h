#pragma once
// Last year's records as the comparisons with last year take them (the year-over-year review and the
// summary's comparison): a file from elsewhere with dt_data of our columns (a backup, last year's
// database, a reporting package), read through the intake; or the open database's previous-year
// table dt_data_2010, read through the year migration's columns.

#include <string>
#include <utility>

#include "core/db/connection.h"

namespace velmora::exchange {

struct LastYear {
  enum class Kind { File, PreviousYear };
  Kind kind = Kind::File;
  std::string path;  // Kind::File

  static LastYear File(std::string path) { return {Kind::File, std::move(path)}; }
  static LastYear PreviousYear() { return {Kind::PreviousYear, {}}; }
};

inline constexpr const char* kPreviousYearName = "上年数据表";
inline constexpr const char* kNoLastYearTableText = "您选择的上年数据文件中没有记录表dt_data";

// How last year is named in messages, verdicts and workbooks: the file's path, or "上年数据表".
std::string LastYearName(const LastYear& lastYear);

// Whether the open database's previous-year table holds records (the dialogs offer it then); false
// when the table is missing. Throws db::DbError.
bool PreviousYearHasRecords(db::Connection& connection);

}  // namespace velmora::exchange
