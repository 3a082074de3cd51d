#pragma once
// The two exports of a result set: SaveQueryAsExcel writes chosen columns into a new workbook with
// headers, per-column number formats and the export date; SaveQueryAsAccess writes every column into a
// table of a database file, created when missing, the table replaced when present.
//
// The rows come from a statement in the program's dialect and are streamed: nothing but the row being
// written is held, whatever the count. The column types are the ones the tables declare.

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/db/statement.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::jobs {
class Job;
}
namespace velmora::db {
class Connection;
}
namespace velmora::session {
class DatabaseSession;
}  // namespace velmora::db

namespace velmora::exports {

inline constexpr const char* kExcelFilter = "Excel 文件(*.xlsx)|*.xlsx";
inline constexpr const char* kAccessFilter = "Access文件(*.mdb)|*.mdb";
inline constexpr const char* kExportCaption = "导出文件存放为";
inline constexpr const char* kExcelEmptyText = "SaveQueryAsExcel出错:数据表为空，不能导出！";
inline constexpr const char* kAccessEmptyText = "SaveQueryAsAccess:：出错:数据表为空，不能导出！";
inline constexpr const char* kExcelDoneText = "Excel文件已经正确导出到：'";
inline constexpr const char* kAccessDoneText = "Access文件已经正确导出到：'";
inline constexpr const char* kProgressCaption = "数据导出...";
inline constexpr const char* kStoppedText = "导出已停止，没有写出任何文件。";

// What a column of the result holds, from the type its table declares (or, for an expression, from
// the value in the first row).
enum class FieldKind { Integer, Float, Text, Date, Boolean, Other };

struct ExportField {
  std::string name;
  FieldKind kind = FieldKind::Other;
  int size = 0;  // characters of a VARCHAR(n) text column; 0 when the table gives none
};

// The kind and size of a declared column type ("VARCHAR(60)", "INTEGER", "DOUBLE", "DATE", "BIT").
ExportField FieldOfDeclaredType(const std::string& name, const std::string& declaredType);

// The workbook's number format of a column kind ("" leaves the column's format as it is).
std::string NumberFormatOf(FieldKind kind);
// The column type of a kind in the exported table: "VARCHAR(n)", "INTEGER", "DOUBLE", "DATE", ...
std::string ColumnTypeOf(const ExportField& field);

// A date value as the workbook shows it ("yyyy-mm-dd"): numbers count days from 1899-12-30, texts
// are read from their leading "yyyy-mm-dd"; 0 and blank give "". The day number of a date is
// returned in `serial` (0 when there is none).
std::string DateText(const db::Variant& value, double* serial = nullptr);

// The chosen name with the extension appended when the name is longer than the extension and does
// not end in it (exact comparison).
std::string ExportFileName(const std::string& chosen, const std::string& extension);

// "yyyy-mm-dd" of a day.
std::string DayText(const std::tm& day);

// Where the rows come from: a statement in the program's dialect. `count`, when known (a list that
// holds the rows), saves counting them again for the progress.
struct ExportSource {
  db::Connection& connection;
  std::string sql;
  std::int64_t count = -1;
};

// What the export needs of its surroundings.
struct ExportContext {
  UserPrompts& prompts;
  jobs::Job& job;
  std::string openDatabase;    // the database the program has open: never written over
  std::string personalFolder;  // where the save dialog starts (created when missing)
  std::tm today{};             // the export date
};
ExportContext ContextOf(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job);

struct ExportOutcome {
  bool exported = false;
  bool empty = false;  // the result held no record
  std::int64_t records = 0;
  std::string path;
};

// The workbook export to a known file (the extension rule applied already). Messages go through the
// prompts: the empty table, a refused path, an error, the success.
ExportOutcome ExportQueryToWorkbook(ExportContext& context, const ExportSource& source, const std::string& title,
                                    const catalogue::TFieldDataArray& columns, const std::string& path);
// The database-file export to a known file.
ExportOutcome ExportQueryToDatabase(ExportContext& context, const ExportSource& source,
                                    const std::string& tableName, const std::string& path);

// The exports with the save dialog first: title + "-" + the date proposed, the extension appended.
ExportOutcome SaveQueryAsExcel(ExportContext& context, const ExportSource& source, const std::string& title,
                               const catalogue::TFieldDataArray& columns);
ExportOutcome SaveQueryAsAccess(ExportContext& context, const ExportSource& source, const std::string& tableName);

// The column description of a list's grid for the workbook export, one entry per (field, title) in
// column order: ShowName the field, Hint the title without the sort marker ("▲" or "▼") the sorted
// column carries at its end, QueryShow true, FieldWidth 0.
catalogue::TFieldDataArray ListColumns(const std::vector<std::pair<std::string, std::string>>& fieldsAndTitles);


}  // namespace velmora::exports
