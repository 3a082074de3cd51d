#pragma once
// The data list export: the records of the working database with their cover columns and the
// indicator columns of the survey tables chosen, for all records, a code range or one custom group,
// written as a workbook through the result-set export.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/export/query_export.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
class Statement;
}  // namespace velmora::db

namespace velmora::exchange {

inline constexpr std::size_t kSurveyTables = 8;
// Item i of the table list selects the catalogue fields whose names contain letter i.
inline constexpr std::array<char, kSurveyTables> kFamilyLetters{'z', 'b', 'h', 'l', 'f', 'j', 'w', 's'};
inline constexpr const char* kExportTableFile = "exporttable.vm";
inline constexpr const char* kDataListSelect = "select c901,c902,c903,c904,c905,c906,RecordState";
inline constexpr const char* kEnterRangeText = "请输入单位编号的范围";
inline constexpr const char* kDataListTitleSuffix = "数据列表";

// The captions of the table list from "exporttable.vm" (GBK, one a line). A file that is missing,
// empty, in UTF-8 or longer than eight lines gives nullopt and `error` a text for the user.
std::optional<std::vector<std::string>> ReadExportTableCaptions(const std::string& programFolder, std::string& error);

// A custom group item: its bounds of c901 and their operators, as stored. `fault` says why the
// stored values are not an item the dialog stores (a symbol other than ">"/">=" below and "<"/"<="
// above, a bound that is not a whole number of up to 13 digits); empty when they are.
struct GroupItem {
  std::int64_t id = 0;
  std::string title;
  std::int64_t low = 0;
  std::int64_t high = 0;
  std::string lowSymbol;
  std::string highSymbol;
  std::string fault;
};

// "select * from DT_GroupItem" in its order; one row by id (nullopt when there is none).
std::vector<GroupItem> ReadGroupItems(db::Connection& connection);
std::optional<GroupItem> ReadGroupItem(db::Connection& connection, std::int64_t id);

// "," + the catalogue fields of the ticked tables (sequence 7 to 999, in catalogue order, table by
// table), "" when none is ticked.
std::string DataListColumnSuffix(db::Connection& connection, const std::array<bool, kSurveyTables>& ticked);

enum class DataListScope { All, Range, Group };

struct DataListRequest {
  std::array<bool, kSurveyTables> ticked{};
  DataListScope scope = DataListScope::All;
  std::string lowText, highText;  // the two range boxes; come back as the boxes should show them
  std::optional<GroupItem> group; // the current custom group
};

// The statement of a request; nullopt when the range is not given (the message is shown) or the
// group is missing or is not an item the dialog stores (its condition is spelt by the program from
// a fixed table of symbols and the whole-number bounds, never from the stored texts).
std::optional<std::string> DataListSql(db::Connection& connection, DataListRequest& request, UserPrompts& prompts);

// One column description per result column: ShowName and Hint the column's name, QueryShow,
// FieldType "VARCHAR(n)", "INTEGER", "DOUBLE" or "DATE".
catalogue::TFieldDataArray DataListColumns(const db::Statement& statement);

// The export: the statement, then the workbook; with a path the file is written there, otherwise the
// save dialog asks for it. The title is the database label + "数据列表".
exports::ExportOutcome ExportDataList(exports::ExportContext& context, db::Connection& connection,
                                      DataListRequest& request, const std::string& databaseLabel,
                                      const std::optional<std::string>& path = std::nullopt);

}  // namespace velmora::exchange
