#include "core/exchange/package_import.h"

#include <algorithm>
#include <memory>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/reporting_package.h"
#include "core/files/atomic_file.h"
#include "core/files/report_folder.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"

namespace velmora::exchange {

namespace {

constexpr const char* kImportedBatchText = "数据已经被正确地导入!";

bool FileExists(const std::string& path) { return intake::CheckChosenFile(path, {}) != intake::ChosenFile::Missing; }

std::string ResolveWorkingFolder(session::DatabaseSession& session, const std::string& given) {
  return given.empty() ? files::WorkingFolder(session.ProgramFolder()) : given;
}

// The label of a file from elsewhere: db_name of the first row of its ct_label, when it has one.
std::string ReadLabel(intake::SourceFile& source) {
  if (!source.hasTable("ct_label")) return {};
  db::Connection& c = source.connection();
  for (const std::string& col : c.columnNames("ct_label"))
    if (base::AsciiLower(col) == "db_name") {
      db::Statement label = db::Statement::Native(c, "SELECT db_name FROM ct_label LIMIT 1");
      return label.step() ? label.text(0) : std::string();
    }
  return {};
}

// Checks the file before anything is inserted: its table and layout, every record by the record
// check (codes unique in the file), and its manifest when it has one, in one pass over the rows.
// Throws intake::IntakeError with the refusal.
void InspectSource(session::DatabaseSession& session, intake::SourceFile& source, const std::string& table,
                   bool requireManifest, FileImportResult& r, jobs::Job& job) {
  db::Connection& ours = session.SysADOConnection();
  source.requireTable(table, "您选择的文件中不存在名字为\"" + table + "\"的数据表");
  source.requireLayout(table, ours);
  db::Connection& file = source.connection();
  intake::UntrustedScope scope(file, job, source.instructionBudget());
  try {
    r.label = ReadLabel(source);
    intake::RecordCheck check(ours, file.columnNames(table), table);
    if (base::AsciiLower(table) == "dt_data") {
      if (source.hasTable(kManifestTable)) source.requireTable(kManifestTable);
      std::int64_t seen = 0;
      const ManifestCheck manifest = CheckManifest(file, scope.job(), [&](const db::Statement& row) {
        intake::RequirePassing(check, row, ++seen);
      });
      r.manifest = manifest.status;
      if (manifest.status == ManifestStatus::Damaged)
        throw intake::IntakeError(intake::IntakeError::Kind::Refused,
                                  "数据包已损坏或不完整：" + manifest.reason + "，没有导入任何记录。");
      if (manifest.status == ManifestStatus::Ok) {
        r.records = manifest.records;
        return;
      }
    }
    if (requireManifest && r.manifest != ManifestStatus::Ok)
      throw intake::IntakeError(intake::IntakeError::Kind::Refused,
                                "文件" + intake::QuotedPath(r.file) +
                                    "没有校验信息（清单），按照设置“只接受带校验信息的数据包”，没有导入任何记录。");
    db::ProgressScope progress(file, scope.job());
    r.records = intake::CheckTableRows(file, table, check);
  } catch (const intake::IntakeError&) {
    throw;
  } catch (const std::exception& e) {
    scope.rethrow(e, r.file);
  }
}

struct ConflictSearch {
  std::vector<ConflictRow> rows;
  bool allEqual = false;  // every staged row equals its stored row in every column but id
};

// Stages the file's rows whose code is stored already in <table>_<table> and lists them. With
// `keep` false the staging is rolled back as well.
ConflictSearch SearchConflicts(session::DatabaseSession& session, const std::string& table, const std::string& file,
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
    std::string same = "SELECT count(*) FROM " + base::QuoteSqlName(staging) + " s JOIN " + base::QuoteSqlName(table) +
                       " d ON d.c901 = s.c901 WHERE 1";
    for (const std::string& col : c.columnNames(table))
      if (base::AsciiLower(col) != "id") same += " AND s." + base::QuoteSqlName(col) + " IS d." + base::QuoteSqlName(col);
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

FileImportResult ImportFile(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                            const ImportOptions& options, jobs::Job& job, const std::string& workingFolder) {
  FileImportResult r;
  r.file = path;
  switch (intake::CheckChosenFile(path, session.DatabasePath())) {
    case intake::ChosenFile::Missing:
      r.status = ImportStatus::Refused;
      r.message = intake::kChosenMissingText;
      return r;
    case intake::ChosenFile::OpenDatabase:
      r.status = ImportStatus::Refused;
      r.message = intake::ChosenOpenDatabaseText(path, "不能导入它自己。");
      return r;
    default: break;  // its kind is the intake's to judge
  }
  if (!session.SysADOConnection().TableExists(table)) {
    r.status = ImportStatus::Failed;
    r.message = "系统中不存在名字为\"" + table + "\"的数据表";
    r.endsBatch = true;
    return r;
  }
  std::unique_ptr<intake::SourceFile> source;
  try {
    source = std::make_unique<intake::SourceFile>(path, ResolveWorkingFolder(session, workingFolder), job);
    InspectSource(session, *source, table, options.requireManifest || RequireManifestSetting(), r, job);
  } catch (const intake::IntakeError& e) {
    r.status = e.kind() == intake::IntakeError::Kind::Stopped ? ImportStatus::Failed : ImportStatus::Refused;
    r.message = e.what();
    return r;
  } catch (const db::DbError& e) {
    r.status = db::IsDamagedFile(e) ? ImportStatus::Refused : ImportStatus::Failed;
    r.message = db::IsDamagedFile(e) ? intake::DamagedText(path, e.what()) : base::PublisherErrorText(e.what());
    return r;
  }
  const std::string file = source->path();

  if (options.askLabel && !options.dryRun &&
      !prompts.confirmYesNo("确认准备导入标记声明为【" + r.label + "】的数据么？", "提示：",
                                      MessageKind::Warning)) {
    r.status = ImportStatus::Declined;
    return r;
  }

  db::Connection& c = session.SysADOConnection();
  // The working copy is attached to the working database: its schema stays untrusted, and the
  // budget holds for every statement over it.
  intake::UntrustedScope guard(c, job, source->instructionBudget());
  std::string failure;
  try {
    db::Transaction tx(c);
    std::int64_t added = 0;
    {
      db::ProgressScope scope(c, guard.job());
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
      r.message = guard.overBudget() ? std::string("读取文件") + intake::QuotedPath(path) +
                                           "所需的工作量远远超过这样大小的文件应有的，已停止，没有导入任何记录。"
                                     : std::string("导入已停止，没有导入任何记录。");
      return r;
    }
    failure = e.what();
  }

  ConflictSearch found;
  try {
    found = SearchConflicts(session, table, file, !options.dryRun, guard.job());
  } catch (const db::DbError& e) {
    if (db::IsInterrupted(e)) {
      r.status = ImportStatus::Failed;
      r.message = "导入已停止，没有导入任何记录。";
      return r;
    }
  }
  if (found.rows.empty()) {
    r.status = ImportStatus::Failed;
    r.message = "导入过程中发生错误，没有导入任何记录（" + failure + "）。";
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

SingleImport ImportPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                           const ImportOptions& options, jobs::Job& job, const std::string& reportPath) {
  SingleImport out;
  out.result = ImportFile(session, prompts, path, table, options, job);
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
      out.refresh = r.message == intake::kChosenMissingText;
      prompts.message(r.message, MessageKind::Error);
      break;
    case ImportStatus::Failed:
      prompts.message(r.message, MessageKind::Error);
      break;
  }
  return out;
}

bool ImportReportingPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job) {
  FileDialogRequest request{"选择导入文件", kImportFilter, session.PersonalFolder(), "", "dat"};
  const std::optional<std::string> chosen = prompts.openFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return true;
  std::string path = *chosen;
  if (path.size() < 4 || (path.compare(path.size() - 4, 4, ".dat") != 0 && path.compare(path.size() - 4, 4, ".mdb") != 0))
    path = WithExtension(path, ".dat");
  return ImportPackage(session, prompts, path, table, ImportOptions{}, job).refresh;
}

std::string FileOutcome(const FileImportResult& r, bool dryRun) {
  switch (r.status) {
    case ImportStatus::Imported:
      return (dryRun ? "可以导入" : "导入了") + std::to_string(r.imported) + "条记录";
    case ImportStatus::AlreadyImported:
      return "已经导入过了（" + std::to_string(r.records) + "条记录），没有改变任何数据";
    case ImportStatus::Conflicts:
      return "有" + std::to_string(r.conflicts.size()) + "条记录编号冲突，没有导入任何记录";
    case ImportStatus::Declined:
      return "没有导入";
    case ImportStatus::Refused:
    case ImportStatus::Failed:
      break;
  }
  return "没有导入：" + r.message;
}

namespace {

std::string BatchCounts(const BatchImport& b, std::size_t files, bool dryRun) {
  std::string text = "共" + std::to_string(files) + "个文件：" + (dryRun ? "可以导入" : "导入了") +
                     std::to_string(b.filesImported) + "个（" + std::to_string(b.imported) + "条记录），已经导入过" +
                     std::to_string(b.filesAlreadyImported) + "个，编号冲突" + std::to_string(b.filesConflicting) +
                     "个（" + std::to_string(b.conflicts) + "条记录），被拒绝" + std::to_string(b.filesRefused) + "个";
  if (b.filesLeft > 0) text += "，没有处理" + std::to_string(b.filesLeft) + "个";
  return text + "。";
}

}  // namespace

BatchImport ImportPackageFiles(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& paths,
                               const std::string& table, const ImportOptions& options, jobs::Job& job,
                               const std::string& reportPath, const BatchFileDone& fileDone) {
  BatchImport batch;
  batch.reportPath = reportPath.empty() ? ConflictReportPath(session.PersonalFolder()) : reportPath;
  const std::string workingFolder = files::WorkingFolder(session.ProgramFolder());
  std::vector<std::string> lines;
  std::vector<FileOutcomeLine> outcomes;
  outcomes.reserve(paths.size());
  std::string endedBy;
  ImportOptions each = options;
  each.askLabel = false;  // no question per file in the batch

  // Nothing is asked or shown while the files are gone through: an office may leave a batch of
  // thousands of packages to run on its own.
  job.start(static_cast<std::int64_t>(paths.size()));
  jobs::JobTicker ticker(job, 1);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    FileImportResult r = ImportFile(session, prompts, paths[i], table, each, jobs::NoJob(), workingFolder);
    batch.imported += r.imported;
    batch.conflicts += static_cast<std::int64_t>(r.conflicts.size());
    switch (r.status) {
      case ImportStatus::Imported: ++batch.filesImported; break;
      case ImportStatus::AlreadyImported: ++batch.filesAlreadyImported; break;
      case ImportStatus::Conflicts: {
        ++batch.filesConflicting;
        const std::vector<std::string> block = BatchBlockLines(paths[i], r.conflicts);
        lines.insert(lines.end(), block.begin(), block.end());
        break;
      }
      case ImportStatus::Declined:
      case ImportStatus::Refused:
      case ImportStatus::Failed: ++batch.filesRefused; break;
    }
    outcomes.push_back({paths[i], FileOutcome(r, options.dryRun)});
    if (r.endsBatch) endedBy = r.message;
    batch.files.push_back(std::move(r));
    job.step();
    if (fileDone) fileDone(i, batch.files.back());
    if (!endedBy.empty()) break;
    if (i + 1 < paths.size() && !ticker.poll()) {
      batch.stopped = true;
      break;
    }
  }
  job.finish();
  const std::string left = batch.stopped ? "没有处理：批量导入已停止" : "没有处理：批量导入已经结束";
  for (std::size_t i = batch.files.size(); i < paths.size(); ++i) outcomes.push_back({paths[i], left});
  batch.filesLeft = static_cast<int>(paths.size() - batch.files.size());
  batch.allImported = batch.filesImported == static_cast<int>(paths.size());

  const std::vector<std::string> outcomeLines = BatchOutcomeLines(outcomes);
  lines.insert(lines.end(), outcomeLines.begin(), outcomeLines.end());
  std::string reportText;
  try {
    WriteConflictReport(batch.reportPath, lines, session.DatabasePath());
    batch.reportWritten = true;
    reportText = "各个文件的导入结果请参见文件：\n\n" + std::string(12, ' ') + batch.reportPath + "。";
  } catch (const std::exception& e) {
    reportText = std::string("无法写出导入报告：") + e.what();
  }

  // One closing message with the counts; the report is opened when a file was not imported.
  const std::string counts = BatchCounts(batch, paths.size(), options.dryRun);
  MessageKind kind = MessageKind::Warning;
  if (batch.stopped) {
    batch.closingMessage = "批量导入已停止，已经导入了" + std::to_string(batch.imported) + "条记录。\n" + counts +
                           "\n" + reportText;
  } else if (!endedBy.empty()) {
    batch.closingMessage = endedBy + "\n" + counts + "\n" + reportText;
  } else if (batch.allImported) {
    batch.closingMessage = std::string(kImportedBatchText) + "\n" + counts;
    kind = MessageKind::Information;
  } else if (batch.filesConflicting > 0 && batch.reportWritten) {
    batch.closingMessage = counts + "\n" + ConflictMessage(batch.reportPath);
  } else {
    batch.closingMessage = counts + "\n" + reportText;
  }
  if (!batch.allImported && batch.reportWritten) prompts.openDocument(batch.reportPath);
  prompts.message(batch.closingMessage, kind);
  return batch;
}

namespace {
constexpr const char* kUnreadableText = "打开数据库文件的时候发生错误";
}  // namespace

BrowsedFiles ReadPackageLabels(session::DatabaseSession& session, const std::vector<std::string>& paths) {
  BrowsedFiles out;
  const std::string folder = files::WorkingFolder(session.ProgramFolder());
  std::vector<std::string> labels, faults;
  for (const std::string& path : paths) {
    if (!FileExists(path)) {
      out.message = intake::ChosenMissingText(path);
      return out;
    }
    PackageInfo info = ReadPackageInfo(path, folder, true);
    labels.push_back(info.ok ? info.label : std::string());
    faults.push_back(info.ok ? std::string() : info.message.empty() ? kUnreadableText : info.message);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    out.labels += (i ? " || " : "") + (faults[i].empty() ? labels[i] : std::string("（无法读取）"));
    out.sourcePath += (i ? ";" : "") + paths[i];
  }
  out.fileLabels = std::move(labels);
  out.faults = std::move(faults);
  out.ok = true;
  return out;
}

PackageInfo ReadPackageInfo(const std::string& path, const std::string& workingFolder, bool labelOnly) {
  PackageInfo info;
  if (!FileExists(path)) {
    info.message = intake::kChosenMissingText;
    return info;
  }
  try {
    intake::SourceFile source(path, workingFolder);
    source.requireTable("dt_data");
    db::Connection& c = source.connection();
    intake::UntrustedScope scope(c, jobs::NoJob(), source.instructionBudget());
    try {
      info.label = ReadLabel(source);
      if (labelOnly) {
        info.ok = true;
        return info;
      }
      if (source.hasTable(kManifestTable)) source.requireTable(kManifestTable);
      const ManifestCheck check = CheckManifest(c, scope.job());
      info.manifest = check.status;
      info.reason = check.reason;
      if (check.records >= 0) {
        info.records = check.records;
      } else {
        db::Statement count = db::Statement::Native(c, "SELECT count(*) FROM dt_data");
        info.records = count.step() ? count.int64(0) : 0;
      }
    } catch (const intake::IntakeError&) {
      throw;
    } catch (const std::exception& e) {
      scope.rethrow(e, path);
    }
    info.ok = true;
  } catch (const db::DbError& e) {
    info.message = db::IsDamagedFile(e) ? intake::DamagedText(path, e.what()) : base::PublisherErrorText(e.what());
  } catch (const std::exception& e) {
    info.message = e.what();
  }
  return info;
}

bool RequireManifestSetting() {
  return settings::RegReadInteger(kRequireManifestValue, 0, settings::kProgramRoot, settings::kEnvSettingKey) != 0;
}

void WriteRequireManifestSetting(bool on) {
  settings::RegWriteInteger(kRequireManifestValue, on ? 1 : 0, settings::kProgramRoot, settings::kEnvSettingKey);
}

}  // namespace velmora::exchange
