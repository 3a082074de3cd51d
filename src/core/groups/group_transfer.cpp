#include "core/groups/group_transfer.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/db/database_files.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/exchange_text.h"
#include "core/exchange/reporting_package.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"

namespace velmora::groups {

namespace fs = std::filesystem;
using exchange::Quoted;
using exchange::Trim;

namespace {

std::string ErrorText(const std::string& what) { return "运行中发生错误：" + what + ",请与软件发行者联系。"; }

std::string ConnectionString(const std::string& file, bool readOnly) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db::Connection::QuoteValue(file) +
         (readOnly ? ";Mode=Read" : "") + ";Persist Security Info=False";
}

bool NonEmptyFile(const std::string& path) {
  std::error_code ec;
  const fs::path p = db::PathFromUtf8(path);
  return fs::exists(p, ec) && fs::file_size(p, ec) > 0 && !ec;
}

// Replaces each table of `target` by the table of `sourceFile`, in one transaction.
void CopyTables(db::Connection& target, const std::string& sourceFile, const std::vector<std::string>& tables,
                jobs::Job& job) {
  const std::string in = " in " + db::QuoteText(sourceFile);
  db::Transaction tx(target);
  {
    // The transaction's first statement attaches the source (the engine cannot attach inside one).
    db::Statement attach(target, "select count(*) from " + tables.front() + in);
    attach.step();
  }
  job.start(static_cast<std::int64_t>(tables.size()));
  jobs::JobTicker ticker(job, 1);
  for (const std::string& table : tables) {
    if (target.TableExists(table)) target.execute("drop table " + table);
    target.execute("SELECT * into " + table + " from " + table + in);
    job.step();
    ticker.tick();
  }
  tx.commit();
}

}  // namespace

std::vector<std::string> GroupTableList() { return {"CT_Group", "DT_GroupItem"}; }

std::string GroupTransferFolder(db::DatabaseSession& session) {
  std::string folder;
  try {
    folder = settings::RegReadString(kTransferFolderValue, "", settings::RegRoot::CurrentUser, kTransferFolderKey);
  } catch (const settings::SettingsError&) {
    folder.clear();
  }
  return Trim(folder).empty() ? session.PersonalFolder() : folder;
}

std::string ExportedText(const std::string& file) { return "数据已经被正确导出到：'" + file + "'！"; }

std::string MissingTableText(const std::string& table) {
  return "您选择的文件中不存在名字为\"" + table + "\"的数据表";
}

void ExportGroupTablesTo(db::DatabaseSession& session, const std::string& sourceFile, const std::string& targetFile,
                         const std::vector<std::string>& tables, jobs::Job& job) {
  if (tables.empty()) return;
  std::error_code ec;
  if (!fs::is_regular_file(db::PathFromUtf8(sourceFile), ec) || !db::HasPlainHeader(sourceFile))
    throw std::runtime_error(ErrorText("找不到数据库文件" + Quoted(sourceFile)));
  try {
    db::Connection source(ConnectionString(sourceFile, true));
    source.open();
    for (const std::string& table : tables)
      if (!source.TableExists(table)) throw std::runtime_error(MissingTableText(table));
  } catch (const std::exception& e) {
    throw std::runtime_error(ErrorText(e.what()));
  }

  const files::OutputKind kind{"分组导出文件", "", true};
  const files::OutputCheck check = files::CheckOutputPath(targetFile, kind, session.DatabasePath(), true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  if (files::SameExistingFile(targetFile, sourceFile))
    throw std::runtime_error("不能把分组导出文件写到" + Quoted(targetFile) + "：分组就是从它导出的");

  if (NonEmptyFile(targetFile)) {
    // An existing database: its group tables are replaced, its other tables stay.
    if (!db::HasPlainHeader(targetFile))
      throw std::runtime_error("不能把分组导出文件写到" + Quoted(targetFile) + "：它不是普通的数据库文件");
    try {
      db::Connection target(ConnectionString(targetFile, false));
      target.open();
      CopyTables(target, sourceFile, tables, job);
    } catch (const std::exception& e) {
      job.finish();
      throw std::runtime_error(ErrorText(e.what()));
    }
    job.finish();
    return;
  }

  // A new file: made beside the path and put in place when complete.
  const fs::path folder = db::PathFromUtf8(targetFile).parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec))
    throw std::runtime_error("不能把分组导出文件写到" + Quoted(targetFile) + "：文件夹不存在");
  try {
    files::AtomicFile out(targetFile, "~vmg", session.DatabasePath());
    fs::remove(db::PathFromUtf8(out.tempPath()), ec);  // the engine creates only a new file
    db::CreateDatabase(ConnectionString(out.tempPath(), false));
    {
      db::Connection target(ConnectionString(out.tempPath(), false));
      target.open();
      CopyTables(target, sourceFile, tables, job);
    }
    out.commit();
  } catch (const std::exception& e) {
    job.finish();
    throw std::runtime_error(ErrorText(e.what()));
  }
  job.finish();
}

bool ExportGroupTables(db::DatabaseSession& session, const std::string& sourceFile,
                       const std::vector<std::string>& tables, jobs::Job& job) {
  UserPrompts& prompts = session.Prompts();
  {
    // The source is opened first: a default database that cannot be read ends the export at once.
    try {
      db::Connection source(ConnectionString(sourceFile, true));
      source.open();
    } catch (const std::exception& e) {
      prompts.message(ErrorText(e.what()), MessageKind::Error);
      return false;
    }
  }
  const std::string folder = GroupTransferFolder(session);
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(db::PathFromUtf8(folder), ec);
  }
  const FileDialogRequest request{"导出文件存放为", kTransferFilter, folder, "", "mdb"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || Trim(*chosen).empty()) return false;
  const std::string file = exchange::WithExtension(*chosen, ".mdb");
  try {
    ExportGroupTablesTo(session, sourceFile, file, tables, job);
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
  prompts.message(ExportedText(file), MessageKind::Information);
  return true;
}

bool ImportGroupTablesFrom(db::DatabaseSession& session, const std::string& file,
                           const std::vector<std::string>& tables, jobs::Job& job) {
  UserPrompts& prompts = session.Prompts();
  std::error_code ec;
  if (!fs::is_regular_file(db::PathFromUtf8(file), ec)) {
    prompts.message("您选择的文件并不存在，请选择其它文件。", MessageKind::Error);
    return false;
  }
  if (files::SameExistingFile(file, session.DatabasePath())) {
    prompts.message("文件" + Quoted(file) + "就是打开的数据库文件，不能从它自己导入。", MessageKind::Error);
    return false;
  }
  if (!db::HasPlainHeader(file)) {
    prompts.message("文件" + Quoted(file) + "不是数据库文件，不能从它导入数据分组。", MessageKind::Error);
    return false;
  }
  if (tables.empty()) return false;
  bool complete = true;
  try {
    db::Connection source(ConnectionString(file, true));
    source.open();
    for (const std::string& table : tables) {
      if (source.TableExists(table)) continue;
      // Groups and items belong together: without one of them the open database keeps both.
      prompts.message(MissingTableText(table), MessageKind::Warning);
      complete = false;
    }
  } catch (const std::exception& e) {
    prompts.message(ErrorText(e.what()), MessageKind::Error);
    return false;
  }
  if (!complete) return false;

  db::Connection& c = session.SysADOConnection();
  const std::string in = " in " + db::QuoteText(file);
  try {
    db::Transaction tx(c);
    {
      db::Statement attach(c, "select count(*) from " + tables.front() + in);
      attach.step();
    }
    job.start(static_cast<std::int64_t>(tables.size()));
    jobs::JobTicker ticker(job, 1);
    for (const std::string& table : tables) {
      c.execute("delete from " + table);
      c.execute("insert into " + table + " select * from " + table + in);
      job.step();
      ticker.tick();
    }
    tx.commit();
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(ErrorText(e.what()), MessageKind::Error);
    return false;
  }
  job.finish();
  prompts.message(kImportDoneText, MessageKind::Information);
  return true;
}

bool ImportGroupTables(db::DatabaseSession& session, const std::vector<std::string>& tables, jobs::Job& job) {
  const FileDialogRequest request{"选择导入文件", kTransferFilter, GroupTransferFolder(session), "", "mdb"};
  const std::optional<std::string> chosen = session.Prompts().openFileName(request);
  if (!chosen || Trim(*chosen).empty()) return false;
  return ImportGroupTablesFrom(session, exchange::WithExtension(*chosen, ".mdb"), tables, job);
}

}  // namespace velmora::groups
