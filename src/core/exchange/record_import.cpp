#include "core/exchange/record_import.h"

#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/files/atomic_file.h"
#include "core/files/report_folder.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"

namespace velmora::exchange {

namespace {

constexpr const char* kStoppedText = "导入已停止，没有导入任何数据。";
constexpr const char* kBreak = "\n\r\n\r";  // line feed, carriage return, twice

// The engine's primary result codes of a row it refuses while the transaction goes on: a broken
// constraint (a code taken already) and a type mismatch. Every other failure ends the run.
constexpr int kConstraintCode = 19;
constexpr int kMismatchCode = 20;

// How a source column's value becomes the value inserted.
enum class ColumnKind { Text, Date, Number };

ColumnKind KindOfDeclaredType(const std::string& declared) {
  const std::string t = base::AsciiLower(declared);
  auto has = [&t](const char* word) { return t.find(word) != std::string::npos; };
  if (has("date") || has("time")) return ColumnKind::Date;
  if (has("char") || has("text") || has("clob") || has("memo") || has("string")) return ColumnKind::Text;
  for (const char* word : {"int", "double", "float", "real", "numeric", "decimal", "currency", "money", "bool",
                           "bit", "byte", "counter", "autoincrement", "single", "long", "short"})
    if (has(word)) return ColumnKind::Number;
  return ColumnKind::Text;  // long binary and the like: taken as their text
}

struct SourceColumn {
  std::string name;
  ColumnKind kind = ColumnKind::Text;
};

// A number column's value: null and blank text become 0; other text must hold a number.
std::optional<db::Variant> NumberValue(const db::Variant& v) {
  if (v.isNull()) return db::Variant(std::int64_t{0});
  if (v.isNumber()) return v;
  const std::string text = base::Trim(v.toString());
  if (text.empty()) return db::Variant(std::int64_t{0});
  std::int64_t whole = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), whole);
  if (ec == std::errc() && p == text.data() + text.size()) return db::Variant(whole);
  char* end = nullptr;
  const double real = std::strtod(text.c_str(), &end);
  if (end == text.c_str() + text.size()) return db::Variant(real);
  return std::nullopt;
}

db::Variant BoundValue(const SourceColumn& column, db::Variant v) {
  switch (column.kind) {
    case ColumnKind::Date:
      if (v.isNull() || base::Trim(v.toString()).empty()) return db::Variant();
      return v;
    case ColumnKind::Text:
      return v.isText() ? v : db::Variant(v.toString());
    case ColumnKind::Number:
      break;
  }
  return v;  // numbers are converted by the caller
}

// The engine found the source file damaged (or no database at all) while reading it: the file is
// at fault, not the program.
struct SourceDamaged : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs a statement over the source file, telling a damaged file apart from other failures.
template <typename F>
auto FromSource(F&& read) -> decltype(read()) {
  try {
    return read();
  } catch (const db::DbError& e) {
    if (db::IsDamagedFile(e)) throw SourceDamaged(e.what());
    throw;
  }
}

int FindColumn(const std::vector<SourceColumn>& columns, const char* name) {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (base::AsciiLower(columns[i].name) == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::string FailingRecordMessage(const std::string& c901, const std::string& c902, const std::string* existingName,
                                 const std::string& reason, bool skipFailing) {
  std::string text = "请做好记录:因为编号为[" + c901 + "]的单位 [" + c902 + "] 的数据出错。" + kBreak;
  if (existingName) {
    text += std::string("现在已经存在使用相同编号的单位：") + kBreak + "    " + *existingName + "\n\r" + "请核实。";
  } else if (!reason.empty()) {
    text += "出错原因：" + reason;
  }
  text += kBreak;
  text += skipFailing ? "该数据没有被导入。要继续处理下一条么？" : "所以没有导入任何数据。";
  return text;
}

namespace {

// Why the chosen file cannot be imported record by record before it is read; nullopt when it can.
std::optional<std::string> ChosenFileRefusal(const std::string& path, const std::string& openDatabase) {
  switch (intake::CheckChosenFile(path, openDatabase)) {
    case intake::ChosenFile::Missing: return std::string(intake::kChosenMissingText);
    case intake::ChosenFile::OpenDatabase: return intake::ChosenOpenDatabaseText(path, "不能导入它自己。");
    case intake::ChosenFile::PlainDatabase: return std::nullopt;
    case intake::ChosenFile::Package:
      return "文件" + base::QuotedPath(path) + "是上报的数据包，不能逐条导入，请用“数据导入”导入它。没有导入任何数据。";
    case intake::ChosenFile::Other: return intake::ChosenNotDatabaseText(path, "没有导入任何数据。");
  }
  return std::nullopt;
}

std::vector<SourceColumn> ReadSourceColumns(db::Connection& source, const std::string& table) {
  std::vector<SourceColumn> columns;
  FromSource([&] {
    db::Statement info = db::Statement::Native(source, "PRAGMA table_info(" + base::QuoteSqlName(table) + ")");
    while (info.step()) columns.push_back({info.text(1), KindOfDeclaredType(info.text(2))});
  });
  return columns;
}

// The source's columns our table lacks, "、"-separated; empty when there are none.
std::string UnknownColumns(db::Connection& working, const std::string& table, const std::vector<SourceColumn>& columns) {
  std::vector<std::string> ours = working.columnNames(table);
  for (std::string& name : ours) name = base::AsciiLower(name);
  std::string missing;
  for (const SourceColumn& column : columns) {
    bool found = false;
    for (const std::string& name : ours) found = found || name == base::AsciiLower(column.name);
    if (!found) missing += (missing.empty() ? "" : "、") + column.name;
  }
  return missing;
}

std::int64_t CountSourceRows(db::Connection& source, const std::string& table) {
  return FromSource([&] {
    db::Statement count = db::Statement::Native(source, "SELECT count(*) FROM " + base::QuoteSqlName(table));
    return count.step() ? count.int64(0) : std::int64_t{0};
  });
}

// Takes the source's current row into `values` as our columns store it and binds it to `insert`;
// returns why the row is refused (a number column holding no number), empty when it is not.
std::string BindSourceRow(const db::Statement& rows, const std::vector<SourceColumn>& columns,
                          std::vector<db::Variant>& values, db::Statement& insert) {
  std::string reason;
  insert.reset();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    db::Variant v = rows.value(static_cast<int>(i));
    if (columns[i].kind == ColumnKind::Number) {
      if (v.isNumber()) {
        values[i] = std::move(v);
      } else {
        std::optional<db::Variant> number = NumberValue(v);
        if (!number && reason.empty()) reason = "列[" + columns[i].name + "]的值“" + v.toString() + "”不是数字";
        values[i] = std::move(number).value_or(db::Variant());
      }
    } else {
      values[i] = BoundValue(columns[i], std::move(v));
    }
    insert.bind(static_cast<int>(i) + 1, values[i]);
  }
  return reason;
}

// Inserts the bound row; returns why the engine refused it (a constraint or a type mismatch),
// empty when it was inserted. Other engine errors pass on.
std::string InsertRow(db::Statement& insert) {
  try {
    insert.run();
  } catch (const db::DbError& e) {
    const int primary = e.code() & 0xff;
    if (primary != kConstraintCode && primary != kMismatchCode) throw;
    return e.what();
  }
  return {};
}

// The message naming a failing record: its code and name, and the unit holding the code already.
std::string FailingRowMessage(const std::vector<db::Variant>& values, int codeColumn, int nameColumn,
                              db::Statement& holder, const std::string& reason, bool skipFailing) {
  const std::string code = codeColumn >= 0 ? base::Trim(values[codeColumn].toString()) : std::string();
  const std::string name = nameColumn >= 0 ? values[nameColumn].toString() : std::string();
  std::optional<std::string> existing;
  if (codeColumn >= 0 && !values[codeColumn].isNull()) {
    holder.reset();
    holder.bind(1, values[codeColumn]);
    if (holder.step()) existing = holder.text(0);
    holder.reset();
  }
  return FailingRecordMessage(code, name, existing ? &*existing : nullptr, reason, skipFailing);
}

// Shows the failing record's message; true when the import goes on without it.
bool GoOnAfterFailingRecord(UserPrompts& prompts, const std::string& message, const RecordImportOptions& options) {
  if (!options.skipFailing) {
    prompts.message(message, MessageKind::Warning, "提示：");  // nothing to choose: the run is given up
    return false;
  }
  if (options.askPerRecord) return prompts.confirmYesNo(message, "提示：", MessageKind::Warning);
  prompts.message(message, MessageKind::Warning, "提示：");
  return true;
}

// How the copy of the source's rows ended: every row taken (committed), or given up by the user at
// a failing record or by a stop (rolled back).
enum class CopyEnd { Done, Abandoned, Stopped };

// Copies the source's rows into our table in one transaction, each through the record check; the
// counts and the last failing record's message go into `r`.
CopyEnd CopySourceRows(db::Connection& working, db::Connection& source, const std::string& table,
                       const std::vector<SourceColumn>& columns, const RecordImportOptions& options,
                       UserPrompts& prompts, jobs::Job& job, RecordImportResult& r) {
  // The statement names every column of the source in the source's order.
  std::string names, places;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? "," : "") + base::QuoteSqlName(columns[i].name);
    places += (i ? ",?" : "?") + std::to_string(i + 1);
  }
  const int codeColumn = FindColumn(columns, "c901");
  const int nameColumn = FindColumn(columns, "c902");
  std::vector<std::string> columnNames;
  for (const SourceColumn& column : columns) columnNames.push_back(column.name);
  // Every record passes the entry form's rules before it is inserted; one that does not is a
  // failing record under the chosen principle.
  const intake::RecordCheck check(working, columnNames, table);
  std::int64_t row = 0;

  job.start(r.records);
  jobs::JobTicker ticker(job);
  db::Transaction tx(working);
  db::Statement insert =
      db::Statement::Native(working, "INSERT INTO " + base::QuoteSqlName(table) + " (" + names + ") VALUES (" + places + ")");
  db::Statement holder = db::Statement::Native(
      working, "SELECT c902 FROM " + base::QuoteSqlName(table) + " WHERE c901 = ?1 LIMIT 1");
  db::Statement rows =
      FromSource([&] { return db::Statement::Native(source, "SELECT " + names + " FROM " + base::QuoteSqlName(table)); });
  std::vector<db::Variant> values(columns.size());
  while (FromSource([&] { return rows.step(); })) {
    std::string reason = BindSourceRow(rows, columns, values, insert);
    ++row;
    if (reason.empty())
      if (const std::optional<intake::RecordFault> fault = check.check(values, row))
        reason = "字段“" + fault->field + "”的值“" + fault->value + "”不合要求：" + fault->reason;
    if (reason.empty()) reason = InsertRow(insert);
    if (!reason.empty()) {
      r.message = FailingRowMessage(values, codeColumn, nameColumn, holder, reason, options.skipFailing);
      if (!GoOnAfterFailingRecord(prompts, r.message, options)) {
        tx.rollback();
        return CopyEnd::Abandoned;
      }
      ++r.skipped;
    } else {
      ++r.imported;
    }
    job.step();
    if (!ticker.tick()) {
      tx.rollback();
      return CopyEnd::Stopped;
    }
  }
  insert = db::Statement();
  holder = db::Statement();
  tx.commit();
  return CopyEnd::Done;
}

}  // namespace

RecordImportResult ImportRecordsFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                                     const RecordImportOptions& options, jobs::Job& job) {
  RecordImportResult r;
  auto refuse = [&](RecordImportStatus status, const std::string& text, MessageKind kind = MessageKind::Error) {
    r.status = status;
    r.message = text;
    prompts.message(text, kind);
    return r;
  };

  if (const std::optional<std::string> refusal = ChosenFileRefusal(path, session.DatabasePath()))
    return refuse(RecordImportStatus::Refused, *refusal);

  db::Connection& working = session.SysADOConnection();
  // The file is read through the intake: a private working copy (nothing is ever written beside
  // the user's file), the engine untrusted, a real table, every statement under the budget.
  std::unique_ptr<intake::SourceFile> file;
  try {
    file = std::make_unique<intake::SourceFile>(path, files::WorkingFolder(session.ProgramFolder()), job);
    if (!file->hasTable(table))
      return refuse(RecordImportStatus::Refused, "您选择的文件中不存在名字为\"" + table + "\"的数据表");
    file->requireTable(table);
  } catch (const intake::IntakeError& e) {
    return refuse(e.kind() == intake::IntakeError::Kind::Stopped ? RecordImportStatus::Stopped
                                                                 : RecordImportStatus::Refused,
                  e.what());
  }
  db::Connection& source = file->connection();
  intake::UntrustedScope scope(source, job, file->instructionBudget());
  try {
    if (!working.TableExists(table))
      return refuse(RecordImportStatus::Failed, "系统中不存在名字为\"" + table + "\"的数据表");

    const std::vector<SourceColumn> columns = ReadSourceColumns(source, table);
    if (const std::string missing = UnknownColumns(working, table, columns); !missing.empty())
      return refuse(RecordImportStatus::Refused, "您选择的文件中的数据表\"" + table + "\"有系统中不存在的列：" +
                                                     missing + "，没有导入任何数据。");

    r.records = CountSourceRows(source, table);
    if (r.records == 0) return refuse(RecordImportStatus::Empty, kRecordImportEmpty, MessageKind::Information);

    switch (CopySourceRows(working, source, table, columns, options, prompts, job, r)) {
      case CopyEnd::Done: break;
      case CopyEnd::Abandoned:
        job.finish();
        r.status = RecordImportStatus::Abandoned;
        r.imported = 0;
        r.skipped = 0;
        return r;
      case CopyEnd::Stopped:
        job.finish();
        r.imported = 0;
        r.skipped = 0;
        return refuse(RecordImportStatus::Stopped, kStoppedText, MessageKind::Warning);
    }
  } catch (const std::exception& e) {
    job.finish();
    r.imported = 0;
    r.skipped = 0;
    if (scope.overBudget()) return refuse(RecordImportStatus::Refused, "读取文件" + intake::QuotedPath(path) +
                                                                      "所需的工作量远远超过这样大小的文件应有的，已停止，没有导入任何数据。");
    if (const auto* d = dynamic_cast<const db::DbError*>(&e); d && db::IsInterrupted(*d))
      return refuse(RecordImportStatus::Stopped, kStoppedText, MessageKind::Warning);
    if (const auto* d = dynamic_cast<const SourceDamaged*>(&e))
      return refuse(RecordImportStatus::Refused, intake::DamagedText(path, d->what(), "没有导入任何数据。"));
    return refuse(RecordImportStatus::Failed, base::PublisherErrorText(e.what()));
  }
  job.finish();
  r.status = RecordImportStatus::Imported;
  r.message = kRecordImportDone;
  prompts.message(kRecordImportDone, MessageKind::Information);
  return r;
}

bool ImportRecordByRecord(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job) {
  FileDialogRequest request{kRecordImportTitle, kRecordImportFilter, session.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = prompts.openFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  RecordImportOptions options;
  options.skipFailing = settings::ImportPrincipleFlag;
  return ImportRecordsFrom(session, prompts, *chosen, table, options, job).status == RecordImportStatus::Imported;
}

}  // namespace velmora::exchange
