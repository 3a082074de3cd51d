#pragma once
// The field catalogue: one row per record field, telling the record list which columns to show,
// with which caption and width, and the list-column chooser which fields it offers.

#include <cstdint>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/session/edition.h"

namespace velmora::catalogue {

// Value kind of a catalogue field.
enum class QueryType : std::uint8_t {
  Integer = 0,    // whole number
  Text = 1,       // text
  Decimal = 2,    // decimal number
  SmallCode = 3,  // code 0 to 2
};

// Reads the stored number; values outside 0-3 are read as whole numbers.
QueryType QueryTypeFromInt(std::int64_t value);

// One column of a record list.
struct TFieldData {
  std::int32_t ID = 0;
  std::string FieldName;  // the catalogue row's own name (its index orders by it, case aside)
  std::string ShowName;   // the column of the list's data shown here
  std::string Hint;      // the column caption
  std::int32_t FieldWidth = 0;
  std::string FieldType;
  bool Visible = false;
  bool QueryShow = false;  // written when the list is exported to a workbook
  catalogue::QueryType QueryType = catalogue::QueryType::Integer;
};

using TFieldDataArray = std::vector<TFieldData>;

inline constexpr const char* kFieldListTable = "dt_fieldlist";
inline constexpr const char* kFieldListCompanionTable = "dt_fieldlist_quan";

// The catalogue table of the edition: "dt_fieldlist_quan" with the companion table, else "dt_fieldlist".
std::string FieldListTable(const session::EditionSettings& edition);

// Every catalogue row in the order of the index "sequence"; entry i describes list column i.
// Throws db::DbError.
TFieldDataArray LoadFieldData(db::Connection& connection, const session::EditionSettings& edition);

// One check box of the list-column chooser.
struct ChooserRow {
  std::int32_t id = 0;
  std::string FieldName;
  std::string Hint;
  bool visible = false;
  std::int32_t PageID = 0;
  std::string SheetName;  // caption of the entry-form page PageID
};

inline constexpr const char* kChooserSql = "select * from view_FieldList where PageID >=0 order by PageID,sequence";

// The chooser's rows, by page and sequence. Throws db::DbError.
std::vector<ChooserRow> LoadChooserRows(db::Connection& connection);

// Hides every field, then shows the fields with the given ids. Throws db::DbError; after a
// failure the catalogue may hold every field hidden.
void SaveChooserSelection(db::Connection& connection, const std::vector<std::int32_t>& visibleIds);

}  // namespace velmora::catalogue
