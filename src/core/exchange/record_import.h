#pragma once
// Record-by-record import: every record of another database file's table is inserted by a
// statement of its own, so that a record whose code is taken already can be named to the user
// together with the unit that holds the code. All records of one run go in one transaction: an
// abandoned run leaves the working table as it was. Values are bound, never spliced into SQL.

#include <cstdint>
#include <string>

#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

inline constexpr const char* kRecordImportFilter = "Access文件(*.mdb)|*.mdb";
inline constexpr const char* kRecordImportTitle = "选择导入文件";
inline constexpr const char* kRecordImportDone = "导入操作已经完成。";
inline constexpr const char* kRecordImportEmpty = "准备导入的数据表是空的。";
// The two import principles as the settings dialog names them.
inline constexpr const char* kPrincipleAllOrNothing = "有错就全部放弃";
inline constexpr const char* kPrincipleSkipFailing = "只放弃出错的数据";

enum class RecordImportStatus {
  Imported,   // committed: every record but the skipped ones
  Abandoned,  // a failing record ended the run; nothing stays
  Stopped,    // the user stopped the run; nothing stays
  Empty,      // the source table has no rows
  Refused,    // the file cannot be imported (missing, not a database, a package, no table, columns)
  Failed,     // the working database cannot take it (no table, an engine failure)
};

struct RecordImportOptions {
  // False ("有错就全部放弃"): the first failing record ends the run with nothing imported; its
  // message is a warning with one button, since there is nothing to choose. True ("只放弃出错的
  // 数据"): the user may skip a failing record and go on.
  bool skipFailing = false;
  // With skipFailing: ask per failing record in a Yes/No warning box (No ends the run). False skips
  // every failing record without a question, showing its message as a warning (the command line).
  bool askPerRecord = true;
};

struct RecordImportResult {
  RecordImportStatus status = RecordImportStatus::Failed;
  std::int64_t records = 0;   // rows of the source table
  std::int64_t imported = 0;  // rows committed
  std::int64_t skipped = 0;   // failing rows passed over
  std::string message;        // the last message shown
};

// The message of a failing record: its code and name, the unit that holds the code already (when
// one does), the engine's reason otherwise, and what happens next under the principle.
std::string FailingRecordMessage(const std::string& c901, const std::string& c902, const std::string* existingName,
                                 const std::string& reason, bool skipFailing);

// Imports the records of `table` in the database file `path` into the same table of the open
// database. Every message and question goes through the session's prompts; the closing message
// is shown after the commit.
RecordImportResult ImportRecordsFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                                     const RecordImportOptions& options, jobs::Job& job = jobs::NoJob());

// The main window's action: the open dialog, then ImportRecordsFrom with the principle of the
// settings (ImportPrincipleFlag). True when records were committed (the list must be read again).
bool ImportRecordByRecord(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job = jobs::NoJob());

}  // namespace velmora::exchange
