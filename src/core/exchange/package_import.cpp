#include "core/exchange/package_import.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/db/database_files.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/exchange_text.h"
#include "core/files/atomic_file.h"
#include "core/files/report_folder.h"
#include "core/prompts/user_prompts.h"
#include "core/exchange/reporting_package.h"

namespace velmora::exchange {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMissingText = "您选择的文件并不存在，请选择其它文件。";
constexpr const char* kImportedBatchText = "数据已经被正确地导入!";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string QuoteName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string ReadOnlyConnection(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db::Connection::QuoteValue(path) +
         ";Mode=Read;Persist Security Info=False";
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(db::PathFromUtf8(path), ec);
}

// The file to read: the chosen file itself, or a working copy with its head restored, removed
// again when the import is done.
class ImportSource {
 public:
  ImportSource(const std::string& chosen, const std::string& folder) {
    // Each import has a working copy of its own name, so that two runs never share one and a
    // package opened as the database (temp.dat) is never overwritten.
    std::string reserved;
    try {
      reserved = files::ReserveTemporaryFile(folder, "~vmi");
    } catch (const std::exception& e) {
      copy_.error = e.what();
      return;
    }
    copy_ = db::PrepareWorkingCopy(chosen, folder, db::Utf8FromPath(db::PathFromUtf8(reserved).filename()));
    if (!copy_.ok || !copy_.copied) {
      std::error_code ec;
      fs::remove(db::PathFromUtf8(reserved), ec);
    }
  }
  ~ImportSource() {
    if (copy_.ok && copy_.copied) {
      std::error_code ec;
      fs::remove(db::PathFromUtf8(copy_.path), ec);
    }
  }
  ImportSource(const ImportSource&) = delete;
  ImportSource& operator=(const ImportSource&) = delete;
  const db::WorkingCopy& copy() const { return copy_; }

 private:
  db::WorkingCopy copy_;
};

std::string ResolveWorkingFolder(db::DatabaseSession& session, const std::string& given) {
  return given.empty() ? files::WorkingFolder(session.ProgramFolder()) : given;
}

bool SameColumns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

struct Inspection {
  std::string label;
  std::int64_t records = 0;
  ManifestStatus manifest = ManifestStatus::Missing;
};

// Reads the file through a connection of its own that only reads. Fills `r` with the refusal when
// the file cannot be imported; returns false then.
bool InspectFile(db::DatabaseSession& session, const std::string& file, const std::string& table,
                 FileImportResult& r, jobs::Job& job) {
  const std::string missingInFile = "您选择的文件中不存在名字为\"" + table + "\"的数据表";
  try {
    db::Connection source(ReadOnlyConnection(file));
    source.open();
    if (!source.TableExists(table)) {
      r.status = ImportStatus::Refused;
      r.message = missingInFile;
      return false;
    }
    if (!session.SysADOConnection().TableExists(table)) {
      r.status = ImportStatus::Failed;
      r.message = "系统中不存在名字为\"" + table + "\"的数据表";
      r.endsBatch = true;
      return false;
    }
    const std::vector<std::string> theirs = source.columnNames(table);
    const std::vector<std::string> ours = session.SysADOConnection().columnNames(table);
    if (!SameColumns(theirs, ours)) {
      r.status = ImportStatus::Refused;
      r.message = "您选择的文件中的数据表\"" + table + "\"与系统中的数据表结构不同（" + std::to_string(theirs.size()) +
                  "列，系统中" + std::to_string(ours.size()) + "列），没有导入任何记录。";
      return false;
    }
    if (source.TableExists("ct_label")) {
      db::Statement label(source, "select * from ct_label");
      if (label.step()) {
        for (int i = 0; i < label.columnCount(); ++i)
          if (Lower(label.columnName(i)) == "db_name") r.label = label.text(i);
      }
    }
    {
      db::Statement twice = db::Statement::Native(
          source, "SELECT c901 FROM " + QuoteName(table) + " GROUP BY c901 HAVING count(*) > 1 ORDER BY c901 LIMIT 5");
      std::string codes;
      while (twice.step()) codes += (codes.empty() ? "" : "、") + twice.value(0).toString();
      if (!codes.empty()) {
        r.status = ImportStatus::Refused;
        r.message = "您选择的文件中有重复的编号：" + codes + "，没有导入任何记录。";
        return false;
      }
    }
    if (Lower(table) == "dt_data") {
      const ManifestCheck check = CheckManifest(source, job);
      r.manifest = check.status;
      if (check.status == ManifestStatus::Damaged) {
        r.status = ImportStatus::Refused;
        r.message = "数据包已损坏或不完整（" + check.reason + "），没有导入任何记录。";
        return false;
      }
      if (check.records >= 0) r.records = check.records;
    }
    if (r.manifest != ManifestStatus::Ok) {
      db::Statement count = db::Statement::Native(source, "SELECT count(*) FROM " + QuoteName(table));
      r.records = count.step() ? count.int64(0) : 0;
    }
    return true;
  } catch (const db::DbError& e) {
    r.status = db::IsInterrupted(e) ? ImportStatus::Failed : ImportStatus::Refused;
    r.message = db::IsInterrupted(e) ? std::string("导入已停止，没有导入任何记录。")
                                     : "文件" + Quoted(r.file) + "已损坏或不完整，无法读取（" + e.what() +
                                           "），没有导入任何记录。";
    return false;
  }
}

struct ConflictSearch {
  std::vector<ConflictRow> rows;
  bool allEqual = false;  // every staged row equals its stored row in every column but id
};

// Stages the file's rows whose code is stored already in <table>_<table> and lists them. With
// `keep` false the staging is rolled back as well.
ConflictSearch SearchConflicts(db::DatabaseSession& session, const std::string& table, const std::string& file,
                               bool keep, jobs::Job& job) {
  db::Connection& c = session.SysADOConnection();
  const std::string staging = table + "_" + table;
  ConflictSearch found;
  db::Transaction tx(c);
  {
    // The file is attached by the transaction's first statement (the engine cannot attach inside
    // one), so that emptying the staging table belongs to the same transaction.
    db::Statement attach(c, "select count(*) from " + table + " in " + db::QuoteText(file));
    attach.step();
  }
  c.execute("delete from " + staging);
  {
    db::ProgressScope scope(c, job);
    c.execute("insert into " + staging + " select * from " + table + " in " + db::QuoteText(file));
  }
  c.execute("delete from " + staging + " where c901 not in (select c901 from " + table + ")");
  {
    db::Statement list(c, "select c901,c902 from " + staging + " order by c901");
    while (list.step()) found.rows.push_back({list.value(0).toString(), list.text(1)});
  }
  if (!found.rows.empty()) {
    std::string same = "SELECT count(*) FROM " + QuoteName(staging) + " s JOIN " + QuoteName(table) +
                       " d ON d.c901 = s.c901 WHERE 1";
    for (const std::string& col : c.columnNames(table))
      if (Lower(col) != "id") same += " AND s." + QuoteName(col) + " IS d." + QuoteName(col);
    db::Statement equal = db::Statement::Native(c, same);
    found.allEqual = equal.step() && equal.int64(0) == static_cast<std::int64_t>(found.rows.size());
  }
  if (keep)
    tx.commit();
  else
    tx.rollback();
  return found;
}

}  // namespace

FileImportResult ImportFile(db::DatabaseSession& session, const std::string& path, const std::string& table,
                            const ImportOptions& options, jobs::Job& job, const std::string& workingFolder) {
  FileImportResult r;
  r.file = path;
  if (!FileExists(path)) {
    r.status = ImportStatus::Refused;
    r.message = kMissingText;
    return r;
  }
  if (files::SameExistingFile(path, session.DatabasePath())) {
    r.status = ImportStatus::Refused;
    r.message = "文件" + Quoted(path) + "就是打开的数据库文件，不能导入它自己。";
    return r;
  }
  ImportSource source(path, ResolveWorkingFolder(session, workingFolder));
  if (!source.copy().ok) {
    r.status = ImportStatus::Refused;
    r.message = "文件" + Quoted(path) + "不是有效的数据包或数据库文件（" + source.copy().error + "），没有导入任何记录。";
    return r;
  }
  const std::string file = source.copy().path;
  if (!InspectFile(session, file, table, r, job)) return r;

  if (options.askLabel && !options.dryRun &&
      !session.Prompts().confirm("确认准备导入标记声明为【" + r.label + "】的数据么？", "提示：")) {
    r.status = ImportStatus::Declined;
    return r;
  }

  db::Connection& c = session.SysADOConnection();
  std::string failure;
  try {
    db::Transaction tx(c);
    std::int64_t added = 0;
    {
      db::ProgressScope scope(c, job);
      added = c.execute("insert into " + table + " select * from " + table + " in " + db::QuoteText(file));
    }
    if (options.dryRun)
      tx.rollback();
    else
      tx.commit();
    r.status = ImportStatus::Imported;
    r.imported = added;
    return r;
  } catch (const db::DbError& e) {
    if (db::IsInterrupted(e)) {
      r.status = ImportStatus::Failed;
      r.message = "导入已停止，没有导入任何记录。";
      return r;
    }
    failure = e.what();
  }

  ConflictSearch found;
  try {
    found = SearchConflicts(session, table, file, !options.dryRun, job);
  } catch (const db::DbError& e) {
    if (db::IsInterrupted(e)) {
      r.status = ImportStatus::Failed;
      r.message = "导入已停止，没有导入任何记录。";
      return r;
    }
  }
  if (found.rows.empty()) {
    r.status = ImportStatus::Failed;
    r.message = "导入过程中发生错误，没有导入任何记录：" + failure;
    return r;
  }
  if (found.allEqual && static_cast<std::int64_t>(found.rows.size()) == r.records) {
    r.status = ImportStatus::AlreadyImported;
    r.message = "标记声明为【" + r.label + "】的数据（" + std::to_string(r.records) +
                "条记录）已经导入过了，本次没有改变任何数据。";
    return r;
  }
  r.status = ImportStatus::Conflicts;
  r.conflicts = std::move(found.rows);
  return r;
}

SingleImport ImportPackage(db::DatabaseSession& session, const std::string& path, const std::string& table,
                           const ImportOptions& options, jobs::Job& job, const std::string& reportPath) {
  UserPrompts& prompts = session.Prompts();
  SingleImport out;
  out.result = ImportFile(session, path, table, options, job);
  job.finish();
  FileImportResult& r = out.result;
  switch (r.status) {
    case ImportStatus::Imported:
      out.refresh = !options.dryRun;
      prompts.message(options.dryRun ? "可以从'" + path + "'导入" + std::to_string(r.imported) + "条记录。"
                                     : "数据已经被正确地从'" + path + "'导入！",
                      MessageKind::Information);
      break;
    case ImportStatus::Declined:
      break;
    case ImportStatus::Conflicts: {
      out.reportPath = reportPath.empty() ? ConflictReportPath(session.PersonalFolder()) : reportPath;
      try {
        WriteConflictReport(out.reportPath, SingleReportLines(r.conflicts), session.DatabasePath());
        OpenForUser(prompts, out.reportPath, "编号冲突报告");
      } catch (const std::exception& e) {
        prompts.message(std::string("无法写出编号冲突报告：") + e.what(), MessageKind::Error);
      }
      prompts.message(ConflictMessage(out.reportPath), MessageKind::Warning);
      break;
    }
    case ImportStatus::AlreadyImported:
      prompts.message(r.message, MessageKind::Information);
      break;
    case ImportStatus::Refused:
      // A file that does not exist keeps the list as it is and lets the user choose again.
      out.refresh = r.message == kMissingText;
      prompts.message(r.message, MessageKind::Error);
      break;
    case ImportStatus::Failed:
      prompts.message(r.message, MessageKind::Error);
      break;
  }
  return out;
}

bool ImportReportingPackage(db::DatabaseSession& session, const std::string& table, jobs::Job& job) {
  FileDialogRequest request{"选择导入文件", kImportFilter, session.PersonalFolder(), "", "dat"};
  const std::optional<std::string> chosen = session.Prompts().openFileName(request);
  if (!chosen || Trim(*chosen).empty()) return true;
  std::string path = *chosen;
  if (path.size() < 4 || (path.compare(path.size() - 4, 4, ".dat") != 0 && path.compare(path.size() - 4, 4, ".mdb") != 0))
    path = WithExtension(path, ".dat");
  return ImportPackage(session, path, table, ImportOptions{}, job).refresh;
}

BatchImport ImportPackageFiles(db::DatabaseSession& session, const std::vector<std::string>& paths,
                               const std::string& table, const ImportOptions& options, jobs::Job& job,
                               const std::string& reportPath) {
  UserPrompts& prompts = session.Prompts();
  BatchImport batch;
  batch.reportPath = reportPath.empty() ? ConflictReportPath(session.PersonalFolder()) : reportPath;
  const std::string workingFolder = files::WorkingFolder(session.ProgramFolder());
  std::vector<std::string> lines;
  bool ended = false;
  ImportOptions each = options;
  each.askLabel = false;  // no question per file in the batch

  job.start(static_cast<std::int64_t>(paths.size()));
  jobs::JobTicker ticker(job, 1);
  for (const std::string& path : paths) {
    FileImportResult r = ImportFile(session, path, table, each, jobs::NoJob(), workingFolder);
    batch.imported += r.imported;
    batch.conflicts += static_cast<std::int64_t>(r.conflicts.size());
    if (r.status == ImportStatus::Conflicts) {
      const std::vector<std::string> block = BatchBlockLines(path, r.conflicts);
      lines.insert(lines.end(), block.begin(), block.end());
    }
    const bool endsBatch = r.endsBatch;
    batch.files.push_back(std::move(r));
    job.step();
    if (endsBatch) {
      ended = true;
      break;
    }
    if (!ticker.poll()) {
      batch.stopped = true;
      break;
    }
  }
  job.finish();

  batch.allImported = !ended && !batch.stopped && batch.files.size() == paths.size() &&
                      std::all_of(batch.files.begin(), batch.files.end(),
                                  [](const FileImportResult& f) { return f.status == ImportStatus::Imported; });
  try {
    WriteConflictReport(batch.reportPath, lines, session.DatabasePath());
  } catch (const std::exception& e) {
    prompts.message(std::string("无法写出编号冲突报告：") + e.what(), MessageKind::Error);
  }
  for (const FileImportResult& f : batch.files)
    if (f.status != ImportStatus::Imported && f.status != ImportStatus::Conflicts)
      prompts.message("【" + f.file + "】" + f.message, MessageKind::Error);
  if (batch.stopped) {
    prompts.message("批量导入已停止，已经导入了" + std::to_string(batch.imported) + "条记录。", MessageKind::Warning);
  } else if (batch.allImported) {
    prompts.message(kImportedBatchText, MessageKind::Information);
  } else if (!lines.empty()) {
    OpenForUser(prompts, batch.reportPath, "编号冲突报告");
    prompts.message(ConflictMessage(batch.reportPath), MessageKind::Warning);
  }
  return batch;
}

BrowsedFiles ReadPackageLabels(db::DatabaseSession& session, const std::vector<std::string>& paths) {
  BrowsedFiles out;
  const std::string folder = files::WorkingFolder(session.ProgramFolder());
  std::vector<std::string> labels;
  for (const std::string& path : paths) {
    if (!FileExists(path)) {
      out.message = "您选择的文件名为【" + path + "】的文件并不存在，请选择其它文件。";
      return out;
    }
    PackageInfo info = ReadPackageInfo(path, folder);
    if (!info.ok) {
      out.message = "打开数据库文件的时候发生错误，请选择其他文件。";
      return out;
    }
    labels.push_back(info.label);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    out.labels += (i ? " || " : "") + labels[i];
    out.sourcePath += (i ? ";" : "") + paths[i];
  }
  out.ok = true;
  return out;
}

PackageInfo ReadPackageInfo(const std::string& path, const std::string& workingFolder) {
  PackageInfo info;
  if (!FileExists(path)) {
    info.message = kMissingText;
    return info;
  }
  ImportSource source(path, workingFolder);
  if (!source.copy().ok) {
    info.message = source.copy().error;
    return info;
  }
  try {
    db::Connection c(ReadOnlyConnection(source.copy().path));
    c.open();
    db::Statement label(c, "select db_name from ct_label");
    if (label.step()) info.label = label.text(0);
    const ManifestCheck check = CheckManifest(c);
    info.manifest = check.status;
    info.reason = check.reason;
    if (check.records >= 0) {
      info.records = check.records;
    } else {
      db::Statement count(c, "select count(*) from dt_data");
      info.records = count.step() ? count.int64(0) : 0;
    }
    info.ok = true;
  } catch (const std::exception& e) {
    info.message = e.what();
  }
  return info;
}

}  // namespace velmora::exchange
