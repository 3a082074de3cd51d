#pragma once
// The exchange file of the on-line reporting system: GBK text without a byte-order mark, CR LF line
// ends, every cell followed by one comma, no quoting. The columns are the catalogue rows with
// sequence 1 to 999 in sequence order; line 1 holds their field names, then one line per record of
// dt_data in the order the table returns them.
//
// Export: after the reporting gate, one prepared scan writes the file beside the chosen path through
// an atomic file; a text GBK cannot hold, or a line end inside a text, refuses the export naming the
// record and the field, and nothing appears at the path.
//
// Import: the file is read as a stream, line by line, each line at most kCsvMaxLineBytes; a longer
// line, a byte no text file holds, bytes that are not GBK (or a UTF-8 byte-order mark) and a read
// that fails refuse the file naming the line, never end it early. Every cell is checked for its form
// and bound (never spliced into SQL) into the staging table dt_data_dt_data, with c900 the importing
// computer's stamp, inside one transaction; every record passes the intake's record check (the entry
// form's rules, the code unique in the file). A line of the wrong shape or a record that fails
// refuses the whole file naming its line. When no staged code is stored already the rows go into
// dt_data and the staging table is emptied in the same transaction; otherwise nothing is added, the
// staged rows stay, and the conflicting codes go to the number-conflict report. Lines may end in
// CR LF or in LF alone (a spreadsheet may save either); cells never hold a line end, so both read the
// same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/exchange/conflict_report.h"
#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

inline constexpr const char* kCsvFilter = "CSV文件(*.csv)|*.csv";
inline constexpr const char* kCsvOpenFilter = "csv文件(*.csv)|*.csv";
inline constexpr const char* kCsvGateText = "存在临时保存或逻辑错误的数据，不能导出上报数据!";
inline constexpr const char* kCsvExportedText = "导出上报数据成功";
inline constexpr const char* kCsvImportedText = "数据已经被正确地导入!";
inline constexpr const char* kCsvFormatText = "文件格式不对";
inline constexpr const char* kCsvNoFileText = "请选择要导入的csv文件";
inline constexpr const char* kCsvCaption = "导出上报数据...";
// The import needs exactly this many cells per line.
inline constexpr int kCsvColumns = 155;
// No line of the file is longer: far more than 155 cells of the catalogue's widths take. A longer
// line refuses the file (it is not an exchange file), so memory stays bounded whatever it holds.
inline constexpr std::size_t kCsvMaxLineBytes = std::size_t{64} * 1024;

// One column of the file: its catalogue name and QueryType (0 integer, 1 text, 2 decimal, 3 code).
struct CsvColumn {
  std::string name;
  int queryType = 0;
};

// The catalogue's columns of the file, in their order.
std::vector<CsvColumn> OnlineCsvColumns(db::Connection& connection);

// The cell text of a text value (UTF-8): every "," becomes "，"; otherwise every "－" becomes "-".
// Appended to `out`.
void AppendOnlineCsvText(std::string_view value, std::string& out);

// The gate of the export: false, with its message shown, while a record is not in RecordState 1.
bool OnlineCsvGate(session::DatabaseSession& session, UserPrompts& prompts);

struct CsvWritten {
  std::string path;
  std::int64_t records = 0;
};

// Writes the file at `path` (the gate is the caller's). Refuses the open database and files of
// another kind. Throws std::runtime_error with a text for the user; nothing is then left at or
// beside `path`.
CsvWritten WriteOnlineCsv(session::DatabaseSession& session, const std::string& path, jobs::Job& job = jobs::NoJob());

// The group-bar item "上报到网络版": the gate, the save dialog (".csv" appended unless the name ends
// in it), the file, the closing message. True when a file was written.
bool ExportOnlineCsv(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job = jobs::NoJob());

enum class CsvImportStatus {
  Imported,   // every line added to dt_data
  Conflicts,  // codes stored already: nothing added, `conflicts` lists them
  Refused,    // the file is not a well-formed exchange file: nothing staged or added
  Failed,     // the database could not take it, or the run was stopped: nothing added
};

struct CsvImportResult {
  CsvImportStatus status = CsvImportStatus::Failed;
  std::int64_t imported = 0;  // lines added
  std::int64_t lines = 0;     // record lines read
  std::vector<ConflictRow> conflicts;
  std::string message;     // for Refused and Failed: the text for the user
  std::string reportPath;  // when the conflict report was written
};

// Imports the file with c900 = `stamp`; shows nothing and writes no report.
CsvImportResult ImportOnlineCsvFile(session::DatabaseSession& session, const std::string& path, const std::string& stamp,
                                    jobs::Job& job = jobs::NoJob());

// The import of the dialog: the file, then the closing message, or the number-conflict report in its
// single form (at `reportPath`, "" = the report folder) opened through the prompts.
CsvImportResult ImportOnlineCsv(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& stamp,
                                jobs::Job& job = jobs::NoJob(), const std::string& reportPath = {});

// The name the open dialog chose, trimmed and completed with ".csv" unless it ends in it.
std::string CompletedCsvName(const std::string& chosen);

}  // namespace velmora::exchange
