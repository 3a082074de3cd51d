#pragma once
// Moving the custom groups between databases: the group tables of the default database file are
// copied into a database file the user chooses (created when missing, the tables replaced when
// present, other tables left alone), and the open database's group tables are replaced by those of
// such a file, in one transaction.

#include <string>
#include <vector>

#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::groups {

inline constexpr const char* kTransferFilter = "Access文件(*.mdb)|*.mdb";
inline constexpr const char* kImportDoneText = "数据分组导入操作完成！";
// The start folder of the transfer dialogs: this value under the user's shell folders key.
inline constexpr const char* kTransferFolderKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr const char* kTransferFolderValue = "Velmora-Files";

// The group tables, in the order they are copied.
std::vector<std::string> GroupTableList();

// The folder the transfer dialogs start in: the settings value, or the documents folder when it is
// empty or absent.
std::string GroupTransferFolder(session::DatabaseSession& session);

// "数据已经被正确导出到：'<file>'！"
std::string ExportedText(const std::string& file);
// "您选择的文件中不存在名字为"<table>"的数据表"
std::string MissingTableText(const std::string& table);

// Copies the tables from `sourceFile` into `targetFile`. A new (or empty) target is made beside its
// path and renamed into place when complete; an existing database gets its tables replaced in one
// transaction. Refused before anything changes: the open database, the source itself, a file that
// is not a plain database. Throws std::runtime_error with a text for the user.
void ExportGroupTablesTo(session::DatabaseSession& session, const std::string& sourceFile, const std::string& targetFile,
                         const std::vector<std::string>& tables, jobs::Job& job = jobs::NoJob());

// The export with its save dialog and messages. True when the file was written.
bool ExportGroupTables(session::DatabaseSession& session, UserPrompts& prompts, const std::string& sourceFile,
                       const std::vector<std::string>& tables, jobs::Job& job = jobs::NoJob());

// Replaces the open database's tables by those of `file`, all in one transaction. A table the file
// lacks is named (one message per table) and nothing is changed; a file that is missing, is not a
// plain database or is the open database is refused with a message. True when imported.
bool ImportGroupTablesFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& file,
                           const std::vector<std::string>& tables, jobs::Job& job = jobs::NoJob());

// The import with its open dialog and messages. True when imported.
bool ImportGroupTables(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& tables,
                       jobs::Job& job = jobs::NoJob());

}  // namespace velmora::groups
