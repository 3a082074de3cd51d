#include "core/exchange/backup_restore.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/file_header.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/reporting_package.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"

namespace velmora::exchange {

namespace fs = std::filesystem;

void BackupTo(session::DatabaseSession& session, const std::string& path) {
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
    files::CopyFileInto(session.DatabasePath(), out);
    out.close();
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

bool BackupDatabase(session::DatabaseSession& session, UserPrompts& prompts) {
  if (!session.PersonalFolder().empty()) {
    std::error_code ec;
    fs::create_directories(base::PathFromUtf8(session.PersonalFolder()), ec);
  }
  FileDialogRequest request{"备份文件存放为", kBackupFilter, session.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  try {
    BackupTo(session, WithExtension(*chosen, ".mdb"));
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
  prompts.message("备份成功", MessageKind::Information);
  return true;
}

bool RestoreFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table, bool ask,
                 jobs::Job& job) {
  if (const auto refusal = intake::PlainDatabaseRefusal(path, session.DatabasePath(), "不能从它自己恢复。", "不能从它恢复数据。")) {
    prompts.message(*refusal, MessageKind::Error);
    return false;
  }
  db::Connection& c = session.SysADOConnection();
  // The backup is read through the intake: a private working copy (the user's file and a -wal
  // beside it stay as they were), its table and layout checked, every record through the record
  // check before the working table is touched.
  std::unique_ptr<intake::SourceFile> source;
  try {
    if (!c.TableExists(table)) throw std::runtime_error("系统中不存在名字为\"" + table + "\"的数据表");
    source = std::make_unique<intake::SourceFile>(path, files::WorkingFolder(session.ProgramFolder()), job);
    source->requireTable(table, "您选择的文件中不存在名字为\"" + table + "\"的数据表");
    source->requireLayout(table, c);
    intake::UntrustedScope scope(source->connection(), job, source->instructionBudget());
    try {
      intake::RecordCheck check(c, source->connection().columnNames(table), table);
      intake::CheckTableRows(source->connection(), table, check);
    } catch (const intake::IntakeError&) {
      throw;
    } catch (const std::exception& e) {
      scope.rethrow(e, path);
    }
  } catch (const std::exception& e) {
    job.finish();
    std::string text = e.what();
    const std::string nothing = "没有导入任何记录。";
    if (text.size() >= nothing.size() && text.compare(text.size() - nothing.size(), nothing.size(), nothing) == 0)
      text = text.substr(0, text.size() - nothing.size()) + "数据没有改变。";
    prompts.message(text, MessageKind::Error);
    return false;
  }
  if (ask && !prompts.confirm(kRestoreQuestion, "提示：")) return false;

  try {
    intake::UntrustedScope guard(c, job, source->instructionBudget());
    db::Transaction tx(c);
    const std::string from = table + " in " + db::QuoteText(source->path());
    {
      // The transaction's first statement attaches the file (the engine cannot attach inside one).
      db::Statement attach(c, "select count(*) from " + from);
      attach.step();
    }
    c.execute("delete from " + table);
    c.execute("insert into " + table + " select * from " + from);
    tx.commit();
  } catch (const db::DbError& e) {
    job.finish();
    prompts.message(db::IsInterrupted(e) ? std::string("恢复已停止，数据没有改变。") : base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  }
  job.finish();
  prompts.message("数据恢复操作完成！", MessageKind::Information);
  return true;
}

bool RestoreRecords(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job) {
  FileDialogRequest request{"选择导入文件", kBackupFilter, session.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = prompts.openFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  return RestoreFrom(session, prompts, WithExtension(*chosen, ".mdb"), table, true, job);
}

}  // namespace velmora::exchange
