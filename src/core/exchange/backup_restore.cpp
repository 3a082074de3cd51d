#include "core/exchange/backup_restore.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/db/database_files.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/reporting_package.h"
#include "core/exchange/exchange_text.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/prompts/user_prompts.h"

namespace velmora::exchange {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string ErrorText(const std::exception& e) {
  return std::string("运行中发生错误：") + e.what() + ",请与软件发行者联系。";
}

}  // namespace

void BackupTo(db::DatabaseSession& session, const std::string& path) {
  const files::OutputKind kind{"备份文件", "", true};
  const files::OutputCheck check = files::CheckOutputPath(path, kind, session.DatabasePath(), true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);

  files::AtomicFile out(path, "~vmb", session.DatabasePath());
  db::Connection& c = session.SysADOConnection();
  try {
    // A read transaction holds the engine's shared lock: the file does not change while it is copied.
    db::Transaction tx(c);
    db::Statement read = db::Statement::Native(c, "SELECT count(*) FROM sqlite_master");
    read.step();
    db::CopyFileStream(session.DatabasePath(), out.tempPath());
    read = db::Statement();
    tx.rollback();
  } catch (const std::exception& e) {
    throw std::runtime_error("备份失败：" + std::string(e.what()));
  }
  if (!db::HasPlainHeader(out.tempPath())) throw std::runtime_error("备份失败：复制的文件不完整");
  try {
    out.commit();
  } catch (const std::exception& e) {
    throw std::runtime_error("备份失败：" + std::string(e.what()));
  }
}

bool BackupDatabase(db::DatabaseSession& session) {
  UserPrompts& prompts = session.Prompts();
  if (!session.PersonalFolder().empty()) {
    std::error_code ec;
    fs::create_directories(db::PathFromUtf8(session.PersonalFolder()), ec);
  }
  FileDialogRequest request{"备份文件存放为", kBackupFilter, session.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || Trim(*chosen).empty()) return false;
  try {
    BackupTo(session, WithExtension(*chosen, ".mdb"));
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
  prompts.message("备份成功", MessageKind::Information);
  return true;
}

bool RestoreFrom(db::DatabaseSession& session, const std::string& path, const std::string& table, bool ask,
                 jobs::Job& job) {
  UserPrompts& prompts = session.Prompts();
  std::error_code ec;
  if (!fs::is_regular_file(db::PathFromUtf8(path), ec)) {
    prompts.message("您选择的文件并不存在，请选择其它文件。", MessageKind::Error);
    return false;
  }
  if (files::SameExistingFile(path, session.DatabasePath())) {
    prompts.message("文件" + Quoted(path) + "就是打开的数据库文件，不能从它自己恢复。", MessageKind::Error);
    return false;
  }
  if (!db::HasPlainHeader(path)) {
    prompts.message("文件" + Quoted(path) + "不是数据库文件，不能从它恢复数据。", MessageKind::Error);
    return false;
  }
  db::Connection& c = session.SysADOConnection();
  try {
    db::Connection source("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db::Connection::QuoteValue(path) +
                          ";Mode=Read;Persist Security Info=False");
    source.open();
    if (!source.TableExists(table)) {
      prompts.message("您选择的文件中不存在名字为\"" + table + "\"的数据表", MessageKind::Error);
      return false;
    }
    std::vector<std::string> theirs = source.columnNames(table), ours = c.columnNames(table);
    auto lower = [](std::vector<std::string>& v) {
      for (auto& s : v) s = Lower(s);
    };
    lower(theirs);
    lower(ours);
    if (theirs != ours) {
      prompts.message("您选择的文件中的数据表\"" + table + "\"与系统中的数据表结构不同，不能恢复。", MessageKind::Error);
      return false;
    }
  } catch (const std::exception& e) {
    prompts.message("无法读取文件" + Quoted(path) + "：" + e.what(), MessageKind::Error);
    return false;
  }
  if (ask && !prompts.confirm(kRestoreQuestion, "提示：")) return false;

  try {
    db::Transaction tx(c);
    const std::string source = table + " in " + db::QuoteText(path);
    {
      // The transaction's first statement attaches the file (the engine cannot attach inside one).
      db::Statement attach(c, "select count(*) from " + source);
      attach.step();
    }
    db::ProgressScope scope(c, job);
    c.execute("delete from " + table);
    c.execute("insert into " + table + " select * from " + source);
    tx.commit();
  } catch (const db::DbError& e) {
    job.finish();
    prompts.message(db::IsInterrupted(e) ? std::string("恢复已停止，数据没有改变。") : ErrorText(e), MessageKind::Error);
    return false;
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(ErrorText(e), MessageKind::Error);
    return false;
  }
  job.finish();
  prompts.message("数据恢复操作完成！", MessageKind::Information);
  return true;
}

bool RestoreRecords(db::DatabaseSession& session, const std::string& table, jobs::Job& job) {
  FileDialogRequest request{"选择导入文件", kBackupFilter, session.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = session.Prompts().openFileName(request);
  if (!chosen || Trim(*chosen).empty()) return false;
  return RestoreFrom(session, WithExtension(*chosen, ".mdb"), table, true, job);
}

}  // namespace velmora::exchange
