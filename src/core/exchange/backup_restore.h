#pragma once
// Backup of the open database (a plain byte copy, complete or absent) and the restore of one table
// from such a file, in one transaction.

#include <string>

#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

inline constexpr const char* kBackupFilter = "Access文件(*.mdb)|*.mdb";
inline constexpr const char* kRestoreQuestion = "此操作将覆盖默认库中的数据，确定要覆盖吗?按【是】确定。按【否】取消";

// Copies the open database file to `path`. The copy is made under the engine's shared lock (no
// one writes meanwhile) into a file beside `path` that is renamed over it when complete. The open
// database, a file of another kind than a database, or an unwritable folder are refused. Throws
// std::runtime_error with a text for the user; nothing is then left at or beside `path`.
void BackupTo(session::DatabaseSession& session, const std::string& path);

// The action: the save dialog (extension rule ".mdb"), the copy, "备份成功" or what failed. The
// connection stays open, so the record list keeps its place. True when a backup was written.
bool BackupDatabase(session::DatabaseSession& session, UserPrompts& prompts);

// Replaces every row of `table` by the rows of the same table in the database file `path`, after the
// question (unless `ask` is false), in one transaction. False, with the message shown, when the file
// is missing, is no database, is the open database, lacks the table or has another layout, when the
// user says No, or when the engine fails (the table is then unchanged).
bool RestoreFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table, bool ask,
                 jobs::Job& job = jobs::NoJob());

// The action with its open dialog; true when the records were replaced.
bool RestoreRecords(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job = jobs::NoJob());

}  // namespace velmora::exchange
